#include "basics/tulmen_file.h"

#include "basics/error.h"
#include "basics/ole_date.h"
#include "basics/text.h"

namespace basics {

namespace {

constexpr int kHeaderLine = 6;
constexpr int kLabelFields = 3;
constexpr int kFirstBlockLine = 296;
constexpr int kSecondBlockLine = 560;
// The first position's values inside this window (both ends excluded) tell
// the product.
constexpr float kWindowStart = 500.0f;
constexpr float kWindowEnd = 1500.0f;
constexpr double kProductionLimit = 0.27;

QString not_a_number(QStringView text) {
  return text.toString() + QStringLiteral(" could not be converted to a number");
}

// Takes the next header field; `header_end` is set when no comma was left:
// the empty text a well-formed header ends on after its last position.
QStringView take_header_field(QStringView& rest, bool& header_end) {
  const qsizetype before = rest.size();
  const QStringView field = take_field(rest);
  header_end = rest.size() == before;
  return field;
}

std::optional<float> float_of(QStringView text) {
  const std::optional<double> value = parse_float(text);
  if (!value) return std::nullopt;
  return float(*value);
}

void skip_fields(QStringView& rest, int count) {
  for (int i = 0; i < count; ++i) take_field(rest);
}

QStringView header_positions_text(const QStringList& lines, QString& header) {
  header = line_at(lines, kHeaderLine);
  QStringView rest(header);
  skip_fields(rest, kLabelFields);
  return rest;
}

// The first pass over the header: how many positions the file gives. It
// stops at the first field that does not convert, which a well-formed header
// reaches on the empty text after its last comma, so the last position
// (without a comma after it) counts too.
qint32 count_positions(const QStringList& lines, const tulmen_sinks& say) {
  QString header;
  QStringView rest = header_positions_text(lines, header);
  qint32 n = 0;
  bool converted = true;
  while (converted && n < kTulmenPositions) {
    bool header_end = false;
    const QStringView field = take_header_field(rest, header_end);
    converted = parse_integer(field).has_value();
    if (!converted) (header_end ? say.header_end : say.problem)(not_a_number(field));
    ++n;
  }
  return n;
}

// The second pass: the positions before the last comma from the fields, the
// last position from what follows that comma.
void read_positions(const QStringList& lines, scan_data& record, const tulmen_sinks& say) {
  QString header;
  QStringView rest = header_positions_text(lines, header);
  qint32 k = 0;
  bool converted = true;
  while (converted && k < kTulmenPositions) {
    bool header_end = false;
    const QStringView field = take_header_field(rest, header_end);
    const std::optional<int> value = parse_integer(field);
    converted = value.has_value();
    if (converted) {
      record.positions[k] = *value;
    } else {
      (header_end ? say.header_end : say.problem)(not_a_number(field));
    }
    ++k;
  }
  if (const std::optional<int> last = parse_integer(rest)) {
    record.positions[k - 1] = *last;
  } else {
    say.problem(not_a_number(rest));
  }
}

// The values of `count` positions, each followed by a comma, into spectrum
// `spectrum` at point `point`; `seen` is told each value that converted.
template <class Seen>
void read_values(QStringView& rest, scan_data& record, qint32 count, qint32 spectrum, int point,
                 const message_sink& message, Seen seen) {
  for (qint32 j = 0; j < count; ++j) {
    const QStringView field = take_field(rest);
    if (const std::optional<float> value = float_of(field)) {
      record.spectral_data[record.the_index(j, spectrum, point)] = *value;
      seen(j, *value);
    } else {
      message(not_a_number(field));
    }
  }
}

float read_first_block(const QStringList& lines, scan_data& record, tulmen_wavelengths& wavelengths,
                       const message_sink& message) {
  float largest = -1.0f;
  for (int i = 0; i < kTulmenPoints; ++i) {
    const QString line = line_at(lines, kFirstBlockLine + i);
    QStringView rest(line);
    const QStringView field = take_field(rest);
    const std::optional<float> wavelength = float_of(field);
    if (wavelength) {
      wavelengths[i] = *wavelength;
    } else {
      message(not_a_number(field));
    }
    // A line whose wavelength does not convert says nothing of the window.
    const bool in_window = wavelength && *wavelength > kWindowStart && *wavelength < kWindowEnd;
    skip_fields(rest, 2);
    read_values(rest, record, record.no_positions, 0, i, message,
                [&](qint32 position, float value) {
                  if (position == 0 && in_window && value > largest) largest = value;
                });
  }
  return largest;
}

void read_second_block(const QStringList& lines, scan_data& record, const message_sink& message) {
  for (int i = 0; i < kTulmenPoints; ++i) {
    const QString line = line_at(lines, kSecondBlockLine + i);
    QStringView rest(line);
    skip_fields(rest, kLabelFields);
    read_values(rest, record, record.no_positions, 1, i, message, [](qint32, float) {});
  }
}

// The reader writes without range checks, so the record must have the
// TULMEN shape.
void check_tulmen_shape(const scan_data& record) {
  if (record.no_spectra == kTulmenSpectra && record.max_no_points == kTulmenPoints &&
      record.x_min.size() >= kTulmenSpectra)
    return;
  throw error(QStringLiteral("A scan record of %1 spectra and %2 points cannot hold a TULMEN "
                             "measurement of %3 spectra and %4 points.")
                  .arg(record.no_spectra)
                  .arg(record.max_no_points)
                  .arg(kTulmenSpectra)
                  .arg(kTulmenPoints));
}

}  // namespace

void shape_tulmen_record(scan_data& record) {
  shape_record(record, kTulmenPositions, kTulmenSpectra, kTulmenPoints, kTulmenFirstWavelength,
               kTulmenLastWavelength);
}

QStringView take_field(QStringView& rest) {
  const qsizetype comma = rest.indexOf(u',');
  if (comma < 0) return QStringView();
  const QStringView field = rest.left(comma);
  rest = rest.mid(comma + 1);
  return field;
}

bool tulmen_has_measurement(const QStringList& lines) {
  return lines.size() > kTulmenShortestIgnored;
}

int tulmen_header_positions(const QStringList& lines) {
  QString header;
  const QStringView rest = header_positions_text(lines, header);
  if (rest.isEmpty()) return 0;
  const int fields = int(rest.count(u',')) + 1;
  return rest.endsWith(u',') ? fields - 1 : fields;
}

std::optional<QString> tulmen_refusal(const QStringList& lines, const QString& path) {
  // Such a file would be read past its end.
  if (tulmen_has_measurement(lines) && lines.size() < kTulmenFileLines) {
    return too_small_message(path);
  }
  // A position beyond the record's 40 would take the place of the 40th.
  if (const int positions = tulmen_header_positions(lines); positions > kTulmenPositions) {
    return QStringLiteral(
               "Error: file %1 holds %2 positions, a scan file takes 1 to %3; no scan file "
               "written.")
        .arg(path)
        .arg(positions)
        .arg(kTulmenPositions);
  }
  return std::nullopt;
}

float read_tulmen_lines(const QStringList& lines, const QDateTime& last_modified, scan_data& record,
                        tulmen_wavelengths& wavelengths, const tulmen_sinks& say) {
  check_tulmen_shape(record);
  record.set_size(count_positions(lines, say), kTulmenSpectra, kTulmenPoints);
  read_positions(lines, record, say);
  const float largest = read_first_block(lines, record, wavelengths, say.problem);
  read_second_block(lines, record, say.problem);
  record.time_of_measurement = ole_date_from(two_second_time(last_modified));
  return largest;
}

QString tulmen_product(float largest_value) {
  return tulmen_products().at(double(largest_value) <= kProductionLimit ? 0 : 1);
}

QStringList tulmen_products() {
  return {QStringLiteral("Production"), QStringLiteral("SiO2 production")};
}

}  // namespace basics
