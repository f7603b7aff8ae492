// The scan step, switching scanning, the message board and the general
// error report.

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "basics/error.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "scanner_site.h"
#include "support/insitu_file.h"

namespace {

using test_support::scanner_site;

// The main window with its two conversions replaced by recorders.
class recording_window : public TDORNIK_scanner_main {
 public:
  void handle_exsitu_data() override {
    conversions << QStringLiteral("exsitu");
    if (on_exsitu) on_exsitu();
  }
  void handle_insitu_data() override { conversions << QStringLiteral("insitu"); }

  QStringList conversions;
  std::function<void()> on_exsitu;
};

// A site with the VELLIC tree, an exsitu folder "in" and an insitu folder
// "insitu", and a fixed clock.
struct scanning_site : scanner_site {
  scanning_site() {
    make_vellic_tree();
    tree.make_folder("insitu");
    write_program_file("vellic_scanner.ini",
                       {path("in"), "L", "", "", "", "", "Insitu input path", path("insitu")});
    fault.set_now(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
  }
  QString no_file_label() const {
    return basics::date_time_stamp() + QStringLiteral("   No file to be processed ...");
  }
};

TEST(ScanCycleTest, AFileInEachFolderRunsExsituFirstThenInsitu) {
  scanning_site site;
  site.tree.write("in/a.csv", "x");
  site.tree.write("insitu/b.CSV", "x");
  auto window = site.create_window<recording_window>();
  window->Timer1Timer();
  EXPECT_EQ(window->conversions, (QStringList{"exsitu", "insitu"}));
  EXPECT_TRUE(window->Timer1->isActive());
}

TEST(ScanCycleTest, OneStepConvertsTheExsituFileFirstThenTheInsituFile) {
  scanning_site site;
  site.tree.make_folder("v/archive");
  basics::sprachen heads;
  heads.anzahl_vokabeln_plus();
  heads.set_wort(1, 0, "L");
  heads.set_wort(1, 1, "Head A");
  heads.save_to_file(site.program_file("DORNIK_probeheads.bin"));
  QStringList too_short;
  for (int n = 1; n <= 101; ++n) too_short << QStringLiteral("line %1").arg(n);
  basics::write_lines(site.path("in/a.csv"), too_short);
  basics::write_lines(site.path("insitu/b.csv"),
                      test_support::insitu_lines(test_support::insitu_measurement{}));
  auto window = site.create_window();
  window->Timer1Timer();

  const QStringList board = window->messages->toPlainText().split(u'\n');
  ASSERT_EQ(board.size(), 4);
  EXPECT_TRUE(board[0].startsWith("Length of file " + site.folder("in")));
  EXPECT_EQ(board[1], "The measurement a.csv is archived as " +
                          site.path("v/archive/P/2024/3/5/L/refused_a.csv") + ".");
  EXPECT_EQ(board[2], "Insitu data: Plate number 1234");
  EXPECT_EQ(board[3], site.path("v/database/products/P/measurements/L/new/1234___T.csv"));
  EXPECT_TRUE(site.tree.exists("v/archive/P/2024/3/5/L/refused_a.csv"));
  EXPECT_TRUE(site.tree.exists("v/archive/P/2024/3/5/insitu/b.csv"));
  EXPECT_TRUE(QDir(site.path("in")).isEmpty());
  EXPECT_TRUE(QDir(site.path("insitu")).isEmpty());
  EXPECT_TRUE(window->action_label->text().endsWith("   Converting insitu data ..."));
  EXPECT_TRUE(window->Timer1->isActive());
}

TEST(ScanCycleTest, WhatEachFolderStateLeadsTo) {
  struct folder_case {
    const char* name;
    std::function<void(scanning_site&)> arrange;
    QStringList conversions;
    bool no_file_label;
  };
  const QList<folder_case> cases = {
      {"no file at all", [](scanning_site&) {}, {}, true},
      {"a folder named x.csv is no file",
       [](scanning_site& s) { s.tree.make_folder("in/x.csv"); },
       {},
       true},
      {"other extensions are left alone",
       [](scanning_site& s) { s.tree.write("in/a.txt", "x"); },
       {},
       true},
      {"only an insitu file",
       [](scanning_site& s) { s.tree.write("insitu/a.csv", "x"); },
       {"insitu"},
       false},
      {"missing exsitu folder: insitu files wait",
       [](scanning_site& s) {
         s.tree.write("insitu/a.csv", "x");
         QDir(s.path("in")).removeRecursively();
       },
       {},
       false},
      {"missing output folder: nothing happens",
       [](scanning_site& s) {
         s.tree.write("in/a.csv", "x");
         QDir(s.path("v/database/products")).removeRecursively();
       },
       {},
       false},
      {"no current product: nothing happens",
       [](scanning_site& s) {
         s.tree.write("in/a.csv", "x");
         QFile::remove(s.path("v/database/current_product/P"));
       },
       {},
       false},
  };
  for (const folder_case& c : cases) {
    SCOPED_TRACE(c.name);
    scanning_site site;
    c.arrange(site);
    auto window = site.create_window<recording_window>();
    const QString label_before = window->action_label->text();
    window->Timer1Timer();
    EXPECT_EQ(window->conversions, c.conversions);
    EXPECT_EQ(window->action_label->text(), c.no_file_label ? site.no_file_label() : label_before);
    EXPECT_TRUE(window->Timer1->isActive());
  }
}

TEST(ScanCycleTest, TheActiveButtonSwitchesScanningOffAndOn) {
  scanning_site site;
  auto window = site.create_window();
  window->show();

  window->active_button->click();
  EXPECT_FALSE(window->Timer1->isActive());
  EXPECT_EQ(window->active_button->text(), QStringLiteral("Start scan"));
  EXPECT_EQ(window->active_button->palette().color(QPalette::ButtonText), QColor(Qt::black));
  EXPECT_EQ(window->action_label->text(), QStringLiteral("Scan inline folder ..."));

  window->active_button->click();
  EXPECT_TRUE(window->Timer1->isActive());
  EXPECT_EQ(window->active_button->text(), QStringLiteral("Stop scan"));
  EXPECT_EQ(window->active_button->palette().color(QPalette::ButtonText), QColor(Qt::red));
  EXPECT_EQ(window->action_label->text(), QStringLiteral("Scan inline folder ..."));
}

TEST(ScanCycleTest, SwitchingShowsTheStateItLeavesTheWindowIn) {
  scanning_site site;
  auto window = site.create_window();
  window->switch_timer_state();
  EXPECT_EQ(window->action_label->text(), QStringLiteral("Not scanning ... "));
  window->set_timer_state(false);
  EXPECT_FALSE(window->Timer1->isActive());
  window->set_timer_state(true);
  EXPECT_TRUE(window->Timer1->isActive());
  EXPECT_EQ(window->action_label->text(),
            QStringLiteral("Scanning ") + site.folder("in") + QStringLiteral(" ... "));
}

// The operator clicks while a conversion waits in a message box.
TEST(ScanCycleTest, ClicksDuringAStepNeitherOverlapStepsNorGetOverruled) {
  struct click_case {
    int clicks;
    bool scanning_after;
    const char* caption;
  };
  for (const click_case c :
       {click_case{1, false, "Start scan"}, click_case{2, true, "Stop scan"}}) {
    SCOPED_TRACE(c.clicks);
    scanning_site site;
    site.tree.write("in/a.csv", "x");
    auto window = site.create_window<recording_window>();
    bool timer_ran_during_step = false;
    window->on_exsitu = [&] {
      for (int i = 0; i < c.clicks; ++i) window->active_button->click();
      timer_ran_during_step = window->Timer1->isActive();
    };
    window->Timer1Timer();
    EXPECT_FALSE(timer_ran_during_step);
    EXPECT_EQ(window->Timer1->isActive(), c.scanning_after);
    EXPECT_EQ(window->active_button->text(), QString::fromLatin1(c.caption));
  }
}

TEST(ScanCycleTest, ClearInputChangesNothing) {
  scanning_site site;
  site.tree.write("in/a.csv", "x");
  auto window = site.create_window<recording_window>();
  const QString label = window->action_label->text();
  window->clear_button->click();
  EXPECT_EQ(window->action_label->text(), label);
  EXPECT_TRUE(site.tree.exists("in/a.csv"));
  EXPECT_TRUE(window->Timer1->isActive());
}

TEST(ScanCycleTest, AnErrorInAStepIsShownWithScanningAlreadyOnAgain) {
  using thrower = std::function<void()>;
  for (const thrower& fail : {thrower([] { throw basics::error(QStringLiteral("disk gone")); }),
                              thrower([] { throw std::runtime_error("disk gone"); })}) {
    scanning_site site;
    site.tree.write("in/a.csv", "x");
    auto window = site.create_window<recording_window>();
    window->on_exsitu = fail;
    test_support::reacting_prompts prompts;
    bool timer_was_active = false;
    prompts.on_message = [&] { timer_was_active = window->Timer1->isActive(); };

    window->Timer1Timer();
    EXPECT_EQ(prompts.texts(), QStringList{"disk gone"});
    EXPECT_TRUE(timer_was_active);
    EXPECT_TRUE(window->Timer1->isActive());
    // The insitu half of the step did not run; the next tick runs again.
    EXPECT_EQ(window->conversions, QStringList{"exsitu"});
    window->Timer1Timer();
    EXPECT_EQ(prompts.texts().size(), 2);
  }
}

TEST(ScanCycleTest, NoScanStepRunsBeforeTheCreationChainHasFinished) {
  scanning_site site;
  site.tree.write("in/a.csv", "x");
  site.tree.write("v/selmar_spectrum_scanner.ini",
                  "SQL connection string\r\n\r\nTest mode\r\n1\r\n");
  test_support::reacting_prompts prompts;
  recording_window window;
  prompts.on_message = [&window] { window.Timer1Timer(); };
  window.create();

  EXPECT_EQ(prompts.texts(), QStringList{"Test mode: 1"});
  EXPECT_TRUE(window.conversions.isEmpty());
  EXPECT_TRUE(window.creation_complete());
  window.Timer1Timer();
  EXPECT_EQ(window.conversions, QStringList{"exsitu"});
  // Only the first call creates: the settings are not read again.
  window.create();
  EXPECT_EQ(prompts.texts(), QStringList{"Test mode: 1"});
}

TEST(ScanCycleTest, TheMessageBoardAppendsTrimsAndClears) {
  scanner_site site;
  auto window = site.create_window();
  QStringList journal;
  QObject::connect(window.get(), &TSELMAR_spectrum_scanner_main::board_line_added,
                   [&journal](const QString& line) { journal << line; });
  const auto board = [&window] { return window->messages->toPlainText(); };

  for (int i = 1; i <= 4; ++i) window->send_message(QStringLiteral("line %1").arg(i));
  window->clean_message_board(6);
  EXPECT_EQ(board(), QStringLiteral("line 1\nline 2\nline 3\nline 4"));

  for (int i = 5; i <= 10; ++i) window->add_message(QStringLiteral("line %1").arg(i));
  window->clean_message_board(6);
  EXPECT_EQ(board(), QStringLiteral("line 5\nline 6\nline 7\nline 8\nline 9\nline 10"));
  EXPECT_EQ(journal.size(), 10);

  window->clean_message_board(0);
  EXPECT_EQ(board(), QString());
  window->send_message(QStringLiteral("again"));
  EXPECT_EQ(board(), QStringLiteral("again"));
  window->Button2->click();
  EXPECT_EQ(board(), QString());
}

// A night of files full of values that do not convert must not fill the
// memory: the board keeps its recent lines and no undo history.
TEST(ScanCycleTest, TheMessageBoardStaysBoundedOverManyLines) {
  scanner_site site;
  auto window = site.create_window();
  for (int i = 1; i <= 3000; ++i) window->send_message(QStringLiteral("value %1 failed").arg(i));
  const QStringList board = window->messages->toPlainText().split(u'\n');
  EXPECT_EQ(board.size(), 1000);
  EXPECT_EQ(board.first(), "value 2001 failed");
  EXPECT_EQ(board.last(), "value 3000 failed");
  EXPECT_FALSE(window->messages->document()->isUndoAvailable());
}

TEST(ScanCycleTest, OnlyANewStatusTextIsAnnouncedWithoutItsStamp) {
  scanning_site site;
  auto window = site.create_window();
  QStringList without_stamp;
  QObject::connect(window.get(), &TVELLIC_spectrum_scanner::action_shown,
                   [&without_stamp](const QString& text, const QString& key) {
                     without_stamp << key;
                     EXPECT_TRUE(text.endsWith(key));
                   });
  window->Timer1Timer();
  site.fault.advance_now(1);
  window->Timer1Timer();
  EXPECT_EQ(without_stamp,
            (QStringList{"   No file to be processed ...", "   No file to be processed ..."}));
}

}  // namespace
