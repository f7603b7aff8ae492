#include "basics/scan_data.h"

#include "basics/error.h"
#include "basics/ole_date.h"
#include "platform/env.h"

#include <QtEndian>

#include <limits>

namespace basics {

namespace {

constexpr qint64 kHeaderBytes = 16;    // version, N, S, M
constexpr qint64 kSpectrumBytes = 12;  // x_min, x_max, no_points of one spectrum
constexpr qint64 kTimeBytes = 8;

QString shape_text(qint32 no_pos, qint32 no_spec, qint32 max_np) {
  return QStringLiteral("%1 positions, %2 spectra, %3 points").arg(no_pos).arg(no_spec).arg(max_np);
}

// Bytes of a file of `count` positions up to the end of its spectral values,
// that is without the time of measurement.
qint64 bytes_before_time(float version, qint64 count, qint64 no_spec, qint64 values) {
  const qint64 position_bytes = has_sheet_resistances(version) ? 8 : 4;
  return kHeaderBytes + position_bytes * count + kSpectrumBytes * no_spec + 4 * values;
}

// Little-endian values into a buffer of the exact final size.
class byte_writer {
 public:
  explicit byte_writer(qint64 size) : bytes_(size, Qt::Uninitialized), at_(bytes_.data()) {}

  template <typename T>
  void put(T value) {
    qToLittleEndian(value, at_);
    at_ += sizeof(T);
  }

  template <typename T>
  void put_run(const QVector<T>& values, qint64 first, qint64 count) {
    if (count == 0) return;  // an empty vector may have no storage at all
    qToLittleEndian<T>(values.constData() + first, count, at_);
    at_ += count * qint64(sizeof(T));
  }

  QByteArray finish() {
    Q_ASSERT(at_ == bytes_.data() + bytes_.size());
    return std::move(bytes_);
  }

 private:
  QByteArray bytes_;
  char* at_;
};

// Little-endian values out of a buffer; refuses to step past its end.
class byte_reader {
 public:
  explicit byte_reader(const QByteArray& bytes)
      : at_(bytes.constData()), end_(bytes.constData() + bytes.size()) {}

  qint64 remaining() const { return end_ - at_; }

  template <typename T>
  T take() {
    require(sizeof(T));
    const T value = qFromLittleEndian<T>(at_);
    at_ += sizeof(T);
    return value;
  }

  template <typename T>
  void take_run(QVector<T>& values, qint64 count) {
    require(count * qint64(sizeof(T)));
    if (count == 0) return;  // an empty vector may have no storage at all
    qFromLittleEndian<T>(at_, count, values.data());
    at_ += count * qint64(sizeof(T));
  }

 private:
  void require(qint64 size) const {
    if (remaining() < size) throw error(QStringLiteral("It ends early."));
  }

