#include "basics/live_signal.h"

#include <QDir>

#include <gtest/gtest.h>

#include "basics/error.h"
#include "platform/env.h"
#include "support/fault_env.h"
#include "support/system_entries.h"
#include "support/temp_tree.h"
#include "support/thrown_text.h"

namespace {

struct heartbeat_site {
  heartbeat_site() : use_fault(&fault) {
    fault.set_program_file_path(
        tree.path("prog/" + test_support::program_file_name("Line_Scanner")));
    file = basics::live_signal_file(tree.path("v") + platform::kDelimiter);
  }
  QStringList live_signals() const {
    return QDir(tree.path("v/live_signals")).entryList(QDir::Files | QDir::Hidden);
  }
  test_support::temp_tree tree;
  platform::FaultEnv fault;
  platform::ScopedEnv use_fault;
  QString file;
};

TEST(LiveSignalTest, IsAnEmptyFileNamedAfterTheProgram) {
  heartbeat_site site;
  site.tree.make_folder("v");
  EXPECT_EQ(site.file, site.tree.path("v/live_signals/Line_Scanner.alv"));
  basics::renew_live_signal(site.file);
  EXPECT_EQ(site.live_signals(), QStringList{"Line_Scanner.alv"});
  EXPECT_EQ(site.tree.read("v/live_signals/Line_Scanner.alv"), QByteArray());

  site.tree.write("v/live_signals/Line_Scanner.alv", "kept");
  basics::renew_live_signal(site.file);
  EXPECT_EQ(site.tree.read("v/live_signals/Line_Scanner.alv"), "kept");
}

// An empty base folder is a system not configured: no heartbeat, neither
// below the working folder nor at the root.
TEST(LiveSignalTest, AnEmptyBaseFolderHasNoHeartbeat) {
  heartbeat_site site;
  EXPECT_EQ(basics::live_signal_file(QString()), QString());
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(site.tree.path()));
  basics::renew_live_signal(QString());
  EXPECT_TRUE(QDir(site.tree.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
  EXPECT_FALSE(QDir(QStringLiteral("/live_signals")).exists());
  QDir::setCurrent(before);
}

// The spare temporary file must not pile up in the measurement system's
// folder unnoticed.
TEST(LiveSignalTest, ASpareTemporaryFileThatCannotBeRemovedIsReported) {
  heartbeat_site site;
  site.tree.make_folder("v/live_signals");
  site.fault.refuse_rename("live_signals");
  site.fault.refuse_delete("live_signals");
  const std::string text = thrown_text([&] { basics::write_live_signal(site.file); });
  EXPECT_NE(text.find("Cannot delete"), std::string::npos) << text;
  ASSERT_EQ(site.live_signals().size(), 1);
  EXPECT_TRUE(site.live_signals()[0].endsWith(".tmp"));

  site.fault.clear_faults();
  basics::write_live_signal(site.file);
  EXPECT_TRUE(site.tree.exists("v/live_signals/Line_Scanner.alv"));
}

}  // namespace
