#pragma once

// Lets GoogleTest name a Status kind in a failure message ("busy", not the
// enum's bytes).

#include <cstddef>
#include <iterator>
#include <ostream>

#include "platform/env.h"

namespace platform {

inline void PrintTo(Status::Kind kind, std::ostream* out) {
  // In the order of the enum.
  static const char* const kNames[] = {"ok",     "busy", "exists", "not_found",
                                       "denied", "io",   "other"};
  const auto index = static_cast<std::size_t>(kind);
  if (index < std::size(kNames)) {
    *out << kNames[index];
  } else {
    *out << "kind " << index;
  }
}

}  // namespace platform
