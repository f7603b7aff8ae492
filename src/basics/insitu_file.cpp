#include "basics/insitu_file.h"

#include "basics/measurement_file.h"
#include "basics/text.h"

namespace basics {
namespace {

constexpr int kProbeHeadLine = 7;
constexpr int kProbeHeadField = 4;
constexpr int kFirstHeaderLine = 3;

const QString kHeader = QStringLiteral("Wave length [nm]");

// The number of the header line, searched from line 3 on; it counts only
// when a line follows it.
std::optional<int> header_line(const QStringList& lines) {
  for (int number = kFirstHeaderLine; number < lines.size(); ++number) {
    if (comma_field(line_at(lines, number), 1) == kHeader) return number;
  }
  return std::nullopt;
}

}  // namespace

std::optional<QString> insitu_length_refusal(const QStringList& lines, const QString& path) {
  if (lines.size() >= kInsituShortestFile) return std::nullopt;
  return too_small_message(path);
}

QString insitu_probe_head(const QStringList& lines) {
  return comma_field(line_at(lines, kProbeHeadLine), kProbeHeadField);
}

std::optional<QStringList> insitu_inline_lines(const QStringList& lines) {
  const std::optional<int> header = header_line(lines);
  if (!header) return std::nullopt;
  QStringList pairs;
  const int value_field = count_commas(line_at(lines, *header + 1)) + 1;
  for (int number = *header + 1; number <= lines.size(); ++number) {
    const QString& line = lines[number - 1];
    const QString wavelength = comma_field(line, 1);
    if (wavelength.isEmpty()) break;
    pairs << wavelength + QLatin1Char(',') + comma_field(line, value_field);
  }
  return pairs;
}

}  // namespace basics
