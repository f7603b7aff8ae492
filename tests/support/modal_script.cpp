#include "support/modal_script.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace test_support {

modal_script::modal_script() {
  poll_.setInterval(5);
  QObject::connect(&poll_, &QTimer::timeout, [this] { run_next_on_open_dialog(); });
  poll_.start();
}

void modal_script::run_next_on_open_dialog() {
  QWidget* dialog = QApplication::activeModalWidget();
  if (dialog == nullptr || !dialog->isVisible() || actions_.isEmpty()) return;
  const action next = actions_.dequeue();
  next(dialog);
}

void click_button(QWidget* dialog, const QString& name) {
  auto* button = dialog->findChild<QAbstractButton*>(name);
  if (button == nullptr) {
    ADD_FAILURE() << "no button " << name.toStdString();
    dialog->close();  // a dialog left open would hang the test
    return;
  }
  QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace test_support
