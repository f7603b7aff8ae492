// The exsitu conversion of the main window: reading the claimed measurement
// files into the scan record, saving the scan file and archiving.
#include "basics/error.h"
#include "basics/exsitu_file.h"
#include "basics/ole_date.h"
#include "platform/env.h"
#include "scanner/DORNIK_scanner_unit.h"

void TDORNIK_scanner_main::handle_exsitu_data() {
  // A file its writer still holds is simply tried again later.
  claim_and_convert(input_path, QStringLiteral("   Converting exsitu data ..."),
                    rename_failure::silent,
                    [this](const QString& path) { convert_exsitu_file(path); });
}

void TDORNIK_scanner_main::read_exsitu_measurement(const QString& path) {
  basics::read_exsitu_lines(
      my_file_content, platform::env().last_modified(path),
      [this](int point) { return point < point_selected.size() && point_selected[point]; }, sc_data,
      zeiss_plate, [this](const QString& message) { add_message(message); });
}

void TDORNIK_scanner_main::convert_exsitu_file(const QString& path) {
  if (!load_claimed_file(path)) return;
  if (const auto refusal = basics::exsitu_refusal(my_file_content, path, claimed_name)) {
    refuse_exsitu_file(path, *refusal);
    return;
  }
  try {
    read_exsitu_measurement(path);
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
  return archive_copy(path, lumor_name, QStringLiteral("exsitu_%1.csv").arg(zeiss_plate),
                      basics::date_time_from_ole(sc_data.time_of_measurement),
                      archive_naming::replace) != archived::failed;
}

// The board names the archive copy: the refusal text itself names only the
// temporary file, which is gone after this pass.
void TDORNIK_scanner_main::refuse_exsitu_file(const QString& path, const QString& message) {
  add_message(message);
  QString copy;
  switch (archive_copy(path, lumor_name, QStringLiteral("refused_") + claimed_name,
                       platform::env().last_modified(path), archive_naming::keep_existing, &copy)) {
    case archived::copied:
      add_message(QStringLiteral("The measurement ") + claimed_name +
                  QStringLiteral(" is archived as ") + copy + QStringLiteral("."));
      break;
    case archived::switched_off:
      // Deleting it would lose the measurement: nothing else holds it.
      set_aside(path, QStringLiteral("There is no archive folder to keep the refused file in."));
      break;
    case archived::failed:
      set_aside(path, QStringLiteral("The archive copy could not be written."));
      break;
  }
}
