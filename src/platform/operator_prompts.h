#pragma once

// The port through which the program asks the operator anything: message
// boxes, the yes/no question, the one-line input box and the password dialog.
// Nothing outside an implementation of this port shows a dialog.
//
// The Qt implementation (dialogs/qt_prompts.h) shows real modal dialogs; the
// headless one below logs the text and answers at once as a dialog closed
// without OK would; tests install one that records texts and plays scripted
// answers.

#include <QString>

#include <optional>

namespace platform {

class operator_prompts {
 public:
  virtual ~operator_prompts() = default;

  // A modal message with an OK button.
  virtual void show_message(const QString& text) = 0;

  // A modal question with the buttons Yes and No; true only for Yes.
  virtual bool ask_yes_no(const QString& caption, const QString& text) = 0;

  // A one-line input box; the entered text, or `preset` when cancelled.
  virtual QString input_box(const QString& caption, const QString& prompt,
                            const QString& preset) = 0;

  // The operator password dialog; the entered text when closed with OK,
  // nothing when cancelled or closed otherwise.
  virtual std::optional<QString> ask_password() = 0;
};

// Writes every text to standard error as one line "box: " + text and answers
// at once: No, the preset, no password.
class headless_prompts : public operator_prompts {
 public:
  void show_message(const QString& text) override;
  bool ask_yes_no(const QString& caption, const QString& text) override;
  QString input_box(const QString& caption, const QString& prompt,
                    const QString& preset) override;
  std::optional<QString> ask_password() override;
};

// The prompts in use: headless until the program or a test installs others.
operator_prompts& prompts();

// Installs `replacement` as `prompts()` for its lifetime.
class scoped_prompts {
 public:
  explicit scoped_prompts(operator_prompts* replacement);
  ~scoped_prompts();
  scoped_prompts(const scoped_prompts&) = delete;
  scoped_prompts& operator=(const scoped_prompts&) = delete;

 private:
  operator_prompts* previous_;
};

}  // namespace platform
