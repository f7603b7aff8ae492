// The line speed and pane id queries of the SELMAR window and its database
// test buttons, against a real SQLite database file reached through the ODBC
// driver manager, as the line's SQL Server is in production.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>

#include <cmath>
#include <limits>

#include "basics/ole_date.h"
#include "platform/env.h"
#include "scanner_site.h"
#include "support/sql_setup.h"
#include "support/sqlite_path.h"
#include "support/thrown_text.h"

namespace {

using test_support::scanner_site;
using ::testing::HasSubstr;

// The date literal that test mode 1 puts into every query, and the moment of
// the "Historic ID" button.
const QString kTestModeDate = QStringLiteral("5/10/2013 2:30:01 PM");
const QString kFixedDate = QStringLiteral("5/13/2013 4:59:00 PM");

// A query answering `value` whatever date literal follows it; a second form
// answering no row.
QString answering(const QString& value) {
  return QStringLiteral("SELECT %1 AS value WHERE '' <> ").arg(value);
}
QString answering_no_row() {
  return QStringLiteral("SELECT 12 AS value WHERE '' = ");
}

class SelmarQueriesTest : public ::testing::Test {
 protected:
  // Writes selmar_spectrum_scanner.ini with the connection to the database
  // file (or none) and `settings` (key, value, key, value, ...), with the
  // inline input folder "inline" holding the line-speed folder.
  void configure(const QStringList& settings, bool with_database = true) {
    site.write_program_file("vellic_path.ini", {site.path("v")});
    QStringList lines{"Avantes input path", site.folder("inline"), "SQL connection string",
                      with_database ? connection_string() : QString()};
    lines += settings;
    QByteArray bytes;
    for (const QString& line : lines) bytes += line.toLatin1() + "\r\n";
    site.tree.write("v/selmar_spectrum_scanner.ini", bytes);
    site.tree.make_folder("inline/line_speed");
  }

  std::unique_ptr<TDORNIK_scanner_main> create_window() {
    auto window = site.create_window();
    board.clear();
    QObject::connect(window.get(), &TSELMAR_spectrum_scanner_main::board_line_added,
                     [this](const QString& line) { board << line; });
    return window;
  }

  QString connection_string() const {
    return QStringLiteral("Driver=" SQLITE3_ODBC_DRIVER ";Database=") +
           test_support::sqlite_database(site.path("line.sqlite"));
  }

  void execute(const QStringList& statements) const {
    test_support::execute_sql(connection_string(), statements);
  }

  // The names of the files in the line-speed folder.
  QStringList line_speed_files() const {
    return QDir(site.path("inline/line_speed")).entryList(QDir::Files, QDir::Name);
  }
  void put_line_speed_file(const QString& name) const {
    site.tree.write("inline/line_speed/" + name, "kept as it is");
  }

  scanner_site site;
  QStringList board;
};

// ---- Line speed ---------------------------------------------------------------

TEST_F(SelmarQueriesTest, TheLineSpeedAnswerNamesTheLineSpeedFile) {
  configure({});
  auto window = create_window();
  ASSERT_TRUE(window->ADOConnection.is_open());
  put_line_speed_file("line.txt");
  QStringList actions;
  QObject::connect(window.get(), &TVELLIC_spectrum_scanner::action_shown,
                   [&actions](const QString& text) { actions << text; });

  const struct {
    QString query;
    qint32 line_speed;
  } cases[] = {
      {answering("12"), 12},
      {answering("0"), 500},      // no speed: the default
      {answering_no_row(), 500},  // already 500.txt: no complaint, nothing renamed
      {answering("NULL"), 500},
      {QString(), 500},               // no line speed query configured
      {QStringLiteral(" \t "), 500},  // blank: not run (it would be a syntax error)
      {answering("640"), 640},
      {answering("640"), 640},  // the same speed again: nothing to rename
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query.toStdString());
    window->sql_query_line_speed_pos20 = c.query;
    actions.clear();
    window->get_line_speed();
    EXPECT_EQ(window->line_speed, c.line_speed);
    EXPECT_EQ(line_speed_files(), QStringList{QString::number(c.line_speed) + ".txt"});
    EXPECT_EQ(site.tree.read("inline/line_speed/" + QString::number(c.line_speed) + ".txt"),
              "kept as it is");
    EXPECT_EQ(actions, (QStringList{"Get line speed ...", "Scan inline folder ..."}));
    EXPECT_TRUE(board.isEmpty()) << board.join('|').toStdString();
  }
  EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();
}

