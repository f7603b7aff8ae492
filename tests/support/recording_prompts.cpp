#include "support/recording_prompts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace test_support {

QStringList recording_prompts::texts() const {
  QStringList result;
  for (const shown_prompt& prompt : shown_) result << prompt.text;
  return result;
}

std::optional<answer> recording_prompts::next_answer(std::initializer_list<answer::kind> fitting) {
  if (answers_.isEmpty()) return std::nullopt;
  const answer next = answers_.dequeue();
  if (std::find(fitting.begin(), fitting.end(), next.what) == fitting.end()) {
    ADD_FAILURE() << "scripted answer does not fit the dialog shown: "
                  << shown_.last().text.toStdString();
    return std::nullopt;
  }
  return next;
}

void recording_prompts::show_message(const QString& text) {
  shown_.append({shown_prompt::kind::message, {}, text});
}

bool recording_prompts::ask_yes_no(const QString& caption, const QString& text) {
  shown_.append({shown_prompt::kind::question, caption, text});
  const std::optional<answer> reply = next_answer({answer::kind::yes, answer::kind::no});
  return reply && reply->what == answer::kind::yes;
}

QString recording_prompts::input_box(const QString& caption, const QString& prompt,
                                     const QString& preset) {
  shown_.append({shown_prompt::kind::input, caption, prompt});
  const std::optional<answer> reply = next_answer({answer::kind::text, answer::kind::cancel});
  return reply && reply->what == answer::kind::text ? reply->text : preset;
}

std::optional<QString> recording_prompts::ask_password() {
  shown_.append({shown_prompt::kind::password, {}, QStringLiteral("Enter password:")});
  const std::optional<answer> reply = next_answer({answer::kind::text, answer::kind::cancel});
  if (reply && reply->what == answer::kind::text) return reply->text;
  return std::nullopt;
}

}  // namespace test_support
