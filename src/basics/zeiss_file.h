#pragma once

// The Zeiss plate file: a semicolon-separated measurement of one plate at n
// positions with three spectra per position. Lines are counted from 1 and
// fields from 1, trimmed. After the first stamp line come the position
// lines (field 2 of the first one is the plate, field 4 of each one its
// position), ended by a line whose field 4 is no integer. Then three blocks,
// each a spectrum line, an optional header of three lines (the second holds
// the wavelengths) and n value lines.
//
// The number of positions classifies the plate: 32 is a maintenance
// measurement, fewer than 15 a postbake sample whose class is in bits 15,
// 14 and 13 of the plate number, anything else production.

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

#include "basics/scan_data.h"

namespace basics {

inline constexpr int kZeissSpectra = 3;
// A file of this many lines or fewer carries no measurement.
inline constexpr int kZeissShortestIgnored = 10;
inline constexpr int kMaintenancePositions = 32;
// Fewer positions than this make a postbake sample.
inline constexpr int kProductionPositions = 15;
// The scan record a SELMAR window starts with.
inline constexpr qint32 kZeissInitialPositions = 32;
inline constexpr qint32 kZeissInitialPoints = 125;
inline constexpr float kZeissFirstWavelength = 380.0f;
inline constexpr float kZeissInitialLastWavelength = 1000.0f;
// The longest plate text that may name an output file.
inline constexpr int kLongestPlateText = 100;
// Positions and points vary from plate to plate, yet a real file holds a
// megabyte at most; a larger file than this is no Zeiss measurement and is
// not read.
inline constexpr qint64 kLargestZeissFile = qint64(16) << 20;

// Where the parts of a file lie, by line number (from 1). A stamp line
// without position lines after it gives a plate of no positions.
struct zeiss_block {
  int spectrum_line = 0;
  // The wavelength line, 0 for a block without header.
  int axis_line = 0;
  int first_value_line = 0;
};

struct zeiss_layout {
  int stamp_line = 0;
  int positions = 0;
  std::array<zeiss_block, kZeissSpectra> blocks{};
};

// The wavelength range and point count of one block.
struct zeiss_axis {
  float x_min = 0;
  float x_max = 0;
  qint32 count = 0;
};
using zeiss_axes = std::array<zeiss_axis, kZeissSpectra>;

// Shapes `record` as a SELMAR window creates it: 32 positions, 3 spectra of
// 125 points from 380 nm to 1000 nm.
void shape_zeiss_record(scan_data& record);

// Whether the file has more than 10 lines, so that it is converted at all.
bool zeiss_has_measurement(const QStringList& lines);

// The first stamp line (from 1), or 0 without one.
int zeiss_stamp_line(const QStringList& lines);

// Where everything lies, or what the file lacks of the lines its format
// promises, in words that follow "it lacks ". The file has a stamp line.
struct zeiss_reading {
  std::optional<zeiss_layout> layout;
  QString missing;
};
zeiss_reading locate_zeiss_parts(const QStringList& lines);

// The blocks' spectrum and axis lines of a file without a stamp line, found
// as the axis reading looks for them: from line 1, each search going on at
// the block's axis line, or at the line after a spectrum line without
// header. Empty when a spectrum line, or a line the axis reading looks at,
// is missing.
std::optional<zeiss_layout> locate_zeiss_axes(const QStringList& lines);

// The plate as the file writes it: field 2 of the line after the stamp.
QString zeiss_plate_text(const QStringList& lines, const zeiss_layout& layout);

// Why `plate_text` cannot name a file in the output folder, or nothing when
// it can: it must stay a plain file name on both Windows and Linux.
std::optional<QString> plate_text_refusal(const QString& plate_text);

// The three blocks' axes. When every block has a wavelength line reaching
// above 100 nm, `no_spectral_positions` becomes their largest count;
// otherwise each block gets the 5 nm grid from 380 nm of
// `no_spectral_positions` points, which stays as it is.
zeiss_axes read_zeiss_axes(const QStringList& lines, const zeiss_layout& layout,
                           qint32& no_spectral_positions);

// Sizes `record` to the file's positions, 3 spectra and
// `no_spectral_positions` points, and takes the positions.
void read_zeiss_positions(const QStringList& lines, const zeiss_layout& layout,
                          qint32 no_spectral_positions, scan_data& record);

// Reads `no_spectral_positions` values per position of each block into the
// sized record, with the blocks' axes. A value that does not convert is
// handed to `bad_value` and leaves its slot as it was.
void read_zeiss_spectra(const QStringList& lines, const zeiss_layout& layout,
                        const zeiss_axes& axes, qint32 no_spectral_positions, scan_data& record,
                        const std::function<void(const QString& field)>& bad_value);

// ---- Postbake classes ------------------------------------------------------

// The class of a postbake sample from bits 15, 14, 13 of its plate: 0 is
// 4points (1xx), 1 is A (00x), 2 is B (010), 3 is C (011).
qint32 postbake_piece(qint32 zeiss_platenumber);
// The plate number with bits 13, 14 and 15 cleared.
qint32 original_plate_number(qint32 zeiss_platenumber);
// "postbake_4points", "postbake_A" ...; `fallback` for any other class.
QString postbake_type(qint32 pb_mode, const QString& fallback = QString());
// "___4points.scn", "___A.scn" ...; empty for any other class.
QString postbake_suffix(qint32 pb_mode);

// The product name without a " postbake..." or " maintenance..." tail.
QString base_product_name(const QString& text);

// The position offsets of the postbake classes: the four-point sample's
// positions 0 to 3, then samples A, B and C.
using postbake_offsets = std::array<qint32, 7>;
inline constexpr postbake_offsets kDefaultPostbakeOffsets{3777, 3237, 2497, 1357, 3790, 2790, 1790};
// Adds the offsets of class `pb_mode` to the record's positions.
void add_postbake_offsets(qint32 pb_mode, const postbake_offsets& offsets, scan_data& record);

}  // namespace basics
