#pragma once

// The error the scanner's steps raise and the window's general error report
// shows: a text for the operator.
//
// Thread-safe: an error is a value; it may be raised, caught and carried on any
// thread.

#include <QString>

#include <stdexcept>

#include "platform/env.h"

namespace basics {

class error : public std::runtime_error {
 public:
  explicit error(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& text() const { return text_; }

 private:
  QString text_;
};

// Where a failed platform call ends the step: raises its message, unchanged,
// as the error the operator sees.
inline void raise_on_failure(const platform::Status& status) {
  if (!status.ok()) throw error(status.message());
}

}  // namespace basics
