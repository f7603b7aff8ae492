#pragma once

// The TULMEN traverse file: a comma-separated measurement of up to 40
// positions, two spectra of 261 points each. Line 6 holds three label fields
// and then the positions; lines 296-556 the first spectrum (wavelength, two
// skipped fields, one value per position), lines 560-820 the second (three
// skipped fields, one value per position). Lines are counted from 1.
//
// The instrument's files are read from the left, field by field, without
// trimming: blanks before a number are accepted, blanks after it are not.
// The reader fills a scan record that lives from file to file: a value that
// does not convert keeps the previous file's value.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

#include "basics/measurement_file.h"
#include "basics/scan_data.h"

namespace basics {

// The scan record of a TULMEN file: up to 40 positions, 2 spectra of 261
// points on a 5 nm grid from 380 nm to 1680 nm.
inline constexpr qint32 kTulmenPositions = 40;
inline constexpr qint32 kTulmenSpectra = 2;
inline constexpr qint32 kTulmenPoints = 261;
inline constexpr float kTulmenFirstWavelength = 380.0f;
inline constexpr float kTulmenLastWavelength = 1680.0f;

// A file of this many lines or fewer carries no measurement to convert.
inline constexpr int kTulmenShortestIgnored = 500;
// The last line the reader needs: the end of the second spectrum.
inline constexpr int kTulmenFileLines = 820;
// A complete file (820 lines, 40 positions) holds well under a megabyte; a
// larger file than this is no TULMEN measurement and is not read.
inline constexpr qint64 kLargestTulmenFile = qint64(16) << 20;

// The wavelength of each line of the first spectrum.
using tulmen_wavelengths = std::array<float, kTulmenPoints>;

// Shapes `record` for TULMEN files (all values zero).
void shape_tulmen_record(scan_data& record);

// Takes the next field off the front of `rest`: the text before its first
// comma, which is removed with the comma. Without a comma the field is
// empty and `rest` stays as it is.
QStringView take_field(QStringView& rest);

// Whether the file carries a measurement at all (more than 500 lines).
bool tulmen_has_measurement(const QStringList& lines);

// The number of positions the header names: the fields after the three
// labels of line 6, an empty field after a trailing comma not counted.
int tulmen_header_positions(const QStringList& lines);

// Why a file with a measurement cannot be converted, in the words the
// operator reads, or empty when it can: it ends before the second spectrum
// does (`path` names it), or its header names more positions than a scan
// record holds.
std::optional<QString> tulmen_refusal(const QStringList& lines, const QString& path);

// Where the reader's words go. Every number that does not convert is said
// as its text + " could not be converted to a number": to `problem`, but
// for the empty text a well-formed header ends on after its last position
// (no comma left), which the instrument's every file gives: that goes to
// `header_end`, as no fault of the file.
struct tulmen_sinks {
  message_sink problem;
  message_sink header_end;
};

// Reads the lines of a TULMEN file into `record` and `wavelengths`. The
// record keeps its axes and takes the header's position count; the time of
// measurement is `last_modified` at two-second resolution. A number that
// does not convert is said to `say` and leaves its slot as it was. Returns the largest
// value of the first position between 500 nm and 1500 nm (both excluded),
// or -1 when there is none.
//
// The lines should have passed tulmen_refusal. Throws basics::error, before
// anything is changed, when `record` does not have the TULMEN shape.
float read_tulmen_lines(const QStringList& lines, const QDateTime& last_modified, scan_data& record,
                        tulmen_wavelengths& wavelengths, const tulmen_sinks& say);

// The product the line runs, judged by that largest value: "Production" up
// to 0.27, "SiO2 production" above. The 32-bit value is compared with the
// decimal 0.27, so a stored 0.27 (0.27000001...) lies above it.
QString tulmen_product(float largest_value);

// Every product tulmen_product names, Production first.
QStringList tulmen_products();

}  // namespace basics
