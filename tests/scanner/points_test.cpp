// The operator password and the traverse point selection in the window.

#include <QCheckBox>
#include <QFile>
#include <QPushButton>

#include <gtest/gtest.h>

#include "basics/files.h"
#include "dialogs/point_selection_dialog_unit.h"
#include "scanner_site.h"
#include "support/modal_script.h"

namespace {

using test_support::answer;
using test_support::crlf_lines;
using test_support::scanner_site;

const QString kSelection = QStringLiteral("traverse_point_selection.txt");

// A site whose password file holds "Secret".
struct guarded_site : scanner_site {
  guarded_site() {
    tree.write("prog/vellic_pswd.bin", test_support::fixture("password_v318_utf16.bin"));
  }
  // The value lines of the selection file, point 1 first.
  QStringList selection_values() const {
    const QStringList lines = crlf_lines(program_file_bytes(kSelection));
    QStringList values;
    for (int i = 1; i < lines.size(); i += 2) values << lines[i];
    return values;
  }
};

QStringList all_but(int point) {
  QStringList values(51, QStringLiteral("1"));
  values[point - 1] = QStringLiteral("0");
  return values;
}

TEST(PointsTest, UntickingPointThreeWithTheRightPasswordWritesItUnselected) {
  guarded_site site;
  auto window = site.create_window();
  site.prompts.script(answer::typed(QStringLiteral("Secret")));
  test_support::modal_script operator_;
  operator_.then([](QWidget* dialog) {
    auto* point_3 = dialog->findChild<QCheckBox*>(QStringLiteral("cb3"));
    ASSERT_NE(point_3, nullptr);
    EXPECT_TRUE(point_3->isChecked());
    point_3->setChecked(false);
    test_support::click_button(dialog, QStringLiteral("OKBtn"));
  });

  window->Points_button->click();

  EXPECT_EQ(operator_.actions_left(), 0) << site.prompts.texts().join('|').toStdString();
  EXPECT_FALSE(window->point_selected[3]);
  EXPECT_EQ(site.selection_values(), all_but(3));
  EXPECT_EQ(site.prompts.texts(),
            (QStringList{"Enter password:", "Number of selected points: 33"}));
}

TEST(PointsTest, CancellingTheDialogStillRewritesTheFileAndCounts) {
  guarded_site site;
  auto window = site.create_window();
  site.prompts.script(answer::typed(QStringLiteral("Secret")));
  test_support::modal_script operator_;
  operator_.then([](QWidget* dialog) {
    dialog->findChild<QCheckBox*>(QStringLiteral("cb7"))->setChecked(false);
    test_support::click_button(dialog, QStringLiteral("CancelBtn"));
  });

  window->Points_buttonClick();

  EXPECT_TRUE(window->point_selected[7]);
  EXPECT_EQ(site.selection_values(), QStringList(51, QStringLiteral("1")));
  EXPECT_EQ(site.prompts.texts().last(), QStringLiteral("Number of selected points: 33"));
}

TEST(PointsTest, AWrongOrCancelledPasswordDoesNothing) {
  for (const answer& reply : {answer::typed(QStringLiteral("secret")),
                              answer::typed(QStringLiteral("Secret ")), answer::cancel()}) {
    guarded_site site;
    auto window = site.create_window();
    site.prompts.script(reply);
    window->Points_button->click();
    EXPECT_EQ(site.prompts.texts(), QStringList{"Enter password:"});
    EXPECT_FALSE(site.tree.exists("prog/" + kSelection));
  }
}

TEST(PointsTest, AFailedWriteIsReportedWithoutTheCountAndTheFlagsStay) {
  guarded_site site;
  auto window = site.create_window();
  site.prompts.script(answer::typed(QStringLiteral("Secret")));
  site.fault.fail_writes_after(10, QDir::toNativeSeparators("/prog/"));
  test_support::modal_script operator_;
  operator_.then([](QWidget* dialog) {
    dialog->findChild<QCheckBox*>(QStringLiteral("cb5"))->setChecked(false);
    test_support::click_button(dialog, QStringLiteral("OKBtn"));
  });

  window->Points_button->click();

  ASSERT_EQ(site.prompts.texts().size(), 2);
  EXPECT_TRUE(site.prompts.texts()[1].contains(QStringLiteral("No space left on device")));
  EXPECT_FALSE(window->point_selected[5]);
  EXPECT_FALSE(site.tree.exists("prog/" + kSelection));
}

TEST(PointsTest, TheHalvikWindowCountsItsSelectedPointsTheMainWindowSays33) {
  for (const QStringList& values : {QStringList(51, "0"), QStringList(51, "1"), all_but(20)}) {
    scanner_site site;
    QStringList lines;
    for (int point = 1; point <= 51; ++point) {
      lines << QStringLiteral("Point %1").arg(point) << values[point - 1];
    }
    site.write_program_file(kSelection, lines);
    auto halvik = site.create_window<THalvik_scanner_main>();
    auto dornik = site.create_window();
    EXPECT_EQ(halvik->no_selected_points(), values.count(QStringLiteral("1")));
    EXPECT_EQ(dornik->no_selected_points(), 33);
  }
}

TEST(PointsTest, PointIsSelectedOnlyForPointsOneToFiftyOne) {
  scanner_site site;
  auto window = site.create_window();
  EXPECT_EQ(window->point_selected.size(), 52);
  for (const int outside : {-1, 0, 52, 1000}) EXPECT_FALSE(window->point_is_selected(outside));
  for (const int inside : {1, 26, 51}) EXPECT_TRUE(window->point_is_selected(inside));
}

TEST(PointsTest, CreationReadsTheSelectionFile) {
  scanner_site site;
  site.tree.write("prog/" + kSelection, test_support::fixture("point_selection_3_and_51_off.txt"));
  auto window = site.create_window();
  for (int point = 1; point <= 51; ++point) {
    EXPECT_EQ(window->point_is_selected(point), point != 3 && point != 51) << point;
  }
}

TEST(PointsTest, AnUnreadableSelectionFileIsReportedAndCreationGoesOn) {
  scanner_site site;
  site.write_program_file(kSelection, {"Point 3", "0"});
  site.tree.write("prog/DORNIK_probeheads.bin", test_support::fixture("vocabulary_probeheads.bin"));
  site.fault.refuse_read(kSelection);
  auto window = site.create_window();
  ASSERT_EQ(site.prompts.texts().size(), 1);
  EXPECT_TRUE(site.prompts.texts()[0].contains(kSelection));
  EXPECT_TRUE(window->point_is_selected(3));
  EXPECT_GT(window->destination_translation.anzahl_vokabeln(), 1);
  EXPECT_TRUE(window->creation_complete());
}

TEST(PointsTest, CreationReadsThePasswordAndSurvivesADamagedFile) {
  struct password_case {
    const char* name;
    QByteArray bytes;
    QString password;
    bool reported;
  };
  const QByteArray good = test_support::fixture("password_v317_single_byte.bin");
  const QList<password_case> cases = {
      {"single-byte records", good, QStringLiteral("Passw\u00f6rt"), false},
      {"cut inside the fixed part", good.left(300), QString(), true},
  };
  for (const password_case& c : cases) {
    SCOPED_TRACE(c.name);
    scanner_site site;
    site.tree.write("prog/vellic_pswd.bin", c.bytes);
    site.tree.write("prog/DORNIK_probeheads.bin",
                    test_support::fixture("vocabulary_probeheads.bin"));
    auto window = site.create_window();
    EXPECT_EQ(window->vellic_password, c.password);
    const QStringList expected_texts = c.reported
                                           ? QStringList{"Could not read password from file " +
                                                         site.program_file("vellic_pswd.bin")}
                                           : QStringList{};
    EXPECT_EQ(site.prompts.texts(), expected_texts);
    EXPECT_GT(window->destination_translation.anzahl_vokabeln(), 1);
  }
}

}  // namespace
