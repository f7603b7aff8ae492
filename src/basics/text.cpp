#include "basics/text.h"

#include "platform/env.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

namespace basics {

namespace {

QString nth_field(const QString& line, QChar separator, int n) {
  qsizetype start = 0;
  qsizetype end = line.indexOf(separator);
  for (int field = 2; field <= n; ++field) {
    if (end < 0) return {};
    start = end + 1;
    end = line.indexOf(separator, start);
  }
  return trimmed(line.mid(start, end < 0 ? -1 : end - start));
}

char16_t upper(char16_t c) {
  return c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c;
}
char16_t lower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

QString map_chars(const QString& text, char16_t (*map)(char16_t)) {
  QString result = text;
  for (QChar& c : result) c = QChar(map(c.unicode()));
  return result;
}

int digit_value(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return 99;
}

// Walks a number text from left to right; each step consumes what it accepts.
class number_cursor {
 public:
  explicit number_cursor(QStringView text) : text_(text) {}

  qsizetype position() const { return pos_; }
  bool at_end() const { return pos_ == text_.size(); }
  QChar peek(qsizetype ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : QChar();
  }

  void skip_spaces() {
    while (peek() == u' ') ++pos_;
  }
  bool take(char16_t c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  bool take_any_case(char16_t lower) { return take(lower) || take(upper(lower)); }
  // Returns true for "-", false for "+" or no sign.
  bool take_sign() {
    if (take(u'-')) return true;
    take(u'+');
    return false;
  }
  QStringView take_digits(int base) {
    const qsizetype start = pos_;
    while (digit_value(peek()) < base) ++pos_;
    return text_.mid(start, pos_ - start);
  }

 private:
  QStringView text_;
  qsizetype pos_ = 0;
};

bool takes_hex_prefix(number_cursor& cursor) {
  if (cursor.take(u'$') || cursor.take_any_case(u'x')) return true;
  if (cursor.peek() == u'0' && upper(cursor.peek(1).unicode()) == u'X') {
    cursor.take(u'0');
    cursor.take_any_case(u'x');
    return true;
  }
  return false;
}

}  // namespace

QString comma_to_point(const QString& text) {
  QString result = text;
  return result.replace(u',', u'.');
}

QString comma_field(const QString& line, int n) {
  return nth_field(line, u',', n);
}
QString semicolon_field(const QString& line, int n) {
  return nth_field(line, u';', n);
}
QString tab_field(const QString& line, int n) {
  return nth_field(line, u'\t', n);
}

int count_commas(const QString& line) {
  return static_cast<int>(line.count(u','));
}
int count_tabs(const QString& line) {
  return static_cast<int>(line.count(u'\t'));
}

QString date_time_stamp() {
  const QDateTime now = platform::env().now();
  const QLocale locale = QLocale::system();
  return locale.toString(now.date(), QLocale::ShortFormat) + QStringLiteral("  ") +
         long_time_text(locale, now.time());
}

QString long_time_text(const QLocale& locale, const QTime& time) {
  QString format;
  bool quoted = false;
  for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
    if (c == u'\'') quoted = !quoted;
    if (!quoted && c == u't') continue;
    format += c;
  }
  return locale.toString(time, format.simplified());
}

QString padded_int_to_string(int value, int width) {
  constexpr int kWidestPadding = 255;
  return QString::number(value).rightJustified(qBound(0, width, kWidestPadding), u' ');
}

QString trimmed(const QString& text) {
  return trimmed(QStringView(text)).toString();
}

QStringView trimmed(QStringView text) {
  qsizetype first = 0;
  qsizetype end = text.size();
  while (first < end && text[first].unicode() <= 32) ++first;
  while (end > first && text[end - 1].unicode() <= 32) --end;
  return text.mid(first, end - first);
}

QString ascii_upper(const QString& text) {
  return map_chars(text, upper);
}
QString ascii_lower(const QString& text) {
  return map_chars(text, lower);
}

bool equal_ignoring_ascii_case(const QString& a, const QString& b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    if (upper(a[i].unicode()) != upper(b[i].unicode())) return false;
  }
  return true;
}

std::optional<int> parse_integer(QStringView text) {
  number_cursor cursor(text);
  cursor.skip_spaces();
  const bool negative = cursor.take_sign();
  const int base = takes_hex_prefix(cursor) ? 16 : 10;
  const QStringView digits = cursor.take_digits(base);
  if (digits.isEmpty() || !cursor.at_end()) return std::nullopt;

  // Accumulated in 64 bits and stopped as soon as no 32-bit value can fit,
  // so any number of digits is safe.
  constexpr qint64 kLargestMagnitude = qint64(std::numeric_limits<int>::max()) + 1;
  qint64 magnitude = 0;
  for (QChar digit : digits) {
    magnitude = magnitude * base + digit_value(digit);
    if (magnitude > kLargestMagnitude) return std::nullopt;
  }
  const qint64 value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(value);
}

