#include "dialogs/password_unit.h"

#include "support/recording_prompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using test_support::answer;
using test_support::recording_prompts;

TEST(CheckPasswordTest, AcceptsOnlyTheExactPasswordConfirmedWithOk) {
  struct check_case {
    const char* name;
    QString stored;
    answer reply;
    bool passes;
  };
  const check_case cases[] = {
      {"same text", "Secret", answer::typed("Secret"), true},
      {"other case", "Secret", answer::typed("secret"), false},
      {"leading space", "Secret", answer::typed(" Secret"), false},
      {"trailing space", "Secret", answer::typed("Secret "), false},
      {"prefix", "Secret", answer::typed("Secre"), false},
      {"cancelled with the right text", "Secret", answer::cancel(), false},
      {"empty password, empty entry", "", answer::typed(""), true},
      {"empty password, cancelled", "", answer::cancel(), false},
      {"non-ascii", "Passw\u00f6rt", answer::typed("Passw\u00f6rt"), true},
  };
  for (const check_case& c : cases) {
    SCOPED_TRACE(c.name);
    recording_prompts prompts;
    prompts.script(c.reply);
    EXPECT_EQ(check_password(c.stored), c.passes);
    EXPECT_EQ(prompts.shown().size(), 1);
    EXPECT_EQ(prompts.answers_left(), 0);
  }
}

TEST(PasswordDialogTest, HasTheFormsControlsAndTexts) {
  TPasswordDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Password Dialog"));
  EXPECT_EQ(dialog.size(), QSize(233, 93));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());

  struct control_case {
    QWidget* control;
    QRect geometry;
  };
  const control_case controls[] = {
      {dialog.Password, QRect(8, 27, 217, 21)},
      {dialog.OKBtn, QRect(70, 59, 75, 25)},
      {dialog.CancelBtn, QRect(150, 59, 75, 25)},
  };
  for (const control_case& c : controls) {
    SCOPED_TRACE(c.control->objectName().toStdString());
    EXPECT_EQ(c.control->geometry(), c.geometry);
  }
  EXPECT_EQ(dialog.explanation->pos(), QPoint(8, 9));
  EXPECT_EQ(dialog.explanation->text(), QStringLiteral("Enter password:"));
  EXPECT_EQ(dialog.OKBtn->text(), QStringLiteral("OK"));
  EXPECT_EQ(dialog.CancelBtn->text(), QStringLiteral("Cancel"));
  EXPECT_TRUE(dialog.OKBtn->isDefault());
  EXPECT_TRUE(dialog.Password->text().isEmpty());

  dialog.Password->setText(QStringLiteral("ab c"));
  EXPECT_EQ(dialog.Password->displayText(), QStringLiteral("****"));
}

}  // namespace
