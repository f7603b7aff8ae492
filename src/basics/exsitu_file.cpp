#include "basics/exsitu_file.h"

#include "basics/error.h"
#include "basics/ole_date.h"
#include "basics/text.h"

#include <vector>

namespace basics {

namespace {

constexpr int kPositionLine = 8;
constexpr int kFirstValueField = 4;

struct spectrum_block {
  int first_line;
  const char* name;
  bool names_point;  // the T messages also give the point index
};
constexpr spectrum_block kBlocks[kExsituSpectra] = {
    {36, "R glass", false}, {160, "R coating", false}, {284, "T", true}};

// The fields of one line, split once: the reader takes every field of a
// line, and counting the commas again for each would cost a walk over the
// line per field.
class line_fields {
 public:
  // `expected` fields are made room for at once.
  line_fields(const QString& line, qsizetype expected) : line_(line) {
    fields_.reserve(expected);
    const QChar* const text = line_.constData();
    qsizetype start = 0;
    for (qsizetype i = 0; i < line_.size(); ++i) {
      if (text[i] != u',') continue;
      fields_.append(QStringView(text + start, i - start));
      start = i + 1;
    }
    fields_.append(QStringView(text + start, line_.size() - start));
  }

  // Field n (from 1), trimmed, as comma_field gives it; empty past the end.
  // The view lives as long as this object.
  QStringView operator[](int n) const {
    return n >= 1 && n <= fields_.size() ? trimmed(fields_[n - 1]) : QStringView();
  }

 private:
  QString line_;  // holds the characters the fields look at
  QList<QStringView> fields_;
};

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

// The reader writes without range checks, so the record must hold `count`
// positions and every point of the three spectra.
void check_record_holds(const scan_data& record, int count) {
  bool holds = count >= 0 && record.positions.size() >= count &&
               record.no_spectra >= kExsituSpectra && record.no_points.size() >= kExsituSpectra;
  for (int s = 0; holds && s < kExsituSpectra; ++s) {
    holds = record.no_points[s] >= 0 && record.no_points[s] <= record.max_no_points;
  }
  holds = holds &&
          record.spectral_data.size() >= qint64(count) * record.no_spectra * record.max_no_points;
  if (!holds) {
    throw error(QStringLiteral("A scan record of %1 positions, %2 spectra and %3 points cannot "
                               "hold the %4 positions of an exsitu file.")
                    .arg(record.positions.size())
                    .arg(record.no_spectra)
                    .arg(record.max_no_points)
                    .arg(count));
  }
}

void read_positions(const QStringList& lines, int count, const point_predicate& selected,
                    scan_data& record, const message_sink& message) {
  const line_fields line(line_at(lines, kPositionLine), count + kFirstValueField);
  for (int i = 0, k = 0; i < count; ++i) {
    const QString field = line[i + kFirstValueField].toString();
    const auto value = parse_integer(field);
    if (!value) message(field + QStringLiteral(" could not be converted to a position."));
    if (!selected(i + 1)) continue;
    if (value) record.positions[k] = *value;
    ++k;
  }
}

void read_sheet_resistances(const QStringList& lines, int count, const point_predicate& selected,
                            scan_data& record) {
  record.sheet_resistance.resize(count);
  const auto marker = sheet_resistance_line(lines);
  if (!marker) return;
  const line_fields line(line_at(lines, *marker), count + kFirstValueField);
  for (int i = 0, k = 0; i < count; ++i) {
    if (!selected(i + 1)) continue;
    const auto value = parse_float(line[i + kFirstValueField]);
    if (value) record.sheet_resistance[k] = float(*value);
    ++k;
  }
}

void read_spectra(const QStringList& lines, int count, const point_predicate& selected,
                  scan_data& record, const message_sink& message) {
  for (int s = 0; s < kExsituSpectra; ++s) {
    const spectrum_block& block = kBlocks[s];
    std::vector<line_fields> rows;  // point j of every position
    rows.reserve(record.no_points[s]);
    for (int j = 0; j < record.no_points[s]; ++j) {
      rows.emplace_back(line_at(lines, block.first_line + j), count + kFirstValueField);
    }
    for (int i = 0, k = 0; i < count; ++i) {
      if (!selected(i + 1)) continue;
      for (int j = 0; j < record.no_points[s]; ++j) {
        const QStringView field = rows[j][i + kFirstValueField];
        if (const auto value = parse_float(field)) {
          record.spectral_data[record.the_index(k, s, j)] = float(*value);
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
  const int count = exsitu_position_count(lines);
  if (count >= 0 && count <= kExsituPositions) return std::nullopt;
  return QStringLiteral(
             "Error: file %1 holds %2 positions, a scan file takes 0 to %3; no scan file written.")
      .arg(name)
      .arg(count)
      .arg(kExsituPositions);
}

std::optional<QString> exsitu_refusal(const QStringList& lines, const QString& path,
                                      const QString& name) {
  if (auto refusal = exsitu_length_refusal(lines, path)) return refusal;
  return exsitu_position_count_refusal(lines, name);
}

void read_exsitu_lines(const QStringList& lines, const QDateTime& last_modified,
                       const point_predicate& selected, scan_data& record, qint32& plate,
                       const message_sink& message) {
  const int count = exsitu_position_count(lines);
  check_record_holds(record, count);
  record.time_of_measurement = ole_date_from(two_second_time(last_modified));
  plate = plate_number_of(lines, message);
  record.no_positions = count;
  read_positions(lines, count, selected, record, message);
  read_sheet_resistances(lines, count, selected, record);
  read_spectra(lines, count, selected, record, message);
}

}  // namespace basics
