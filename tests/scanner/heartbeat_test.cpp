// The heartbeat file in the VELLIC system's live_signals folder.

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "platform/env.h"
#include "scanner_site.h"
#include "support/system_entries.h"

namespace {

using test_support::scanner_site;

const QString kHeartbeat = QStringLiteral("v/live_signals/DORNIK_spectrum_scanner.alv");

QStringList live_signals(const scanner_site& site, const QString& base = QStringLiteral("v")) {
  return QDir(site.path(base + QStringLiteral("/live_signals"))).entryList(QDir::Files);
}

TEST(HeartbeatTest, TheFileIsWrittenEmptyAtItsPlace) {
  scanner_site site;
  site.make_vellic_tree();
  auto window = site.create_window();
  EXPECT_EQ(window->live_signal_file, site.path(kHeartbeat));
  EXPECT_FALSE(site.tree.exists("v/live_signals"));

  window->alive_timerTimer();
  EXPECT_EQ(live_signals(site), QStringList{"DORNIK_spectrum_scanner.alv"});
  EXPECT_EQ(QFileInfo(site.path(kHeartbeat)).size(), 0);
}

TEST(HeartbeatTest, ADeletedFileReappearsAlsoWithScanningOff) {
  scanner_site site;
  site.make_vellic_tree();
  auto window = site.create_window();
  window->alive_timerTimer();
  for (const bool scanning : {true, false}) {
    window->set_timer_state(scanning);
    ASSERT_TRUE(QFile::remove(site.path(kHeartbeat)));
    window->alive_timerTimer();
    EXPECT_TRUE(site.tree.exists(kHeartbeat)) << "scanning " << scanning;
  }
  EXPECT_TRUE(site.prompts.texts().isEmpty());
}

TEST(HeartbeatTest, AnExistingFileIsNotTouched) {
  scanner_site site;
  site.make_vellic_tree();
  site.tree.write(kHeartbeat, "kept");
  const QDateTime old_time(QDate(2020, 1, 2), QTime(3, 4, 5));
  ASSERT_TRUE(platform::env().set_last_modified(site.path(kHeartbeat), old_time).ok());
  auto window = site.create_window();

  window->alive_timerTimer();
  window->alive_timerTimer();
  EXPECT_EQ(site.tree.read(kHeartbeat), QByteArray("kept"));
  EXPECT_EQ(platform::env().last_modified(site.path(kHeartbeat)), old_time);
  EXPECT_EQ(live_signals(site), QStringList{"DORNIK_spectrum_scanner.alv"});
}

TEST(HeartbeatTest, WithoutVellicPathIniItLivesInTheProgramFolderUnderTheProgramsOwnCase) {
  scanner_site site;
  site.fault.set_program_file_path(
      site.program_file(test_support::program_file_name(QStringLiteral("Dornik_Scanner"))));
  auto window = site.create_window();
  window->alive_timerTimer();
  EXPECT_EQ(live_signals(site, QStringLiteral("prog")), QStringList{"Dornik_Scanner.alv"});
}

TEST(HeartbeatTest, ATickBeforeTheFilesPlaceIsKnownWritesNothing) {
  scanner_site site;
  site.write_program_file("vellic_scanner.ini", {"too short"});
  // With no base folder known yet, a write would land relative to here.
  const QString previous_folder = QDir::currentPath();
  QDir::setCurrent(site.path());
  test_support::reacting_prompts prompts;
  TDORNIK_scanner_main window;
  window.alive_timerTimer();  // from the layout, before creation
  prompts.on_message = [&window] { window.alive_timerTimer(); };
  window.create();  // the short file's box opens before the place is known

  QDir::setCurrent(previous_folder);
  EXPECT_EQ(prompts.texts().size(), 1);
  EXPECT_FALSE(site.tree.exists("live_signals"));
  EXPECT_FALSE(site.tree.exists("prog/live_signals"));
}

TEST(HeartbeatTest, AFolderThatCannotBeCreatedIsReportedAndTriedAgain) {
  scanner_site site;
  site.make_vellic_tree();
  auto window = site.create_window();
  site.fault.refuse_create_folder(QStringLiteral("live_signals"));
  window->alive_timerTimer();
  ASSERT_EQ(site.prompts.texts().size(), 1);
  EXPECT_TRUE(site.prompts.texts()[0].contains(site.path("v/live_signals")));
  EXPECT_FALSE(site.tree.exists("v/live_signals"));

  site.fault.clear_faults();
  window->alive_timerTimer();
  EXPECT_EQ(live_signals(site), QStringList{"DORNIK_spectrum_scanner.alv"});
}

TEST(HeartbeatTest, ARefusedRenameLeavesNoTemporaryFileBehind) {
  scanner_site site;
  site.make_vellic_tree();
  auto window = site.create_window();
  site.fault.refuse_rename(QStringLiteral("live_signals"));
  window->alive_timerTimer();
  EXPECT_TRUE(live_signals(site).isEmpty());
  EXPECT_TRUE(site.prompts.texts().isEmpty());
}

}  // namespace
