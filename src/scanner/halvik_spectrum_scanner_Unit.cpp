#include "scanner/halvik_spectrum_scanner_Unit.h"

#include <QLineEdit>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/halvik_file.h"
#include "basics/point_selection_file.h"
#include "basics/vellic_scanner_ini.h"
#include "basics/vellic_tree.h"
#include "conversion/claimed_file.h"
#include "dialogs/password_unit.h"
#include "dialogs/point_selection_dialog_unit.h"
#include "platform/operator_prompts.h"
#include "scanner/window_controls.h"

namespace {

QString point_selection_path() {
  return basics::program_folder_file(QStringLiteral("traverse_point_selection.txt"));
}

}  // namespace

THalvik_scanner_main::THalvik_scanner_main(QWidget* parent)
    : TSELMAR_spectrum_scanner_main(parent) {
  using namespace scanner;
  setWindowTitle(QStringLiteral("Halvik_scanner_main"));
  show_text(Label5, QStringLiteral("Halvik scanner"));
  // One VELLIC system only.
  show_postbake_controls(false);
  set_lines(
      Memo1,
      {QString(), QStringLiteral("This Halvik scanner acts according to the following rules:"),
       QString(),
       QStringLiteral("- The input folders for insitu and exsitu data are scanned for *.csv "
                      "files"),
       QString(),
       QStringLiteral("- If renaming is possible the file is assumed to be complete and it "
                      "is converted."),
       QStringLiteral("- Exsitu files are converted to a scan file (*.scn) of the selected "
                      "traverse points"),
       QStringLiteral("- Insitu files are converted to a scan file (*.scn) of nine "
                      "positions")});
  Label1 = add_label(this, "Label1", 16, 51, QStringLiteral("Input path insitu:"));
  insitu_path_editor = add_edit(this, "insitu_path_editor", {112, 47, 497, 21},
                                QStringLiteral("Specify input path here"));
  Points_button =
      add_button(this, "Points_button", {509, 10, 100, 31}, QStringLiteral("Point selection"));

  path_fields.add(insitu_path_editor, scanner::applied_fields::kind::folder,
                  [this] { insitu_path_editorChange(); });
  on_click(Points_button, &THalvik_scanner_main::Points_buttonClick);
}

void THalvik_scanner_main::FormCreate() {
  TSELMAR_spectrum_scanner_main::FormCreate();
  initialize_points();
  // An unreadable selection file is reported; the later creation steps run.
  run_guarded([this] { read_point_selection(); });
}

void THalvik_scanner_main::timer_action() {
  const scan_step_pause pause(this);
  compose_total_output_path();
  if (!basics::folder_exists(input_path) || !basics::folder_exists(total_output_path)) return;
  // Each folder is listed once a step; its conversion takes that listing.
  bool found = false;
  if (!list_for_step(input_path).isEmpty()) {
    handle_exsitu_data();
    found = true;
  }
  if (!list_for_step(insitu_input_path).isEmpty()) {
    handle_insitu_data();
    found = true;
  }
  if (!found) show_stamped_action(QStringLiteral("   No file to be processed ..."));
}

void THalvik_scanner_main::read_additional_vellic_scanner_ini_data(const QStringList& sl) {
  insitu_input_path = basics::read_insitu_input_path(sl);
  path_fields.set_text(insitu_path_editor, insitu_input_path);
}

void THalvik_scanner_main::initialize_sc_data() {
  basics::shape_halvik_exsitu_record(sc_data);
  basics::shape_halvik_insitu_record(inline_data);
}

int THalvik_scanner_main::no_selected_points() {
  int selected = 0;
  for (int point = 1; point <= basics::kTraversePointCount; ++point) {
    if (point_is_selected(point)) ++selected;
  }
  return selected;
}

void THalvik_scanner_main::handle_exsitu_data() {
  conversion::exsitu_options options;
  options.instrument = conversion::exsitu_instrument::halvik;
  conversion::handle_exsitu(halvik_context(input_path, total_output_path, lumor_name),
                            exsitu_state_, options);
}

void THalvik_scanner_main::handle_insitu_data() {
  conversion::handle_halvik_insitu(
      halvik_context(insitu_input_path, total_output_path_insitu, lumor_insitu_name),
      halvik_insitu_state_, {});
}

// The Halvik instruments' files are archived only in the measurement
// system's own archive folder, never in an external one.
conversion::context THalvik_scanner_main::halvik_context(const QString& input_folder,
                                                         const QString& output_folder,
                                                         const QString& measurement) {
  conversion::context ctx = conversion_context(input_folder);
  ctx.output_folder = output_folder;
  ctx.lumor_name = measurement;
  ctx.archive_root = converted_archive_root();
  return ctx;
}

bool THalvik_scanner_main::point_is_selected(int index_123) {
  if (index_123 < 1 || index_123 > basics::kTraversePointCount) return false;
  return index_123 < point_selected.size() && point_selected[index_123];
}

conversion::context THalvik_scanner_main::conversion_context(const QString& input_folder) {
  conversion::context ctx = TSELMAR_spectrum_scanner_main::conversion_context(input_folder);
  ctx.point_selected = [this](int point) { return point_is_selected(point); };
  return ctx;
}

void THalvik_scanner_main::initialize_points() {
  point_selected = QVector<bool>(basics::kTraversePointCount + 1, true);
  point_selected[0] = false;
}

void THalvik_scanner_main::read_point_selection() {
  const QString path = point_selection_path();
  const std::optional<QString> why = basics::read_point_selection_if_present(path, point_selected);
  if (!why) return;
  // Every point stays selected, which the operator did not choose: said on
  // the board, where it stays, and to whoever is there, as any error.
  const QString text = basics::unreadable_point_selection(path, *why);
  report_problem(text);
  throw basics::error(text);
}

void THalvik_scanner_main::write_point_selection() {
  basics::write_point_selection_file(point_selection_path(), point_selected);
}

void THalvik_scanner_main::Points_buttonClick() {
  if (!check_password(vellic_password)) return;
  edit_point_selection(this, point_selected);
  write_point_selection();
  platform::prompts().show_message(QStringLiteral("Number of selected points: ") +
                                   QString::number(no_selected_points()));
}

void THalvik_scanner_main::insitu_path_editorChange() {
  insitu_input_path = path_fields.text(insitu_path_editor);
}

void THalvik_scanner_main::add_message(const QString& this_message) {
  send_message(this_message);
}

QList<scanner::watched_folder> THalvik_scanner_main::watched_folders() {
  const QString csv_files = QString::fromLatin1(conversion::kInputMask);
  QList<scanner::watched_folder> folders{
      {QStringLiteral("exsitu input folder"), input_path, csv_files}};
  // No insitu instrument is no fault.
  if (!insitu_input_path.isEmpty()) {
    folders.append({QStringLiteral("insitu input folder"), insitu_input_path, csv_files});
  }
  folders << watched_output() << watched_archive(converted_archive_root());
  return folders;
}

QString THalvik_scanner_main::converted_archive_root() const {
  return basics::archive_root(vellic_path, QString());
}
