#include "dialogs/qt_prompts.h"

#include "dialogs/password_unit.h"
#include "support/modal_script.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using test_support::modal_script;

void press(QWidget* shown, QMessageBox::StandardButton which) {
  auto* box = qobject_cast<QMessageBox*>(shown);
  ASSERT_NE(box, nullptr);
  box->button(which)->click();
}

TEST(QtPromptsTest, ShowsAMessageTitledWithTheApplicationName) {
  qt_prompts prompts;
  modal_script operator_;
  operator_.then([](QWidget* shown) {
    auto* box = qobject_cast<QMessageBox*>(shown);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QApplication::applicationName());
    EXPECT_EQ(box->text(), QStringLiteral("Number of selected points: 33"));
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    box->button(QMessageBox::Ok)->click();
  });
  prompts.show_message(QStringLiteral("Number of selected points: 33"));
  EXPECT_EQ(operator_.actions_left(), 0);
}

TEST(QtPromptsTest, AsksYesOrNo) {
  struct question_case {
    QMessageBox::StandardButton pressed;
    bool answer;
  };
  for (const question_case c :
       {question_case{QMessageBox::Yes, true}, question_case{QMessageBox::No, false}}) {
    qt_prompts prompts;
    modal_script operator_;
    operator_.then([&](QWidget* shown) {
      EXPECT_EQ(shown->windowTitle(), QStringLiteral("Question"));
      EXPECT_EQ(qobject_cast<QMessageBox*>(shown)->text(), QStringLiteral("Go on?"));
      press(shown, c.pressed);
    });
    EXPECT_EQ(prompts.ask_yes_no(QStringLiteral("Question"), QStringLiteral("Go on?")), c.answer);
    EXPECT_EQ(operator_.actions_left(), 0);
  }
}

TEST(QtPromptsTest, InputBoxGivesThePresetWhenCancelled) {
  struct input_case {
    const char* name;
    bool confirm;
    QString answer;
  };
  const input_case cases[] = {
      {"edited and confirmed", true, QStringLiteral("preset and more")},
      {"edited and cancelled", false, QStringLiteral("preset")},
  };
  for (const input_case& c : cases) {
    SCOPED_TRACE(c.name);
    qt_prompts prompts;
    modal_script operator_;
    operator_.then([&](QWidget* shown) {
      auto* input = qobject_cast<QInputDialog*>(shown);
      ASSERT_NE(input, nullptr);
      EXPECT_EQ(input->labelText(), QStringLiteral("Name:"));
      EXPECT_EQ(input->textValue(), QStringLiteral("preset"));
      input->setTextValue(QStringLiteral("preset and more"));
      c.confirm ? input->accept() : input->reject();
    });
    EXPECT_EQ(prompts.input_box(QStringLiteral("Input"), QStringLiteral("Name:"),
                                QStringLiteral("preset")),
              c.answer);
    EXPECT_EQ(operator_.actions_left(), 0);
  }
}

TEST(QtPromptsTest, AsksThePasswordInAFreshDialogEachTime) {
  qt_prompts prompts;
  modal_script operator_;
  const auto type_and = [](const QString& text, Qt::Key key) {
    return [text, key](QWidget* shown) {
      auto* dialog = qobject_cast<TPasswordDlg*>(shown);
      ASSERT_NE(dialog, nullptr);
      EXPECT_TRUE(dialog->Password->text().isEmpty()) << "entry starts empty";
      EXPECT_EQ(dialog->focusWidget(), dialog->Password) << "first in tab order";
      QTest::keyClicks(dialog->Password, text);
      QTest::keyClick(dialog->Password, key);
    };
  };
  operator_.then(type_and(QStringLiteral("wrong"), Qt::Key_Return));
  operator_.then(type_and(QStringLiteral("Secret"), Qt::Key_Escape));
  operator_.then(type_and(QStringLiteral("Secret"), Qt::Key_Enter));

  EXPECT_EQ(prompts.ask_password(), QStringLiteral("wrong"));
  EXPECT_EQ(prompts.ask_password(), std::nullopt);
  EXPECT_EQ(prompts.ask_password(), QStringLiteral("Secret"));
  EXPECT_EQ(operator_.actions_left(), 0);
}

TEST(QtPromptsTest, CheckPasswordWorksThroughTheRealDialog) {
  qt_prompts prompts;
  platform::scoped_prompts installed(&prompts);
  modal_script operator_;
  operator_.then([](QWidget* shown) {
    auto* dialog = qobject_cast<TPasswordDlg*>(shown);
    ASSERT_NE(dialog, nullptr);
    QTest::keyClicks(dialog->Password, QStringLiteral("Secret"));
    QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
  });
  EXPECT_TRUE(check_password(QStringLiteral("Secret")));
}

}  // namespace
