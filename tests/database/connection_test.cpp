#include "database/connection.h"
#include "database/odbc_drivers.h"

#include "support/sql_setup.h"
#include "support/sqlite_path.h"
#include "support/temp_tree.h"
#include "support/thrown_text.h"

#include <QHostAddress>
#include <QSqlDatabase>
#include <QTcpServer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

namespace {

using ::testing::HasSubstr;

// A real SQLite database file reached through the ODBC driver manager, as SQL Server is in
// production: the same Qt driver, the same code path.
class SqliteDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    execute({"CREATE TABLE line_speed (time TEXT, speed INTEGER)",
             "INSERT INTO line_speed VALUES ('2013-05-10 14:29:00', 610)",
             "INSERT INTO line_speed VALUES ('2013-05-10 14:30:00', 640)",
             "INSERT INTO line_speed VALUES ('2013-05-10 14:31:00', 655)",
             // The driver types an expression such as "SELECT 2147483648" as a 32-bit column
             // and cuts the number itself; a BIGINT column brings 64-bit values as they are.
             "CREATE TABLE numbers (big BIGINT, exact DECIMAL(10,2))",
             "INSERT INTO numbers VALUES (2147483648, 640.5)",
             "INSERT INTO numbers VALUES (-2147483649, NULL)",
             "INSERT INTO numbers VALUES (2147483647, -0.25)"});
  }

  QString connection_string() const {
    return "Driver=SQLite3;Database=" + test_support::sqlite_database(file_);
  }

  void execute(const QStringList& statements) const {
    test_support::execute_sql(connection_string(), statements);
  }

  test_support::temp_tree tree_;
  QString file_ = tree_.path("line.sqlite");
  database::connection connection_;
};

