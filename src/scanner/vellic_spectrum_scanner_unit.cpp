#include "scanner/vellic_spectrum_scanner_unit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColor>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTimer>

#include <exception>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/live_signal.h"
#include "basics/text.h"
#include "basics/vellic_scanner_ini.h"
#include "basics/vellic_tree.h"
#include "conversion/claim_journal.h"
#include "conversion/claimed_file.h"
#include "conversion/dat_moves.h"
#include "conversion/input_queue.h"
#include "platform/env.h"
#include "platform/file_error.h"
#include "platform/held_file.h"
#include "platform/operator_prompts.h"
#include "scanner/operator_view.h"
#include "scanner/settings_file.h"
#include "scanner/tray_lamp.h"
#include "scanner/window_controls.h"

namespace {

// The status line of a scanner switched on without an input folder: an
// empty one names no folder, and "Scanning  ... " would hide that.
const QString kInputNotConfigured = QStringLiteral("Scanning: input folder not configured");

}  // namespace

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
  view_->start();
  refresh_operator_view();
  // A backlog starts at once, as soon as the window is up, not a tick later.
  QTimer::singleShot(0, this, [this] {
    if (scanning_) Timer1Timer();
  });
}

void TVELLIC_spectrum_scanner::FormCreate() {
  process_file_delay_time_in_seconds = 0;
  start_minimized = false;
  save_ini_file = true;
  read_vellic_scanner_ini();
  read_vellic_path_ini();
  read_vellic_postbake_path_ini();
  scanner::read_operator_password(vellic_password);
  compose_total_output_path();
  live_signal_file = basics::live_signal_file(vellic_path);
  switch_timer_state();
  alive_timer->start();
}

void TVELLIC_spectrum_scanner::read_vellic_scanner_ini() {
  const scanner::scanner_ini file = scanner::read_scanner_ini();
  switch (file.status) {
    case scanner::scanner_ini::state::missing:
      input_path.clear();
      lumor_name.clear();
      path_fields.set_text(input_path_editor, QString());
      path_fields.set_text(output_path_editor, QString());
      return;
    case scanner::scanner_ini::state::unreadable:
      // The operator's settings are still in that file: never overwrite
      // them with the defaults of this run.
      save_ini_file = false;
      return;
    case scanner::scanner_ini::state::too_short:
      return;
    case scanner::scanner_ini::state::read:
      break;
  }
  const basics::vellic_scanner_settings& settings = file.settings;
  input_path = settings.input_path;
  path_fields.set_text(input_path_editor, input_path);
  lumor_name = settings.lumor_name;
  path_fields.set_text(output_path_editor, lumor_name);
  automatic_product_identification->setChecked(settings.automatic_product_identification);
  no_scan_files = settings.no_scan_files;
  no_spectral_positions = settings.no_spectral_positions;
  lumor_insitu_name = settings.lumor_insitu_name;
  process_file_delay_time_in_seconds = settings.process_file_delay_time_in_seconds;
  save_ini_file = settings.save_ini_file;
  lumor_insitu_editor->setText(lumor_insitu_name);
  read_additional_vellic_scanner_ini_data(file.lines);
}

void TVELLIC_spectrum_scanner::read_vellic_path_ini() {
  vellic_path = scanner::read_vellic_path_ini();
  scanner::show_text(VELLIC_path_label, vellic_path);
}

void TVELLIC_spectrum_scanner::read_vellic_postbake_path_ini() {
  const QStringList sl = scanner::read_vellic_postbake_path_ini();
  if (!sl.isEmpty()) {
    vellic_postbake_path = basics::folder_setting(sl[0]);
    if (sl.size() > 1) {
      postbake_lumor_name = sl[1];
      path_fields.set_text(postbake_output_path_editor, postbake_lumor_name);
    }
    read_additional_postbake_ini_data(sl);
  } else {
    vellic_postbake_path.clear();
  }
  scanner::show_text(vellic_postbake_path_label, vellic_postbake_path);
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
  view_->follow_scan(active);
  // The lamp follows at once; the next tick comes within a second.
  const auto lamp_follows = qScopeGuard([this] {
    if (creation_complete_) refresh_operator_view();
  });
  if (active) {
    active_button->setText(QStringLiteral("Stop scan"));
    scanner::show_caption_colour(active_button, Qt::red);
    show_action(input_path.isEmpty()
                    ? kInputNotConfigured
                    : QStringLiteral("Scanning ") + input_path + QStringLiteral(" ... "));
    // A click during a step's message box must not start a second step
    // inside the first; the step's end starts the timer.
    start_scan_timer_when_due();
  } else {
    Timer1->stop();
    scanner::show_caption_colour(active_button, Qt::black);
    active_button->setText(QStringLiteral("Start scan"));
    show_action(QStringLiteral("Not scanning ... "));
  }
}

void TVELLIC_spectrum_scanner::start_scan_timer_when_due() {
  if (scanning_ && !scan_step_running_ && !closing_) Timer1->start();
}