TEST_F(SelmarQueriesTest, TheLineSpeedLabelTellsWhereTheSpeedCameFromWhenItIsShown) {
  configure({});
  auto window = create_window();
  put_line_speed_file("line.txt");
  window->sql_query_line_speed_pos20 = answering("12");
  window->get_line_speed();
  EXPECT_EQ(window->line_speed_label->text(), "Line speed") << "a hidden label is left alone";

  window->line_speed_label->show();
  window->get_line_speed();
  EXPECT_EQ(window->line_speed_label->text(), "Line speed (according to database): 12");
  window->sql_query_line_speed_pos20 = answering("0");
  window->get_line_speed();
  EXPECT_EQ(window->line_speed_label->text(), "Using default value of line speed: 500");
}

TEST_F(SelmarQueriesTest, AFileThatCannotBeRenamedIsReportedOnTheBoard) {
  configure({"SQL query line speed POS20", answering("12")});
  auto window = create_window();
  const QString folder = site.folder("inline/line_speed");

  window->get_line_speed();  // no file in the folder
  EXPECT_EQ(board, QStringList{"Could not rename " + folder});

  board.clear();
  put_line_speed_file("500.txt");
  site.fault.refuse_rename("500.txt");
  window->get_line_speed();
  EXPECT_EQ(board, QStringList{"Could not rename " + folder + "500.txt"});
  EXPECT_EQ(line_speed_files(), QStringList{"500.txt"});
  EXPECT_EQ(window->line_speed, 12);
}

TEST_F(SelmarQueriesTest, TheLineSpeedFolderLiesInTheInlineFolderWithOrWithoutItsDelimiter) {
  configure({"SQL query line speed POS20", answering("12")});
  auto window = create_window();
  put_line_speed_file("a.TXT");
  put_line_speed_file("b.txt");
  window->avantes_input_path = site.path("inline");  // no delimiter at its end
  window->get_line_speed();
  EXPECT_EQ(line_speed_files(), (QStringList{"12.txt", "b.txt"})) << "only the first file";
  EXPECT_TRUE(board.isEmpty());

  // Without an inline folder nothing is looked for anywhere else.
  window->avantes_input_path.clear();
  window->get_line_speed();
  EXPECT_EQ(board, QStringList{"Could not rename "});
  EXPECT_EQ(line_speed_files(), (QStringList{"12.txt", "b.txt"}));
}

// ---- Pane ids -----------------------------------------------------------------

TEST_F(SelmarQueriesTest, APaneIdIsTheHighHalfTimes65536PlusTheLowHalf) {
  configure({});
  auto window = create_window();
  const double yesterday = basics::ole_date_from(platform::env().now().addDays(-1));

  const struct {
    QString high;
    QString low;
    QString pane_id;
  } cases[] = {
      {answering("3"), answering("17"), "196625"},
      {answering("1"), answering("65536"), "131072"},  // the low half carries
      {answering("2"), answering("0"), "131072"},
      {answering("0"), answering("-1"), "-1"},
      {answering_no_row(), answering("17"), "17"},
      {answering("3"), answering("NULL"), "196608"},
      {answering("3"), QString(), "0"},  // a channel without a low query
      {answering("3"), QStringLiteral("  "), "0"},
      {QString(), answering("17"), "0"},
      // Beyond 32 bits: the whole number, not a wrapped one naming another pane.
      {answering("40000"), answering("5"), "2621440005"},
      {answering("-40000"), answering("0"), "-2621440000"},
  };
  int channel = 0;
  for (const auto& c : cases) {
    channel = (channel + 1) % 5;
    SCOPED_TRACE(
        QStringLiteral("channel %1: %2 / %3").arg(channel).arg(c.high, c.low).toStdString());
    for (int other = 0; other < 5; ++other) {
      window->sql_query_pane_id_high[other] = answering("999");
      window->sql_query_pane_id_low[other] = answering("999");
    }
    window->sql_query_pane_id_high[channel] = c.high;
    window->sql_query_pane_id_low[channel] = c.low;
    EXPECT_EQ(window->last_inline_pane_id(channel), c.pane_id);
    EXPECT_EQ(window->historic_inline_pane_id(channel, yesterday), c.pane_id);
  }
  EXPECT_EQ(window->pane_id_simulation, 0);
  EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();
  EXPECT_TRUE(board.isEmpty());
}

