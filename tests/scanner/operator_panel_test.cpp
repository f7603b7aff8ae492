// The operator's panel on real deployments: the lamp's states, the waiting
// files, the last spectra, the history that survives a restart, and the
// tray's colour and notices. The specified layout and its texts stay as
// they are; the panel only reads what the window knows.

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/history_file.h"
#include "basics/text_file.h"
#include "scanner/operator_panel.h"
#include "scanner/operator_view.h"
#include "scanner/spectrum_plot.h"
#include "scanner/tray_lamp.h"
#include "scanner/tulmen_scanner_main_unit.h"
#include "scanner/vellic_spectrum_scanner_unit.h"
#include "scanner_site.h"
#include "support/exsitu_file.h"
#include "support/file_lines.h"

namespace {

using scanner::lamp_colour;
using test_support::plate_with;
using test_support::scanner_site;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));
const QString kOutput = QStringLiteral("v/database/products/P/measurements/L/new");

// A complete deployment: product P, its measurement folder L, the archive
// and the exsitu input folder "in".
struct panel_site : scanner_site {
  panel_site() {
    make_vellic_tree();
    tree.make_folder("v/archive");
    fault.set_now(kNow);
  }
  void open() { window = create_window(); }
  QString drop(const QString& name, const QDateTime& written = kNow.addSecs(-60),
               const test_support::exsitu_plate& p = plate_with(3, "77")) {
    const QString file = path("in/" + name);
    basics::write_lines(file, test_support::exsitu_lines(p));
    EXPECT_TRUE(fault.set_last_modified(file, written).ok());
    return file;
  }
  lamp_colour colour() const { return window->current_lamp().colour; }
  QString lamp_text() const { return window->current_lamp().text; }
  QString history_file() const { return "user/DORNIK_SPECTRUM_SCANNER/history/2024-03-05.jsonl"; }

  std::unique_ptr<TDORNIK_scanner_main> window;
};

TEST(OperatorPanelTest, LampGreenWhileScanningWithEveryFolder) {
  panel_site site;
  site.open();
  EXPECT_EQ(site.colour(), lamp_colour::green);
  EXPECT_EQ(site.window->the_panel()->lamp_text->text(), site.lamp_text());
  EXPECT_EQ(site.window->the_tray()->colour(), lamp_colour::green);
}

TEST(OperatorPanelTest, LampGreyOnceScanningIsSwitchedOffAndTheStatusLineKeepsItsText) {
  panel_site site;
  site.open();
  QTest::mouseClick(site.window->active_button, Qt::LeftButton);
  EXPECT_EQ(site.colour(), lamp_colour::grey);
  EXPECT_EQ(site.window->the_tray()->colour(), lamp_colour::grey);
  EXPECT_EQ(site.window->action_label->text(), "Scan inline folder ...");
  QTest::mouseClick(site.window->active_button, Qt::LeftButton);
  EXPECT_EQ(site.colour(), lamp_colour::green);
}

