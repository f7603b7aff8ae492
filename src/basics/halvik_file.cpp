#include "basics/halvik_file.h"

#include <vector>

#include "basics/measurement_file.h"
#include "basics/ole_date.h"
#include "basics/text.h"

namespace basics {
namespace {

constexpr int kPositionLine = 6;
constexpr int kFirstSpectrumLines[kHalvikExsituSpectra] = {32, 203, 374};

constexpr int kInsituPlateLine = 6;
constexpr int kInsituPlateField = 3;
constexpr int kInsituFirstValueLine = 19;
constexpr int kInsituFirstValueField = 3;

QString spectral_message(const QString& field) {
  return field + QStringLiteral(" could not be converted to a spectral value.");
}

// Every block holds as many points as the first spectrum.
void read_spectra(const QStringList& lines, int count, const point_predicate& selected,
                  scan_data& record, const message_sink& message) {
  const int points = record.no_points[0];
  for (int s = 0; s < kHalvikExsituSpectra; ++s) {
    std::vector<line_fields> rows;  // point j of every position
    rows.reserve(points);
    for (int j = 0; j < points; ++j) {
      rows.emplace_back(line_at(lines, kFirstSpectrumLines[s] + j), count + kFirstValueField);
    }
    for (int i = 0, k = 0; i < count; ++i) {
      if (!selected(i + 1)) continue;
      for (int j = 0; j < points; ++j) {
        const QStringView field = rows[j][i + kFirstValueField];
        if (const auto value = parse_float(field)) {
          record.spectral_data[record.the_index(k, s, j)] = float(*value);
        } else {
          message(spectral_message(field.toString()));
        }
      }
      ++k;
    }
  }
}

}  // namespace

void shape_halvik_exsitu_record(scan_data& record) {
  shape_record(record, kHalvikExsituPositions, kHalvikExsituSpectra, kHalvikExsituPoints,
               kHalvikExsituFirstWavelength, kHalvikExsituLastWavelength);
}

void shape_halvik_insitu_record(scan_data& record) {
  shape_record(record, kHalvikInsituPositions, 1, kHalvikInsituPoints, kHalvikInsituFirstWavelength,
               kHalvikInsituLastWavelength);
}

int halvik_exsitu_position_count(const QStringList& lines) {
  return count_commas(line_at(lines, kPositionLine)) - 2;
}

std::optional<QString> halvik_exsitu_refusal(const QStringList& lines, const QString& path,
                                             const QString& name, const point_predicate& selected) {
  if (lines.size() < kHalvikExsituFileLines) return too_small_message(path);
  const int count = halvik_exsitu_position_count(lines);
  if (auto refusal = position_count_refusal(count, kPositionLine, name, kHalvikExsituPositions))
    return refusal;
  // A scan file without a position would be no measurement at all.
  if (count_selected(count, selected) == 0) {
    return QStringLiteral(
               "Error: none of the %1 positions of file %2 is selected; no scan file "
               "written.")
        .arg(count)
        .arg(name);
  }
  return std::nullopt;
}

void read_halvik_exsitu_lines(const QStringList& lines, const QDateTime& last_modified,
                              const point_predicate& selected, scan_data& record, qint32& plate,
                              const message_sink& message) {
  const int count = qMax(0, halvik_exsitu_position_count(lines));
  const int filled = count_selected(count, selected);
  require_record_holds(record, filled, kHalvikExsituSpectra,
                       QStringLiteral("a Halvik exsitu file"));
  record.time_of_measurement = ole_date_from(two_second_time(last_modified));
  plate = plate_number_of(lines, message);
  record.no_positions = filled;
  read_selected_positions(line_at(lines, kPositionLine), count, selected, record, message);
  read_spectra(lines, count, selected, record, message);
}

std::optional<QString> halvik_insitu_refusal(const QStringList& lines, const QString& path) {
  if (lines.size() >= kHalvikInsituFileLines) return std::nullopt;
  return too_small_message(path);
}

void read_halvik_insitu_lines(const QStringList& lines, const QDateTime& last_modified,
                              scan_data& record, qint32& plate, const message_sink& message) {
  require_record_holds(record, kHalvikInsituPositions, 1, QStringLiteral("a Halvik insitu file"));
  record.time_of_measurement = ole_date_from(two_second_time(last_modified));
  plate = plate_number(comma_field(line_at(lines, kInsituPlateLine), kInsituPlateField), message);
  record.no_positions = kHalvikInsituPositions;
  for (int i = 0; i < kHalvikInsituPositions; ++i) record.positions[i] = i + 1;
  for (int w = 0; w < record.no_points[0]; ++w) {
    const line_fields line(line_at(lines, kInsituFirstValueLine + w),
                           kHalvikInsituPositions + kInsituFirstValueField);
    for (int i = 0; i < kHalvikInsituPositions; ++i) {
      const QStringView field = line[i + kInsituFirstValueField];
      if (const auto value = parse_float(field)) {
        record.spectral_data[record.the_index(i, 0, w)] = float(*value);
      } else {
        message(spectral_message(field.toString()));
      }
    }
  }
}

}  // namespace basics