TEST_F(SelmarQueriesTest, AChannelOutsideTheFiveAsksNothing) {
  configure({});
  auto window = create_window();
  for (int channel = 0; channel < 5; ++channel) {
    window->sql_query_pane_id_high[channel] = QStringLiteral("no query");
    window->sql_query_pane_id_low[channel] = QStringLiteral("no query");
  }
  for (const int channel : {-1, 5, 6, std::numeric_limits<int>::max()}) {
    SCOPED_TRACE(channel);
    EXPECT_EQ(window->historic_inline_pane_id(channel, 41404.6), QString());
    if (channel != 5) {
      EXPECT_EQ(window->last_inline_pane_id(channel), QString());
    }
  }
  EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();
}

TEST_F(SelmarQueriesTest, WithoutAConnectionPaneIdsAreCountedAndTheLineSpeedIs600) {
  configure({"SQL query line speed POS20", answering("12"), "SQL query channel 4 high",
             answering("1"), "SQL query channel 4 low", answering("2")},
            false);
  auto window = create_window();
  ASSERT_FALSE(window->ADOConnection.is_open());
  put_line_speed_file("7.txt");
  window->action_label->setText("before");

  window->get_line_speed();
  EXPECT_EQ(window->line_speed, 600);
  EXPECT_EQ(line_speed_files(), QStringList{"7.txt"});
  EXPECT_EQ(window->action_label->text(), "before");

  EXPECT_EQ(window->last_inline_pane_id(0), "1");
  EXPECT_EQ(window->historic_inline_pane_id(3, 41404.6), "2");
  EXPECT_EQ(window->last_inline_pane_id(4), "3");
  EXPECT_EQ(window->historic_inline_pane_id(9, 41404.6), "") << "no channel, no count";
  EXPECT_EQ(window->historic_inline_pane_id(1, std::nan("")), "4")
      << "no date is needed for a simulated id";
  window->pane_id_simulation = std::numeric_limits<qint32>::max();
  EXPECT_EQ(window->last_inline_pane_id(2), "-2147483648") << "the 32-bit counter wraps";
  EXPECT_TRUE(board.isEmpty());
  EXPECT_TRUE(site.prompts.texts().isEmpty());
}

// ---- Date literals and test output ----------------------------------------------

// The database holds a value per date text, so each answer proves which date
// literal the query carried.
TEST_F(SelmarQueriesTest, TestMode1AsksForTheFixedDatesAndReportsEveryQuery) {
  configure({"Test mode", "1", "SQL fieldname", "v", "SQL query line speed POS20",
             "SELECT v FROM speed WHERE at = ", "SQL query channel 2 high",
             "SELECT high AS v FROM pane WHERE at = ", "SQL query channel 2 low",
             "SELECT low AS v FROM pane WHERE at = ", "SQL query channel 4 high",
             "SELECT high AS v FROM pane WHERE at = ", "SQL query channel 4 low",
             "SELECT low AS v FROM pane WHERE at = "});
  execute({"CREATE TABLE speed (at TEXT, v INTEGER)",
           "INSERT INTO speed VALUES ('" + kTestModeDate + "', 12)",
           "INSERT INTO speed VALUES ('" + kFixedDate + "', 13)",
           "CREATE TABLE pane (at TEXT, high INTEGER, low INTEGER)",
           "INSERT INTO pane VALUES ('" + kTestModeDate + "', 3, 17)",
           "INSERT INTO pane VALUES ('" + kFixedDate + "', 5, 9)"});
  auto window = create_window();
  EXPECT_EQ(site.prompts.texts(), QStringList{"Test mode: 1"});
  site.prompts.clear();
  site.fault.set_now(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));
  put_line_speed_file("line.txt");
  const QString high = "SELECT high AS v FROM pane WHERE at = '" + kTestModeDate + "'";
  const QString low = "SELECT low AS v FROM pane WHERE at = '" + kTestModeDate + "'";

  window->get_line_speed();
  EXPECT_EQ(window->line_speed, 12);
  EXPECT_EQ(board, QStringList{"SELECT v FROM speed WHERE at = '" + kTestModeDate + "'\n"});

  board.clear();
  const double given = basics::ole_date_from(QDateTime(QDate(2019, 6, 7), QTime(8, 9, 10)));
  EXPECT_EQ(window->historic_inline_pane_id(2, given), "196625");
  EXPECT_EQ(board, (QStringList{high, "High 3", low, "Low 17"}));
  EXPECT_TRUE(site.prompts.texts().isEmpty());

  board.clear();
  EXPECT_EQ(window->last_inline_pane_id(2), "196625");
  EXPECT_EQ(site.prompts.texts(), (QStringList{high, "High 3", low, "Low 17"}));
  EXPECT_TRUE(board.isEmpty());

  // The "Historic ID" button asks channel 4's queries for its own moment and
  // shows only the answer, test mode or not.
  site.prompts.clear();
  window->Button1->click();
  EXPECT_EQ(site.prompts.texts(), QStringList{"327689"});
  EXPECT_TRUE(board.isEmpty());
}