  const char* at_;
  const char* end_;
};

// The positions first … first + count − 1 that a file carries.
struct position_run {
  qint32 first = 0;
  qint32 count = 0;
};

// The writers use the counts, which a caller may have lowered below the array
// lengths but must not have raised above them.
void check_counts_fit_arrays(const scan_data& data) {
  const qint32 n = data.no_positions;
  const qint32 s = data.no_spectra;
  const std::optional<qint32> values = spectral_value_count(n, s, data.max_no_points);
  const bool fits =
      values && data.positions.size() >= n &&
      (!has_sheet_resistances(data.file_format) || data.sheet_resistance.size() >= n) &&
      data.x_min.size() >= s && data.x_max.size() >= s && data.no_points.size() >= s &&
      data.spectral_data.size() >= *values;
  if (!fits) {
    throw error(QStringLiteral("The scan record does not hold the values of its counts (%1).")
                    .arg(shape_text(n, s, data.max_no_points)));
  }
}

QByteArray encode(const scan_data& data, position_run run, bool with_time) {
  check_counts_fit_arrays(data);
  const float version = data.file_format;
  const qint64 per_position = qint64(data.no_spectra) * data.max_no_points;
  const qint64 values = run.count * per_position;
  const bool time = with_time && has_time_of_measurement(version);

  byte_writer out(bytes_before_time(version, run.count, data.no_spectra, values) +
                  (time ? kTimeBytes : 0));
  out.put(version);
  out.put(run.count);
  out.put(data.no_spectra);
  out.put(data.max_no_points);
  out.put_run(data.positions, run.first, run.count);
  if (has_sheet_resistances(version)) out.put_run(data.sheet_resistance, run.first, run.count);
  for (qint32 s = 0; s < data.no_spectra; ++s) {
    out.put(data.x_min[s]);
    out.put(data.x_max[s]);
    out.put(data.no_points[s]);
  }
  out.put_run(data.spectral_data, run.first * per_position, values);
  if (time) out.put(data.time_of_measurement);
  return out.finish();
}

// Cuts N positions into `no_parts` runs of ceil(N / no_parts), the last one
// taking the rest. Refuses a part that does not exist or would be empty.
position_run part_of(qint32 no_positions, qint32 this_part, qint32 no_parts) {
  if (no_positions <= 0) {
    throw error(QStringLiteral("A scan record of %1 positions has no parts.").arg(no_positions));
  }
  if (no_parts < 1 || this_part < 1 || this_part > no_parts) {
    throw error(QStringLiteral("There is no part %1 of %2.").arg(this_part).arg(no_parts));
  }
  const qint64 per_part = (qint64(no_positions) + no_parts - 1) / no_parts;
  if ((no_parts - 1) * per_part >= no_positions) {
    throw error(QStringLiteral("%1 positions cannot be cut into %2 parts that each hold one.")
                    .arg(no_positions)
                    .arg(no_parts));
  }
  const qint64 first = (this_part - 1) * per_part;
  const qint64 count = this_part == no_parts ? no_positions - first : per_part;
  return {qint32(first), qint32(count)};
}

[[noreturn]] void throw_not_written(const QString& target, const QString& reason) {
  throw error(QStringLiteral("The scan file %1 was not written. %2").arg(target, reason));
}

[[noreturn]] void throw_not_read(const QString& source, const QString& reason) {
  throw error(QStringLiteral("The scan file %1 cannot be read. %2").arg(source, reason));
}

// Publishes the bytes `encode` makes, so that a reader of `target` sees the
// old file or the complete new one, never part of it.
template <typename Encode>
void publish_scan_file(const QString& target, Encode encode, const file_publisher& publish) {
  QByteArray bytes;
  try {
    bytes = encode();
  } catch (const error& e) {
    throw_not_written(target, e.text());
  }
  const platform::Status status = publish(target, bytes);
  if (!status.ok()) throw_not_written(target, status.message());
}

}  // namespace

std::optional<qint32> spectral_value_count(qint32 no_pos, qint32 no_spec, qint32 max_np) {
  if (no_pos < 0 || no_spec < 0 || max_np < 0) return std::nullopt;
  const qint64 per_position = qint64(no_spec) * max_np;
  if (no_pos != 0 && per_position > std::numeric_limits<qint32>::max() / no_pos) {
    return std::nullopt;
  }
  return qint32(no_pos * per_position);
}

void scan_data::set_size(qint32 no_pos, qint32 no_spec, qint32 max_np) {
  const std::optional<qint32> values = spectral_value_count(no_pos, no_spec, max_np);
  if (!values) {
    throw error(
        QStringLiteral("A scan record cannot hold %1.").arg(shape_text(no_pos, no_spec, max_np)));
  }
  no_positions = no_pos;
  no_spectra = no_spec;
  max_no_points = max_np;
  positions.resize(no_pos);
  sheet_resistance.resize(no_pos);
  x_min.resize(no_spec);
  x_max.resize(no_spec);
  no_points.resize(no_spec);
  spectral_data.resize(*values);
}

void shape_record(scan_data& record, qint32 positions, qint32 spectra, qint32 points,
                  float first_wavelength, float last_wavelength) {
  record.set_size(positions, spectra, points);
  for (qint32 spectrum = 0; spectrum < spectra; ++spectrum) {
    record.x_min[spectrum] = first_wavelength;
    record.x_max[spectrum] = last_wavelength;
    record.no_points[spectrum] = points;
  }
}

void scan_data::savetofile(const QString& a_filename, const file_publisher& publish) const {
  publish_scan_file(
      a_filename, [this] { return scan_file_bytes(*this); }, publish);
}

void scan_data::save_partially_to_file(const QString& a_filename, qint32 this_part, qint32 no_parts,
                                       const file_publisher& publish) const {
  publish_scan_file(
      a_filename, [&] { return partial_scan_file_bytes(*this, this_part, no_parts); }, publish);
}

void scan_data::loadfromfile(const QString& a_filename) {
  QByteArray bytes;
  const platform::Status status = platform::env().read_file(a_filename, &bytes);
  if (!status.ok()) throw_not_read(a_filename, status.message());
  try {
    read_scan_file_bytes(bytes, ole_date_from(platform::env().now()), *this);
  } catch (const error& e) {
    throw_not_read(a_filename, e.text());
  }
}

QByteArray scan_file_bytes(const scan_data& data) {
  return encode(data, {0, data.no_positions}, /*with_time=*/true);
}

QByteArray partial_scan_file_bytes(const scan_data& data, qint32 this_part, qint32 no_parts) {
  // A partial file never carries the time, whatever its version.
  return encode(data, part_of(data.no_positions, this_part, no_parts), /*with_time=*/false);
}

void read_scan_file_bytes(const QByteArray& bytes, double load_time, scan_data& record) {
  byte_reader in(bytes);
  if (in.remaining() < kHeaderBytes) {
    throw error(QStringLiteral("It holds %1 bytes, fewer than the %2 of its header.")
                    .arg(bytes.size())
                    .arg(kHeaderBytes));
  }
  const float version = in.take<float>();
  const qint32 n = in.take<qint32>();
  const qint32 s = in.take<qint32>();
  const qint32 m = in.take<qint32>();
  if (n < 0 || s < 0 || m < 0) {
    throw error(QStringLiteral("It gives a negative count (%1).").arg(shape_text(n, s, m)));
  }
  const std::optional<qint32> values = spectral_value_count(n, s, m);
  if (!values) {
    throw error(QStringLiteral("Its counts (%1) are too large for a scan record.")
                    .arg(shape_text(n, s, m)));
  }
  // Everything up to the spectral values must be there. The time may be
  // missing: a partial scan file never has one.
  const qint64 needed = bytes_before_time(version, n, s, *values);
  if (bytes.size() < needed) {
    throw error(QStringLiteral("Its counts (%1) need %2 bytes, but it holds only %3.")
                    .arg(shape_text(n, s, m))
                    .arg(needed)
                    .arg(bytes.size()));
  }
  const qint64 after_values = bytes.size() - needed;
  const bool stored_time = has_time_of_measurement(version) && after_values > 0;
  if (stored_time && after_values < kTimeBytes) {
    throw error(QStringLiteral("It ends inside its time of measurement."));
  }

  // The file is whole: from here on nothing can fail.
  record.set_size(n, s, m);
  in.take_run(record.positions, n);
  if (has_sheet_resistances(version)) in.take_run(record.sheet_resistance, n);
  for (qint32 i = 0; i < s; ++i) {
    record.x_min[i] = in.take<float>();
    record.x_max[i] = in.take<float>();
    record.no_points[i] = in.take<qint32>();
  }
  in.take_run(record.spectral_data, *values);
  record.time_of_measurement = stored_time ? in.take<double>() : load_time;
}

float scan_file_version(const QByteArray& bytes) {
  byte_reader in(bytes);
  return in.remaining() < qint64(sizeof(float)) ? 0.0f : in.take<float>();
}

}  // namespace basics
