// The SELMAR window with its two measurement systems: its layout, the Zeiss
// scan step switching the production system's product through the window,
// and the inline step asking a real database for the pane id. The
// conversions themselves are tested on their own in tests/conversion.

#include <QCheckBox>
#include <QDate>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "basics/scan_data.h"
#include "scanner/selmar_spectrum_scanner_Unit.h"
#include "scanner_site.h"
#include "support/file_lines.h"
#include "support/sql_setup.h"
#include "support/sqlite_path.h"
#include "support/zeiss_file.h"

namespace {

using test_support::files_in;
using test_support::scanner_site;
using test_support::zeiss_measurement;
using ::testing::HasSubstr;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));
// The date literal test mode 1 puts into every query.
const QString kTestModeDate = QStringLiteral("5/10/2013 2:30:01 PM");

// The production system "v" (current product `product`, the measurements of
// P and P maintenance) with the Zeiss input folder "in", and the postbake
// system "pb" with product PB.
struct selmar_site : scanner_site {
  explicit selmar_site(const QString& product = QStringLiteral("P")) {
    make_vellic_tree(product);
    for (const char* f : {"v/archive", "v/database/products/P/measurements/L/new",
                          "v/database/products/P maintenance/measurements/L/new", "pb/archive",
                          "pb/database/products/PB/measurements/L/new"}) {
      tree.make_folder(f);
    }
    tree.write("pb/database/current_product/PB", {});
    write_program_file("vellic_scanner.ini", {path("in"), "L", "False", "1", "125"});
    write_program_file("vellic_postbake_path.ini", {path("pb"), "L"});
    fault.set_now(kNow);
  }

  // The inline spectrometer's folder "inline", channel 4 writing into
  // LUMOR1, the database file line.sqlite and `settings` (key, value, ...).
  void configure_inline(const QStringList& settings) {
    tree.make_folder("inline");
    tree.make_folder(measurement("P", "LUMOR1"));
    QStringList lines{"Avantes input path", folder("inline"), "SQL connection string",
                      connection_string()};
    lines += settings;
    QByteArray bytes;
    for (const QString& line : lines) bytes += line.toLatin1() + "\r\n";
    tree.write("v/selmar_spectrum_scanner.ini", bytes);
  }
  QString connection_string() const {
    return QStringLiteral("Driver=" SQLITE3_ODBC_DRIVER ";Database=") +
           test_support::sqlite_database(path("line.sqlite"));
  }
  void execute(const QStringList& statements) const {
    test_support::execute_sql(connection_string(), statements);
  }

  static QString measurement(const QString& product, const QString& lumor = QStringLiteral("L")) {
    return "v/database/products/" + product + "/measurements/" + lumor + "/new";
  }
  void drop_zeiss(int positions, const QString& plate) const {
    zeiss_measurement m;
    m.positions = positions;
    m.plate = plate;
    tree.write("in/" + plate + ".csv", test_support::zeiss_bytes(m));
  }
  QStringList current_product() const { return files_in(path("v/database/current_product")); }
};

std::unique_ptr<TSELMAR_spectrum_scanner_main> create_selmar(const selmar_site& site) {
  return site.create_window<TSELMAR_spectrum_scanner_main>();
}

TEST(SelmarWindowTest, ItsLayoutNamesTheProgramAndShowsThePostbakeSystem) {
  selmar_site site;
  const auto window = create_selmar(site);
  EXPECT_EQ(window->windowTitle(), "SELMAR spectrum scanner");
  EXPECT_EQ(window->Label5->text(), "SELMAR spectrum scanner");
  EXPECT_TRUE(window->postbake_product_label->isVisibleTo(window.get()));
  EXPECT_TRUE(window->postbake_output_path_editor->isVisibleTo(window.get()));
  EXPECT_EQ(window->postbake_product_label->text(), "PB");
  EXPECT_EQ(window->postbake_output_path_editor->text(), "L");
  EXPECT_FALSE(window->automatic_product_identification->isVisibleTo(window.get()));
  EXPECT_TRUE(window->Memo1->toPlainText().contains(
      "There are 2 VELLIC systems installed, one for production and maintenance"));
  EXPECT_TRUE(window->Memo1->toPlainText().contains("100: postbaking_4points"));
  EXPECT_EQ(window->sc_data.no_positions, 32);
  EXPECT_EQ(window->sc_data.no_spectra, 3);
  EXPECT_EQ(window->sc_data.max_no_points, 125);
  EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();
}