TEST_F(SelmarQueriesTest, OtherTestModesAskForTheClockOrTheGivenTimeInTheLocaleFormat) {
  configure({"Test mode", "2", "SQL query line speed POS20", answering("12"),
             "SQL query channel 0 high", answering("1"), "SQL query channel 0 low",
             answering("2")});
  auto window = create_window();
  EXPECT_TRUE(site.prompts.texts().isEmpty()) << "only test mode 1 announces itself";
  put_line_speed_file("line.txt");
  const QLocale locale = QLocale::system();

  const struct {
    QDateTime moment;
    bool with_time;
  } cases[] = {
      {QDateTime(QDate(2021, 3, 4), QTime(15, 6, 7)), true},
      {QDateTime(QDate(2021, 11, 24), QTime(0, 0)), false},  // midnight: the date alone
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.moment.toString(Qt::ISODate).toStdString());
    const QString date = "'" + locale.toString(c.moment.date(), QLocale::ShortFormat);
    const auto check = [&](const QString& query, const QString& configured) {
      EXPECT_TRUE(query.startsWith(configured + date)) << query.toStdString();
      EXPECT_TRUE(query.endsWith("'")) << query.toStdString();
      if (c.with_time) {
        EXPECT_TRUE(query.startsWith(configured + date + " ")) << query.toStdString();
        EXPECT_TRUE(query.contains("06:07")) << query.toStdString();
        // A zone name inside the literal would make the server refuse it.
        EXPECT_FALSE(query.contains(c.moment.timeZoneAbbreviation())) << query.toStdString();
      } else {
        EXPECT_EQ(query, configured + date + "'");
      }
    };

    site.fault.set_now(c.moment);
    board.clear();
    window->get_line_speed();
    ASSERT_EQ(board.size(), 1);
    EXPECT_TRUE(board[0].endsWith("'\n"));
    check(board[0].chopped(1), answering("12"));

    board.clear();
    site.fault.set_now(QDateTime(QDate(2000, 1, 1), QTime(1, 1, 1)));
    EXPECT_EQ(window->historic_inline_pane_id(0, basics::ole_date_from(c.moment)), "65538");
    ASSERT_EQ(board.size(), 4);
    check(board[0], answering("1"));
    EXPECT_EQ(board[1], "High 1");
    check(board[2], answering("2"));
    EXPECT_EQ(board[3], "Low 2");
  }
}

// ---- Errors -------------------------------------------------------------------

