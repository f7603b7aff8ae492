#pragma once

// Adding to the end of a log file, one whole record at a time. Apart from
// Env because only the history of handled files needs it: a log that grows
// by a line per file is appended to, never rewritten.

#include <QByteArray>
#include <QString>

#include "platform/env.h"

namespace platform {

// Appends `data` to `path`, creating the file when it is missing, in one
// write, then flushes it to disk (fsync). A reader sees earlier records
// intact; a failure (disk full, folder gone) may leave part of `data` at the
// end, which a line-by-line reader must skip.
Status append_to_file(const QString& path, const QByteArray& data);

}  // namespace platform
