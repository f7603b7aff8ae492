#include "basics/zeiss_file.h"

#include <algorithm>

#include "basics/measurement_file.h"
#include "basics/text.h"

namespace basics {
namespace {

constexpr int kPositionField = 4;
// The value search starts below the first line.
constexpr int kFirstSpectrumSearchLine = 2;
// A block's header: the line after the spectrum line, the axis line and one
// more.
constexpr int kHeaderLines = 3;
// The default axis is a 5 nm grid starting at 380 nm.
constexpr float kGridStep = 5.0f;
// An axis reaching no further than this is in micrometres or not there.
constexpr float kShortestAxis = 100.0f;
constexpr float kNoMinimum = 100000.0f;

bool starts_with_marker(const QString& line, QLatin1StringView marker) {
  return ascii_lower(line.left(marker.size())) == marker;
}

bool is_stamp_line(const QString& line) {
  return starts_with_marker(line, QLatin1StringView("stamp"));
}

bool is_spectrum_line(const QString& line) {
  return starts_with_marker(line, QLatin1StringView("spectrum"));
}

// The fields of a line, split once and trimmed, as semicolon_field gives them.
QStringList semicolon_fields(const QString& line) {
  QStringList fields = line.split(u';');
  for (QString& field : fields) field = trimmed(field);
  return fields;
}

QString field_at(const QStringList& fields, int n) {
  return n >= 1 && n <= fields.size() ? fields[n - 1] : QString();
}

bool is_position_line(const QString& line) {
  return parse_integer(semicolon_field(line, kPositionField)).has_value();
}

int first_spectrum_line(const QStringList& lines, int from) {
  for (int l = from; l <= lines.size(); ++l) {
    if (is_spectrum_line(line_at(lines, l))) return l;
  }
  return 0;
}

zeiss_reading lacking(const QString& what) {
  return {std::nullopt, what};
}

bool is_reserved_device_name(const QString& text) {
  const QString stem = ascii_upper(text.section(u'.', 0, 0));
  static const QStringList names{QStringLiteral("CON"), QStringLiteral("PRN"),
                                 QStringLiteral("AUX"), QStringLiteral("NUL")};
  if (names.contains(stem)) return true;
  return stem.size() == 4 &&
         (stem.startsWith(QLatin1StringView("COM")) || stem.startsWith(QLatin1StringView("LPT"))) &&
         stem[3] >= u'1' && stem[3] <= u'9';
}

}  // namespace

void shape_zeiss_record(scan_data& record) {
  record.set_size(kZeissInitialPositions, kZeissSpectra, kZeissInitialPoints);
  for (int s = 0; s < kZeissSpectra; ++s) {
    record.x_min[s] = kZeissFirstWavelength;
    record.x_max[s] = kZeissInitialLastWavelength;
    record.no_points[s] = kZeissInitialPoints;
  }
}

bool zeiss_has_measurement(const QStringList& lines) {
  return lines.size() > kZeissShortestIgnored;
}

int zeiss_stamp_line(const QStringList& lines) {
  for (int l = 1; l <= lines.size(); ++l) {
    if (is_stamp_line(line_at(lines, l))) return l;
  }
  return 0;
}

zeiss_reading locate_zeiss_parts(const QStringList& lines) {
  const int count = int(lines.size());
  zeiss_layout layout;
  layout.stamp_line = zeiss_stamp_line(lines);
  if (layout.stamp_line == 0) return lacking(QStringLiteral("a stamp line"));
  if (layout.stamp_line + 1 > count) return lacking(QStringLiteral("a line after the stamp line"));
  while (layout.stamp_line + 1 + layout.positions <= count &&
         is_position_line(line_at(lines, layout.stamp_line + 1 + layout.positions))) {
    ++layout.positions;
  }
  if (layout.stamp_line + 1 + layout.positions > count) {
    return lacking(QStringLiteral("a line after the last position line"));
  }
  int search = kFirstSpectrumSearchLine;
  for (int s = 0; s < kZeissSpectra; ++s) {
    const QString number = QString::number(s + 1);
    zeiss_block& block = layout.blocks[s];
    block.spectrum_line = first_spectrum_line(lines, search);
    if (block.spectrum_line == 0) return lacking(QStringLiteral("spectrum line ") + number);
    const int next = block.spectrum_line + 1;
    if (next > count) return lacking(QStringLiteral("the lines after spectrum line ") + number);
    if (semicolon_field(line_at(lines, next), 1).isEmpty()) {
      if (block.spectrum_line + kHeaderLines > count) {
        return lacking(QStringLiteral("the header of spectrum ") + number);
      }
      block.axis_line = block.spectrum_line + 2;
      block.first_value_line = block.spectrum_line + kHeaderLines + 1;
    } else {
      block.first_value_line = next;
    }
    const int last = block.first_value_line + layout.positions - 1;
    if (last > count) {
      const int present = std::max(0, count - block.first_value_line + 1);
      return lacking(QStringLiteral("value lines of spectrum %1 (%2 of %3)")
                         .arg(number)
                         .arg(present)
                         .arg(layout.positions));
    }
    search = last + 1;
  }
  return {layout, QString()};
}

std::optional<zeiss_layout> locate_zeiss_axes(const QStringList& lines) {
  const int count = int(lines.size());
  zeiss_layout layout;
  int search = 1;
  for (zeiss_block& block : layout.blocks) {
    block.spectrum_line = first_spectrum_line(lines, search);
    if (block.spectrum_line == 0 || block.spectrum_line + 1 > count) return std::nullopt;
    if (semicolon_field(line_at(lines, block.spectrum_line + 1), 1).isEmpty()) {
      block.axis_line = block.spectrum_line + 2;
      if (block.axis_line > count) return std::nullopt;
      search = block.axis_line;
    } else {
      search = block.spectrum_line + 1;
    }
  }
  return layout;
}

QString zeiss_plate_text(const QStringList& lines, const zeiss_layout& layout) {
  return semicolon_field(line_at(lines, layout.stamp_line + 1), kPlateField);
}

std::optional<QString> plate_text_refusal(const QString& plate_text) {
  if (plate_text.size() > kLongestPlateText) {
    return QStringLiteral("it is longer than %1 characters").arg(kLongestPlateText);
  }
  if (plate_text.contains(u'/') || plate_text.contains(u'\\')) {
    return QStringLiteral("it holds a path separator");
  }
  if (plate_text.contains(QLatin1StringView(".."))) return QStringLiteral("it holds \"..\"");
  for (const QChar c : plate_text) {
    if (c.unicode() < 32 || c.unicode() == 127)
      return QStringLiteral("it holds a control character");
    if (QStringLiteral("<>:\"|?*").contains(c)) {
      return QStringLiteral("it holds the character ") + c;
    }
  }
  // Windows drops a trailing dot or blank and keeps device names for itself.
  if (plate_text.endsWith(u'.') || plate_text.endsWith(u' ')) {
    return QStringLiteral("it ends with a dot or a blank");
  }
  if (is_reserved_device_name(plate_text)) return QStringLiteral("it is a device name on Windows");
  return std::nullopt;
}

zeiss_axes read_zeiss_axes(const QStringList& lines, const zeiss_layout& layout,
                           qint32& no_spectral_positions) {
  zeiss_axes axes{};
  bool all_long = true;
  qint32 largest_count = 0;
  for (int s = 0; s < kZeissSpectra; ++s) {
    zeiss_axis& axis = axes[s];
    axis.x_min = kNoMinimum;
    axis.x_max = kShortestAxis;
    if (layout.blocks[s].axis_line != 0) {
      const QStringList fields = semicolon_fields(line_at(lines, layout.blocks[s].axis_line));
      // The wavelengths run up to the first empty field; one that does not
      // convert still counts as a point.
      for (const QString& field : fields) {
        if (field.isEmpty()) break;
        ++axis.count;
        if (const auto value = parse_float(field)) {
          axis.x_min = std::min(axis.x_min, float(*value));
          axis.x_max = std::max(axis.x_max, float(*value));
        }
      }
    }
    all_long = all_long && axis.x_max > kShortestAxis;
    largest_count = std::max(largest_count, axis.count);
  }
  if (all_long) {
    no_spectral_positions = largest_count;
    return axes;
  }
  for (zeiss_axis& axis : axes) {
    axis.x_min = kZeissFirstWavelength;
    axis.x_max = kGridStep * float(no_spectral_positions) + kZeissFirstWavelength - kGridStep;
    axis.count = no_spectral_positions;
  }
  return axes;
}

void read_zeiss_positions(const QStringList& lines, const zeiss_layout& layout,
                          qint32 no_spectral_positions, scan_data& record) {
  record.set_size(layout.positions, kZeissSpectra, no_spectral_positions);
  for (int r = 0; r < layout.positions; ++r) {
    record.positions[r] =
        parse_integer(semicolon_field(line_at(lines, layout.stamp_line + 1 + r), kPositionField))
            .value_or(0);
  }
}

void read_zeiss_spectra(const QStringList& lines, const zeiss_layout& layout,
                        const zeiss_axes& axes, qint32 no_spectral_positions, scan_data& record,
                        const std::function<void(const QString& field)>& bad_value) {
  for (int s = 0; s < kZeissSpectra; ++s) {
    record.no_points[s] = axes[s].count;
    record.x_min[s] = axes[s].x_min;
    record.x_max[s] = axes[s].x_max;
    for (int r = 0; r < layout.positions; ++r) {
      const QStringList fields =
          semicolon_fields(line_at(lines, layout.blocks[s].first_value_line + r));
      for (int i = 0; i < no_spectral_positions; ++i) {
        const QString field = field_at(fields, i + 1);
        if (const auto value = parse_float(field)) {
          record.spectral_data[record.the_index(r, s, i)] = float(*value);
        } else {
          bad_value(field);
        }
      }
    }
  }
}

qint32 postbake_piece(qint32 zeiss_platenumber) {
  const auto bit = [zeiss_platenumber](int n) { return (zeiss_platenumber >> n & 1) != 0; };
  if (bit(15)) return 0;
  if (!bit(14)) return 1;
  return bit(13) ? 3 : 2;
}

qint32 original_plate_number(qint32 zeiss_platenumber) {
  return zeiss_platenumber & ~qint32((1 << 13) | (1 << 14) | (1 << 15));
}

QString postbake_type(qint32 pb_mode, const QString& fallback) {
  switch (pb_mode) {
    case 0:
      return QStringLiteral("postbake_4points");
    case 1:
      return QStringLiteral("postbake_A");
    case 2:
      return QStringLiteral("postbake_B");
    case 3:
      return QStringLiteral("postbake_C");
    default:
      return fallback;
  }
}

QString postbake_suffix(qint32 pb_mode) {
  const QString type = postbake_type(pb_mode);
  if (type.isEmpty()) return type;
  return QStringLiteral("___") + type.mid(type.indexOf(u'_') + 1) + QStringLiteral(".scn");
}

QString base_product_name(const QString& text) {
  for (const QLatin1StringView tail :
       {QLatin1StringView("postbake"), QLatin1StringView("maintenance")}) {
    const qsizetype at = text.indexOf(tail);
    if (at >= 0) return trimmed(text.left(at));
  }
  return text;
}

void add_postbake_offsets(qint32 pb_mode, const postbake_offsets& offsets, scan_data& record) {
  constexpr int kFourPoints = 4;
  if (pb_mode == 0) {
    for (int k = 0; k < kFourPoints && k < record.no_positions; ++k) {
      record.positions[k] += offsets[k];
    }
    return;
  }
  if (pb_mode < 1 || pb_mode > 3) return;
  for (qint32& position : record.positions) position += offsets[kFourPoints + pb_mode - 1];
}

}  // namespace basics
