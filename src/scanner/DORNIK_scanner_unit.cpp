#include "scanner/DORNIK_scanner_unit.h"

#include "basics/exsitu_file.h"
#include "basics/files.h"
#include "basics/text.h"
#include "scanner/window_controls.h"

TDORNIK_scanner_main::TDORNIK_scanner_main(QWidget* parent) : THalvik_scanner_main(parent) {
  setWindowTitle(QStringLiteral("DORNIK_scanner_main"));
  scanner::show_text(Label5, QStringLiteral("DORNIK spectrum scanner"));
  scanner::set_lines(
      Memo1,
      {QString(),
       QStringLiteral("This DORNIK spectrum scanner acts according to the following rules:"),
       QString(),
       QStringLiteral("- The input folders for insitu and exsitu data are scanned for *.csv files"),
       QString(), QStringLiteral("- If a file is deteced the scanner tries to rename it."),
       QStringLiteral(
           "- If renaming is possible the file is assumed to be complete and it is converted."),
       QStringLiteral("- Files in the insitu input folder are converted to an input file for "
                      "lumor_inline.exe (*.csv)"),
       QStringLiteral(
           "- Exsitu files are converted to an input file for lumor_traverse.exe (*.scn)")});
  Points_button->hide();
}

void TDORNIK_scanner_main::FormCreate() {
  const creation_scope scope(this);
  THalvik_scanner_main::FormCreate();
  const QString probe_heads = basics::program_folder_file(QStringLiteral("DORNIK_probeheads.bin"));
  // A damaged table is reported and leaves the table empty; the window
  // still starts and keeps scanning.
  if (basics::file_exists(probe_heads))
    run_guarded([this, &probe_heads] { destination_translation.load_from_file(probe_heads); });
}

void TDORNIK_scanner_main::initialize_sc_data() {
  basics::shape_exsitu_record(sc_data);
}

int TDORNIK_scanner_main::no_selected_points() {
  return 33;
}

void TDORNIK_scanner_main::take_plate_number(const QString& field) {
  zeiss_plate = basics::plate_number(field, [this](const QString& text) { add_message(text); });
}
