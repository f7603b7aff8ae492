#include "dialogs/basic_dialog_unit.h"

#include "support/modal_script.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using test_support::click_button;
using test_support::modal_script;

TEST(BasicDialogTest, HasTheFormsLayout) {
  TBasic_dialog dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Basic dialog"));
  EXPECT_EQ(dialog.size(), QSize(381, 232));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(192, 192, 192));

  EXPECT_EQ(dialog.Bevel1->geometry(), QRect(8, 32, 368, 145));
  EXPECT_NE(dialog.Bevel1->frameShape(), QFrame::NoFrame);
  EXPECT_EQ(dialog.OKBtn->geometry(), QRect(60, 192, 75, 25));
  EXPECT_EQ(dialog.CancelBtn->geometry(), QRect(244, 192, 75, 25));
  EXPECT_TRUE(dialog.OKBtn->isDefault());

  EXPECT_EQ(dialog.description_label->pos(), QPoint(8, 8));
  EXPECT_EQ(dialog.description_label->text(), QStringLiteral("This is a short description"));
  EXPECT_EQ(dialog.description_label->font().family(), QStringLiteral("Tahoma"));
  EXPECT_EQ(dialog.description_label->font().pixelSize(), 13);
}

TEST(BasicDialogTest, CopiesCaptionAndDescriptionToTheForm) {
  TBasic_dialog dialog;
  dialog.my_caption = QStringLiteral("Limits");
  dialog.my_description = QStringLiteral("Set the limits of the product:");
  dialog.copy_original_values_to_dialog();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Limits"));
  EXPECT_EQ(dialog.description_label->text(), QStringLiteral("Set the limits of the product:"));
}

// Refuses the values of the first `refusals` confirmations.
class picky_dialog : public TBasic_dialog {
 public:
  explicit picky_dialog(int refusals) : refusals_(refusals) {}
  bool user_values_are_ok() override {
    ++checks;
    return TBasic_dialog::user_values_are_ok() && checks > refusals_;
  }
  int checks = 0;

 private:
  int refusals_;
};

TEST(BasicDialogTest, UserInteractionShowsTheDialogUntilValuesAreAccepted) {
  struct interaction_case {
    const char* name;
    int refusals;
    QStringList buttons;  // pressed in turn, one per showing
    int checks;
    QDialog::DialogCode result;
  };
  const interaction_case cases[] = {
      {"accepted at once", 0, {"OKBtn"}, 1, QDialog::Accepted},
      {"refused twice, then accepted", 2, {"OKBtn", "OKBtn", "OKBtn"}, 3, QDialog::Accepted},
      {"cancelled after a refusal", 1, {"OKBtn", "CancelBtn"}, 1, QDialog::Rejected},
      {"cancelled at once", 0, {"CancelBtn"}, 0, QDialog::Rejected},
  };
  for (const interaction_case& c : cases) {
    SCOPED_TRACE(c.name);
    picky_dialog dialog(c.refusals);
    dialog.my_caption = QStringLiteral("Picky");
    modal_script operator_;
    for (const QString& button : c.buttons) {
      operator_.then([button](QWidget* shown) {
        EXPECT_EQ(shown->windowTitle(), QStringLiteral("Picky"));
        click_button(shown, button);
      });
    }
    dialog.user_interaction();
    EXPECT_EQ(operator_.actions_left(), 0);
    EXPECT_EQ(dialog.checks, c.checks);
    EXPECT_EQ(dialog.result(), c.result);
  }
}

}  // namespace
