#pragma once

// Length-prefixed strings in binary files, in the single-byte layout (file
// versions up to 3.18) or the UTF-16 layout (above 3.18).
//
// Thread-safe: no. read_file_version and program_file_version are process-wide
// values that readers set and the records read, so string records are read and
// written on one thread (the scanner's main thread; the tools' worker threads
// never reach them).

#include <QIODevice>
#include <QString>

namespace basics {

// Version of the file being read; set by the readers of files that hold
// string records before they read one.
extern float read_file_version;

// Version this program writes into its own files: 3.99001.
extern float program_file_version;

// True when `version` selects the UTF-16 layout (compared exactly with the
// decimal 3.18, so the float nearest 3.18 is above it).
bool uses_utf16_records(float version);

// Reads one record in the layout chosen by read_file_version; never reads
// past the end of `stream`.
QString read_string_record(QIODevice& stream);

// True when the whole record at the stream's position, in the layout chosen
// by read_file_version, lies inside the stream. read_string_record quietly
// gives "" or a partial text for a record cut short; readers that must tell a
// damaged file from an empty word ask this first. Reads nothing.
bool string_record_fits(QIODevice& stream);

// Writes one record in the layout chosen by program_file_version; throws
// basics::error when the write cannot be completed.
void write_string_record(const QString& text, QIODevice& stream);

}  // namespace basics
