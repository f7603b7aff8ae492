// The exsitu conversion of the main window: claiming the measurement files,
// reading them into the scan record, saving the scan file and archiving.

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

constexpr int kPassesPerCall = 10;
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

using platform::folder_of;
using platform::with_delimiter;

// `folder` + `name`, or with "_2", "_3"... before the extension when taken.
QString free_name(const QString& folder, const QString& name) {
  const QFileInfo info(name);
  const QString base = info.completeBaseName();
  const QString suffix = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
  QString candidate = folder + name;
  for (int n = 2; basics::file_or_folder_exists(candidate); ++n) {
    candidate = folder + base + QStringLiteral("_%1").arg(n) + suffix;
  }
  return candidate;
}

}  // namespace

void TDORNIK_scanner_main::handle_exsitu_data() {
  claim_and_convert(input_path, QStringLiteral("   Converting exsitu data ..."),
                    [this](const QString& path) { convert_exsitu_file(path); });
}

void TDORNIK_scanner_main::claim_and_convert(const QString& folder, const QString& action,
                                             const std::function<void(const QString&)>& convert) {
  const QString mask = QStringLiteral("*.csv");
  for (int pass = 0; pass < kPassesPerCall && basics::count_files(folder, mask) >= 1; ++pass) {
    const QString temp = basics::random_temp_name(folder);
    QString name;
    basics::first_file(folder, mask, name);
    const QString source = with_delimiter(folder) + name;
    if (still_settling(source)) return;  // its writer may still be at work on a network share
    if (!platform::env().rename_file(source, temp).ok()) continue;
    claimed_name = name;
    claimed_file_kept = false;
    show_stamped_action(action);
    convert(temp);
    if (!claimed_file_kept) platform::env().delete_file(temp);
  }
}

// A time ahead of the clock (another machine's clock) counts as settled, so
// a skewed share never holds the queue up for good.
bool TDORNIK_scanner_main::still_settling(const QString& path) {
  const QDateTime written = platform::env().last_modified(path);
  if (!written.isValid()) return false;
  const qint64 age = written.msecsTo(platform::env().now());
  return age >= 0 && age < qint64(process_file_delay_time_in_seconds * 1000);
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

bool TDORNIK_scanner_main::archive_copy(const QString& path, const QString& archive_name,
                                        const QDateTime& measured, archive_naming naming) {
  if (!prepare_archive_folder(lumor_name, measured)) return true;
  const QString folder = archive_path + platform::kDelimiter;
  const QString target =
      naming == archive_naming::replace ? folder + archive_name : free_name(folder, archive_name);
  return platform::copy_file(path, target).ok();
}

bool TDORNIK_scanner_main::prepare_archive_folder(const QString& leaf, const QDateTime& measured) {
  archive_path = compute_archive_path();
  if (archive_path.isEmpty()) return false;
  const auto ensure = [this] {
    if (!basics::ensure_folder(archive_path)) {
      scanner::show_text(action_label, archive_path + QStringLiteral(" could not be created!"));
    }
  };
  archive_path += product;
  ensure();
  const QDate date =
      archive_using_date_of_measurement ? measured.date() : platform::env().now().date();
  this_year = quint16(date.year());
  this_month = quint16(date.month());
  this_day = quint16(date.day());
  for (const QString& part :
       {QString::number(this_year), QString::number(this_month), QString::number(this_day), leaf}) {
    archive_path += platform::kDelimiter + part;
    ensure();
  }
  return true;
}

void TDORNIK_scanner_main::set_aside(const QString& path, const QString& reason) {
  claimed_file_kept = true;
  const QString folder = folder_of(path);
  const QString kept = free_name(folder, claimed_name + QStringLiteral(".failed"));
  const bool moved = platform::env().rename_file(path, kept).ok();
  add_message(QStringLiteral("Error: ") + reason + QStringLiteral(" The measurement ") +
              claimed_name +
              (moved ? QStringLiteral(" is kept as ") + kept
                     : QStringLiteral(" is kept under the temporary name ") + path) +
              QStringLiteral("."));
}
