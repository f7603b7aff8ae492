#include "basics/measurement_file.h"

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

QDateTime two_second_time(const QDateTime& time) {
  const QTime t = time.time();
  return QDateTime(time.date(), QTime(t.hour(), t.minute(), t.second() - t.second() % 2));
}

QString too_small_message(const QString& path) {
  return QStringLiteral("Length of file ") + path + QStringLiteral(" too small!");
}

}  // namespace basics
