#include "database/connection_string.h"
#include "database/odbc_drivers.h"

#include "support/thrown_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const QStringList microsoft_drivers = {"SQLite3", "ODBC Driver 17 for SQL Server",
                                       "ODBC Driver 18 for SQL Server"};
const QStringList freetds_only = {"SQLite3", "FreeTDS"};

struct mapping_case {
  const char* name;
  QString given;
  QString default_database;
  QStringList installed_drivers;
  QString expected;
};

TEST(OdbcConnectionStringTest, maps_the_ole_db_form_and_keeps_the_odbc_form) {
  const mapping_case cases[] = {
      {"default string, Microsoft's driver", database::default_connection_string(), "VELLIC",
       microsoft_drivers,
       "Driver={ODBC Driver 18 for SQL Server};Server=localhost;Encrypt=no;MARS_Connection=no;"
       "TrustServerCertificate=no;Database=VELLIC"},
      {"default string, FreeTDS", database::default_connection_string(), "VELLIC", freetds_only,
       "Driver={FreeTDS};Server=localhost;Encryption=request;MARS_Connection=no;Database=VELLIC;"
       "TDS_Version=7.4"},
      {"instance, Initial Catalog before the default, integrated security",
       "Provider=SQLNCLI.1;Integrated Security=SSPI;Persist Security Info=False;"
       "Initial Catalog=LINE;Data Source=SRV01\\SQLEXPRESS;Workstation ID=SCANNER3;",
       "VELLIC",
       {"ODBC Driver 17 for SQL Server"},
       "Driver={ODBC Driver 17 for SQL Server};Trusted_Connection=yes;Database=LINE;"
       "Server=SRV01\\SQLEXPRESS;WSID=SCANNER3"},
      {"integrated security through FreeTDS",
       "Provider=SQLNCLI.1;Data Source=SRV01\\LINE;Integrated Security=SSPI", "VELLIC",
       freetds_only,
       "Driver={FreeTDS};Server=SRV01\\LINE;Trusted_Connection=yes;Database=VELLIC;"
       "TDS_Version=7.4"},
      {"user and password, quoted password with ; and a doubled quote",
       "Provider=SQLNCLI.1;Data Source=srv;User ID=scanner;Password=\"se;cr\"\"et\"", "VELLIC",
       microsoft_drivers,
       "Driver={ODBC Driver 18 for SQL Server};Server=srv;UID=scanner;PWD={se;cr\"et};"
       "Database=VELLIC"},
      {"braced value with a doubled closing brace", "Data Source=srv;Password={a}}b;c};User ID=u",
       "", microsoft_drivers,
       "Driver={ODBC Driver 18 for SQL Server};Server=srv;PWD={a}}b;c};UID=u"},
      {"single quotes keep outer spaces", "Data Source=srv;Password=' x '", "", microsoft_drivers,
       "Driver={ODBC Driver 18 for SQL Server};Server=srv;PWD={ x }"},
      {"odd spacing and case of keys",
       "  provider = sqlncli.1 ;  DATA   source = srv ; initial CATALOG=LINE;user id= scanner ;",
       "VELLIC", microsoft_drivers,
       "Driver={ODBC Driver 18 for SQL Server};Server=srv;Database=LINE;UID=scanner"},
      {"port after a comma, Microsoft's driver",
       "Provider=SQLNCLI.1;Data Source=10.0.0.5,1433;Use Encryption for Data=True;"
       "Trust Server Certificate=True;MARS Connection=True",
       "VELLIC", microsoft_drivers,
       "Driver={ODBC Driver 18 for SQL Server};Server=10.0.0.5,1433;Encrypt=yes;"
       "TrustServerCertificate=yes;MARS_Connection=yes;Database=VELLIC"},
      {"port after a comma, FreeTDS",
       "Provider=SQLNCLI.1;Data Source=10.0.0.5 , 1433;Use Encryption for Data=True;"
       "Trust Server Certificate=True",
       "VELLIC", freetds_only,
       "Driver={FreeTDS};Server=10.0.0.5;Port=1433;Encryption=require;Database=VELLIC;"
       "TDS_Version=7.4"},
      {"no SQL Server driver installed: the first preferred name",
       "Provider=SQLNCLI.1;Data Source=srv",
       "VELLIC",
       {"SQLite3"},
       "Driver={ODBC Driver 18 for SQL Server};Server=srv;Database=VELLIC"},
      {"keys of no known meaning are passed on",
       "Provider=SQLNCLI.1;Data Source=srv;ApplicationIntent=ReadOnly;Application Name=DORNIK", "",
       microsoft_drivers,
       "Driver={ODBC Driver 18 for SQL Server};Server=srv;ApplicationIntent=ReadOnly;APP=DORNIK"},
      {"empty values and integrated security off set nothing",
       "Provider=SQLNCLI.1;Data Source=srv;Integrated Security=False;Initial Catalog=;User ID=u",
       "VELLIC", microsoft_drivers,
       "Driver={ODBC Driver 18 for SQL Server};Server=srv;UID=u;Database=VELLIC"},
      {"OLE DB's ODBC provider keeps its own driver",
       "Provider=MSDASQL;Driver={FreeTDS};Server=srv,1433;Database=LINE", "VELLIC",
       microsoft_drivers, "Driver={FreeTDS};Server=srv;Port=1433;Database=LINE;TDS_Version=7.4"},
      {"ODBC form naming database and protocol: unchanged",
       "Driver={FreeTDS};Server=srv\\inst;Database=LINE;TDS_Version=7.3;UID=u;PWD={a;b}", "VELLIC",
       microsoft_drivers,
       "Driver={FreeTDS};Server=srv\\inst;Database=LINE;TDS_Version=7.3;UID=u;PWD={a;b}"},
      {"ODBC form with Microsoft's driver and a database: unchanged",
       "Driver={ODBC Driver 18 for SQL Server};Server=srv;Database=LINE;Encrypt=strict", "VELLIC",
       freetds_only,
       "Driver={ODBC Driver 18 for SQL Server};Server=srv;Database=LINE;Encrypt=strict"},
      {"ODBC form: the default database and FreeTDS's protocol appended",
       "Driver=FreeTDS;Server=srv;", "VELLIC", microsoft_drivers,
       "Driver=FreeTDS;Server=srv;Database=VELLIC;TDS_Version=7.4"},
      {"ODBC form, no default database: unchanged", "DSN=line", "", microsoft_drivers, "DSN=line"},
      {"empty string", "", "VELLIC", microsoft_drivers, ""},
      {"blank string", "  ", "VELLIC", microsoft_drivers, ""},
  };
  for (const mapping_case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(database::odbc_connection_string(c.given, c.default_database, c.installed_drivers)
                  .toStdString(),
              c.expected.toStdString());
  }
}

