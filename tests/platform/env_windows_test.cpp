// What only the Windows Env must get right: the claim as MoveFileW against
// real second processes holding the file with chosen sharing, the kinds of
// the system's refusals, paths beyond MAX_PATH, the system's places and the
// instance lock.

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <windows.h>

#include "platform/env.h"
#include "platform/session.h"
#include "support/holder_process.h"
#include "support/status_print.h"
#include "support/temp_tree.h"

namespace platform {
namespace {

using test_support::holder_process;
using test_support::temp_tree;

const QByteArray kBytes = "wavelength,value\r\n380,0.5\r\n";

TEST(WindowsClaimTest, FailsAsBusyWhileAnotherProcessHoldsTheFileWithoutSharingItsDeletion) {
  temp_tree tree;
  for (const auto how : {holder_process::mode::write, holder_process::mode::read}) {
    SCOPED_TRACE(how == holder_process::mode::write ? "held for writing" : "held for reading");
    const QString source = tree.write("input.csv", kBytes);
    const QString target = tree.path("claimed.tmp");
    holder_process holder(source, how);
    const Status held = env().rename_file(source, target);
    EXPECT_TRUE(held.is_busy()) << held.message().toStdString();
    EXPECT_EQ(tree.read("input.csv"), kBytes);
    EXPECT_FALSE(tree.exists("claimed.tmp"));
    holder.release();
    EXPECT_TRUE(env().rename_file(source, target).ok());
    EXPECT_EQ(tree.read("claimed.tmp"), kBytes);
    ASSERT_TRUE(env().delete_file(target).ok());
  }
}

// The system's own rule: a reader that shares deletion does not hold up a
// rename, so a viewer left open on a finished file never blocks the scan.
TEST(WindowsClaimTest, AHolderThatSharesDeletionDoesNotHoldUpTheClaim) {
  temp_tree tree;
  const QString source = tree.write("input.csv", kBytes);
  holder_process holder(source, holder_process::mode::shared_delete);
  EXPECT_TRUE(env().rename_file(source, tree.path("claimed.tmp")).ok());
  EXPECT_EQ(tree.read("claimed.tmp"), kBytes);
}

TEST(WindowsClaimTest, NeverReplacesAndRefusesFolders) {
  temp_tree tree;
  const QString source = tree.write("input.csv", kBytes);
  tree.write("taken.tmp", "older");
  const Status taken = env().rename_file(source, tree.path("taken.tmp"));
  EXPECT_TRUE(taken.already_exists()) << taken.message().toStdString();
  EXPECT_EQ(tree.read("taken.tmp"), QByteArray("older"));
  const Status folder = env().rename_file(tree.make_folder("folder.csv"), tree.path("f.tmp"));
  EXPECT_FALSE(folder.ok());
  EXPECT_TRUE(tree.exists("folder.csv"));
  const Status missing = env().rename_file(tree.path("none.csv"), tree.path("n.tmp"));
  EXPECT_TRUE(missing.is_not_found()) << missing.message().toStdString();
}

TEST(WindowsStatusTest, AReadOnlyFileRefusesDeletionAsDenied) {
  temp_tree tree;
  const QString file = tree.write("locked.csv", kBytes);
  ASSERT_TRUE(
      SetFileAttributesW(reinterpret_cast<const wchar_t*>(file.utf16()), FILE_ATTRIBUTE_READONLY));
  const Status refused = env().delete_file(file);
  EXPECT_TRUE(refused.is_denied()) << refused.message().toStdString();
  EXPECT_TRUE(refused.message().contains(file)) << refused.message().toStdString();
  const auto entry = env().entry(file);
  ASSERT_TRUE(entry);
  EXPECT_TRUE(entry->read_only);
  SetFileAttributesW(reinterpret_cast<const wchar_t*>(file.utf16()), FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsListingTest, HiddenAndSystemComeFromTheAttributes) {
  temp_tree tree;
  const QString hidden = tree.write("h.csv", "x");
  tree.write("plain.csv", "x");
  ASSERT_TRUE(SetFileAttributesW(reinterpret_cast<const wchar_t*>(hidden.utf16()),
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  const auto entries = env().list_folder(tree.path(), "*.csv");
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2);
  EXPECT_TRUE((*entries)[0].hidden && (*entries)[0].system);
  EXPECT_FALSE((*entries)[1].hidden || (*entries)[1].system);
}

// Folders nested past MAX_PATH (260): every call still reaches them.
TEST(WindowsLongPathTest, EveryCallWorksBeyondMaxPath) {
  temp_tree tree;
  QString folder = tree.path();
  while (folder.size() < 400) {
    folder += QStringLiteral("\\a_rather_long_folder_name_of_forty_chars");
    ASSERT_TRUE(env().create_folder(folder).ok()) << folder.toStdString();
  }
  const QString target = folder + QStringLiteral("\\1234.scn");
  ASSERT_TRUE(publish_file(target, kBytes).ok());
  QByteArray read;
  ASSERT_TRUE(env().read_file(target, &read).ok());
  EXPECT_EQ(read, kBytes);
  const auto listed = env().list_folder(folder, QStringLiteral("*.scn"));
  ASSERT_TRUE(listed);
  ASSERT_EQ(listed->size(), 1);
  EXPECT_EQ(listed->first().name, QStringLiteral("1234.scn"));
  EXPECT_TRUE(env().rename_file(target, folder + QStringLiteral("\\claimed.tmp")).ok());
  EXPECT_TRUE(env().last_modified(folder + QStringLiteral("\\claimed.tmp")).isValid());
  EXPECT_TRUE(env().delete_file(folder + QStringLiteral("\\claimed.tmp")).ok());
}

// Windows takes "/" between folders too, and settings files may hold it.
TEST(WindowsPathTest, ASlashCountsAsADelimiter) {
  EXPECT_EQ(folder_of("C:/v\\new/a.scn"), "C:/v\\new/");
  EXPECT_EQ(name_of("C:/v\\new/a.scn"), "a.scn");
  EXPECT_EQ(with_delimiter("C:/v/"), "C:/v/");
  EXPECT_EQ(with_delimiter("C:/v"), "C:/v\\");
}

TEST(WindowsPlaceTest, TheSystemsPlacesAreNativeAndWithoutTrailingDelimiter) {
  for (const QString& place :
       {system_env().temp_folder(), system_env().roaming_app_data_folder()}) {
    SCOPED_TRACE(place.toStdString());
    EXPECT_FALSE(place.isEmpty());
    EXPECT_FALSE(place.endsWith(kDelimiter));
    EXPECT_FALSE(place.contains(u'/'));
    EXPECT_TRUE(system_env().entry(place).has_value());
  }
  EXPECT_EQ(system_env().program_file_path(),
            QDir::toNativeSeparators(QCoreApplication::applicationFilePath()));
  EXPECT_TRUE(system_env().program_file_path().endsWith(QLatin1String(".exe")));
}

TEST(WindowsPlaceTest, RoamingFolderFollowsAppDataThenTheShell) {
  const QByteArray saved = qgetenv("APPDATA");
  qputenv("APPDATA", "C:/svc/AppData/Roaming/");
  EXPECT_EQ(system_env().roaming_app_data_folder(), QStringLiteral("C:\\svc\\AppData\\Roaming"));
  qputenv("APPDATA", "relative");
  const QString from_shell = system_env().roaming_app_data_folder();
  qunsetenv("APPDATA");
  EXPECT_EQ(system_env().roaming_app_data_folder(), from_shell);
  EXPECT_TRUE(QDir::isAbsolutePath(from_shell)) << from_shell.toStdString();
  qputenv("APPDATA", saved);
}

TEST(WindowsPlaceTest, AProgramFolderSetMovesTheProgramFileThere) {
  temp_tree tree;
  const QString executable = system_env().program_file_path();
  set_program_folder(tree.path("line1"));
  EXPECT_EQ(system_env().program_file_path(),
            tree.path("line1") + kDelimiter + name_of(executable));
  set_program_folder(QString());
  EXPECT_EQ(system_env().program_file_path(), executable);
}

TEST(WindowsInstanceLockTest, ASecondHolderIsBusyAndTheSharedLockNamesTheFolderNotThePath) {
  temp_tree tree;
  const QString lock = tree.path(".vellic_scanner.lock");
  ASSERT_TRUE(hold_instance_lock(lock).ok());
  const Status second = hold_instance_lock(lock);
  EXPECT_TRUE(second.is_busy()) << second.message().toStdString();
  tree.make_folder("prog");
  const QString by_name = shared_lock_file(tree.path("prog"), ".lock");
  EXPECT_FALSE(by_name.isEmpty());
  EXPECT_EQ(shared_lock_file(tree.path("prog").replace('\\', '/') + "/", ".lock"), by_name);
  EXPECT_EQ(shared_lock_file(tree.path("PROG"), ".lock"), by_name);
  EXPECT_NE(shared_lock_file(tree.make_folder("other"), ".lock"), by_name);
  EXPECT_TRUE(shared_lock_file(tree.path("missing"), ".lock").isEmpty());
}

}  // namespace
}  // namespace platform