// Each missing folder is named, with its path; files then pile up without
// the status line saying why.
TEST(OperatorPanelTest, LampAmberNamesTheMissingFolder) {
  const struct {
    const char* name;
    std::function<void(panel_site&)> break_it;
    QStringList named;
  } cases[] = {
      {"output folder of the current product",
       [](panel_site& s) { QDir(s.path(kOutput)).removeRecursively(); },
       {"Output folder of the product P", "/v/database/products/P/measurements/L/new"}},
      {"a current product without measurement folders",
       [](panel_site& s) {
         QFile::rename(s.path("v/database/current_product/P"),
                       s.path("v/database/current_product/Q"));
       },
       {"Output folder of the product Q", "/v/database/products/Q/measurements/L/new"}},
      {"mistyped input folder",
       [](panel_site& s) {
         s.window->input_path_editor->setText(s.path("inn"));
         emit s.window->input_path_editor->editingFinished();
       },
       {"Exsitu input folder", "/inn/ is missing."}},
      {"archive root",
       [](panel_site& s) { QDir(s.path("v/archive")).removeRecursively(); },
       {"Archive folder", "/v/archive/ is missing."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    panel_site site;
    site.open();
    ASSERT_EQ(site.colour(), lamp_colour::green);
    c.break_it(site);
    site.window->timer_action();  // the scan composes the folders afresh
    site.window->refresh_operator_view();
    EXPECT_EQ(site.colour(), lamp_colour::amber);
    for (const QString& part : c.named) {
      EXPECT_TRUE(site.lamp_text().contains(QDir::toNativeSeparators(part)))
          << site.lamp_text().toStdString();
    }
    EXPECT_EQ(site.window->the_tray()->colour(), lamp_colour::amber);
  }
}

TEST(OperatorPanelTest, LampRedForAFewMinutesAfterASetAsideFileWithItsText) {
  panel_site site;
  site.open();
  site.drop("a.csv");
  site.fault.fail_writes_after(10, site.path(kOutput) + platform::kDelimiter);
  site.window->timer_action();
  ASSERT_EQ(test_support::files_in(site.path("in")), QStringList{"a.csv.failed"});
  EXPECT_EQ(site.colour(), lamp_colour::red);
  EXPECT_TRUE(site.lamp_text().contains("a.csv (plate 77): set aside"))
      << site.lamp_text().toStdString();
  EXPECT_TRUE(site.lamp_text().contains("is kept as")) << site.lamp_text().toStdString();
  ASSERT_TRUE(site.window->the_tray()->last_notice().has_value());
  EXPECT_EQ(site.window->the_tray()->last_notice()->title, "a.csv (plate 77): set aside");
  EXPECT_EQ(site.window->the_tray()->colour(), lamp_colour::red);

  // Still red a moment before the time is up, green after it.
  site.fault.advance_now(scanner::kRedMinutes * 60 - 1);
  site.window->refresh_operator_view();
  EXPECT_EQ(site.colour(), lamp_colour::red);
  site.fault.advance_now(1);
  site.window->refresh_operator_view();
  EXPECT_EQ(site.colour(), lamp_colour::green);
}

// A window whose general error report a test can reach.
struct reporting_window : TDORNIK_scanner_main {
  using TDORNIK_scanner_main::run_guarded;
};

// An error the window's general report shows turns the lamp red too, with
// the box's text, also while scanning is switched off.
TEST(OperatorPanelTest, LampRedAfterAnErrorOfTheGeneralReport) {
  panel_site site;
  const auto window = site.create_window<reporting_window>();
  QTest::mouseClick(window->active_button, Qt::LeftButton);
  ASSERT_EQ(window->current_lamp().colour, lamp_colour::grey);
  window->run_guarded([] { throw basics::error(QStringLiteral("The disk is full.")); });
  EXPECT_EQ(site.prompts.texts(), QStringList{"The disk is full."});
  EXPECT_EQ(window->current_lamp().colour, lamp_colour::red);
  EXPECT_EQ(window->current_lamp().text, "14:07:09  The disk is full.");
  ASSERT_TRUE(window->the_tray()->last_notice().has_value());
  EXPECT_EQ(window->the_tray()->last_notice()->text, "The disk is full.");
}

TEST(OperatorPanelTest, WaitingFilesAreCountedWithTheAgeOfTheOldest) {
  panel_site site;
  site.open();
  // No scan step runs: the panel lists the folder itself.
  QTest::mouseClick(site.window->active_button, Qt::LeftButton);
  site.drop("a.csv", kNow.addSecs(-30));
  site.drop("b.csv", kNow.addSecs(-3 * 3600 - 20 * 60));
  site.drop("c.csv", kNow.addSecs(-300));
  site.tree.write("in/not_input.txt", "x");
  site.window->refresh_operator_view();
  EXPECT_EQ(site.window->the_panel()->waiting_label->text(),
            "Exsitu input folder: 3 waiting, the oldest for 3 h 20 min");

  // Once the oldest has gone, the next oldest counts.
  QFile::remove(site.path("in/b.csv"));
  site.fault.advance_now(60);
  site.window->refresh_operator_view();
  EXPECT_EQ(site.window->the_panel()->waiting_label->text(),
            "Exsitu input folder: 2 waiting, the oldest for 6 min");

  // The insitu folder has its own line once it is configured.
  site.window->insitu_path_editor->setText(site.path("insitu"));
  emit site.window->insitu_path_editor->editingFinished();
  site.tree.make_folder("insitu");
  site.window->compose_total_output_path();
  site.window->refresh_operator_view();
  EXPECT_EQ(site.window->the_panel()->waiting_label->text(),
            "Exsitu input folder: 2 waiting, the oldest for 6 min\n"
            "Insitu input folder: none waiting");
}

TEST(OperatorPanelTest, ConvertedFileShowsInTheHistoryAndThePlot) {
  panel_site site;
  site.open();
  site.drop("a.csv");
  site.window->timer_action();
  ASSERT_EQ(site.window->the_panel()->history->topLevelItemCount(), 1);
  const QTreeWidgetItem* row = site.window->the_panel()->history->topLevelItem(0);
  EXPECT_EQ(row->text(0), "14:07:09");
  EXPECT_EQ(row->text(1), "a.csv");
  EXPECT_EQ(row->text(2), "77");
  EXPECT_EQ(row->text(3), "converted");
  EXPECT_EQ(row->text(4), "Converted into " + site.path(kOutput + "/77.scn") + ".");

  // The plot holds the scan file's spectra at the chosen position.
  basics::scan_data written;
  written.loadfromfile(site.path(kOutput + "/77.scn"));
  EXPECT_EQ(site.window->the_panel()->position_box->maximum(), 3);
  site.window->the_panel()->position_box->setValue(2);
  const scanner::plotted_spectra shown = site.window->the_panel()->plot->spectra();
  EXPECT_EQ(shown.names, (QStringList{"R glass side", "R coating side", "T"}));
  EXPECT_EQ(shown.curves, scanner::spectra_of(written, 1).curves);
  EXPECT_TRUE(shown.title.startsWith("Plate 77 (a.csv)")) << shown.title.toStdString();
}

TEST(OperatorPanelTest, HistorySurvivesARestartAndSkipsADamagedLine) {
  panel_site site;
  site.open();
  site.drop("a.csv");
  site.window->timer_action();
  site.fault.advance_now(5);
  test_support::exsitu_plate short_plate = plate_with(3, "9");
  short_plate.line_count = 100;
  site.drop("b.csv", kNow.addSecs(-60), short_plate);
  site.window->timer_action();
  site.window->close();
  site.window.reset();
  // One JSON line per handled file.
  const QList<QByteArray> lines = site.tree.read(site.history_file()).split('\n');
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[2].isEmpty());
  EXPECT_TRUE(lines[0].startsWith("{\"archive\":")) << lines[0].toStdString();

  // A line cut short by a full disk.
  QFile file(site.path(site.history_file()));
  ASSERT_TRUE(file.open(QIODevice::Append));
  file.write("{\"time\":\"2024-03-05T14:07");
  file.close();

  site.open();
  QTreeWidget* history = site.window->the_panel()->history;
  ASSERT_EQ(history->topLevelItemCount(), 2);
  EXPECT_EQ(history->topLevelItem(0)->text(1), "b.csv");
  EXPECT_EQ(history->topLevelItem(0)->text(3), "refused");
  EXPECT_EQ(history->topLevelItem(1)->text(1), "a.csv");
  EXPECT_EQ(history->topLevelItem(1)->text(3), "converted");
  // The last spectra are back too.
  EXPECT_FALSE(site.window->the_panel()->plot->spectra().empty());
  // The next record starts a line of its own after the cut one.
  site.drop("c.csv", kNow.addSecs(-60), plate_with(3, "78"));
  site.window->timer_action();
  int skipped = 0;
  const QList<basics::history_record> records =
      basics::read_history(site.path("user/DORNIK_SPECTRUM_SCANNER/history"), 10, &skipped);
  ASSERT_EQ(records.size(), 3);
  EXPECT_EQ(records[0].input, "c.csv");
  EXPECT_EQ(skipped, 1);
}

// A file of thousands of unreadable values: its row holds the short
// message of its record, and one tooltip shared by every column.
TEST(OperatorPanelTest, HistoryRowOfAFileOfUnreadableValuesStaysSmall) {
  panel_site site;
  site.open();
  test_support::exsitu_plate p = plate_with(33, "41");
  p.value = [](int, int, int) { return QStringLiteral("n.a."); };
  site.drop("a.csv", kNow.addSecs(-60), p);
  site.window->timer_action();
  ASSERT_EQ(site.window->the_panel()->history->topLevelItemCount(), 1);
  const QTreeWidgetItem* row = site.window->the_panel()->history->topLevelItem(0);
  EXPECT_LE(row->text(4).size(), basics::kMessageChars);
  EXPECT_TRUE(row->text(4).contains(" more values could not be read."))
      << row->text(4).toStdString();
  const QString tooltip = row->toolTip(0);
  EXPECT_TRUE(tooltip.contains(row->text(4)));
  EXPECT_LE(tooltip.size(), basics::kMessageChars + 1000);
  for (int column = 1; column < site.window->the_panel()->history->columnCount(); ++column) {
    EXPECT_EQ(row->toolTip(column).constData(), tooltip.constData()) << column;
  }
}

// A new service user has no data folder: the first handled file makes it.
TEST(OperatorPanelTest, HistoryIsWrittenOnAFreshAccount) {
  panel_site site;
  site.fault.set_roaming_app_data_folder(site.path("home/svc/.local/share"));
  site.open();
  site.drop("a.csv");
  site.window->timer_action();
  EXPECT_EQ(site.colour(), lamp_colour::green) << site.lamp_text().toStdString();
  EXPECT_EQ(
      basics::read_history(site.path("home/svc/.local/share/DORNIK_SPECTRUM_SCANNER/history"), 10)
          .value(0)
          .input,
      "a.csv");
}

// The day files of the last 90 days stay; older ones go at the start and
// when the date changes while the scanner runs.
TEST(OperatorPanelTest, OldHistoryDaysAreRemovedAtStartAndAtTheDayChange) {
  panel_site site;
  const QString folder = "user/DORNIK_SPECTRUM_SCANNER/history/";
  const auto day_file = [&](int days_ago) {
    return folder + kNow.date().addDays(-days_ago).toString(Qt::ISODate) + ".jsonl";
  };
  for (const int days_ago : {0, 10, 89, 90, 365}) site.tree.write(day_file(days_ago), "");
  site.open();
  for (const int days_ago : {0, 10, 89}) EXPECT_TRUE(site.tree.exists(day_file(days_ago)));
  for (const int days_ago : {90, 365}) EXPECT_FALSE(site.tree.exists(day_file(days_ago)));

  // After midnight the file of 89 days ago is one day too old.
  site.fault.advance_now(9 * 3600);  // 23:07
  site.window->the_view()->greet_new_day();
  EXPECT_TRUE(site.tree.exists(day_file(89)));
  site.fault.advance_now(3600);
  site.window->the_view()->greet_new_day();
  EXPECT_FALSE(site.tree.exists(day_file(89)));
  EXPECT_TRUE(site.tree.exists(day_file(10)));
}

// The day change comes with the scan's own tick: a scanning window has no
// panel timer of its own.
TEST(OperatorPanelTest, TickAfterMidnightRemovesTheDayFileNoLongerKept) {
  panel_site site;
  const QString old_day = "user/DORNIK_SPECTRUM_SCANNER/history/" +
                          kNow.date().addDays(-89).toString(Qt::ISODate) + ".jsonl";
  site.tree.write(old_day, "");
  site.open();
  site.fault.advance_now(10 * 3600);  // 00:07 the next day
  site.window->refresh_operator_view();
  EXPECT_FALSE(site.tree.exists(old_day));
}

// While the scan ticks it brings the panel up to date, in the same wake-up:
// a second timer would wake an idle scanner twice a second. Switched off,
// the panel looks on its own.
TEST(OperatorPanelTest, PanelTimerRunsOnlyWhileTheScanDoesNotTick) {
  panel_site site;
  site.open();
  const auto* panel_timer = site.window->findChild<QTimer*>(QStringLiteral("panel_timer"));
  ASSERT_NE(panel_timer, nullptr);
  EXPECT_FALSE(panel_timer->isActive());
  QTest::mouseClick(site.window->active_button, Qt::LeftButton);
  EXPECT_TRUE(panel_timer->isActive());
  QTest::mouseClick(site.window->active_button, Qt::LeftButton);
  EXPECT_FALSE(panel_timer->isActive());
}

// A backlog waiting at the start is taken up as soon as the window is up,
// not a tick later.
TEST(OperatorPanelTest, FileWaitingAtTheStartIsConvertedOnceTheWindowIsUp) {
  panel_site site;
  site.drop("a.csv");
  site.open();
  QCoreApplication::processEvents();
  EXPECT_FALSE(site.tree.exists("in/a.csv"));
  ASSERT_EQ(site.window->the_panel()->history->topLevelItemCount(), 1);
  EXPECT_EQ(site.window->the_panel()->history->topLevelItem(0)->text(3), "converted");
}

// A row tells its time of day while its record is of today; from the next
// day on, and for older records read back at a start, it shows the date.
TEST(OperatorPanelTest, HistoryTimeShowsTheDateOfARecordFromAnotherDay) {
  panel_site site;
  site.open();
  site.drop("a.csv");
  site.window->timer_action();
  const QTreeWidget* history = site.window->the_panel()->history;
  EXPECT_EQ(history->topLevelItem(0)->text(0), "14:07:09");

  site.fault.advance_now(10 * 3600);  // 00:07:09 the next day
  site.window->the_view()->greet_new_day();
  EXPECT_EQ(history->topLevelItem(0)->text(0), "2024-03-05 14:07");
  site.drop("b.csv", kNow.addSecs(10 * 3600 - 60), plate_with(3, "78"));
  site.window->timer_action();
  EXPECT_EQ(history->topLevelItem(0)->text(0), "00:07:09");

  site.window->close();
  site.window.reset();
  site.open();
  history = site.window->the_panel()->history;
  ASSERT_EQ(history->topLevelItemCount(), 2);
  EXPECT_EQ(history->topLevelItem(0)->text(0), "00:07:09");
  EXPECT_EQ(history->topLevelItem(1)->text(0), "2024-03-05 14:07");
}

TEST(OperatorPanelTest, TrayNoticesOnlyForFilesInTrouble) {
  basics::history_record r;
  r.input = "a.csv";
  r.message = "Error: disk full.";
  const struct {
    basics::history_result result;
    std::optional<qint32> plate;
    std::optional<scanner::tray_notice> notice;
  } cases[] = {
      {basics::history_result::converted, 1, std::nullopt},
      {basics::history_result::refused, 1, std::nullopt},
      {basics::history_result::set_aside, 12,
       scanner::tray_notice{"a.csv (plate 12): set aside", "Error: disk full."}},
      {basics::history_result::error, std::nullopt,
       scanner::tray_notice{"a.csv: error", "Error: disk full."}},
  };
  for (const auto& c : cases) {
    r.result = c.result;
    r.plate = c.plate;
    EXPECT_EQ(scanner::notice_for(r), c.notice);
  }
  // The icon's colour is the lamp's.
  for (const lamp_colour colour :
       {lamp_colour::green, lamp_colour::grey, lamp_colour::amber, lamp_colour::red}) {
    const QImage icon = scanner::lamp_icon(colour, 16).pixmap(16, 16).toImage();
    EXPECT_EQ(icon.pixelColor(8, 8), scanner::lamp_qcolor(colour));
  }
}

// Every scanner program has the panel, watching the folders of its own scan.
TEST(OperatorPanelTest, EveryWindowOfTheFamilyHasThePanel) {
  const auto roles = [](TVELLIC_spectrum_scanner& w) {
    QStringList names;
    for (const scanner::watched_folder& f : w.watched_folders()) names << f.role.section(' ', 0, 1);
    return names;
  };
  panel_site site;
  const auto vellic = site.create_window<TVELLIC_spectrum_scanner>();
  EXPECT_EQ(roles(*vellic), (QStringList{"input folder", "output folder"}));
  const auto tulmen = site.create_window<TTULMEN_scanner_main>();
  EXPECT_EQ(roles(*tulmen), (QStringList{"input folder", "output folder", "archive folder"}));
  const auto selmar = site.create_window<TSELMAR_spectrum_scanner_main>();
  EXPECT_EQ(roles(*selmar), (QStringList{"Zeiss input", "output folder", "archive folder"}));
  const auto halvik = site.create_window<THalvik_scanner_main>();
  EXPECT_EQ(roles(*halvik), (QStringList{"exsitu input", "output folder", "archive folder"}));
  for (TVELLIC_spectrum_scanner* w : std::initializer_list<TVELLIC_spectrum_scanner*>{
           vellic.get(), tulmen.get(), selmar.get(), halvik.get()}) {
    SCOPED_TRACE(w->windowTitle().toStdString());
    EXPECT_EQ(w->the_panel()->x(), 627);
    EXPECT_EQ(w->current_lamp().colour, lamp_colour::green) << w->current_lamp().text.toStdString();
  }
}

}  // namespace
