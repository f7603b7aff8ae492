#include "dialogs/point_selection_dialog_unit.h"

#include "support/modal_script.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using test_support::click_button;
using test_support::modal_script;

QVector<bool> all_points_selected() {
  QVector<bool> flags(52, true);
  flags[0] = false;
  return flags;
}

TEST(PointSelectionDialogTest, HasTheFormsLayout) {
  Tpoint_selection_dialog dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("point_selection_dialog"));
  EXPECT_EQ(dialog.size(), QSize(962, 202));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(192, 192, 192));
  EXPECT_EQ(dialog.description_label->text(),
            QStringLiteral("Select points for traverse analysis:"));
  EXPECT_EQ(dialog.description_label->pos(), QPoint(8, 8));

  struct placed_case {
    QWidget* control;
    QRect geometry;
  };
  const placed_case sized[] = {
      {dialog.Bevel1, QRect(8, 30, 873, 35)},
      {dialog.Bevel2, QRect(8, 110, 873, 35)},
      {dialog.OKBtn, QRect(343, 169, 75, 25)},
      {dialog.CancelBtn, QRect(442, 169, 75, 25)},
  };
  for (const placed_case& c : sized) {
    SCOPED_TRACE(c.control->objectName().toStdString());
    EXPECT_EQ(c.control->geometry(), c.geometry);
  }

  struct label_case {
    QLabel* label;
    QPoint position;
    QString text;
  };
  const label_case labels[] = {
      {dialog.Left, {896, 40}, "Left"},
      {dialog.Label1, {896, 81}, "Center"},
      {dialog.Label2, {896, 120}, "Right"},
  };
  for (const label_case& c : labels) {
    EXPECT_EQ(c.label->pos(), c.position);
    EXPECT_EQ(c.label->text(), c.text);
  }
}

TEST(PointSelectionDialogTest, PlacesEachPointsBoxWhereThePointLies) {
  Tpoint_selection_dialog dialog;
  struct box_case {
    int point;
    QPoint position;
  };
  const box_case cases[] = {
      {1, {16, 39}},   {2, {48, 39}},    {10, {320, 39}}, {25, {836, 39}},
      {26, {854, 80}}, {27, {836, 119}}, {50, {48, 119}}, {51, {16, 119}},
  };
  for (const box_case& c : cases) {
    SCOPED_TRACE(c.point);
    QCheckBox* box = dialog.findChild<QCheckBox*>(QStringLiteral("cb%1").arg(c.point));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box, dialog.point_box(c.point));
    EXPECT_EQ(box->pos(), c.position);
  }

  for (int n = 1; n <= 51; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(dialog.point_box(n)->text(), QString::number(n));
    EXPECT_EQ(dialog.point_box(n)->height(), 17);
    EXPECT_LE(dialog.point_box(n)->sizeHint().width(), dialog.point_box(n)->width())
        << "number cut off";
  }
  // Column c holds point c above and point 52 - c below.
  for (int c = 1; c <= 25; ++c) {
    EXPECT_EQ(dialog.point_box(52 - c)->x(), dialog.point_box(c)->x()) << c;
  }
  // Neighbours in a row never overlap.
  for (int n = 1; n < 25; ++n) {
    EXPECT_LE(dialog.point_box(n)->geometry().right(), dialog.point_box(n + 1)->x()) << n;
  }
  EXPECT_EQ(dialog.point_box(0), nullptr);
  EXPECT_EQ(dialog.point_box(52), nullptr);
}

TEST(PointSelectionDialogTest, TicksTheBoxesFromTheFlags) {
  Tpoint_selection_dialog dialog;
  QVector<bool> flags = all_points_selected();
  flags[3] = flags[26] = flags[51] = false;
  dialog.set_points(flags);
  for (int n = 1; n <= 51; ++n) EXPECT_EQ(dialog.point_box(n)->isChecked(), flags[n]) << n;
  EXPECT_EQ(dialog.points(), flags);

  // A short flag array counts its missing points as not selected.
  dialog.set_points(QVector<bool>{false, true, true});
  EXPECT_TRUE(dialog.point_box(2)->isChecked());
  EXPECT_FALSE(dialog.point_box(3)->isChecked());
  EXPECT_EQ(dialog.points().size(), 52);
}

TEST(EditPointSelectionTest, CopiesTheBoxesBackOnlyOnOk) {
  struct close_case {
    const char* name;
    std::function<void(QWidget*)> close;
    bool accepted;
  };
  const close_case cases[] = {
      {"OK", [](QWidget* d) { click_button(d, "OKBtn"); }, true},
      {"Enter", [](QWidget* d) { QTest::keyClick(d, Qt::Key_Return); }, true},
      {"Cancel", [](QWidget* d) { click_button(d, "CancelBtn"); }, false},
      {"Escape", [](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); }, false},
      {"close box", [](QWidget* d) { d->close(); }, false},
  };
  for (const close_case& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget owner;
    QVector<bool> flags = all_points_selected();
    flags[7] = false;
    modal_script operator_;
    operator_.then([&](QWidget* shown) {
      auto* dialog = qobject_cast<Tpoint_selection_dialog*>(shown);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->parentWidget(), &owner);
      EXPECT_FALSE(dialog->point_box(7)->isChecked());
      QTest::mouseClick(dialog->point_box(3), Qt::LeftButton);  // untick
      QTest::mouseClick(dialog->point_box(7), Qt::LeftButton);  // tick
      c.close(dialog);
    });

    QVector<bool> expected = all_points_selected();
    if (c.accepted) {
      expected[3] = false;
    } else {
      expected[7] = false;
    }
    EXPECT_EQ(edit_point_selection(&owner, flags), c.accepted);
    EXPECT_EQ(operator_.actions_left(), 0);
    EXPECT_EQ(flags, expected);
    EXPECT_TRUE(owner.findChildren<Tpoint_selection_dialog*>().isEmpty()) << "dialog destroyed";
  }
}

TEST(EditPointSelectionTest, OpensAtTheCentreOfTheScreenNotOfItsOwner) {
  QWidget owner;
  owner.setGeometry(0, 0, 200, 150);
  owner.show();
  QPoint offset;
  modal_script operator_;
  operator_.then([&](QWidget* shown) {
    offset = shown->frameGeometry().center() - shown->screen()->availableGeometry().center();
    click_button(shown, "CancelBtn");
  });
  QVector<bool> flags = all_points_selected();
  edit_point_selection(&owner, flags);
  // The platform may place the window a frame's width off; centring on the
  // owner would be hundreds of pixels off.
  EXPECT_LE(std::abs(offset.x()), 4);
  EXPECT_LE(std::abs(offset.y()), 4);
}

TEST(EditPointSelectionTest, SurvivesItsOwnerGoingAwayWhileOpen) {
  auto* owner = new QWidget;
  QVector<bool> flags = all_points_selected();
  modal_script operator_;
  operator_.then([&](QWidget* shown) {
    QTest::mouseClick(qobject_cast<Tpoint_selection_dialog*>(shown)->point_box(3), Qt::LeftButton);
    delete owner;  // takes the dialog with it
  });
  EXPECT_FALSE(edit_point_selection(owner, flags));
  EXPECT_EQ(flags, all_points_selected());
}

}  // namespace
