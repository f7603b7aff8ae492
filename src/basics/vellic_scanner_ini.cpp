#include "basics/vellic_scanner_ini.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <optional>

#include "basics/text.h"

namespace basics {
namespace {

using settings = vellic_scanner_settings;

// One line of the file: what it holds, how it is read into the settings
// (null: not read by its number) and how it is written from them.
struct settings_line {
  const char* holds;
  void (*read)(settings&, const QString& line);
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

// A settle time beyond the range of a float is no valid number: as infinity
// it would be written back as "inf", which the next start reads as 0.
float settle_time(const QString& text) {
  const std::optional<double> value = parse_float(text);
  if (!value || std::abs(*value) > std::numeric_limits<float>::max()) return 0.0f;
  return float(*value);
}

QString no_line(const settings&) {
  return QString();
}

constexpr settings_line kLines[] = {
    {"input_path", [](settings& s, const QString& l) { s.input_path = l; },
     [](const settings& s) { return s.input_path; }},
    {"lumor_name", [](settings& s, const QString& l) { s.lumor_name = l; },
     [](const settings& s) { return s.lumor_name; }},
    {"automatic_product_identification",
     [](settings& s, const QString& l) { s.automatic_product_identification = is_true(l); },
     [](const settings& s) {
       return s.automatic_product_identification ? QStringLiteral("True") : QStringLiteral("False");
     }},
    {"no_scan_files",
     [](settings& s, const QString& l) {
       s.no_scan_files = parse_integer(l).value_or(kDefaultScanFiles);
     },
     [](const settings& s) { return QString::number(s.no_scan_files); }},
    {"no_spectral_positions",
     [](settings& s, const QString& l) {
       s.no_spectral_positions = parse_integer(l).value_or(kDefaultSpectralPositions);
     },
     [](const settings& s) { return QString::number(s.no_spectral_positions); }},
    {"lumor_insitu_name", [](settings& s, const QString& l) { s.lumor_insitu_name = l; },
     [](const settings& s) { return s.lumor_insitu_name; }},
    {"insitu_input_path key", nullptr, [](const settings&) { return kInsituInputPathKey; }},
    {"insitu_input_path", nullptr, [](const settings& s) { return s.insitu_input_path; }},
    {"", nullptr, no_line},
    {"process_file_delay_time_in_seconds",
     [](settings& s, const QString& l) { s.process_file_delay_time_in_seconds = settle_time(l); },
     [](const settings& s) { return float_text(s.process_file_delay_time_in_seconds); }},
    {"", nullptr, no_line},
    {"save_ini_file", [](settings& s, const QString& l) { s.save_ini_file = is_true(trimmed(l)); },
     [](const settings& s) {
       return s.save_ini_file ? QStringLiteral("true") : QStringLiteral("false");
     }},
};

}  // namespace

vellic_scanner_settings read_vellic_scanner_ini(const QStringList& lines) {
  vellic_scanner_settings result;
  const int count = qMin(int(lines.size()), int(std::size(kLines)));
  for (int index = 0; index < count; ++index) {
    if (kLines[index].read) kLines[index].read(result, lines[index]);
  }
  return result;
}

QStringList vellic_scanner_ini_lines(const vellic_scanner_settings& settings) {
  QStringList lines;
  for (const settings_line& line : kLines) lines << line.write(settings);
  return lines;
}

}  // namespace basics
