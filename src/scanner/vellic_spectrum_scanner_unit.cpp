#include "scanner/vellic_spectrum_scanner_unit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColor>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPointF>
#include <QScopeGuard>
#include <QTimer>

#include <exception>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/listing_census.h"
#include "basics/live_signal.h"
#include "basics/password_file.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "basics/vellic_scanner_ini.h"
#include "basics/vellic_tree.h"
#include "conversion/claim_journal.h"
#include "conversion/dat_moves.h"
#include "dialogs/form_font.h"
#include "platform/env.h"
#include "platform/held_file.h"
#include "platform/operator_prompts.h"
#include "scanner/operator_panel.h"
#include "scanner/settings_file.h"
#include "scanner/tray_lamp.h"
#include "scanner/window_controls.h"

namespace {

const QString kVellicScannerIni = QStringLiteral("vellic_scanner.ini");

// The status line of a scanner switched on without an input folder: an
// empty one names no folder, and "Scanning  ... " would hide that.
const QString kInputNotConfigured = QStringLiteral("Scanning: input folder not configured");

// The layout's own client area; the operator's panel lies right of it.
constexpr int kLayoutWidth = 627;
constexpr int kLayoutHeight = 593;

// A listing the scan made this long ago still tells what waits: a step
// lists its folders about once a second.
constexpr qint64 kFreshListingMs = 1500;

// Pairs "wavelength,value" of an inline file; lines that are no pair are
// passed over.
QList<QPointF> inline_curve(const QStringList& lines) {
  QList<QPointF> points;
  for (const QString& line : lines) {
    const QStringList fields = line.split(QLatin1Char(','));
    if (fields.size() != 2) continue;
    bool x_ok = false;
    bool y_ok = false;
    const double x = fields[0].trimmed().toDouble(&x_ok);
    const double y = fields[1].trimmed().toDouble(&y_ok);
    if (x_ok && y_ok) points << QPointF(x, y);
  }
  return points;
}

}  // namespace

TVELLIC_spectrum_scanner::TVELLIC_spectrum_scanner(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("VELLIC_spectrum_scanner"));
  resize(kLayoutWidth + scanner::operator_panel::kWidth, kLayoutHeight);
  scanner::use_layout_font_substitutes();
  setFont(form_font());
  QPalette background = palette();
  background.setColor(QPalette::Window, QColor(0, 255, 255));  // aqua
  setPalette(background);
  setAutoFillBackground(true);

  create_controls();
  create_postbake_controls();
  create_timers();
  create_operator_panel();
}

void TVELLIC_spectrum_scanner::create_operator_panel() {
  panel = new scanner::operator_panel(this);
  panel->setGeometry(kLayoutWidth, 0, scanner::operator_panel::kWidth, kLayoutHeight);
  // The face of an ordinary window, so the panel reads as an addition to
  // the layout, not a part of it.
  QPalette face = panel->palette();
  face.setColor(QPalette::Window, QColor(236, 236, 236));
  panel->setPalette(face);
  panel->setAutoFillBackground(true);
  tray = new scanner::tray_lamp(this);
  // Not a step of the scan: it only reads what the scan left.
  panel_timer = new QTimer(this);
  panel_timer->setObjectName(QStringLiteral("panel_timer"));
  panel_timer->setInterval(1000);
  connect(panel_timer, &QTimer::timeout, this, [this] {
    refresh_operator_view();
    // The day files of a scanner that runs for months.
    remove_old_history_days();
  });
}