TEST_F(SqliteDatabaseTest, reads_the_named_integer_column_of_the_first_row) {
  connection_.open(connection_string(), "VELLIC");
  ASSERT_TRUE(connection_.is_open());

  const struct {
    const char* query;
    int expected;
  } cases[] = {
      {"SELECT 12 AS value", 12},
      {"SELECT 0 AS value", 0},
      {"SELECT -7 AS value", -7},
      {"SELECT 12 AS value WHERE 1 = 0", 0},  // no row
      {"SELECT NULL AS value", 0},
      {"SELECT 65537 AS VALUE", 65537},  // column names in any case
      {"SELECT 2147483647 AS value", std::numeric_limits<int>::max()},
      {"SELECT -2147483648 AS value", std::numeric_limits<int>::min()},
      {"SELECT ' 17 ' AS value", 17},
      {"SELECT '640.00' AS value", 640},
      {"SELECT exact AS value FROM numbers WHERE big = 2147483648", 641},
      {"SELECT exact AS value FROM numbers WHERE big = 2147483647", 0},
      {"SELECT big AS value FROM numbers WHERE big = 2147483647", 2147483647},
      {"SELECT CAST(12.5 AS REAL) AS value", 13},
      {"SELECT CAST(-12.5 AS REAL) AS value", -13},
      {"SELECT 1 AS id, 99 AS value", 99},
      {"SELECT speed AS value FROM line_speed WHERE time <= '2013-05-10 14:30:01' "
       "ORDER BY time DESC",
       640},
      {"SELECT speed AS value FROM line_speed WHERE time > '2013-05-10 15:00:00'", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    EXPECT_EQ(connection_.query_integer(c.query, "value"), c.expected);
  }
}

TEST_F(SqliteDatabaseTest, reports_errors_with_the_driver_text) {
  connection_.open(connection_string(), "VELLIC");
  const struct {
    const char* query;
    const char* message;
  } cases[] = {
      {"SELECT FROM line_speed WHERE", "syntax error"},
      {"SELECT speed AS value FROM no_such_table", "no such table"},
      {"SELECT 12 AS speed", "The query result has no column \"value\"."},
      {"SELECT 12 AS speed WHERE 1 = 0", "no column \"value\""},
      {"SELECT 'fast' AS value", "holds \"fast\", which is no 32-bit integer"},
      {"SELECT '12 km/h' AS value", "holds \"12 km/h\""},
      {"SELECT big AS value FROM numbers WHERE big > 0 ORDER BY big DESC", "holds \"2147483648\""},
      {"SELECT big AS value FROM numbers WHERE big < 0", "holds \"-2147483649\""},
      {"SELECT CAST(3e9 AS REAL) AS value", "no 32-bit integer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    EXPECT_THAT(thrown_text([&] { connection_.query_integer(c.query, "value"); }),
                HasSubstr(c.message));
  }
  EXPECT_TRUE(connection_.is_open()) << "a failed query leaves the connection usable";
  EXPECT_EQ(connection_.query_integer("SELECT 5 AS value", "value"), 5);
}

TEST_F(SqliteDatabaseTest, reopening_replaces_the_connection_and_a_failed_open_leaves_it_closed) {
  connection_.open(connection_string(), "VELLIC");
  connection_.open(connection_string(), "VELLIC");
  EXPECT_EQ(connection_.query_integer("SELECT 3 AS value", "value"), 3);

  EXPECT_THAT(thrown_text([&] { connection_.open("Driver={No Such Driver};Server=srv", ""); }),
              HasSubstr("Driver Manager"));
  EXPECT_FALSE(connection_.is_open());
  EXPECT_THAT(thrown_text([&] { connection_.query_integer("SELECT 3 AS value", "value"); }),
              HasSubstr("not open"));
}

TEST_F(SqliteDatabaseTest, connections_live_side_by_side_and_leave_nothing_behind) {
  const QStringList names_before = QSqlDatabase::connectionNames();
  {
    database::connection other;
    connection_.open(connection_string(), "");
    other.open(connection_string(), "");
    EXPECT_EQ(other.query_integer("SELECT 1 AS value", "value"), 1);
    EXPECT_EQ(connection_.query_integer("SELECT 2 AS value", "value"), 2);
  }
  EXPECT_TRUE(connection_.is_open());
  EXPECT_EQ(QSqlDatabase::connectionNames().size(), names_before.size());
}

TEST(DatabaseConnectionTest, is_closed_until_opened_and_refuses_queries_then) {
  database::connection connection;
  EXPECT_FALSE(connection.is_open());
  EXPECT_EQ(thrown_text([&] { connection.query_integer("SELECT 1 AS value", "value"); }),
            "The database connection is not open.");
}

TEST(DatabaseConnectionTest, opening_fails_with_the_driver_manager_text) {
  const struct {
    const char* name;
    QString connection_string;
    const char* message;
  } cases[] = {
      {"driver not installed", "Driver={No Such Driver};Server=srv;Database=LINE",
       "Driver Manager"},
      {"data source name not found", "DSN=no_such_data_source", "Driver Manager"},
      {"empty string", " ", "The SQL connection string is empty."},
      {"malformed string", "Provider=SQLNCLI.1;Data Source", "not a list of name=value pairs"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    database::connection connection;
    EXPECT_THAT(thrown_text([&] { connection.open(c.connection_string, "VELLIC"); }),
                HasSubstr(c.message));
    EXPECT_FALSE(connection.is_open());
  }
}

// A server that accepts the TCP connection but never answers the login: without a login timeout
// the driver would wait for it forever, and the window with it.
TEST(DatabaseConnectionTest, gives_up_on_a_server_that_never_answers) {
  if (!database::installed_odbc_drivers().contains("FreeTDS")) {
    GTEST_SKIP() << "the FreeTDS ODBC driver is not installed";
  }
  QTcpServer silent_server;
  ASSERT_TRUE(silent_server.listen(QHostAddress::LocalHost));

  database::connection connection;
  const QString connection_string =
      QString("Provider=SQLNCLI.1;Data Source=127.0.0.1,%1;User ID=scanner;Password=x")
          .arg(silent_server.serverPort());
  EXPECT_THAT(thrown_text([&] { connection.open(connection_string, "VELLIC"); }),
              HasSubstr("FreeTDS"));
  EXPECT_FALSE(connection.is_open());
}

}  // namespace