TEST_F(SelmarQueriesTest, DatabaseErrorsEndTheOperationWithTheDriverText) {
  configure({"SQL query line speed POS20",
             "SELECT FROM nowhere WHERE at = ", "SQL query channel 1 high", answering("1"),
             "SQL query channel 1 low", "SELECT value FROM no_such_table WHERE at = "});
  auto window = create_window();
  put_line_speed_file("line.txt");

  // Through the test button: the general error report shows the driver's words.
  window->Button4->click();
  ASSERT_EQ(site.prompts.texts().size(), 1);
  EXPECT_THAT(site.prompts.texts()[0].toStdString(), HasSubstr("syntax error"));
  EXPECT_EQ(window->line_speed, 0);
  EXPECT_EQ(line_speed_files(), QStringList{"line.txt"});
  EXPECT_EQ(window->action_label->text(), "Get line speed ...");

  EXPECT_THAT(thrown_text([&] { window->historic_inline_pane_id(1, 41404.6); }),
              HasSubstr("no such table"));
  EXPECT_THAT(thrown_text([&] { window->last_inline_pane_id(1); }), HasSubstr("no such table"));
  // A time that is no date cannot become a date literal.
  window->sql_query_pane_id_low[1] = answering("2");
  EXPECT_THAT(thrown_text([&] { window->historic_inline_pane_id(1, std::nan("")); }),
              HasSubstr("no valid date"));
  EXPECT_TRUE(board.isEmpty());
  window->test_mode = 1;
  EXPECT_EQ(window->historic_inline_pane_id(1, std::nan("")), "65538") << "the test date is used";
  ASSERT_EQ(board.size(), 4);
  EXPECT_EQ(board[0], answering("1") + "'" + kTestModeDate + "'");
}

TEST_F(SelmarQueriesTest, TheFixedPaneIdAndTheFreeQueryNeedAConnection) {
  configure({"SQL query channel 4 high", answering("1"), "SQL query channel 4 low", answering("2")},
            false);
  auto window = create_window();

  window->Button1->click();
  EXPECT_EQ(site.prompts.texts(), QStringList{"The database connection is not open."});

  site.prompts.clear();
  window->sql_test_query->setPlainText("SELECT 1 AS value");
  window->Button3->click();
  EXPECT_EQ(site.prompts.texts(),
            (QStringList{"SELECT 1 AS value", "The database connection is not open."}));

  // Without queries for channel 4 there is nothing to ask.
  site.prompts.clear();
  window->sql_query_pane_id_low[4].clear();
  window->Button1->click();
  EXPECT_EQ(site.prompts.texts(), QStringList{"0"});
  EXPECT_EQ(window->pane_id_simulation, 0);
}

// ---- Test buttons -------------------------------------------------------------

TEST_F(SelmarQueriesTest, TheTestButtonsShowWhatTheyAsked) {
  configure(
      {"SQL fieldname", "speed", "SQL query line speed POS20", "SELECT 12 AS speed WHERE '' <> "});
  auto window = create_window();
  put_line_speed_file("line.txt");
  EXPECT_EQ(window->Button1->text(), "Historic ID");
  EXPECT_EQ(window->Button3->text(), "sql_test_query");
  EXPECT_EQ(window->Button4->text(), "Line speed");
  EXPECT_EQ(window->sql_test_query->toPlainText(), "sql_test_query");
  const QList<QWidget*> hidden_controls{window->Button1, window->Button3, window->Button4,
                                        window->sql_test_query, window->line_speed_label};
  for (const QWidget* hidden : hidden_controls) {
    EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
  }

  window->Button4->click();
  EXPECT_EQ(site.prompts.texts(), QStringList{"12"});
  EXPECT_EQ(line_speed_files(), QStringList{"12.txt"});

  // The free query reads the column "value", whatever the settings name, and
  // shows the low 16 bits of its answer.
  const struct {
    const char* query;
    const char* shown;
  } cases[] = {
      {"SELECT 65537 AS value", "1"},
      {"SELECT 12 AS value", "12"},
      {"SELECT -1 AS value", "65535"},
      {"SELECT 5 AS value WHERE 1 = 0", "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    site.prompts.clear();
    window->sql_test_query->setPlainText(c.query);
    window->Button3->click();
    EXPECT_EQ(site.prompts.texts(), (QStringList{c.query, c.shown}));
  }

  site.prompts.clear();
  window->sql_test_query->setPlainText("SELECT 12 AS speed");
  window->Button3->click();
  ASSERT_EQ(site.prompts.texts().size(), 2);
  EXPECT_THAT(site.prompts.texts()[1].toStdString(), HasSubstr("no column \"value\""));
}

}  // namespace
