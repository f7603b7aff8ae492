#pragma once

// What every program with a window sets up before its window: without a
// display it runs on Qt's offscreen platform and says first, in its journal,
// which build is running; with one, the operator's message boxes are real Qt
// dialogs. Also stops the window the way the operator would on a
// termination request.

#include <QApplication>

#include <optional>

#include "dialogs/qt_prompts.h"
#include "platform/operator_prompts.h"

class QWidget;

namespace program {

class window_session {
 public:
  window_session(int& argc, char** argv);
  window_session(const window_session&) = delete;
  window_session& operator=(const window_session&) = delete;

  bool headless() const { return headless_; }

  // Closes `window` on SIGTERM or SIGINT, as the operator's close would.
  void close_on_termination(QWidget& window);

  int exec() { return application_.exec(); }

 private:
  bool headless_;
  QApplication application_;
  qt_prompts dialogs_;
  std::optional<platform::scoped_prompts> with_dialogs_;
};

}  // namespace program