void TVELLIC_spectrum_scanner::create_controls() {
  using namespace scanner;
  Label5 = add_label(this, "Label5", 8, 8, QStringLiteral("VELLIC spectrum scanner"));
  QFont title_font(QStringLiteral("Times New Roman"));
  title_font.setStyleHint(QFont::Serif);
  title_font.setPixelSize(21);
  Label5->setFont(title_font);
  Label5->adjustSize();

  active_button = add_button(this, "active_button", {276, 11, 100, 30}, QStringLiteral("Active"));
  clear_button =
      add_button(this, "clear_button", {390, 11, 100, 30}, QStringLiteral("Clear input"));
  Label4 = add_label(this, "Label4", 16, 77, QStringLiteral("Input path exsitu:"));
  input_path_editor = add_edit(this, "input_path_editor", {112, 74, 497, 21},
                               QStringLiteral("Specify input path here"));
  VELLIC_path_caption =
      add_label(this, "VELLIC_path_caption", 40, 110, QStringLiteral("VELLIC path:"));
  VELLIC_path_label = add_label(this, "VELLIC_path_label", 136, 110, QStringLiteral("---"));
  cp_lab = add_label(this, "cp_lab", 40, 129, QStringLiteral("Current product:"));
  product_label = add_label(this, "product_label", 136, 129, QStringLiteral("---"));
  lumor_lab = add_label(this, "lumor_lab", 416, 137, QStringLiteral("LUMOR exsitu:"));
  output_path_editor = add_edit(this, "output_path_editor", {472, 134, 137, 21},
                                QStringLiteral("Specify LUMOR name here"));
  Label3 = add_label(this, "Label3", 16, 245, QStringLiteral("Last action:"));
  action_label = add_label(this, "action_label", 82, 245, QStringLiteral("------"));

  dgt_lab = add_label(this, "dgt_lab", 40, 148, QStringLiteral("Data go to:"));
  total_output_path_label =
      add_label(this, "total_output_path_label", 136, 148, QStringLiteral("---"));
  Label4b = add_label(this, "Label4b", 416, 161, QStringLiteral("LUMOR insitu:"));
  lumor_insitu_editor = add_edit(this, "lumor_insitu_editor", {472, 158, 137, 21},
                                 QStringLiteral("Specify LUMOR name here"));
  automatic_product_identification =
      add_check_box(this, "automatic_product_identification", {16, 222, 217, 17},
                    QStringLiteral("Automatic product identification"));
  start_active_check_box = add_check_box(this, "start_active_check_box", {240, 222, 97, 17},
                                         QStringLiteral("Start active"));
  hide_controls({dgt_lab, total_output_path_label, Label4b, lumor_insitu_editor,
                 automatic_product_identification, start_active_check_box});
  apply_when_edited(input_path_editor, field_kind::folder);
  apply_when_edited(output_path_editor, field_kind::name);

  on_click(active_button, &TVELLIC_spectrum_scanner::active_buttonClick);
  on_click(clear_button, &TVELLIC_spectrum_scanner::clear_buttonClick);
}

void TVELLIC_spectrum_scanner::create_postbake_controls() {
  using namespace scanner;
  vellic_postbake_path_ =
      add_label(this, "vellic_postbake_path_", 40, 170, QStringLiteral("VELLIC postbake path:"));
  vellic_postbake_path_label =
      add_label(this, "vellic_postbake_path_label", 176, 170, QStringLiteral("---"));
  Label7 = add_label(this, "Label7", 40, 186, QStringLiteral("Current postbake product:"));
  postbake_product_label =
      add_label(this, "postbake_product_label", 176, 186, QStringLiteral("---"));
  Label9 = add_label(this, "Label9", 40, 202, QStringLiteral("Postbake data go to:"));
  postbake_total_output_path_label =
      add_label(this, "postbake_total_output_path_label", 176, 202, QStringLiteral("---"));
  Label11 = add_label(this, "Label11", 416, 186, QStringLiteral("LUMOR:"));
  postbake_output_path_editor = add_edit(this, "postbake_output_path_editor", {472, 183, 137, 21},
                                         QStringLiteral("Specify LUMOR name here"));
  apply_when_edited(postbake_output_path_editor, field_kind::name);
  show_postbake_controls(false);
}

void TVELLIC_spectrum_scanner::show_postbake_controls(bool visible) {
  for (QWidget* control : std::initializer_list<QWidget*>{
           vellic_postbake_path_, vellic_postbake_path_label, Label7, postbake_product_label,
           Label9, postbake_total_output_path_label, Label11, postbake_output_path_editor}) {
    control->setVisible(visible);
  }
}

void TVELLIC_spectrum_scanner::create_timers() {
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TVELLIC_spectrum_scanner::Timer1Timer);

  // The heartbeat runs from the start; its ticks write nothing until the
  // heartbeat file's place is known.
  alive_timer = new QTimer(this);
  alive_timer->setObjectName(QStringLiteral("alive_timer"));
  alive_timer->setInterval(5000);
  connect(alive_timer, &QTimer::timeout, this, &TVELLIC_spectrum_scanner::alive_timerTimer);
  alive_timer->start();
}

