#pragma once

// Text files as line lists: read with CR LF, LF or CR line ends, a byte-order
// mark selecting UTF-8 or UTF-16 (LE or BE), otherwise the ANSI code page;
// written in the ANSI code page with CR LF after every line.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace basics {

QStringList lines_from_bytes(const QByteArray& bytes);
QByteArray bytes_from_lines(const QStringList& lines);

// Throws basics::error naming the file when it cannot be read.
QStringList read_lines(const QString& path);

// Publishes the file complete under its final name (temporary file in the
// same folder, then an atomic replace). Throws basics::error on failure and
// leaves an existing file as it was.
void write_lines(const QString& path, const QStringList& lines);

}  // namespace basics
