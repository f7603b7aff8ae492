// Ending every open dialog and message box at once, as a program that is
// asked to end does: each gives the answer that changes nothing, whatever
// the operator had begun to enter.

#include "dialogs/open_dialogs.h"

#include "dialogs/basic_dialog_unit.h"
#include "dialogs/password_unit.h"
#include "dialogs/point_selection_dialog_unit.h"
#include "dialogs/qt_prompts.h"
#include "support/modal_script.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using test_support::modal_script;

bool a_dialog_is_shown() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<QDialog*>(widget) != nullptr && widget->isVisible()) return true;
  }
  return false;
}

QVector<bool> all_points() {
  QVector<bool> flags(basics::kTraversePointCount + 1, true);
  flags[0] = false;
  return flags;
}

TEST(OpenDialogsTest, EachDialogEndsWithTheAnswerThatChangesNothing) {
  struct dialog_case {
    const char* name;
    // What the operator has begun when the end comes.
    std::function<void(QWidget* shown)> begin;
    // Shows the dialog; true when its answer changes nothing.
    std::function<bool()> open;
  };
  qt_prompts prompts;
  QWidget owner;
  const auto nothing = [](QWidget*) {};
  const dialog_case cases[] = {
      {"message box", nothing,
       [&] {
         prompts.show_message(QStringLiteral("disk gone"));
         return true;
       }},
      {"question", nothing,
       [&] {
         return !prompts.ask_yes_no(QStringLiteral("Closing language editor"),
                                    QStringLiteral("Save word list?"));
       }},
      {"input box",
       [](QWidget* shown) {
         qobject_cast<QInputDialog*>(shown)->setTextValue(QStringLiteral("8"));
       },
       [&] {
         return prompts.input_box(QStringLiteral("test"), QStringLiteral("Input number: "),
                                  QStringLiteral("7")) == QStringLiteral("7");
       }},
      {"password",
       [](QWidget* shown) {
         QTest::keyClicks(qobject_cast<TPasswordDlg*>(shown)->Password, QStringLiteral("Secret"));
       },
       [&] { return !prompts.ask_password().has_value(); }},
      {"point selection",
       [](QWidget* shown) {
         qobject_cast<Tpoint_selection_dialog*>(shown)->point_box(3)->setChecked(false);
       },
       [&] {
         QVector<bool> flags = all_points();
         return !edit_point_selection(&owner, flags) && flags == all_points();
       }},
      {"basic dialog", nothing,
       [] {
         TBasic_dialog dialog;
         dialog.user_interaction();
         return dialog.result() == QDialog::Rejected;
       }},
  };
  for (const dialog_case& c : cases) {
    SCOPED_TRACE(c.name);
    modal_script operator_;
    operator_.then([&c](QWidget* shown) {
      c.begin(shown);
      reject_open_dialogs();
    });
    EXPECT_TRUE(c.open());
    EXPECT_EQ(operator_.actions_left(), 0);
    EXPECT_FALSE(a_dialog_is_shown());
  }
}

// A box that a timer opened while a dialog waited sits in the dialog's
// event loop; one call ends both.
TEST(OpenDialogsTest, ABoxInsideADialogEndsWithIt) {
  qt_prompts prompts;
  QWidget owner;
  bool inner_returned = false;
  modal_script operator_;
  operator_.then([&](QWidget*) {
    QTimer::singleShot(0, [&] {
      prompts.show_message(QStringLiteral("Error reading spectral value: x"));
      inner_returned = true;
    });
  });
  operator_.then([](QWidget* shown) {
    EXPECT_NE(qobject_cast<QDialog*>(shown), nullptr);
    reject_open_dialogs();
  });
  QVector<bool> flags = all_points();
  EXPECT_FALSE(edit_point_selection(&owner, flags));
  EXPECT_TRUE(inner_returned);
  EXPECT_EQ(operator_.actions_left(), 0);
  EXPECT_FALSE(a_dialog_is_shown());
}

// Once the program ends, a box asked for after a cancelled one must not
// wait for an operator again.
TEST(OpenDialogsTest, PromptsThatAnswerAtOnceShowNothing) {
  qt_prompts prompts;
  prompts.answer_at_once();
  int shown = 0;
  modal_script operator_;
  for (int i = 0; i < 4; ++i) {
    operator_.then([&shown](QWidget* dialog) {
      ++shown;
      qobject_cast<QDialog*>(dialog)->reject();  // never hang the test
    });
  }
  prompts.show_message(QStringLiteral("disk gone"));
  EXPECT_FALSE(prompts.ask_yes_no(QStringLiteral("Closing"), QStringLiteral("Save word list?")));
  EXPECT_EQ(prompts.input_box(QStringLiteral("test"), QStringLiteral("Input number: "),
                              QStringLiteral("7")),
            QStringLiteral("7"));
  EXPECT_EQ(prompts.ask_password(), std::nullopt);
  EXPECT_EQ(shown, 0);
}

}  // namespace