// ---- Creation ---------------------------------------------------------------

void TVELLIC_spectrum_scanner::create() {
  // A second run would read the settings again over the operator's edits.
  if (creation_complete_) return;
  FormCreate();
  creation_complete_ = true;
  // Before the first scan, files a crash left claimed go back to their
  // folders under their own names.
  const conversion::context ctx = conversion_context(input_path);
  conversion::recover_claims(ctx.claim_journal, ctx.board);
  load_history();
  refresh_operator_view();
  panel_timer->start();
}

void TVELLIC_spectrum_scanner::FormCreate() {
  process_file_delay_time_in_seconds = 0;
  start_minimized = false;
  save_ini_file = true;
  read_vellic_scanner_ini();
  read_vellic_path_ini();
  read_vellic_postbake_path_ini();
  read_password();
  compose_total_output_path();
  live_signal_file = basics::live_signal_file(vellic_path);
  switch_timer_state();
  alive_timer->start();
}

void TVELLIC_spectrum_scanner::read_vellic_scanner_ini() {
  const scanner::settings_file file =
      scanner::load_settings_file(basics::program_folder_file(kVellicScannerIni));
  if (file.status == scanner::settings_file::state::missing) {
    input_path.clear();
    lumor_name.clear();
    set_applied_text(input_path_editor, QString());
    set_applied_text(output_path_editor, QString());
    return;
  }
  if (file.status == scanner::settings_file::state::unreadable) {
    // The operator's settings are still in that file: never overwrite them
    // with the defaults of this run.
    save_ini_file = false;
    return;
  }
  const QStringList& sl = file.lines;
  if (sl.size() < 2) {
    platform::prompts().show_message(scanner::insufficient_information(kVellicScannerIni));
    return;
  }
  QStringList refused;
  const basics::vellic_scanner_settings settings = basics::read_vellic_scanner_ini(sl, &refused);
  for (const QString& message : refused) platform::prompts().show_message(message);
  input_path = settings.input_path;
  set_applied_text(input_path_editor, input_path);
  lumor_name = settings.lumor_name;
  set_applied_text(output_path_editor, lumor_name);
  automatic_product_identification->setChecked(settings.automatic_product_identification);
  no_scan_files = settings.no_scan_files;
  no_spectral_positions = settings.no_spectral_positions;
  lumor_insitu_name = settings.lumor_insitu_name;
  process_file_delay_time_in_seconds = settings.process_file_delay_time_in_seconds;
  save_ini_file = settings.save_ini_file;
  lumor_insitu_editor->setText(lumor_insitu_name);
  read_additional_vellic_scanner_ini_data(sl);
}

void TVELLIC_spectrum_scanner::read_vellic_path_ini() {
  const QString name = QStringLiteral("vellic_path.ini");
  const scanner::settings_file file =
      scanner::load_settings_file(basics::program_folder_file(name));
  if (file.loaded() && file.lines.value(0).isEmpty()) {
    platform::prompts().show_message(scanner::insufficient_information(name));
  }
  vellic_path = basics::vellic_base_folder(file.lines);
  scanner::show_text(VELLIC_path_label, vellic_path);
}

void TVELLIC_spectrum_scanner::read_vellic_postbake_path_ini() {
  const QString name = QStringLiteral("vellic_postbake_path.ini");
  const scanner::settings_file file =
      scanner::load_settings_file(basics::program_folder_file(name));
  if (file.loaded() && !file.lines.isEmpty()) {
    const QStringList& sl = file.lines;
    vellic_postbake_path = basics::folder_setting(sl[0]);
    if (sl.size() > 1) {
      postbake_lumor_name = sl[1];
      set_applied_text(postbake_output_path_editor, postbake_lumor_name);
    }
    read_additional_postbake_ini_data(sl);
  } else {
    if (file.loaded()) platform::prompts().show_message(scanner::insufficient_information(name));
    vellic_postbake_path.clear();
  }
  scanner::show_text(vellic_postbake_path_label, vellic_postbake_path);
}

void TVELLIC_spectrum_scanner::read_password() {
  const QString path = basics::program_folder_file(QStringLiteral("vellic_pswd.bin"));
  if (!basics::file_exists(path)) return;
  try {
    basics::read_password_file(vellic_password, path,
                               [](const QString& text) { platform::prompts().show_message(text); });
  } catch (...) {
    platform::prompts().show_message(QStringLiteral("Error reading password file!"));
  }
}

