#include "program/window_session.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QWidget>

#include "command_line/command_line.h"
#include "dialogs/open_dialogs.h"
#include "platform/journal.h"
#include "platform/session.h"

namespace program {
namespace {

// Decided before the application exists, which reads the platform then.
bool prepare_headless(char** argv, bool asked) {
  const bool headless = asked || platform::headless_session();
  if (!headless) return false;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  platform::write_journal_line(QStringLiteral("version: "), version_line(argv[0]));
  return true;
}

}  // namespace

void identify_to_desktop(const char* desktop_entry) {
  QGuiApplication::setDesktopFileName(QString::fromLatin1(desktop_entry));
  // The package's own icon, built in: the window has it wherever the
  // program runs, installed or not.
  QGuiApplication::setWindowIcon(QIcon(QStringLiteral(WINDOW_ICON)));
}

void end_program(qt_prompts& prompts, QWidget* window) {
  // Before the boxes end: the code after a box's exec() may ask again, and
  // nobody is there to answer.
  prompts.answer_at_once();
  reject_open_dialogs();
  if (window != nullptr) window->close();
  // Every loop, also the one of a box shown from a close handler, and also
  // when something else is still on the screen.
  QCoreApplication::exit(0);
}

window_session::window_session(int& argc, char** argv, const char* desktop_entry, bool headless)
    : headless_(prepare_headless(argv, headless)), application_(argc, argv) {
  identify_to_desktop(desktop_entry);
  if (!headless_) with_dialogs_.emplace(&dialogs_);
  const platform::Status watching = platform::on_termination_request([this] { end(); });
  if (!watching.ok()) platform::prompts().show_message(watching.message());
}

void window_session::close_on_termination(QWidget& window) {
  window_ = &window;
  if (ending_) end();
}

void window_session::end() {
  ending_ = true;
  end_program(dialogs_, window_.data());
}

}  // namespace program
