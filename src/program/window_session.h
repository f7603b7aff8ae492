#pragma once

// What every program with a window sets up before its window: without a
// display it runs on Qt's offscreen platform and says first, in its journal,
// which build is running; with one, the operator's message boxes are real Qt
// dialogs. Also ends the program the way the operator would close its
// window on a termination request, whatever box or dialog is open then.

#include <QApplication>
#include <QPointer>

#include <optional>

#include "dialogs/qt_prompts.h"
#include "platform/operator_prompts.h"

class QWidget;

namespace program {

// The desktop entries the package installs (their file names without
// ".desktop"): the scanners share one, the language editor has its own.
inline constexpr char kScannerDesktopEntry[] = "dornik-spectrum-scanner";
inline constexpr char kEditorDesktopEntry[] = "dornik-language-editor";

// Tells the desktop which entry the program's windows belong to, so a dock
// or task bar shows them under it (the Wayland application id), and gives
// every window the package's icon.
void identify_to_desktop(const char* desktop_entry);

// What a termination request runs: ends every open box and dialog as its
// Cancel or No would, lets `prompts` answer at once from then on, closes
// `window` (when there is one yet) as the operator would, which writes its
// settings, and ends every running event loop, nested ones included.
void end_program(qt_prompts& prompts, QWidget* window);

class window_session {
 public:
  // Watches for termination requests (SIGTERM, SIGINT) from here on, so a
  // box shown while the program starts ends too. `desktop_entry` as for
  // identify_to_desktop. `headless` runs it without a window even where
  // there is a desktop; without a desktop it is so anyway.
  window_session(int& argc, char** argv, const char* desktop_entry, bool headless = false);
  window_session(const window_session&) = delete;
  window_session& operator=(const window_session&) = delete;

  bool headless() const { return headless_; }

  // Closes `window` on a termination request, as the operator's close
  // would; at once when the request came while the window was being made.
  void close_on_termination(QWidget& window);

  // True once the program was asked to end.
  bool ending() const { return ending_; }

  // The message loop; returns 0 at once when the program was asked to end
  // before it started.
  int exec() { return ending_ ? 0 : application_.exec(); }

 private:
  void end();

  bool headless_;
  QApplication application_;
  qt_prompts dialogs_;
  std::optional<platform::scoped_prompts> with_dialogs_;
  QPointer<QWidget> window_;
  bool ending_ = false;
};

}  // namespace program
