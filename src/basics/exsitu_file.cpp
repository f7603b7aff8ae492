#include "basics/exsitu_file.h"

#include "basics/ole_date.h"
#include "basics/text.h"

#include <algorithm>
#include <vector>

namespace basics {

namespace {

constexpr int kPositionLine = 8;

struct spectrum_block {
  int first_line;
  const char* name;
  bool names_point;  // the T messages also give the point index
};
constexpr spectrum_block kBlocks[kExsituSpectra] = {
    {36, "R glass", false}, {160, "R coating", false}, {284, "T", true}};

// The marker line of the sheet resistances, if a line follows it.
std::optional<int> sheet_resistance_line(const QStringList& lines) {
  for (int number = 1; number < lines.size(); ++number) {
    if (trimmed(QStringView(lines[number - 1])) == u"Sheet resistance") return number + 1;
  }
  return std::nullopt;
}

QString spectral_message(const spectrum_block& block, int position, int point,
                         const QString& field) {
  QString where = QStringLiteral("%1, Pos. %2").arg(QLatin1String(block.name)).arg(position);
  if (block.names_point) where += QStringLiteral("  , spectral pos. %1").arg(point);
  return where + QStringLiteral("   ") + field +
         QStringLiteral(" could not be converted to a spectral value.");
}

void read_sheet_resistances(const QStringList& lines, int count, const point_predicate& selected,
                            scan_data& record, written_slots* written) {
  record.sheet_resistance.resize(count);
  const auto marker = sheet_resistance_line(lines);
  if (!marker) return;
  const line_fields line(line_at(lines, *marker), count + kFirstValueField);
  for (int i = 0, k = 0; i < count; ++i) {
    if (!selected(i + 1)) continue;
    const auto value = parse_float(line[i + kFirstValueField]);
    if (value) {
      record.sheet_resistance[k] = float(*value);
      if (written) written_slots::mark(written->sheet_resistance, k);
    }
    ++k;
  }
}

void read_spectra(const QStringList& lines, int count, const point_predicate& selected,
                  scan_data& record, const message_sink& message, written_slots* written) {
  for (int s = 0; s < kExsituSpectra; ++s) {
    const spectrum_block& block = kBlocks[s];
    std::vector<line_fields> rows;  // point j of every position
    rows.reserve(record.no_points[s]);
    for (int j = 0; j < record.no_points[s]; ++j) {
      rows.emplace_back(line_at(lines, block.first_line + j), count + kFirstValueField);
    }
    // Written through a raw pointer: indexing the QList checks for sharing
    // at every value.
    float* const values = record.spectral_data.data();
    for (int i = 0, k = 0; i < count; ++i) {
      if (!selected(i + 1)) continue;
      for (int j = 0; j < record.no_points[s]; ++j) {
        const QStringView field = rows[j][i + kFirstValueField];
        if (const auto value = parse_float(field)) {
          const qint32 slot = record.the_index(k, s, j);
          values[slot] = float(*value);
          if (written) written_slots::mark(written->spectral_data, slot);
        } else {
          message(spectral_message(block, i, j, field.toString()));
        }
      }
      ++k;
    }
  }
}

}  // namespace

void shape_exsitu_record(scan_data& record) {
  shape_record(record, kExsituPositions, kExsituSpectra, kExsituPoints, kExsituFirstWavelength,
               kExsituLastWavelength);
}

int exsitu_position_count(const QStringList& lines) {
  return count_commas(line_at(lines, kPositionLine)) - 2;
}

std::optional<QString> exsitu_length_refusal(const QStringList& lines, const QString& path) {
  // A file too short for all three spectra is refused whole rather than
  // converted with values left over from the previous plate.
  if (lines.size() >= kExsituFileLines) return std::nullopt;
  return too_small_message(path);
}

std::optional<QString> exsitu_position_count_refusal(const QStringList& lines,
                                                     const QString& name) {
  return position_count_refusal(exsitu_position_count(lines), kPositionLine, name,
                                kExsituPositions);
}

std::optional<QString> exsitu_refusal(const QStringList& lines, const QString& path,
                                      const QString& name) {
  if (auto refusal = exsitu_length_refusal(lines, path)) return refusal;
  return exsitu_position_count_refusal(lines, name);
}

void read_exsitu_lines(const QStringList& lines, const QDateTime& last_modified,
                       const point_predicate& selected, scan_data& record, qint32& plate,
                       const message_sink& message, written_slots* written) {
  const int count = exsitu_position_count(lines);
  require_record_holds(record, count, kExsituSpectra, QStringLiteral("an exsitu file"));
  record.time_of_measurement = ole_date_from(two_second_time(last_modified));
  plate = plate_number_of(lines, message);
  // Slots past the selected positions hold earlier plates' values: they
  // must not go into this plate's scan file.
  record.no_positions = count_selected(count, selected);
  if (written) {
    // Sized once: marking would otherwise grow them slot by slot.
    written->positions.assign(record.positions.size(), false);
    written->sheet_resistance.assign(count, false);
    written->spectral_data.assign(record.spectral_data.size(), false);
  }
  read_selected_positions(line_at(lines, kPositionLine), count, selected, record, message, written);
  read_sheet_resistances(lines, count, selected, record, written);
  read_spectra(lines, count, selected, record, message, written);
}

void carry_written(const scan_data& reading, const written_slots& written, scan_data& record) {
  record.time_of_measurement = reading.time_of_measurement;
  record.no_positions = reading.no_positions;
  record.sheet_resistance.resize(reading.sheet_resistance.size());
  const auto carry = [](const auto& from, const std::vector<bool>& flags, auto& to) {
    const qsizetype count = std::min<qsizetype>({qsizetype(flags.size()), from.size(), to.size()});
    for (qsizetype i = 0; i < count; ++i) {
      if (flags[i]) to[i] = from[i];
    }
  };
  carry(reading.positions, written.positions, record.positions);
  carry(reading.sheet_resistance, written.sheet_resistance, record.sheet_resistance);
  carry(reading.spectral_data, written.spectral_data, record.spectral_data);
}

}  // namespace basics
