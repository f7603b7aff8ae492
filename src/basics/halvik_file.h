#pragma once

// The files of the Halvik instruments, comma-separated, lines and fields
// counted from 1.
//
// Exsitu file: line 4 holds the plate number in field 2, line 6 the
// positions from field 4 on, and lines 32, 203 and 374 start the three
// spectra: one line per point (168 each), one value per position from
// field 4 on. No sheet resistances.
//
// Insitu file: line 6 holds the plate number in field 3; lines 19 to 139
// hold points 0 to 120 of nine positions, position i (from 1) in field
// i + 2. The wavelength axis is fixed, 380 nm to 980 nm.
//
// Both readers fill a scan record that lives from file to file: a value that
// does not convert keeps the previous file's value in its slot.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

#include "basics/exsitu_file.h"

namespace basics {

// An exsitu file needs more lines than this to reach its last T line.
inline constexpr int kHalvikExsituFileLines = 541;
inline constexpr qint32 kHalvikExsituPositions = 51;
inline constexpr qint32 kHalvikExsituSpectra = 3;
inline constexpr qint32 kHalvikExsituPoints = 168;
inline constexpr float kHalvikExsituFirstWavelength = 305.0f;
inline constexpr float kHalvikExsituLastWavelength = 1140.0f;
// A complete file (541 lines, 51 positions) holds well under a megabyte; a
// larger file than this is no Halvik exsitu measurement and is not read.
inline constexpr qint64 kLargestHalvikExsituFile = qint64(16) << 20;

inline constexpr int kHalvikInsituFileLines = 139;
inline constexpr qint32 kHalvikInsituPositions = 9;
inline constexpr qint32 kHalvikInsituPoints = 121;
inline constexpr float kHalvikInsituFirstWavelength = 380.0f;
inline constexpr float kHalvikInsituLastWavelength = 980.0f;
// A complete file (139 lines, 9 positions) holds some ten kilobytes.
inline constexpr qint64 kLargestHalvikInsituFile = qint64(16) << 20;

// Shapes the records for the two files (all values zero).
void shape_halvik_exsitu_record(scan_data& record);
void shape_halvik_insitu_record(scan_data& record);

// The number of positions an exsitu file gives: the commas of line 6 less two.
int halvik_exsitu_position_count(const QStringList& lines);

// Why the exsitu `lines` cannot be converted, in the words the operator
// reads, or empty when they can: too short (naming `path`), more positions
// than a scan record takes, or none of its positions selected (naming
// `name`).
std::optional<QString> halvik_exsitu_refusal(const QStringList& lines, const QString& path,
                                             const QString& name, const point_predicate& selected);

// Reads exsitu lines that passed halvik_exsitu_refusal into `record` and
// `plate`. The time of measurement is `last_modified` at two-second
// resolution. File position i (from 0) fills the next slot when point i + 1
// is selected, and no_positions becomes the number of slots filled, so no
// earlier file's positions are written with this one. Every value that does
// not convert is reported to `message` and leaves its slot as it was.
// Throws basics::error, before anything is changed, when `record` cannot
// hold them.
void read_halvik_exsitu_lines(const QStringList& lines, const QDateTime& last_modified,
                              const point_predicate& selected, scan_data& record, qint32& plate,
                              const message_sink& message);

// The refusal of an insitu file too short to convert, naming `path`.
std::optional<QString> halvik_insitu_refusal(const QStringList& lines, const QString& path);

// Reads insitu lines that passed halvik_insitu_refusal into `record` (nine
// positions numbered 1 to 9) and `plate`, as read_halvik_exsitu_lines does.
void read_halvik_insitu_lines(const QStringList& lines, const QDateTime& last_modified,
                              scan_data& record, qint32& plate, const message_sink& message);

}  // namespace basics
