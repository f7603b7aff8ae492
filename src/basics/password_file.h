#pragma once

// The operator password file: version (float32), 187 unused four-byte values,
// the record count (uint16), then per record seven unused four-byte values
// and a string record. The password is the texts of all records joined.

#include <QIODevice>
#include <QString>

#include "basics/message_sink.h"

namespace basics {

// Appends the text of every complete record at the stream's position to
// `target`, in file order. Sets read_file_version from the file's header.
// False when the stream ends before the last record is complete; the texts
// of the records completed before that point are appended all the same.
bool read_password_records(QIODevice& file, QString& target);

// Reads the password file at `path` into `target` (emptied first). A file
// that cannot be read, or that ends before its last record is complete, is
// reported with the message "Could not read password from file " + path;
// the texts read before that point stay in `target`. Raises nothing.
void read_password_file(QString& target, const QString& path, const message_sink& message);

}  // namespace basics
