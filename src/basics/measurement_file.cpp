#include "basics/measurement_file.h"

#include "basics/error.h"
#include "basics/scan_data.h"
#include "basics/text.h"

namespace basics {

QString line_at(const QStringList& lines, int number) {
  return number >= 1 && number <= lines.size() ? lines[number - 1] : QString();
}

qint32 plate_number(const QString& field, const message_sink& message) {
  if (const auto value = parse_integer(field)) return *value;
  message(QStringLiteral("Error: ") + field +
          QStringLiteral(" could not be converted to a plate number."));
  // The sign and digits the field starts with.
  int end = 0;
  if (end < field.size() && (field[end] == u'+' || field[end] == u'-')) ++end;
  while (end < field.size() && field[end].isDigit() && field[end].unicode() < 128) ++end;
  return parse_integer(field.left(end)).value_or(0);
}

qint32 plate_number_of(const QStringList& lines, const message_sink& message) {
  return plate_number(comma_field(line_at(lines, kPlateLine), kPlateField), message);
}

QString too_small_message(const QString& path) {
  return QStringLiteral("Length of file ") + path + QStringLiteral(" too small!");
}

line_fields::line_fields(const QString& line, qsizetype expected) : line_(line) {
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

QStringView line_fields::operator[](int n) const {
  return n >= 1 && n <= fields_.size() ? trimmed(fields_[n - 1]) : QStringView();
}

int count_selected(int count, const point_predicate& selected) {
  int chosen = 0;
  for (int i = 0; i < count; ++i) {
    if (selected(i + 1)) ++chosen;
  }
  return chosen;
}

void read_selected_positions(const QString& line, int count, const point_predicate& selected,
                             scan_data& record, const message_sink& message,
                             written_slots* written) {
  const line_fields fields(line, count + kFirstValueField);
  for (int i = 0, k = 0; i < count; ++i) {
    const QString field = fields[i + kFirstValueField].toString();
    const auto value = parse_integer(field);
    if (!value) message(field + QStringLiteral(" could not be converted to a position."));
    if (!selected(i + 1)) continue;
    if (value) {
      record.positions[k] = *value;
      if (written) written_slots::mark(written->positions, k);
    }
    ++k;
  }
}

QDateTime two_second_time(const QDateTime& time) {
  const QTime t = time.time();
  return QDateTime(time.date(), QTime(t.hour(), t.minute(), t.second() - t.second() % 2));
}

void require_record_holds(const scan_data& record, int positions, int spectra,
                          const QString& file) {
  bool holds = positions >= 0 && record.positions.size() >= positions &&
               record.no_spectra >= spectra && record.no_points.size() >= spectra;
  for (int s = 0; holds && s < spectra; ++s) {
    holds = record.no_points[s] >= 0 && record.no_points[s] <= record.max_no_points;
  }
  holds = holds && record.spectral_data.size() >=
                       qint64(positions) * record.no_spectra * record.max_no_points;
  if (holds) return;
  throw error(QStringLiteral("A scan record of %1 positions, %2 spectra and %3 points cannot "
                             "hold the %4 positions of %5.")
                  .arg(record.positions.size())
                  .arg(record.no_spectra)
                  .arg(record.max_no_points)
                  .arg(positions)
                  .arg(file));
}

std::optional<QString> position_count_refusal(int count, int line, const QString& name,
                                              int largest) {
  if (count < 0) {
    return QStringLiteral(
               "Error: line %1 of file %2 lists no positions (they follow its second comma, "
               "and it has %3); no scan file written.")
        .arg(line)
        .arg(name)
        .arg(count + 2);
  }
  if (count <= largest) return std::nullopt;
  return QStringLiteral(
             "Error: file %1 holds %2 positions, a scan file takes 0 to %3; no scan file written.")
      .arg(name)
      .arg(count)
      .arg(largest);
}

}  // namespace basics
