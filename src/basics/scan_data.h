#pragma once

// One traverse scan of a coated pane and its binary scan file (.scn), the
// input of the traverse analysis program. The byte layout is documented in
// docs/formats.md; the encoders and the parser below work on bytes, the
// member functions only add the file I/O.
//
// Thread-safe: distinct records may be encoded, parsed and loaded on several
// threads at once; one record is not guarded. Saving publishes its file, as
// platform/env.h says.

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

#include "platform/env.h"

namespace basics {

// Publishes a finished file: platform::publish_file, or a batch's collector.
using file_publisher =
    std::function<platform::Status(const QString& target, const QByteArray& bytes)>;

// The version this program writes: the 32-bit float nearest 1.2 (3F99999A).
inline constexpr float kScanFileFormat = 1.2f;

// Which optional blocks a file of `version` carries. The stored float is
// compared with the decimal thresholds in double precision, so the floats
// nearest 1.2 and 1.1 (both just above) pass their own tests.
inline bool has_sheet_resistances(float version) {
  return double(version) >= 1.2;
}
inline bool has_time_of_measurement(float version) {
  return double(version) >= 1.1;
}

// N·S·M, the number of spectral values of a record of that shape; empty when
// a count is negative or the product does not fit a 32-bit index.
std::optional<qint32> spectral_value_count(qint32 no_pos, qint32 no_spec, qint32 max_np);

// A default-constructed record is the created one: all counts 0, all arrays
// empty, time 0.0, format 1.2.
struct scan_data {
  qint32 no_positions = 0;           // N
  qint32 no_spectra = 0;             // S
  qint32 max_no_points = 0;          // M, value slots per spectrum
  QVector<qint32> positions;         // N
  QVector<float> sheet_resistance;   // N
  QVector<float> x_min;              // S, first wavelength of each spectrum
  QVector<float> x_max;              // S, last wavelength of each spectrum
  QVector<qint32> no_points;         // S, points spectrum s uses (at most M)
  QVector<float> spectral_data;      // N·S·M, position-major, see the_index
  double time_of_measurement = 0.0;  // OLE Automation date (see ole_date.h)
  float file_format = kScanFileFormat;

  // Sets the counts and resizes the arrays to them; elements that remain keep
  // their values, new ones are zero. Throws basics::error for a negative
  // count or a shape too large to index.
  void set_size(qint32 no_pos, qint32 no_spec, qint32 max_np);

  // Index of point w of spectrum s at position p in spectral_data. Every
  // (p, s) pair owns M slots, however many of them no_points[s] uses.
  qint32 the_index(qint32 p, qint32 s, qint32 w) const {
    return max_no_points * (p * no_spectra + s) + w;
  }

  // Publishes the whole record as a scan file: complete under its final name
  // or not at all. Throws basics::error naming the file when it cannot be
  // written; an existing file of that name is then left as it was.
  void savetofile(const QString& a_filename,
                  const file_publisher& publish = platform::publish_file) const;

  // Publishes part `this_part` (from 1) of `no_parts` consecutive runs of
  // positions as a partial scan file (no time of measurement). A request for
  // a part that does not exist or would be empty is refused with
  // basics::error and writes nothing.
  void save_partially_to_file(const QString& a_filename, qint32 this_part, qint32 no_parts,
                              const file_publisher& publish = platform::publish_file) const;

  // Reads a scan file of any version into the record; file_format stays as
  // it is. A file without a stored time gets the load time. A file that
  // cannot be read or is damaged raises basics::error naming it and leaves
  // the record unchanged.
  void loadfromfile(const QString& a_filename);

  friend bool operator==(const scan_data&, const scan_data&) = default;
};

// Sizes `record` by set_size and gives each spectrum the same axis of
// `points` points from `first_wavelength` to `last_wavelength`.
void shape_record(scan_data& record, qint32 positions, qint32 spectra, qint32 points,
                  float first_wavelength, float last_wavelength);

// The bytes of the whole record as a scan file, using its counts (which may
// be lower than its array lengths). Throws basics::error when the counts are
// negative or exceed the arrays.
QByteArray scan_file_bytes(const scan_data& data);

// The bytes of part `this_part` of `no_parts` as a partial scan file. Throws
// basics::error for a part that does not exist or would be empty, and for
// counts that exceed the arrays.
QByteArray partial_scan_file_bytes(const scan_data& data, qint32 this_part, qint32 no_parts);

// Reads scan file bytes into `record` as loadfromfile does; `load_time` (an
// OLE Automation date) stands in for a time the file does not carry. Never
// reads past the end of `bytes`: a damaged file raises basics::error and
// leaves `record` unchanged.
void read_scan_file_bytes(const QByteArray& bytes, double load_time, scan_data& record);

// The version stored at the start of scan file bytes that
// read_scan_file_bytes has taken (the record keeps its own file_format).
float scan_file_version(const QByteArray& bytes);

}  // namespace basics
