#pragma once

// Text files as line lists: read with CR LF, LF or CR line ends, a byte-order
// mark selecting UTF-8 or UTF-16 (LE or BE), otherwise the ANSI code page
// (or, for hand-made tables, UTF-8 when the bytes are UTF-8);
// written in the ANSI code page with CR LF after every line. Settings files
// are written so that they read back unchanged (see write_settings_lines).
//
// Thread-safe: the readers and the conversions between bytes and lines may run
// on several threads at once; the writers publish their files, as
// platform/env.h says.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {
class Env;
}

namespace basics {

QStringList lines_from_bytes(const QByteArray& bytes);
QByteArray bytes_from_lines(const QStringList& lines);

// Throws basics::error naming the file when it cannot be read. The readers
// below without an Env read through platform::env().
QStringList read_lines(const QString& path);
QStringList read_lines(platform::Env& system, const QString& path);

// A file larger than the largest measurement of its kind is no such
// measurement, and reading it whole would only cost memory and time: the
// operator's words for the file at `path` when it holds more than
// `largest` bytes, naming its size; nothing when it does not (or is not
// there, which reading then tells). Only the size is looked at.
std::optional<QString> oversize_refusal(const QString& path, qint64 largest);
std::optional<QString> oversize_refusal(platform::Env& system, const QString& path, qint64 largest);

// read_lines for a measurement file of at most `largest` bytes; throws
// basics::error with the words of oversize_refusal, before reading anything,
// for a larger one.
QStringList read_measurement_lines(const QString& path, qint64 largest);
QStringList read_measurement_lines(platform::Env& system, const QString& path, qint64 largest);

// Lines of a text file prepared by hand, on any system.
struct decoded_lines {
  QStringList lines;
  // The file had no byte-order mark and was read as UTF-8.
  bool utf8_without_mark = false;
};

// As lines_from_bytes, except that bytes without a byte-order mark that are
// valid UTF-8 and not plain ASCII are read as UTF-8: a Linux editor writes
// UTF-8 without a mark, while Windows-1252 text with letters beyond ASCII is
// hardly ever valid UTF-8, so such files keep reading as before.
decoded_lines lines_from_bytes_detecting_utf8(const QByteArray& bytes);
// Throws basics::error naming the file when it cannot be read.
decoded_lines read_lines_detecting_utf8(const QString& path);

// Publishes the file complete under its final name (temporary file in the
// same folder, then an atomic replace). Throws basics::error on failure and
// leaves an existing file as it was.
void write_lines(const QString& path, const QStringList& lines);

// The bytes of bytes_from_lines when the ANSI code page holds every
// character and the bytes cannot be taken for a byte-order mark; otherwise
// the same lines in UTF-8 after its byte-order mark. A folder named in a
// setting must survive a restart: written as "?", it would name nothing.
QByteArray settings_bytes_from_lines(const QStringList& lines);

// Writes a settings file as write_lines does, in the bytes of
// settings_bytes_from_lines. A settings file that is a symbolic link stays
// one: its target is replaced, published beside the target.
void write_settings_lines(const QString& path, const QStringList& lines);

}  // namespace basics