// Each plate class, then a production plate: the production system's
// product follows production and maintenance plates only, and a postbake
// sample in between leaves nothing behind that the next plate would follow.
TEST(SelmarWindowTest, ScanStepSwitchesTheProductionProductForProductionPlatesOnly) {
  const struct {
    QString product_before;
    int positions;
    QString plate;
    QString product_after;
    QString output;
    qint32 postbake_mode;
  } cases[] = {
      {"P maintenance", 15, "0042", "P", selmar_site::measurement("P") + "/0042.scn", -1},
      {"P", 32, "77", "P maintenance", selmar_site::measurement("P maintenance") + "/77.scn", -1},
      {"P maintenance", 5, "8200", "P maintenance",
       "pb/database/products/PB/measurements/L/new/8___A.scn", 1},
      {"P", 4, QString::number(32768 + 1234), "P",
       "pb/database/products/PB/measurements/L/new/1234___4points.scn", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output.toStdString());
    selmar_site site(c.product_before);
    const auto window = create_selmar(site);
    site.drop_zeiss(c.positions, c.plate);
    window->Timer1Timer();

    basics::scan_data scan;
    scan.loadfromfile(site.path(c.output));
    EXPECT_EQ(scan.no_positions, c.positions);
    EXPECT_EQ(site.current_product(), QStringList{c.product_after});
    EXPECT_EQ(window->postbake_mode, c.postbake_mode);
    EXPECT_EQ(window->zeiss_plate, c.plate.toInt());
    EXPECT_EQ(test_support::lines_of(window->messages->toPlainText()).value(0),
              "Product identification: " + QString::number(c.plate.toInt()));
    EXPECT_TRUE(files_in(site.path("in")).isEmpty());
    EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();

    site.drop_zeiss(15, "0043");
    window->Timer1Timer();
    EXPECT_EQ(site.current_product(), QStringList{"P"});
    EXPECT_TRUE(site.tree.exists(selmar_site::measurement("P") + "/0043.scn"));
    EXPECT_EQ(window->postbake_mode, -1);
    EXPECT_EQ(window->product_label->text(), "P");
  }
}

TEST(SelmarWindowTest, InlineStepInTestMode1AsksForTheFixedDateAndNamesTheCopyByThePaneId) {
  selmar_site site;
  site.configure_inline({"Test mode", "1", "SQL query channel 4 high",
                         "SELECT high AS value FROM pane WHERE at = ", "SQL query channel 4 low",
                         "SELECT low AS value FROM pane WHERE at = "});
  site.execute({"CREATE TABLE pane (at TEXT, high INTEGER, low INTEGER)",
                "INSERT INTO pane VALUES ('" + kTestModeDate + "', 3, 17)",
                "INSERT INTO pane VALUES ('1/1/2024 0:00:00 AM', 5, 9)"});
  const auto window = create_selmar(site);
  ASSERT_TRUE(window->ADOConnection.is_open());
  EXPECT_EQ(site.prompts.texts(), QStringList{"Test mode: 1"});
  site.prompts.clear();
  site.tree.write("inline/Channel 4 0001.txt", "380 0.5\r\n");
  window->Timer1Timer();

  const QString output = selmar_site::measurement("P", "LUMOR1") + "/196625___T.xy";
  EXPECT_EQ(site.tree.read(output), "380 0.5\r\n");
  EXPECT_TRUE(files_in(site.path("inline")).isEmpty());
  const QStringList board = test_support::lines_of(window->messages->toPlainText());
  EXPECT_THAT(board.join('|').toStdString(),
              HasSubstr(("SELECT high AS value FROM pane WHERE at = '" + kTestModeDate + "'|High 3")
                            .toStdString()));
  EXPECT_TRUE(board.contains(site.path(output))) << board.join('|').toStdString();
  EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();
}

// A database that fails passes: the file waits under its own name, with no
// copy or set-aside file anywhere, and goes at the first tick that gets an
// answer.
TEST(SelmarWindowTest, ADatabaseFaultKeepsTheInlineFileForTheNextTick) {
  selmar_site site;
  site.configure_inline({"SQL query channel 4 high", "SELECT 3 AS value FROM late WHERE '' <> ",
                         "SQL query channel 4 low", "SELECT 17 AS value FROM late WHERE '' <> "});
  site.execute({"CREATE TABLE present (v INTEGER)"});
  const auto window = create_selmar(site);
  ASSERT_TRUE(window->ADOConnection.is_open());
  site.tree.write("inline/Channel 4 0001.txt", "380 0.5\r\n");
  window->Timer1Timer();

  EXPECT_EQ(files_in(site.path("inline")), QStringList{"Channel 4 0001.txt"});
  EXPECT_EQ(site.tree.read("inline/Channel 4 0001.txt"), "380 0.5\r\n");
  EXPECT_TRUE(files_in(site.path(selmar_site::measurement("P", "LUMOR1"))).isEmpty());
  ASSERT_EQ(site.prompts.texts().size(), 1);
  EXPECT_THAT(site.prompts.texts()[0].toStdString(), HasSubstr("no such table"));
  EXPECT_TRUE(window->Timer1->isActive());

  // The same fault again is counted on the board, not boxed at every tick.
  window->Timer1Timer();
  EXPECT_EQ(site.prompts.texts().size(), 1);
  EXPECT_THAT(window->messages->toPlainText().toStdString(), HasSubstr("Error again (2 times): "));
  EXPECT_EQ(files_in(site.path("inline")), QStringList{"Channel 4 0001.txt"});

  site.prompts.clear();
  site.execute({"CREATE TABLE late (v INTEGER)", "INSERT INTO late VALUES (1)"});
  window->Timer1Timer();
  EXPECT_TRUE(files_in(site.path("inline")).isEmpty());
  EXPECT_EQ(files_in(site.path(selmar_site::measurement("P", "LUMOR1"))),
            QStringList{"196625___T.xy"});
  EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();
}

}  // namespace
