#include "program/window_session.h"

#include <QWidget>

#include "platform/journal.h"
#include "platform/session.h"
#include "program/command_line.h"

namespace program {
namespace {

// Decided before the application exists, which reads the platform then.
bool prepare_headless(char** argv) {
  const bool headless = platform::headless_session();
  if (!headless) return false;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  platform::write_journal_line(QStringLiteral("version: "), version_line(argv[0]));
  return true;
}

}  // namespace

window_session::window_session(int& argc, char** argv)
    : headless_(prepare_headless(argv)), application_(argc, argv) {
  if (!headless_) with_dialogs_.emplace(&dialogs_);
}

void window_session::close_on_termination(QWidget& window) {
  const platform::Status watching = platform::on_termination_request([&window] { window.close(); });
  if (!watching.ok()) platform::prompts().show_message(watching.message());
}

}  // namespace program
