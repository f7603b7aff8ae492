// The --check-config report, made in-process so that a FaultEnv can refuse
// what root may always do.

#include <gtest/gtest.h>

#include "platform/env.h"
#include "program/check_config.h"
#include "support/fault_env.h"
#include "support/temp_tree.h"

namespace {

// A deployment in a temporary folder: program folder "prog" naming the
// VELLIC tree "v" (product P, measurement L) and the input folder "in".
struct config_site {
  config_site() : use(&fault) {
    fault.set_program_file_path(tree.path("prog/DORNIK_spectrum_scanner"));
    tree.write("v/database/current_product/P", {});
    tree.make_folder("v/database/products/P/measurements/L/new");
    tree.make_folder("in");
    tree.write("prog/vellic_path.ini", tree.path("v").toUtf8() + "\r\n");
    write_scanner_ini(tree.path("in").toUtf8() + "\r\nL\r\n");
  }
  void write_scanner_ini(const QByteArray& bytes) { tree.write("prog/vellic_scanner.ini", bytes); }
  // The report's line of `item`.
  QString line(const QString& item) {
    bool usable = false;
    const QString report = program::configuration_report(&usable);
    this->usable = usable;
    for (const QString& text : report.split('\n')) {
      if (text.startsWith(item + ":")) return text;
    }
    return QString();
  }

  test_support::temp_tree tree;
  platform::FaultEnv fault;
  platform::ScopedEnv use;
  bool usable = false;
};

TEST(CheckConfigTest, AnUnreadableCurrentProductFolderIsAnError) {
  config_site site;
  EXPECT_TRUE(site.line("current product").endsWith(" P  [exists]"));
  EXPECT_TRUE(site.usable);

  site.fault.refuse_list("current_product");
  const QString line = site.line("current product");
  EXPECT_TRUE(line.contains("Error: The current product folder " +
                            site.tree.path("v/database/current_product") + " cannot be read"))
      << line.toStdString();
  EXPECT_TRUE(line.endsWith("[ERROR]")) << line.toStdString();
  EXPECT_FALSE(site.usable);
}

TEST(CheckConfigTest, AnEmptyInputFolderIsNotConfigured) {
  config_site site;
  site.write_scanner_ini("\r\nL\r\n");
  const QString line = site.line("exsitu input folder");
  EXPECT_TRUE(line.endsWith(" (not configured)  [MISSING]")) << line.toStdString();
  EXPECT_FALSE(site.usable);
}

TEST(CheckConfigTest, RefusedNumbersAreListedAndCostNothingElse) {
  config_site site;
  site.write_scanner_ini(site.tree.path("in").toUtf8() +
                         "\r\nL\r\nFalse\r\n1e39\r\n125\r\n\r\n\r\n\r\n\r\nnan\r\n");
  bool usable = false;
  const QString report = program::configuration_report(&usable);
  EXPECT_TRUE(usable) << report.toStdString();
  EXPECT_EQ(report.count("refused setting:"), 2) << report.toStdString();
  EXPECT_TRUE(report.contains("no_scan_files \"1e39\" is out of range")) << report.toStdString();
  EXPECT_TRUE(report.contains("process_file_delay_time_in_seconds \"nan\" is out of range"))
      << report.toStdString();
}

// The settings file is read as the window reads it: a UTF-8 file with its
// mark names a folder outside the code page.
TEST(CheckConfigTest, AUtf8SettingsFileNamesItsFolder) {
  config_site site;
  const QString polish = QString::fromUtf8("wej\u015bcie_\u010d");
  site.tree.make_folder(polish);
  site.write_scanner_ini("\xEF\xBB\xBF" + site.tree.path(polish).toUtf8() + "\r\nL\r\n");
  const QString line = site.line("exsitu input folder");
  EXPECT_TRUE(line.endsWith(" " + platform::with_delimiter(site.tree.path(polish)) + "  [exists]"))
      << line.toStdString();
}

}  // namespace
