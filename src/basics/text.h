#pragma once

// Field splitting, number syntax and small text helpers.
//
// Thread-safe: every function may run on several threads at once; none keeps
// state of its own.

#include <QLocale>
#include <QString>
#include <QTime>

#include <optional>

namespace basics {

// The text with every "," replaced by ".".
QString comma_to_point(const QString& text);

// The n-th field of `line` (counted from 1; 0 counts as 1), trimmed; empty
// when the line has fewer than n fields. A line ending with the separator has
// an empty last field; a line without one has exactly one field.
QString comma_field(const QString& line, int n);
QString semicolon_field(const QString& line, int n);
QString tab_field(const QString& line, int n);

int count_commas(const QString& line);
int count_tabs(const QString& line);

// Today's date in the user's short date format, two spaces, the time in the
// user's long time format.
QString date_time_stamp();

// `time` in `locale`'s long time format without its time-zone part: Qt's
// long formats name the zone, which neither the status line nor a date
// literal sent to a database server wants.
QString long_time_text(const QLocale& locale, const QTime& time);

// `value` in decimal with spaces in front up to `width` characters (0 to
// 255); a longer number is not cut.
QString padded_int_to_string(int value, int width);

// All leading and trailing characters of code 32 or less removed.
QString trimmed(const QString& text);
QStringView trimmed(QStringView text);

// a-z turned into A-Z (or A-Z into a-z); no other character is folded.
QString ascii_upper(const QString& text);
QString ascii_lower(const QString& text);

// Equal after a-z are turned into A-Z; nothing trimmed.
bool equal_ignoring_ascii_case(const QString& a, const QString& b);

// The number syntax of settings and measurement files: optional leading
// spaces, optional sign, decimal digits or hex after "$", "x" or "0x";
// nothing may follow. The value must fit into 32 bits with its sign. Floats
// take a decimal point (never a comma) and an optional exponent. Empty when
// the text is not a valid number.
std::optional<int> parse_integer(QStringView text);
// As parse_float, into `value`; false when the text is not a valid number.
// The optional is made inline, in the caller's registers: returned from a
// function it went through memory, which cost more than the conversion.
bool parse_float_into(QStringView text, double& value);
inline std::optional<double> parse_float(QStringView text) {
  double value;
  if (parse_float_into(text, value)) return value;
  return std::nullopt;
}

}  // namespace basics
