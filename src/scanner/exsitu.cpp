// The exsitu conversion of the main window: reading the claimed measurement
// files into the scan record, saving the scan file and archiving.

#include <QDateTime>
#include <QFileInfo>
#include <QLabel>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/ole_date.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "platform/env.h"
#include "scanner/DORNIK_scanner_unit.h"
#include "scanner/window_controls.h"

namespace {

constexpr int kCompleteFile = 404;  // the last T line
constexpr int kPlateLine = 4;
constexpr int kPositionLine = 8;
constexpr int kFirstValueField = 4;
constexpr int kMaxPositions = 33;

struct spectrum_block {
  int first_line;
  const char* name;
  bool names_point;  // the T messages also give the point index
};
constexpr spectrum_block kBlocks[] = {
    {36, "R glass", false}, {160, "R coating", false}, {284, "T", true}};

// Line `number` (from 1) of `lines`, or empty past the end.
QString line_at(const QStringList& lines, int number) {
  return number >= 1 && number <= lines.size() ? lines[number - 1] : QString();
}

int position_count(const QStringList& lines) {
  return basics::count_commas(line_at(lines, kPositionLine)) - 2;
}

// The value of the sign and digits that start `text`: what a plate number
// that does not convert as a whole still gives.
int leading_integer(const QString& text) {
  int end = 0;
  if (end < text.size() && (text[end] == u'+' || text[end] == u'-')) ++end;
  while (end < text.size() && text[end].isDigit() && text[end].unicode() < 128) ++end;
  return basics::parse_integer(text.left(end)).value_or(0);
}

// The last modification at the two-second resolution of MS-DOS file times.
QDateTime two_second_time(const QDateTime& time) {
  const QTime t = time.time();
  return QDateTime(time.date(), QTime(t.hour(), t.minute(), t.second() - t.second() % 2));
}

// The marker line of the sheet resistances, if a line follows it.
std::optional<int> sheet_resistance_line(const QStringList& lines) {
  for (int number = 1; number < lines.size(); ++number) {
    if (basics::trimmed(lines[number - 1]) == QStringLiteral("Sheet resistance")) return number + 1;
  }
  return std::nullopt;
}

QString spectral_message(const spectrum_block& block, int position, int point,
                         const QString& field) {
  QString where = QStringLiteral("%1, Pos. %2").arg(QLatin1String(block.name)).arg(position);
  if (block.names_point) where += QStringLiteral("  , spectral pos. %1").arg(point);
  return where + QStringLiteral("   ") + field +
         QStringLiteral(" could not be converted to a spectral value.");
}

}  // namespace

void TDORNIK_scanner_main::handle_exsitu_data() {
  // A file its writer still holds is simply tried again later.
  claim_and_convert(input_path, QStringLiteral("   Converting exsitu data ..."),
                    rename_failure::silent,
                    [this](const QString& path) { convert_exsitu_file(path); });
}

void TDORNIK_scanner_main::read_exsitu_measurement(const QString& path) {
  const QStringList& lines = my_file_content;
  sc_data.time_of_measurement =
      basics::ole_date_from(two_second_time(platform::env().last_modified(path)));

  const QString plate_field = basics::comma_field(line_at(lines, kPlateLine), 2);
  if (const auto plate = basics::parse_integer(plate_field)) {
    zeiss_plate = *plate;
  } else {
    add_message(QStringLiteral("Error: ") + plate_field +
                QStringLiteral(" could not be converted to a plate number."));
    zeiss_plate = leading_integer(plate_field);
  }

  const int count = position_count(lines);
  sc_data.no_positions = count;
  const auto selected = [this](int i) {
    return i + 1 < point_selected.size() && point_selected[i + 1];
  };
  const QString position_line = line_at(lines, kPositionLine);
  for (int i = 0, k = 0; i < count; ++i) {
    const QString field = basics::comma_field(position_line, i + kFirstValueField);
    const auto value = basics::parse_integer(field);
    if (!value) add_message(field + QStringLiteral(" could not be converted to a position."));
    if (!selected(i)) continue;
    if (value) sc_data.positions[k] = *value;
    ++k;
  }

  sc_data.sheet_resistance.resize(count);
  if (const auto resistance_line = sheet_resistance_line(lines)) {
    const QString line = line_at(lines, *resistance_line);
    for (int i = 0, k = 0; i < count; ++i) {
      if (!selected(i)) continue;
      const auto value = basics::parse_float(basics::comma_field(line, i + kFirstValueField));
      if (value) sc_data.sheet_resistance[k] = float(*value);
      ++k;
    }
  }

  for (int s = 0; s < 3; ++s) {
    const spectrum_block& block = kBlocks[s];
    for (int i = 0, k = 0; i < count; ++i) {
      if (!selected(i)) continue;
      for (int j = 0; j < sc_data.no_points[s]; ++j) {
        const QString field =
            basics::comma_field(line_at(lines, block.first_line + j), i + kFirstValueField);
        if (const auto value = basics::parse_float(field)) {
          sc_data.spectral_data[sc_data.the_index(k, s, j)] = float(*value);
        } else {
          add_message(spectral_message(block, i, j, field));
        }
      }
      ++k;
    }
  }
}

void TDORNIK_scanner_main::convert_exsitu_file(const QString& path) {
  try {
    my_file_content = basics::read_lines(path);
  } catch (const basics::error& e) {
    set_aside(path, e.text());
    return;
  }
  // A file too short for all three spectra is refused whole rather than
  // converted with values left over from the previous plate.
  if (my_file_content.size() < kCompleteFile) {
    refuse_exsitu_file(path,
                       QStringLiteral("Length of file ") + path + QStringLiteral(" too small!"));
    return;
  }
  const int count = position_count(my_file_content);
  if (count < 0 || count > kMaxPositions) {
    refuse_exsitu_file(path, QStringLiteral("Error: file %1 holds %2 positions, a scan file "
                                            "takes 0 to %3; no scan file written.")
                                 .arg(claimed_name)
                                 .arg(count)
                                 .arg(kMaxPositions));
    return;
  }
  read_exsitu_measurement(path);
  try {
    sc_data.savetofile(total_output_path + platform::kDelimiter + QString::number(zeiss_plate) +
                       QStringLiteral(".scn"));
  } catch (const basics::error& e) {
    set_aside(path, e.text());
    return;
  }
  if (!archive_exsitu_file(path)) {
    set_aside(path, QStringLiteral("The archive copy could not be written."));
  }
}

bool TDORNIK_scanner_main::archive_exsitu_file(const QString& path) {
  return archive_copy(path, QStringLiteral("exsitu_%1.csv").arg(zeiss_plate),
                      basics::date_time_from_ole(sc_data.time_of_measurement),
                      archive_naming::replace);
}

void TDORNIK_scanner_main::refuse_exsitu_file(const QString& path, const QString& message) {
  add_message(message);
  if (!archive_copy(path, QStringLiteral("refused_") + claimed_name,
                    platform::env().last_modified(path), archive_naming::keep_existing)) {
    set_aside(path, QStringLiteral("The archive copy could not be written."));
  }
}
