#pragma once

// An operator_prompts for tests: records every text it is shown and answers
// from a queue of scripted answers. Installs itself as platform::prompts()
// for its lifetime.
//
//   test_support::recording_prompts prompts;
//   prompts.script(test_support::answer::yes());
//   start_basics();
//   EXPECT_EQ(prompts.texts(), QStringList{"Generate ..."});
//
// With the queue empty it answers as a dialog closed without OK would: No,
// the preset, no password.

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>

#include "platform/operator_prompts.h"

namespace test_support {

// One scripted answer to the next question, input box or password dialog.
struct answer {
  enum class kind { yes, no, text, cancel };
  kind what;
  QString text;  // for kind::text

  static answer yes() { return {kind::yes, {}}; }
  static answer no() { return {kind::no, {}}; }
  static answer typed(const QString& text) { return {kind::text, text}; }
  static answer cancel() { return {kind::cancel, {}}; }
};

// What the program showed, in order.
struct shown_prompt {
  enum class kind { message, question, input, password };
  kind what;
  QString caption;
  QString text;
};

class recording_prompts : public platform::operator_prompts {
 public:
  recording_prompts() : installed_(this) {}

  void script(const answer& next) { answers_.enqueue(next); }
  qsizetype answers_left() const { return answers_.size(); }

  const QList<shown_prompt>& shown() const { return shown_; }
  // The texts of everything shown (messages, questions, prompts), in order.
  QStringList texts() const;
  void clear() { shown_.clear(); }

  void show_message(const QString& text) override;
  bool ask_yes_no(const QString& caption, const QString& text) override;
  QString input_box(const QString& caption, const QString& prompt, const QString& preset) override;
  std::optional<QString> ask_password() override;

 private:
  // The next scripted answer; a test fails when it does not fit the dialog.
  std::optional<answer> next_answer(std::initializer_list<answer::kind> fitting);

  QQueue<answer> answers_;
  QList<shown_prompt> shown_;
  platform::scoped_prompts installed_;
};

}  // namespace test_support
