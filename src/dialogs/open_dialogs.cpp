#include "dialogs/open_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QWidget>

void reject_open_dialogs() {
  // Guarded: ending one dialog may delete another (an owned one, or one that
  // deletes itself on close).
  QList<QPointer<QDialog>> open;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) {
      open << dialog;
    }
  }
  for (const QPointer<QDialog>& dialog : open) {
    if (!dialog || !dialog->isVisible()) continue;
    // Closing answers a message box with its Escape button (OK, No,
    // Cancel); a box without one ignores it and is rejected below.
    dialog->close();
    if (dialog && dialog->isVisible()) dialog->reject();
  }
}