// ---- Virtual operations -----------------------------------------------------

void TVELLIC_spectrum_scanner::timer_action() {
  const scan_step_pause pause(this);
  Timer1->setInterval(1000);
  compose_total_output_path();
  conversion::dat_moves_options options;
  options.new_name = [this](const QString& old_name) { return new_name(old_name); };
  conversion::handle_dat_moves(conversion_context(input_path), dat_moves_state_, options);
}

void TVELLIC_spectrum_scanner::delete_action() {}

void TVELLIC_spectrum_scanner::switch_timer_state() {
  show_scanning_state(!scanning_);
}

void TVELLIC_spectrum_scanner::set_timer_state(bool active) {
  show_scanning_state(active);
}

void TVELLIC_spectrum_scanner::show_scanning_state(bool active) {
  scanning_ = active;
  // The lamp follows at once; the panel's own tick comes within a second.
  const auto lamp_follows = qScopeGuard([this] {
    if (creation_complete_) refresh_operator_view();
  });
  if (active) {
    active_button->setText(QStringLiteral("Stop scan"));
    set_active_button_colour(Qt::red);
    show_action(input_path.isEmpty()
                    ? kInputNotConfigured
                    : QStringLiteral("Scanning ") + input_path + QStringLiteral(" ... "));
    // A click during a step's message box must not start a second step
    // inside the first; the step's end starts the timer.
    start_scan_timer_when_due();
  } else {
    Timer1->stop();
    set_active_button_colour(Qt::black);
    active_button->setText(QStringLiteral("Start scan"));
    show_action(QStringLiteral("Not scanning ... "));
  }
}

void TVELLIC_spectrum_scanner::start_scan_timer_when_due() {
  if (scanning_ && !scan_step_running_ && !closing_) Timer1->start();
}

void TVELLIC_spectrum_scanner::set_active_button_colour(const QColor& colour) {
  QPalette caption = active_button->palette();
  caption.setColor(QPalette::ButtonText, colour);
  active_button->setPalette(caption);
}

void TVELLIC_spectrum_scanner::compose_total_output_path() {
  input_path = basics::folder_setting(applied_text(input_path_editor));
  insitu_input_path = basics::folder_setting(insitu_input_path);
  // A folder may come or go between ticks (a network share).
  show_folder_states();
  lumor_name = applied_text(output_path_editor);
  product = watched_product(vellic_path, product_unreadable_);
  scanner::show_text(product_label, product);
  total_output_path = basics::measurement_folder(vellic_path, product, lumor_name);
  scanner::show_text(total_output_path_label, total_output_path);
  total_output_path_insitu = basics::measurement_folder(vellic_path, product, lumor_insitu_name);

  if (vellic_postbake_path.isEmpty()) return;
  postbake_lumor_name = applied_text(postbake_output_path_editor);
  postbake_product = watched_product(vellic_postbake_path, postbake_product_unreadable_);
  scanner::show_text(postbake_product_label, postbake_product);
  postbake_total_output_path =
      basics::measurement_folder(vellic_postbake_path, postbake_product, postbake_lumor_name);
  scanner::show_text(postbake_total_output_path_label, postbake_total_output_path);
}

QString TVELLIC_spectrum_scanner::watched_product(const QString& base, bool& unreadable) {
  const std::optional<QString> found = basics::readable_current_product(base);
  if (found.has_value() == unreadable) {
    unreadable = !found;
    const QString folder = basics::current_product_folder(base);
    report_problem(unreadable ? basics::unreadable_product_folder(folder)
                              : basics::product_folder_readable_again(folder));
  }
  return found.value_or(QString());
}

void TVELLIC_spectrum_scanner::report_problem(const QString& text) {
  show_stamped_action(text);
}

void TVELLIC_spectrum_scanner::set_new_product() {
  const QString folder = basics::current_product_folder(vellic_path) + platform::kDelimiter;
  const QString current = basics::current_product(vellic_path);
  // Nothing to rename in an empty folder; the VELLIC system notices a failed
  // rename by the product staying as it was.
  if (current.isEmpty()) return;
  static_cast<void>(platform::env().rename_file(folder + current, folder + product));
}

