// The insitu conversion of the main window: a probe head's measurement file
// becomes the two-column inline file in the measurement folder that the
// probe heads table assigns to that probe head, and is archived.

#include <QDateTime>

#include <optional>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "platform/env.h"
#include "scanner/DORNIK_scanner_unit.h"
#include "scanner/vellic_tree.h"

namespace {

constexpr int kBoardLinesKept = 6;
constexpr int kShortestFile = 139;
constexpr int kPlateLine = 4;
constexpr int kProbeHeadLine = 7;
constexpr int kProbeHeadField = 4;
constexpr int kFirstHeaderLine = 3;
constexpr int kProbeHeadLanguage = 1;

const QString kHeader = QStringLiteral("Wave length [nm]");

// Line `number` (from 1) of `lines`; the caller keeps `number` in range.
const QString& line(const QStringList& lines, int number) {
  return lines[number - 1];
}

// The number of the header line, searched from line 3 on; it counts only
// when a line follows it.
std::optional<int> header_line(const QStringList& lines) {
  for (int number = kFirstHeaderLine; number < lines.size(); ++number) {
    if (basics::comma_field(line(lines, number), 1) == kHeader) return number;
  }
  return std::nullopt;
}

// Wavelength and value of each data line after the header, copied as text:
// field 1 and field n, where n is the last field of the first data line.
QStringList data_pairs(const QStringList& lines, int header) {
  QStringList pairs;
  const int value_field = basics::count_commas(line(lines, header + 1)) + 1;
  for (int number = header + 1; number <= lines.size(); ++number) {
    const QString wavelength = basics::comma_field(line(lines, number), 1);
    if (wavelength.isEmpty()) break;
    pairs << wavelength + QLatin1Char(',') + basics::comma_field(line(lines, number), value_field);
  }
  return pairs;
}

}  // namespace

void TDORNIK_scanner_main::handle_insitu_data() {
  clean_message_board(kBoardLinesKept);
  claim_and_convert(insitu_input_path, QStringLiteral("   Converting insitu data ..."),
                    rename_failure::reported,
                    [this](const QString& path) { process_insitu_file(path); });
}

void TDORNIK_scanner_main::process_insitu_file(const QString& path) {
  const bool written = convert_insitu_file(path);
  if (claimed_file_kept) return;
  switch (archive_insitu_file(path, claimed_name)) {
    case archived::copied:
      break;
    case archived::switched_off:
      if (!written) {
        set_aside(path, QStringLiteral("There is no archive folder to keep the file in, and it "
                                       "gave no inline file."));
      }
      break;
    case archived::failed:
      set_aside(path, QStringLiteral("The archive copy could not be written."));
      break;
  }
}

bool TDORNIK_scanner_main::convert_insitu_file(const QString& path) {
  if (!load_claimed_file(path)) return false;
  const QStringList& lines = my_file_content;
  if (lines.size() < kShortestFile) {
    add_message(QStringLiteral("Length of file ") + path + QStringLiteral(" too small!"));
    return false;
  }
  take_plate_number(basics::comma_field(line(lines, kPlateLine), 2));
  add_message(QStringLiteral("Insitu data: Plate number ") + QString::number(zeiss_plate));

  const std::optional<int> header = header_line(lines);
  if (!header) return false;  // nothing to convert; the file is archived as it came
  const QString target =
      insitu_output_file(path, basics::comma_field(line(lines, kProbeHeadLine), kProbeHeadField));
  if (target.isEmpty()) return false;
  try {
    basics::write_lines(target, data_pairs(lines, *header));
  } catch (const basics::error& e) {
    set_aside(path, e.text());
    return false;
  }
  add_message(target);
  return true;
}

// The measurement folder belongs to the measurement system and is never
// created here: a missing one means the probe head is not set up there yet.
// Set aside, the file can be renamed back once the operator has done so.
QString TDORNIK_scanner_main::insitu_output_file(const QString& path, const QString& probe_head) {
  const QString name = destination_translation.nickname(probe_head, kProbeHeadLanguage);
  if (name.isEmpty()) {
    const bool listed = destination_translation.get_index(probe_head, kProbeHeadLanguage) >= 0;
    set_aside(path, QStringLiteral("The probe head ") + probe_head +
                        (listed ? QStringLiteral(" has no measurement name in the probe heads "
                                                 "table; no output written.")
                                : QStringLiteral(" is not in the probe heads table; no output "
                                                 "written.")));
    return QString();
  }
  const QString folder = scanner::measurement_folder(vellic_path, product, name);
  if (!basics::folder_exists(folder)) {
    set_aside(path, QStringLiteral("The measurement folder ") + folder +
                        QStringLiteral(" of the probe head ") + probe_head +
                        QStringLiteral(" does not exist; no output written."));
    return QString();
  }
  return folder + platform::kDelimiter + QString::number(zeiss_plate) + QStringLiteral("___T.csv");
}

// The file carries no date of measurement of its own; its last modification
// is when the probe head wrote it.
TDORNIK_scanner_main::archived TDORNIK_scanner_main::archive_insitu_file(const QString& path,
                                                                         const QString& name) {
  return archive_copy(path, QStringLiteral("insitu"), name, platform::env().last_modified(path),
                      archive_naming::replace);
}