TEST(OdbcConnectionStringTest, refuses_what_is_no_list_of_pairs_without_showing_the_value) {
  const struct {
    QString given;
    const char* message;
  } cases[] = {
      {"Provider=SQLNCLI.1;Data Source", "not a list of name=value pairs"},
      {"Data Source=srv;Password=\"s3cret;", "\"Password\" in the SQL connection string lacks"},
      {"Data Source=srv;Password={s3cret", "lacks its closing }"},
      {"Data Source=srv;Password='s3c'ret", "not a list of name=value pairs"},
      {"Data Source=srv;=s3cret", "not a list of name=value pairs"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given.toStdString());
    const std::string text = thrown_text(
        [&] { database::odbc_connection_string(c.given, "VELLIC", microsoft_drivers); });
    EXPECT_THAT(text, HasSubstr(c.message));
    EXPECT_THAT(text, Not(HasSubstr("s3c")));
  }
}

TEST(SqlServerDriverTest, prefers_the_newest_microsoft_driver_then_freetds) {
  const struct {
    QStringList installed;
    QString expected;
  } cases[] = {
      {{}, "ODBC Driver 18 for SQL Server"},
      {{"SQLite3"}, "ODBC Driver 18 for SQL Server"},
      {{"FreeTDS", "ODBC Driver 17 for SQL Server"}, "ODBC Driver 17 for SQL Server"},
      {{"ODBC Driver 13 for SQL Server", "ODBC Driver 18 for SQL Server",
        "ODBC Driver 17 for SQL Server"},
       "ODBC Driver 18 for SQL Server"},
      {{"ODBC Driver 18 for SQL Server", "ODBC Driver 19 for SQL Server"},
       "ODBC Driver 19 for SQL Server"},
      {{"SQL Server", "SQL Server Native Client 11.0", "FreeTDS"}, "FreeTDS"},
      {{"SQL Server", "SQL Server Native Client 11.0"}, "SQL Server Native Client 11.0"},
      {{"SQLite3", "SQL Server"}, "SQL Server"},
      {{"freetds"}, "freetds"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.installed.join(", ").toStdString());
    EXPECT_EQ(database::sql_server_driver(c.installed).toStdString(), c.expected.toStdString());
  }
}

TEST(InstalledOdbcDriversTest, lists_the_drivers_the_driver_manager_knows) {
  EXPECT_TRUE(database::installed_odbc_drivers().contains("SQLite3"));
}

}  // namespace