QString TVELLIC_spectrum_scanner::new_name(const QString& old_name) {
  return old_name.left(qMax(0, old_name.size() - 4)) + QStringLiteral("___R.dat");
}

void TVELLIC_spectrum_scanner::read_additional_postbake_ini_data(const QStringList&) {}

void TVELLIC_spectrum_scanner::read_additional_vellic_scanner_ini_data(const QStringList&) {}

void TVELLIC_spectrum_scanner::write_additional_vellic_scanner_ini_data(QStringList&) {}

QString TVELLIC_spectrum_scanner::compute_archive_path() const {
  return basics::archive_root(vellic_path, external_archive_directory);
}

conversion::context TVELLIC_spectrum_scanner::conversion_context(const QString& input_folder) {
  conversion::context ctx;
  ctx.input_folder = input_folder;
  ctx.output_folder = total_output_path;
  ctx.vellic_path = vellic_path;
  ctx.product = product;
  ctx.lumor_name = lumor_name;
  ctx.archive_root = compute_archive_path();
  ctx.settle_seconds = process_file_delay_time_in_seconds;
  ctx.status = [this](const QString& text) { show_stamped_action(text); };
  // Through the one status path, so the journal names a folder that failed.
  ctx.plain_status = [this](const QString& text) { show_action(text); };
  // Without a message board, its lines go to the status line.
  ctx.board = ctx.plain_status;
  ctx.box = [](const QString& text) { platform::prompts().show_message(text); };
  // The window stays responsive through a long run of files.
  ctx.between_files = [] { QCoreApplication::processEvents(); };
  ctx.claim_journal = conversion::claim_journal_folder();
  ctx.handled = [this](const basics::history_record& record) { note_handled(record); };
  return ctx;
}

// ---- Event handlers ---------------------------------------------------------

void TVELLIC_spectrum_scanner::FormClose() {
  basics::vellic_scanner_settings settings;
  settings.input_path = applied_text(input_path_editor);
  settings.lumor_name = applied_text(output_path_editor);
  settings.automatic_product_identification = automatic_product_identification->isChecked();
  settings.no_scan_files = no_scan_files;
  settings.no_spectral_positions = no_spectral_positions;
  settings.lumor_insitu_name = lumor_insitu_name;
  settings.insitu_input_path = insitu_input_path;
  settings.process_file_delay_time_in_seconds = process_file_delay_time_in_seconds;
  settings.save_ini_file = save_ini_file;
  QStringList sl = basics::vellic_scanner_ini_lines(settings);
  write_additional_vellic_scanner_ini_data(sl);
  const QString path = basics::program_folder_file(kVellicScannerIni);
  if (save_ini_file && !basics::file_is_read_only(path)) basics::write_settings_lines(path, sl);
}

void TVELLIC_spectrum_scanner::active_buttonClick() {
  switch_timer_state();
}

void TVELLIC_spectrum_scanner::clear_buttonClick() {
  delete_action();
}

void TVELLIC_spectrum_scanner::Timer1Timer() {
  // A message box shown during creation lets ticks through; the first scan
  // step has to wait for the whole chain. A box open while the window
  // closes lets them through too.
  if (!creation_complete_ || closing_) return;
  run_guarded([this] { timer_action(); });
  if (close_after_step_) {
    close_after_step_ = false;
    close();
  }
}

void TVELLIC_spectrum_scanner::alive_timerTimer() {
  if (live_signal_file.isEmpty()) return;
  run_guarded([this] { basics::renew_live_signal(live_signal_file); });
}

void TVELLIC_spectrum_scanner::Button1Click() {
  const QString path = platform::env().temp_folder() + platform::kDelimiter + "test.txt";
  platform::held_file held(path);
  if (!held.is_open()) {
    platform::prompts().show_message(path + QStringLiteral(" could not be created."));
    return;
  }
  const auto answer = [&path] {
    return basics::file_is_renamable(path) ? QStringLiteral("File is closed!")
                                           : QStringLiteral("File is open");
  };
  platform::prompts().show_message(answer());
  held.close();
  platform::prompts().show_message(answer());
}

TVELLIC_spectrum_scanner::~TVELLIC_spectrum_scanner() {
  // QWidget's destructor closes the window, which moves the focus and ends
  // the editing of a field: by then this object is gone, so nothing applies.
  for (const applied_field& entry : applied_fields_) disconnect(entry.edited);
}

