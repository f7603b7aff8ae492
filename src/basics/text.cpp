#include "basics/text.h"

#include "platform/env.h"

#include <QLocale>

#include <charconv>
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

std::optional<double> parse_float(QStringView text) {
  const QChar* c = text.data();
  const QChar* const end = c + text.size();
  while (c != end && *c == u' ') ++c;

  // One pass checks the syntax and copies the number as ASCII for
  // std::from_chars; values of measurement files fit the buffer on the
  // stack, only a freak length costs an allocation.
  char short_buffer[64];
  std::string long_buffer;
  char* ascii = short_buffer;
  if (end - c > qsizetype(sizeof short_buffer)) {
    long_buffer.resize(end - c);
    ascii = long_buffer.data();
  }
  char* out = ascii;
  const auto take = [&](char16_t wanted) {
    if (c == end || *c != wanted) return false;
    *out++ = char(wanted);
    ++c;
    return true;
  };
  const auto take_digits = [&] {
    const QChar* const start = c;
    for (; c != end && c->unicode() >= u'0' && c->unicode() <= u'9'; ++c) {
      *out++ = char(c->unicode());
    }
    return c - start;
  };
  // from_chars takes no plus sign.
  if (!take(u'-') && c != end && *c == u'+') ++c;
  qsizetype digit_count = take_digits();
  if (take(u'.')) digit_count += take_digits();
  if (digit_count == 0) return std::nullopt;
  if (take(u'e') || take(u'E')) {
    if (!take(u'-')) take(u'+');
    if (take_digits() == 0) return std::nullopt;
  }
  if (c != end) return std::nullopt;

  // std::from_chars converts correctly rounded, refuses what overflows to
  // infinity or underflows to zero, and never uses the locale, so a comma
  // stays invalid on every system. It is many times faster than QString's
  // conversion, which measurement files with thousands of values feel.
  double value = 0.0;
  const auto [stop, failure] = std::from_chars(ascii, out, value);
  if (failure != std::errc() || stop != out) return std::nullopt;
  return value;
}

}  // namespace basics