void TVELLIC_spectrum_scanner::compose_total_output_path() {
  input_path = basics::folder_setting(path_fields.text(input_path_editor));
  insitu_input_path = basics::folder_setting(insitu_input_path);
  // A folder may come or go between ticks (a network share).
  path_fields.show_folder_states();
  lumor_name = path_fields.text(output_path_editor);
  product = watched_product(vellic_path, product_unreadable_);
  scanner::show_text(product_label, product);
  total_output_path = basics::measurement_folder(vellic_path, product, lumor_name);
  scanner::show_text(total_output_path_label, total_output_path);
  total_output_path_insitu = basics::measurement_folder(vellic_path, product, lumor_insitu_name);

  if (vellic_postbake_path.isEmpty()) return;
  postbake_lumor_name = path_fields.text(postbake_output_path_editor);
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
  ctx.claim_refused = [this](const QString& path, const platform::Status& refused) {
    refused_claims_this_step_.insert(platform::folder_of(path),
                                     QStringLiteral("holds files that cannot be renamed (%1)")
                                         .arg(platform::failure_reason(refused)));
  };
  if (const auto listed = step_listings_.constFind(input_folder); listed != step_listings_.cend()) {
    ctx.listed = *listed;
  }
  return ctx;
}

QStringList TVELLIC_spectrum_scanner::list_for_step(const QString& folder) {
  const conversion::context ctx = conversion_context(folder);
  const QStringList waiting = conversion::waiting_files(
      ctx.system(), folder, QString::fromLatin1(conversion::kInputMask), ctx.board);
  step_listings_.insert(folder, waiting);
  return waiting;
}

// ---- Event handlers ---------------------------------------------------------

void TVELLIC_spectrum_scanner::FormClose() {
  basics::vellic_scanner_settings settings;
  settings.input_path = path_fields.text(input_path_editor);
  settings.lumor_name = path_fields.text(output_path_editor);
  settings.automatic_product_identification = automatic_product_identification->isChecked();
  settings.no_scan_files = no_scan_files;
  settings.no_spectral_positions = no_spectral_positions;
  settings.lumor_insitu_name = lumor_insitu_name;
  settings.insitu_input_path = insitu_input_path;
  settings.process_file_delay_time_in_seconds = process_file_delay_time_in_seconds;
  settings.save_ini_file = save_ini_file;
  QStringList sl = basics::vellic_scanner_ini_lines(settings);
  write_additional_vellic_scanner_ini_data(sl);
  if (save_ini_file) scanner::write_scanner_ini(sl);
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
  // Steps never overlap, also when the first step at the start comes while
  // a box of another waits.
  if (scan_step_running_) return;
  run_guarded([this] { timer_action(); });
  // In the same wake-up as the step: an idle scanner wakes once a second.
  refresh_operator_view();
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

// QWidget's destructor closes the window, which moves the focus and ends
// the editing of a field: `path_fields` is gone by then, so nothing applies.
TVELLIC_spectrum_scanner::~TVELLIC_spectrum_scanner() = default;

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
  view_->stop();
  // Once: a termination request during a box of the close closes again.
  if (!settings_written_) {
    settings_written_ = true;
    run_guarded([this] { FormClose(); });
  }
  event->accept();
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
  window_->refused_claims_this_step_.clear();
}

TVELLIC_spectrum_scanner::scan_step_pause::~scan_step_pause() {
  window_->refused_claims_ = window_->refused_claims_this_step_;
  window_->scan_step_running_ = false;
  // The next step lists afresh.
  window_->step_listings_.clear();
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
  return watched_archive(root, vellic_path, QStringLiteral("archive folder"));
}

scanner::watched_folder TVELLIC_spectrum_scanner::watched_archive(const QString& root,
                                                                  const QString& base,
                                                                  const QString& role) const {
  return {
      role, root.isEmpty() ? base + QStringLiteral("archive") + platform::kDelimiter : root, {}};
}

scanner::operator_panel* TVELLIC_spectrum_scanner::the_panel() const {
  return view_->panel();
}

scanner::tray_lamp* TVELLIC_spectrum_scanner::the_tray() const {
  return view_->tray();
}

void TVELLIC_spectrum_scanner::refresh_operator_view() {
  scanner::lamp_inputs inputs;
  inputs.scanning = scanning_;
  inputs.now = platform::env().now();
  inputs.last_fault = last_fault_;
  inputs.folders = view_->look_at(watched_folders(), inputs.now, scan_step_running_);
  add_refused_claims(inputs.folders);
  show_lamp(scanner::lamp_for(inputs));
}

void TVELLIC_spectrum_scanner::add_refused_claims(QList<scanner::needed_folder>& folders) const {
  for (scanner::needed_folder& folder : folders) {
    if (!folder.present || !folder.problem.isEmpty() || folder.path.isEmpty()) continue;
    folder.problem = refused_claims_.value(platform::with_delimiter(folder.path));
  }
}

void TVELLIC_spectrum_scanner::show_lamp(const scanner::lamp& current) {
  if (lamp_shown_ && current == lamp_) return;
  lamp_shown_ = true;
  lamp_ = current;
  emit lamp_changed(current);
}

void TVELLIC_spectrum_scanner::note_fault(const QString& text) {
  last_fault_ = scanner::fault{platform::env().now(), text};
  view_->notify({windowTitle() + QStringLiteral(": error"), text});
  if (creation_complete_) refresh_operator_view();
}

void TVELLIC_spectrum_scanner::note_handled(const basics::history_record& record) {
  const platform::Status kept = view_->keep_in_history(record);
  emit file_handled(record);
  if (const std::optional<scanner::tray_notice> notice = scanner::notice_for(record)) {
    last_fault_ = scanner::fault{record.time, notice->title + QStringLiteral(": ") + notice->text};
  }
  if (!kept.ok() && !history_failing_) {
    note_fault(QStringLiteral("The history cannot be written: ") + kept.message());
  }
  history_failing_ = !kept.ok();
  refresh_operator_view();
}
