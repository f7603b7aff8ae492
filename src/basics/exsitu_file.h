#pragma once

// The exsitu measurement file: a comma-separated traverse measurement of one
// plate. Line 4 holds the plate number in field 2, line 8 the positions from
// field 4 on, the line after a "Sheet resistance" marker line the sheet
// resistances, and lines 36-156, 160-280 and 284-404 the spectra R glass,
// R coating and T, one line per point with one value per position from
// field 4 on. Lines are counted from 1.
//
// The reader fills a scan record that lives from file to file: whatever a
// file does not give (a value that does not convert, a missing marker line)
// keeps the previous file's value.
//
// Thread-safe: every function may run on several threads at once, each on lines
// and records of its own; a record shared between threads is not guarded.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "basics/measurement_file.h"
#include "basics/scan_data.h"

namespace basics {

// A complete file reaches the last T line.
inline constexpr int kExsituFileLines = 404;
// The scan record of an exsitu file: 33 positions, 3 spectra of 121 points
// from 380 nm to 980 nm.
inline constexpr qint32 kExsituPositions = 33;
inline constexpr qint32 kExsituSpectra = 3;
inline constexpr qint32 kExsituPoints = 121;
inline constexpr float kExsituFirstWavelength = 380.0f;
inline constexpr float kExsituLastWavelength = 980.0f;
// A complete file (404 lines, 33 positions) holds well under a megabyte; a
// larger file than this is no exsitu measurement and is not read.
inline constexpr qint64 kLargestExsituFile = qint64(16) << 20;

// Shapes `record` for exsitu files (all values zero).
void shape_exsitu_record(scan_data& record);

// The number of positions the file gives: the commas of line 8 less two.
int exsitu_position_count(const QStringList& lines);

// Why `lines` cannot be converted, in the words the operator reads, or empty
// when they can. `path` names the file in the length message, `name` in the
// position count message.
std::optional<QString> exsitu_length_refusal(const QStringList& lines, const QString& path);
std::optional<QString> exsitu_position_count_refusal(const QStringList& lines, const QString& name);
// The first of the two refusals above that applies.
std::optional<QString> exsitu_refusal(const QStringList& lines, const QString& path,
                                      const QString& name);

// Reads the lines of an exsitu file into `record` and `plate`. The time of
// measurement is `last_modified` at the two-second resolution of MS-DOS file
// times. File position i (from 0) fills the next slot when point i + 1 is
// selected; no_positions becomes the number of slots filled. Every value that does not convert is
// reported to `message` (a sheet resistance silently) and leaves its slot as it was.
// The slots written are marked in `written` when given.
//
// The lines should have passed exsitu_refusal. Throws basics::error, before
// anything is changed, when `record` cannot hold the file's positions or the
// points of its three spectra.
void read_exsitu_lines(const QStringList& lines, const QDateTime& last_modified,
                       const point_predicate& selected, scan_data& record, qint32& plate,
                       const message_sink& message, written_slots* written = nullptr);

// Makes `record` what read_exsitu_lines would have made of it with the
// lines that gave `reading` (read into a record of the same shape) and
// `written`: the file's time, counts and the slots it wrote; every other slot
// keeps its value.
void carry_written(const scan_data& reading, const written_slots& written, scan_data& record);

}  // namespace basics