void TVELLIC_spectrum_scanner::closeEvent(QCloseEvent* event) {
  // No scan step starts once the close has begun, not even while a box of
  // the close waits; the heartbeat ends with the scanner.
  closing_ = true;
  Timer1->stop();
  // A step lets events through between its files; a close that comes then
  // (the operator's, or a termination request) waits for the step's end, so
  // no file is left half done.
  if (scan_step_running_) {
    close_after_step_ = true;
    event->ignore();
    return;
  }
  alive_timer->stop();
  panel_timer->stop();
  // Once: a termination request during a box of the close closes again.
  if (!settings_written_) {
    settings_written_ = true;
    run_guarded([this] { FormClose(); });
  }
  event->accept();
}

// ---- Fields applied when editing ends -----------------------------------------

void TVELLIC_spectrum_scanner::apply_when_edited(QLineEdit* field, field_kind kind,
                                                 const std::function<void()>& applied) {
  // Until a settings file or the operator says otherwise, the layout's text.
  applied_fields_.push_back({field, kind, field->text(), {}});
  applied_fields_.back().edited =
      connect(field, &QLineEdit::editingFinished, this, [this, field, applied] {
        find_applied(field)->text = field->text();
        show_folder_states();
        if (applied) applied();
      });
}

QString TVELLIC_spectrum_scanner::applied_text(const QLineEdit* field) const {
  for (const applied_field& entry : applied_fields_) {
    if (entry.field == field) return entry.text;
  }
  return field->text();
}

void TVELLIC_spectrum_scanner::set_applied_text(QLineEdit* field, const QString& text) {
  field->setText(text);
  if (applied_field* entry = find_applied(field)) entry->text = text;
}

TVELLIC_spectrum_scanner::applied_field* TVELLIC_spectrum_scanner::find_applied(
    const QLineEdit* field) {
  for (applied_field& entry : applied_fields_) {
    if (entry.field == field) return &entry;
  }
  return nullptr;
}

void TVELLIC_spectrum_scanner::show_folder_states() {
  for (const applied_field& entry : applied_fields_) {
    if (entry.kind != field_kind::folder) continue;
    const QString folder = basics::folder_setting(entry.text);
    // An empty field is not configured, which is no fault.
    const bool missing = !folder.isEmpty() && !basics::folder_exists(folder);
    scanner::show_fault(entry.field, missing ? QStringLiteral("The folder ") + folder +
                                                   QStringLiteral(" does not exist.")
                                             : QString());
  }
}

// ---- Reporting --------------------------------------------------------------

void TVELLIC_spectrum_scanner::run_guarded(const std::function<void()>& handler) {
  // The lamp turns red before the box opens: the box may wait long.
  const auto report = [this](const QString& text) {
    note_fault(text);
    platform::prompts().show_message(text);
  };
  try {
    handler();
  } catch (const basics::error& failure) {
    report(failure.text());
  } catch (const std::exception& failure) {
    report(QString::fromLocal8Bit(failure.what()));
  } catch (...) {
    report(QStringLiteral("Unknown error"));
  }
}

void TVELLIC_spectrum_scanner::show_action(const QString& text) {
  scanner::show_text(action_label, text);
  emit action_shown(text, text);
}

void TVELLIC_spectrum_scanner::show_stamped_action(const QString& text) {
  const QString stamped = basics::date_time_stamp() + text;
  scanner::show_text(action_label, stamped);
  emit action_shown(stamped, text);
}

// ---- Helpers ----------------------------------------------------------------

TVELLIC_spectrum_scanner::scan_step_pause::scan_step_pause(TVELLIC_spectrum_scanner* window)
    : window_(window) {
  window_->scan_step_running_ = true;
  window_->Timer1->stop();
}

TVELLIC_spectrum_scanner::scan_step_pause::~scan_step_pause() {
  window_->scan_step_running_ = false;
  window_->start_scan_timer_when_due();
}

// ---- The operator's panel -----------------------------------------------------

QList<scanner::watched_folder> TVELLIC_spectrum_scanner::watched_folders() {
  return {{QStringLiteral("input folder"), input_path, QString::fromLatin1(conversion::kDatMask)},
          watched_output()};
}

scanner::watched_folder TVELLIC_spectrum_scanner::watched_output() const {
  return {QStringLiteral("output folder of the product ") + product, total_output_path, {}};
}

