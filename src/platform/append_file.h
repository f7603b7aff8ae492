#pragma once

// A log file that grows by whole records: appended to one record at a time,
// never rewritten, and read back line by line. Apart from Env because only
// the history of handled files needs it.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

#include "platform/env.h"

namespace platform {

// Appends `data` to `path`, creating the file when it is missing, in one
// write, then flushes it to disk (fsync). A reader sees earlier records
// intact; a failure (disk full, folder gone) may leave part of `data` at the
// end, which a line-by-line reader must skip.
Status append_to_file(const QString& path, const QByteArray& data);

// Hands each line of `path` to `take`, without its line break, reading the
// file in pieces, so a large file costs no more memory than its longest
// line. A line longer than `longest` bytes is not held at all: `take` gets
// it empty, with `too_long` set. The last line counts even without its
// line break.
Status read_log_lines(const QString& path, qsizetype longest,
                      const std::function<void(QByteArrayView line, bool too_long)>& take);

// Whether `path` ends in a line without its line break, as a write cut
// short leaves it; false for a missing or empty file.
bool ends_in_cut_line(const QString& path);

}  // namespace platform
