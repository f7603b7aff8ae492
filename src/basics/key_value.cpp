#include "basics/key_value.h"

#include "basics/text.h"

#include <cmath>
#include <limits>
#include <optional>

namespace basics {

namespace {

// Walks every key line that has a line after it; the value line is skipped,
// so it is never itself taken as a key. The last value that `parse` accepts
// wins.
template <typename T, typename Parse>
T last_valid_value(const QString& key, const QStringList& list, T default_value, Parse parse) {
  T result = default_value;
  for (qsizetype i = 0; i + 1 < list.size(); ++i) {
    if (!equal_ignoring_ascii_case(list[i], key)) continue;
    ++i;
    if (const std::optional<T> value = parse(list[i])) result = *value;
  }
  return result;
}

// The line after the first key line; nothing when there is no key line or it
// is the last line.
std::optional<QString> first_value(const QStringList& list, const QString& key) {
  for (qsizetype i = 0; i < list.size(); ++i) {
    if (!equal_ignoring_ascii_case(list[i], key)) continue;
    if (i + 1 == list.size()) return std::nullopt;
    return list[i + 1];
  }
  return std::nullopt;
}

// Settings written on a system with a comma locale are accepted too; a value
// outside the range of a 32-bit float is no valid float.
std::optional<float> parse_setting_float(const QString& text) {
  const std::optional<double> value = parse_float(comma_to_point(text));
  if (!value || std::abs(*value) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(*value);
}

}  // namespace

QString ini_read_string(const QString& key, const QStringList& list, const QString& default_value) {
  return last_valid_value(key, list, default_value,
                          [](const QString& line) { return std::optional<QString>(line); });
}

int ini_read_integer(const QString& key, const QStringList& list, int default_value) {
  return last_valid_value(key, list, default_value, parse_integer);
}

float ini_read_float(const QString& key, const QStringList& list, float default_value) {
  return last_valid_value(key, list, default_value, parse_setting_float);
}

QString ini_find_string(const QStringList& list, const QString& key, const QString& default_value) {
  return first_value(list, key).value_or(default_value);
}

int ini_find_integer(const QStringList& list, const QString& key, int default_value,
                     const message_sink& message) {
  const std::optional<QString> text = first_value(list, key);
  if (!text) return default_value;
  if (const std::optional<int> value = parse_integer(*text)) return *value;
  message(QStringLiteral("Error: ") + key + QStringLiteral(" not found in ini-file!"));
  return default_value;
}

}  // namespace basics