scanner::watched_folder TVELLIC_spectrum_scanner::watched_archive(const QString& root) const {
  return {QStringLiteral("archive folder"),
          root.isEmpty() ? vellic_path + QStringLiteral("archive") + platform::kDelimiter : root,
          {}};
}

void TVELLIC_spectrum_scanner::refresh_operator_view() {
  const QDateTime now = platform::env().now();
  scanner::lamp_inputs inputs;
  inputs.scanning = scanning_;
  inputs.now = now;
  inputs.last_fault = last_fault_;
  QList<scanner::waiting_line> waiting;
  for (const scanner::watched_folder& folder : watched_folders()) {
    const bool present = !folder.path.isEmpty() && basics::folder_exists(folder.path);
    inputs.folders.append({folder.role, folder.path, present});
    if (folder.mask.isEmpty()) continue;
    waiting.append({folder.role, folder.path,
                    present ? basics::waiting_in(folder.path, folder.mask, kFreshListingMs)
                            : basics::waiting_summary()});
  }
  panel->show_waiting(waiting, now);
  show_lamp(scanner::lamp_for(inputs));
}

void TVELLIC_spectrum_scanner::show_lamp(const scanner::lamp& current) {
  if (lamp_shown_ && current == lamp_) return;
  lamp_shown_ = true;
  lamp_ = current;
  panel->show_lamp(current);
  tray->show_lamp(current);
  emit lamp_changed(current);
}

void TVELLIC_spectrum_scanner::note_fault(const QString& text) {
  last_fault_ = scanner::fault{platform::env().now(), text};
  tray->notify({windowTitle() + QStringLiteral(": error"), text});
  if (creation_complete_) refresh_operator_view();
}

QString TVELLIC_spectrum_scanner::history_folder() {
  return basics::app_data_file(QStringLiteral("history"));
}

void TVELLIC_spectrum_scanner::note_handled(const basics::history_record& record) {
  if (!history_) history_.emplace(history_folder());
  const platform::Status kept = history_->append(record);
  panel->add_history(record);
  show_last_spectra(record);
  emit file_handled(record);
  if (const std::optional<scanner::tray_notice> notice = scanner::notice_for(record)) {
    last_fault_ = scanner::fault{record.time, notice->title + QStringLiteral(": ") + notice->text};
    // An error passes on to the general error report, which notifies.
    if (record.result == basics::history_result::set_aside) tray->notify(*notice);
  }
  if (!kept.ok() && !history_failing_) {
    note_fault(QStringLiteral("The history cannot be written: ") + kept.message());
  }
  history_failing_ = !kept.ok();
  refresh_operator_view();
}

void TVELLIC_spectrum_scanner::remove_old_history_days() {
  const QDate today = platform::env().now().date();
  if (today == history_kept_on_) return;
  history_kept_on_ = today;
  basics::remove_old_history(history_folder(), today);
}

void TVELLIC_spectrum_scanner::load_history() {
  remove_old_history_days();
  const QList<basics::history_record> newest_first =
      basics::read_history(history_folder(), scanner::operator_panel::kHistoryRows);
  for (auto it = newest_first.crbegin(); it != newest_first.crend(); ++it) panel->add_history(*it);
  // The spectra of the last conversion, while its output is still there.
  for (const basics::history_record& record : newest_first) {
    if (record.result != basics::history_result::converted || record.output.isEmpty()) continue;
    show_last_spectra(record);
    break;
  }
}

void TVELLIC_spectrum_scanner::show_last_spectra(const basics::history_record& record) {
  if (record.result != basics::history_result::converted || record.output.isEmpty()) return;
  const QString title =
      (record.plate ? QStringLiteral("Plate %1").arg(*record.plate) : QStringLiteral("File")) +
      QStringLiteral(" (") + record.input + QStringLiteral(")");
  // The output as the analysis programs read it; one that is gone or
  // damaged leaves the last spectra shown.
  try {
    if (record.output.endsWith(QStringLiteral(".scn"))) {
      basics::scan_data scanned;
      scanned.loadfromfile(record.output);
      panel->show_scan_record(scanned, title);
    } else if (record.output.endsWith(QStringLiteral(".csv"))) {
      panel->show_curve(inline_curve(basics::read_lines(record.output)), title);
    }
  } catch (const basics::error&) {
  }
}
