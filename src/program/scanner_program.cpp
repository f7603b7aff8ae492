#include "program/scanner_program.h"

#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <optional>

#include "basics/files.h"
#include "basics/startup.h"
#include "command_line/command_line.h"
#include "platform/env.h"
#include "platform/journal.h"
#include "platform/operator_prompts.h"
#include "platform/session.h"
#include "program/check_config.h"
#include "program/window_session.h"
#include "scanner/selmar_spectrum_scanner_Unit.h"

namespace {

// Without a display, what the window shows goes to the journal: each new
// status line (not again when only its date and time changed) and each line
// of the message board, where the window has one. Message boxes get there
// through the headless prompts.
void keep_journal_of(TVELLIC_spectrum_scanner& window) {
  QObject::connect(&window, &TVELLIC_spectrum_scanner::action_shown, &window,
                   [previous = std::optional<QString>()](
                       const QString& text, const QString& text_without_stamp) mutable {
                     if (previous == text_without_stamp) return;
                     previous = text_without_stamp;
                     platform::write_journal_line(QStringLiteral("status: "), text);
                   });
  // The lamp and the history, so a service is watched as the panel is.
  QObject::connect(
      &window, &TVELLIC_spectrum_scanner::lamp_changed, &window, [](const scanner::lamp& lamp) {
        const bool calm =
            lamp.colour == scanner::lamp_colour::green || lamp.colour == scanner::lamp_colour::grey;
        platform::write_journal_line(
            QStringLiteral("state: "),
            scanner::colour_word(lamp.colour) + QStringLiteral(": ") + lamp.text,
            calm ? platform::severity::info : platform::severity::warning);
      });
  QObject::connect(&window, &TVELLIC_spectrum_scanner::file_handled, &window,
                   [](const basics::history_record& record) {
                     platform::write_journal_line(QStringLiteral("history: "),
                                                  QString::fromUtf8(basics::history_line(record)),
                                                  basics::journal_severity(record.result),
                                                  basics::journal_fields_of(record));
                   });
  if (auto* with_board = qobject_cast<TSELMAR_spectrum_scanner_main*>(&window)) {
    QObject::connect(
        with_board, &TSELMAR_spectrum_scanner_main::board_line_added, with_board,
        [](const QString& line) { platform::write_journal_line(QStringLiteral("board: "), line); });
  }
}

// A service manager that watches the scanner hears it is ready once it
// scans, then hears from the event loop: a step that hangs stops the pings,
// and the manager restarts the scanner.
void keep_service_manager_informed(QObject& owner) {
  platform::tell_service_manager_ready();
  const int interval = platform::service_alive_interval_ms();
  if (interval <= 0) return;
  auto* alive = new QTimer(&owner);
  alive->setObjectName(QStringLiteral("service_alive_timer"));
  QObject::connect(alive, &QTimer::timeout, [] { platform::tell_service_manager_alive(); });
  alive->start(interval);
}

// Long enough for the demo's files to be converted (a second of settle
// time, ten files a tick) and the panel to show them.
constexpr int kScreenshotDelayMs = 8000;

// Saves the window's picture to `file` once the scanner has worked a
// while, then closes the window as the operator would.
void take_screenshot_later(TVELLIC_spectrum_scanner& window, const QString& file) {
  QTimer::singleShot(kScreenshotDelayMs, &window, [&window, file] {
    // A bare name goes into the working folder, which is there already.
    const QString folder = platform::folder_of(file);
    if (!folder.isEmpty()) basics::ensure_folder_path(folder);
    const bool saved = window.grab().save(file, "PNG");
    platform::write_journal_line(QStringLiteral("screenshot: "),
                                 (saved ? QString() : QStringLiteral("not saved: ")) + file,
                                 saved ? platform::severity::info : platform::severity::error);
    window.close();
  });
}

program::usage scanner_usage(const scanner_identity& identity) {
  program::usage usage;
  usage.description = identity.converts +
                      QStringLiteral(
                          " Its settings files say which folders it scans and where the results "
                          "go. Without a display it runs headless and writes its journal to "
                          "standard error.");
  usage.scanner_options = true;
  usage.details = QStringLiteral(
      "Exit codes: 0 closed (by the operator, or by a signal as below), --check-config found\n"
      "everything usable, or --init made the deployment; 1 --check-config found something\n"
      "missing, or --init made nothing (a folder that is not empty); 2 wrong arguments, or\n"
      "the program folder does not exist; 3 another scanner already runs on the program\n"
      "folder; 4 the lock that keeps it the only one there could not be taken.\n"
      "\n"
      "Signals: SIGTERM and SIGINT (Ctrl-C) close the window as the operator would: an\n"
      "open box or dialog ends as if cancelled, the settings are written and the exit\n"
      "code is 0.");
  return usage;
}

int check_config(program::deployment_kind kind) {
  bool usable = false;
  program::print(stdout, program::configuration_report(&usable, kind));
  return usable ? 0 : 1;
}

constexpr char kInstanceLockName[] = ".vellic_scanner.lock";

// Two scanners on one program folder would split its files between them,
// archive over each other and overwrite each other's settings at close. A
// read-only program folder has its lock in the shared temporary folder; a
// scanner that can take neither lock cannot know it is alone, and ends.
std::optional<int> refuse_second_scanner() {
  const QString folder = basics::program_folder_file(QString());
  const QString name = QString::fromLatin1(kInstanceLockName);
  platform::Status locked = platform::hold_instance_lock(folder + name);
  if (!locked.ok() && !locked.is_busy()) {
    const QString shared = platform::shared_lock_file(folder, name);
    if (!shared.isEmpty()) locked = platform::hold_instance_lock(shared);
  }
  if (locked.ok()) {
    // The one run on this folder: what an earlier run left is ours to tidy.
    platform::remove_stale_publish_files();
    return std::nullopt;
  }
  if (locked.is_busy()) {
    platform::prompts().show_message(
        QStringLiteral("Another scanner already runs on the program folder %1; this one ends.")
            .arg(folder));
    return program::kAnotherInstance;
  }
  platform::prompts().show_message(
      QStringLiteral("The scanner cannot make sure that it is the only one on the program folder "
                     "%1 (%2); it ends.")
          .arg(folder, locked.message()));
  return program::kNoInstanceLock;
}

// A program folder that is not there (mistyped, or not yet made) would give
// a scanner without any of its settings that never says why.
bool program_folder_missing() {
  const QString folder = basics::program_folder_file(QString());
  if (basics::folder_exists(folder)) return false;
  platform::prompts().show_message(
      QStringLiteral("The program folder %1 does not exist; the scanner ends.").arg(folder));
  return true;
}

}  // namespace

