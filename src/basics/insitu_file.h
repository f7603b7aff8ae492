#pragma once

// The insitu measurement file: a comma-separated file from a probe head in
// the line. Line 4 holds the plate number in field 2, line 7 the probe head
// in field 4, and a table follows the first line from line 3 on whose
// field 1 is "Wave length [nm]": one line per wavelength, up to the first
// line with an empty field 1. Lines are counted from 1.
//
// Its inline file holds one line "wavelength,value" per table line: field 1
// and field n, n being the last field of the first table line, both copied
// as text.

#include <QString>
#include <QStringList>

#include <optional>

namespace basics {

// A file of fewer lines is too short to convert.
inline constexpr int kInsituShortestFile = 139;
// The table runs as long as the probe head writes it, some thousand lines
// of a few fields at most: well under a megabyte. A larger file than this
// is no insitu measurement and is not read.
inline constexpr qint64 kLargestInsituFile = qint64(16) << 20;

// The refusal of a file too short to convert, naming `path`; empty when the
// lines are long enough.
std::optional<QString> insitu_length_refusal(const QStringList& lines, const QString& path);

// The probe head the file names (field 4 of line 7).
QString insitu_probe_head(const QStringList& lines);

// The lines of the inline file; empty when the file has no table header
// followed by a line.
std::optional<QStringList> insitu_inline_lines(const QStringList& lines);

}  // namespace basics
