#include "platform/operator_prompts.h"

#include "platform/journal.h"

namespace platform {
namespace {

headless_prompts& default_prompts() {
  static headless_prompts instance;
  return instance;
}

operator_prompts* current = nullptr;

// A message box reports a failure; a question answered here without the
// operator only warns.
void log_box(const QString& text, severity level) {
  write_journal_line(QStringLiteral("box: "), text, level);
}

}  // namespace

void headless_prompts::show_message(const QString& text) { log_box(text, severity::error); }

bool headless_prompts::ask_yes_no(const QString&, const QString& text) {
  log_box(text, severity::warning);
  return false;
}

QString headless_prompts::input_box(const QString&, const QString& prompt, const QString& preset) {
  log_box(prompt, severity::warning);
  return preset;
}

std::optional<QString> headless_prompts::ask_password() {
  log_box(QStringLiteral("Enter password:"), severity::warning);
  return std::nullopt;
}

operator_prompts& prompts() { return current ? *current : default_prompts(); }

scoped_prompts::scoped_prompts(operator_prompts* replacement) : previous_(current) {
  current = replacement;
}

scoped_prompts::~scoped_prompts() { current = previous_; }

}  // namespace platform