int run_scanner_program(
    int argc, char** argv, const scanner_identity& identity,
    const std::function<std::unique_ptr<TVELLIC_spectrum_scanner>()>& make_window) {
  const program::command_line command =
      program::parse_command_line(argc, argv, scanner_usage(identity));
  if (command.exit_code) return *command.exit_code;
  if (command.check_config) return check_config(identity.deployment);
  if (command.init) {
    return program::make_new_deployment(identity.deployment,
                                        platform::name_of(QString::fromLocal8Bit(argv[0])));
  }

  // The shared unit's start-up may already ask the operator a question, so
  // the prompts are in place before it runs.
  program::window_session session(argc, argv, program::kScannerDesktopEntry, command.headless);
  if (program_folder_missing()) return program::kWrongArguments;
  if (const std::optional<int> refused = refuse_second_scanner()) return *refused;
  basics::start_basics([](const QString& caption, const QString& text) {
    return platform::prompts().ask_yes_no(caption, text);
  });

  int exit_code = 0;
  {
    const std::unique_ptr<TVELLIC_spectrum_scanner> window = make_window();
    if (session.headless()) keep_journal_of(*window);
    window->create();
    // Stopping the program closes the window as the operator would, so the
    // settings are written; a request that came while a creation step's box
    // was open closes it now.
    session.close_on_termination(*window);
    if (!session.ending()) window->show();
    keep_service_manager_informed(*window);
    if (!command.screenshot.isEmpty()) take_screenshot_later(*window, command.screenshot);
    exit_code = session.exec();
  }
  platform::finish_journal_run();
  basics::stop_basics();
  return exit_code;
}
