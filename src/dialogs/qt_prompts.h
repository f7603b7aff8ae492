#pragma once

// The operator prompts as real modal dialogs, installed by the program when
// it has a display. Each call shows a new dialog without an owner and waits
// for the operator; the message loop (and so the window's timers) keeps
// running meanwhile.

#include "platform/operator_prompts.h"

class qt_prompts : public platform::operator_prompts {
 public:
  // A message box with an OK button, titled with the application's name.
  void show_message(const QString& text) override;
  // A question box with Yes and No; true only for Yes.
  bool ask_yes_no(const QString& caption, const QString& text) override;
  // A one-line input box; `preset` when cancelled.
  QString input_box(const QString& caption, const QString& prompt, const QString& preset) override;
  // A fresh password dialog, so the entry always starts empty.
  std::optional<QString> ask_password() override;

  // From now on shows nothing and answers at once as the headless prompts
  // do, the text going to the journal: a program that is ending waits for
  // no operator.
  void answer_at_once() { at_once_ = true; }

 private:
  bool at_once_ = false;
  platform::headless_prompts headless_;
};
