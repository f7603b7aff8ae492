#include "scanner/DORNIK_scanner_unit.h"

#include "basics/exsitu_file.h"
#include "basics/files.h"
#include "scanner/window_controls.h"

namespace {

// The insitu call keeps this many earlier lines on the board.
constexpr int kBoardLinesKept = 6;

}  // namespace

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
  return basics::kExsituPositions;
}

void TDORNIK_scanner_main::handle_exsitu_data() {
  conversion::handle_exsitu(conversion_context(input_path), exsitu_state_, {});
}

void TDORNIK_scanner_main::handle_insitu_data() {
  clean_message_board(kBoardLinesKept);
  conversion::context ctx = conversion_context(insitu_input_path);
  ctx.probe_heads = &destination_translation;
  conversion::handle_insitu(ctx, insitu_state_, {});
}

QString TDORNIK_scanner_main::converted_archive_root() const {
  return compute_archive_path();
}
