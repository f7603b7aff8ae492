#pragma once

// Reading a file in pieces, each system its own way; the log file's line
// reader (append_file.cpp) is built on it.

#include <QString>

#include <functional>

#include "platform/env.h"

namespace platform {

// Hands the bytes of `path`, from its start to its end, to `take` in pieces
// of at most 64 KB.
Status read_in_pieces(const QString& path,
                      const std::function<void(const char* piece, qsizetype size)>& take);

}  // namespace platform
