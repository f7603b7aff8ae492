// The database connection opened while the window is created.

#include <gtest/gtest.h>

#include "scanner_site.h"
#include "support/sqlite_path.h"

namespace {

using test_support::scanner_site;

void write_connection_string(scanner_site& site, const QString& connection_string) {
  site.write_program_file("vellic_path.ini", {site.path("v")});
  site.tree.write("v/selmar_spectrum_scanner.ini",
                  "SQL connection string\r\n" + connection_string.toLatin1() + "\r\n");
}

TEST(DatabaseTest, AConnectionThatFailsIsReportedAndTheLaterStepsStillRun) {
  scanner_site site;
  write_connection_string(site, QStringLiteral("Driver={No such driver};Server=nowhere"));
  site.write_program_file("traverse_point_selection.txt", {"Point 3", "0"});
  site.tree.write("prog/DORNIK_probeheads.bin", test_support::fixture("vocabulary_probeheads.bin"));
  auto window = site.create_window();

  ASSERT_EQ(site.prompts.texts().size(), 1);
  EXPECT_FALSE(site.prompts.texts()[0].trimmed().isEmpty());
  EXPECT_FALSE(window->ADOConnection.is_open());
  EXPECT_FALSE(window->point_is_selected(3));
  EXPECT_GT(window->destination_translation.anzahl_vokabeln(), 1);
  EXPECT_TRUE(window->creation_complete());
}

TEST(DatabaseTest, AConfiguredConnectionIsOpenAfterCreation) {
  scanner_site site;
  write_connection_string(site, QStringLiteral("Driver=" SQLITE3_ODBC_DRIVER ";Database=") +
                                    test_support::sqlite_database(site.path("line.sqlite")));
  auto window = site.create_window();
  EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();
  EXPECT_TRUE(window->ADOConnection.is_open());
}

TEST(DatabaseTest, NoConnectionIsOpenedWithoutAConnectionString) {
  scanner_site site;
  write_connection_string(site, QString());
  auto window = site.create_window();
  EXPECT_FALSE(window->ADOConnection.is_open());
  EXPECT_TRUE(site.prompts.texts().isEmpty());
}

}  // namespace
