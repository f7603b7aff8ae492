#include "basics/vellic_scanner_ini.h"

#include <QRegularExpression>

#include <cmath>
#include <iterator>
#include <limits>
#include <optional>

#include "basics/key_value.h"
#include "basics/text.h"

namespace basics {
namespace {

using settings = vellic_scanner_settings;

// One line of the file: what it holds, how it is read into the settings
// (null: not read by its number) and how it is written from them. A reader
// adds the text of a value it refuses to `refused`.
struct settings_line {
  const char* holds;
  void (*read)(settings&, const QString& line, QStringList& refused);
  QString (*write)(const settings&);
};

bool is_true(const QString& text) {
  return ascii_lower(text) == QLatin1String("true");
}

// Up to 15 significant digits with a decimal point whatever the user's
// locale: the reader takes only a point, so a decimal comma would turn the
// value into 0 at the next start.
QString float_text(float value) {
  return QString::number(double(value), 'g', 15);
}

QString no_line(const settings&) {
  return QString();
}

// The value of a text in the number syntax of the settings, however large
// or small (infinite beyond a double), or of the words "inf", "infinity" and
// "nan"; empty when the text is no number at all.
std::optional<double> number_value(const QString& text) {
  if (const std::optional<int> integer = parse_integer(text)) return double(*integer);
  if (const std::optional<double> value = parse_float(text)) return value;
  static const QRegularExpression non_finite(QStringLiteral("^ *([+-]?)(inf|infinity|nan)$"),
                                             QRegularExpression::CaseInsensitiveOption);
  if (const QRegularExpressionMatch word = non_finite.match(text); word.hasMatch()) {
    if (word.captured(2).compare(QLatin1String("nan"), Qt::CaseInsensitive) == 0) {
      return std::numeric_limits<double>::quiet_NaN();
    }
    return word.captured(1) == QLatin1String("-") ? -HUGE_VAL : HUGE_VAL;
  }
  // Digits that overflow (or underflow) even a double: a number all the same.
  static const QRegularExpression decimal(
      QStringLiteral("^ *[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
  if (decimal.match(text).hasMatch()) return HUGE_VAL;
  return std::nullopt;
}

// The range a numeric setting takes, with the default that replaces any
// other value.
struct number_range {
  const char* name;
  double lowest;
  double highest;
  double fallback;
};

// A refused value is quoted in its message up to this length.
constexpr int kShownCharacters = 40;

QString number_text(double value) {
  return QString::number(value, 'g', 15);
}

// What `text` gives the setting: its value when it is one the setting
// takes. Otherwise the default: silently for text that is no number (or a
// fraction where a whole number belongs), as a settings file has always been
// read; with a message for a number outside the range or not finite, which
// would otherwise become a value the scanner cannot work with.
double ranged_value(const QString& text, const number_range& range, bool whole,
                    QStringList& refused) {
  const std::optional<double> value = number_value(text);
  if (!value) return range.fallback;
  if (std::isfinite(*value) && *value >= range.lowest && *value <= range.highest) {
    if (whole && !parse_integer(text)) return range.fallback;
    return *value;
  }
  refused << QStringLiteral(
                 "Error: vellic_scanner.ini: %1 \"%2\" is out of range (%3 to %4); "
                 "%5 is used.")
                 .arg(QLatin1String(range.name), trimmed(text).left(kShownCharacters),
                      number_text(range.lowest), number_text(range.highest),
                      number_text(range.fallback));
  return range.fallback;
}

// 1 to 4 split a scan into that many files; 0 (written when the program
// started without this file) writes none, as any other value would.
constexpr number_range kScanFilesRange{"no_scan_files", 0, kMostScanFiles, kDefaultScanFiles};
// Far more points than any spectrometer gives; more would only make every
// scan record huge.
constexpr number_range kSpectralPositionsRange{"no_spectral_positions", 0, kMostSpectralPositions,
                                               kDefaultSpectralPositions};
constexpr number_range kSettleTimeRange{"process_file_delay_time_in_seconds", 0,
                                        kLongestSettleSeconds, 0};

qint32 read_count(const QString& text, const number_range& range, QStringList& refused) {
  return qint32(ranged_value(text, range, true, refused));
}

constexpr settings_line kLines[] = {
    {"input_path", [](settings& s, const QString& l, QStringList&) { s.input_path = l; },
     [](const settings& s) { return s.input_path; }},
    {"lumor_name", [](settings& s, const QString& l, QStringList&) { s.lumor_name = l; },
     [](const settings& s) { return s.lumor_name; }},
    {"automatic_product_identification",
     [](settings& s, const QString& l, QStringList&) {
       s.automatic_product_identification = is_true(l);
     },
     [](const settings& s) {
       return s.automatic_product_identification ? QStringLiteral("True") : QStringLiteral("False");
     }},
    {"no_scan_files",
     [](settings& s, const QString& l, QStringList& refused) {
       s.no_scan_files = read_count(l, kScanFilesRange, refused);
     },
     [](const settings& s) { return QString::number(s.no_scan_files); }},
    {"no_spectral_positions",
     [](settings& s, const QString& l, QStringList& refused) {
       s.no_spectral_positions = read_count(l, kSpectralPositionsRange, refused);
     },
     [](const settings& s) { return QString::number(s.no_spectral_positions); }},
    {"lumor_insitu_name",
     [](settings& s, const QString& l, QStringList&) { s.lumor_insitu_name = l; },
     [](const settings& s) { return s.lumor_insitu_name; }},
    {"insitu_input_path key", nullptr, [](const settings&) { return kInsituInputPathKey; }},
    {"insitu_input_path", nullptr, [](const settings& s) { return s.insitu_input_path; }},
    {"", nullptr, no_line},
    {"process_file_delay_time_in_seconds",
     [](settings& s, const QString& l, QStringList& refused) {
       s.process_file_delay_time_in_seconds =
           float(ranged_value(l, kSettleTimeRange, false, refused));
     },
     [](const settings& s) { return float_text(s.process_file_delay_time_in_seconds); }},
    {"", nullptr, no_line},
    {"save_ini_file",
     [](settings& s, const QString& l, QStringList&) { s.save_ini_file = is_true(trimmed(l)); },
     [](const settings& s) {
       return s.save_ini_file ? QStringLiteral("true") : QStringLiteral("false");
     }},
};

}  // namespace

vellic_scanner_settings read_vellic_scanner_ini(const QStringList& lines, QStringList* refused) {
  vellic_scanner_settings result;
  QStringList messages;
  const int count = qMin(int(lines.size()), int(std::size(kLines)));
  for (int index = 0; index < count; ++index) {
    if (kLines[index].read) kLines[index].read(result, lines[index], messages);
  }
  if (refused) *refused = messages;
  return result;
}

QStringList vellic_scanner_ini_lines(const vellic_scanner_settings& settings) {
  QStringList lines;
  for (const settings_line& line : kLines) lines << line.write(settings);
  return lines;
}

QString read_insitu_input_path(const QStringList& lines) {
  return ini_read_string(kInsituInputPathKey, lines, QString());
}

}  // namespace basics