namespace {

// A decimal number split by its syntax: its first 19 digits as one integer
// (`exact` says whether there were no more), the power of ten to apply.
struct decimal {
  bool negative = false;
  std::uint64_t digits = 0;
  int digit_count = 0;
  bool exact = true;
  int power = 0;
};

// Takes the digits at `c` into `d`: up to 19 of them into d.digits (`scale`
// each one's power of ten, -1 after the point), the others only counted.
// Plain locals in the loop: kept in registers, not in memory.
const QChar* take_digits(const QChar* c, const QChar* const end, int scale, decimal& d) {
  std::uint64_t digits = d.digits;
  int count = d.digit_count;
  int power = d.power;
  bool exact = d.exact;
  for (; c != end; ++c) {
    const unsigned value = unsigned(c->unicode()) - u'0';
    if (value > 9) break;
    if (count < 19) {
      digits = digits * 10 + value;
      power += scale;
    } else {
      exact = false;  // the slow path converts the text itself
    }
    ++count;
  }
  d.digits = digits;
  d.digit_count = count;
  d.power = power;
  d.exact = exact;
  return c;
}

// Reads the number syntax of measurement files (optional sign, digits with an
// optional point, at least one digit, an optional exponent with digits), the
// whole text into `d`; false when the text is not such a number.
bool read_decimal(const QChar* c, const QChar* const end, decimal& d) {
  if (c != end && (*c == u'-' || *c == u'+')) d.negative = *c++ == u'-';
  c = take_digits(c, end, 0, d);
  if (c != end && *c == u'.') c = take_digits(c + 1, end, -1, d);
  if (d.digit_count == 0) return false;
  if (c != end && (*c == u'e' || *c == u'E')) {
    ++c;
    bool negative_exponent = false;
    if (c != end && (*c == u'-' || *c == u'+')) negative_exponent = *c++ == u'-';
    const QChar* const first = c;
    int exponent = 0;
    for (; c != end; ++c) {
      const unsigned value = unsigned(c->unicode()) - u'0';
      if (value > 9) break;
      exponent = std::min(exponent * 10 + int(value), 100000);
    }
    if (c == first) return false;
    d.power += negative_exponent ? -exponent : exponent;
  }
  return c == end;
}

// The value of `d` when one rounding gives it exactly: digits that a double
// holds exactly, scaled by a power of ten it holds exactly, is one correctly
// rounded operation, so the same value std::from_chars gives. False when
// that does not hold. (A plain double out: copying an optional here cost
// more than the division.)
bool exact_value(const decimal& d, double& value) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr std::uint64_t kLargestExact = std::uint64_t(1) << 53;
  if (!d.exact || d.digits > kLargestExact || d.power < -22 || d.power > 22) return false;
  value = double(d.digits);
  value = d.power < 0 ? value / kPowers[-d.power] : value * kPowers[d.power];
  if (d.negative) value = -value;
  return true;
}

// Any other valid number: narrowed to ASCII for std::from_chars, which
// converts correctly rounded, refuses what overflows to infinity or
// underflows to zero, and never uses the locale. Values of measurement files
// fit the buffer on the stack, only a freak length costs an allocation.
bool converted_value(const QChar* c, const QChar* const end, double& value) {
  if (c != end && *c == u'+') ++c;  // from_chars takes no plus sign
  char short_buffer[64];
  std::string long_buffer;
  char* ascii = short_buffer;
  const qsizetype length = end - c;
  if (length > qsizetype(sizeof short_buffer)) {
    long_buffer.resize(length);
    ascii = long_buffer.data();
  }
  for (qsizetype i = 0; i < length; ++i) ascii[i] = char(c[i].unicode());
  const auto [stop, failure] = std::from_chars(ascii, ascii + length, value);
  return failure == std::errc() && stop == ascii + length;
}

}  // namespace

bool parse_float_into(QStringView text, double& value) {
  const QChar* c = text.data();
  const QChar* const end = c + text.size();
  while (c != end && *c == u' ') ++c;
  // The syntax is checked here, never left to a library (a comma stays
  // invalid, "inf" and "nan" too); the short numbers of measurement files
  // are converted without it, many times faster than any general conversion.
  decimal d;
  if (!read_decimal(c, end, d)) return false;
  return exact_value(d, value) || converted_value(c, end, value);
}

}  // namespace basics
