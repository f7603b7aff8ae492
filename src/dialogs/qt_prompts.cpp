#include "dialogs/qt_prompts.h"

#include "dialogs/password_unit.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

// No owner for any of these: a box owned by a window would be deleted with
// it if that window closed while the box waits, and application-modal boxes
// without an owner sit at the centre of the screen.

void qt_prompts::show_message(const QString& text) {
  if (at_once_) return headless_.show_message(text);
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok);
  box.exec();
}

bool qt_prompts::ask_yes_no(const QString& caption, const QString& text) {
  if (at_once_) return headless_.ask_yes_no(caption, text);
  return QMessageBox::question(nullptr, caption, text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

QString qt_prompts::input_box(const QString& caption, const QString& prompt,
                              const QString& preset) {
  if (at_once_) return headless_.input_box(caption, prompt, preset);
  bool ok = false;
  const QString text =
      QInputDialog::getText(nullptr, caption, prompt, QLineEdit::Normal, preset, &ok);
  return ok ? text : preset;
}

std::optional<QString> qt_prompts::ask_password() {
  if (at_once_) return headless_.ask_password();
  TPasswordDlg dialog;
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Password->text();
}
