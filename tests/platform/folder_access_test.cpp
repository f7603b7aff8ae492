// Whether the running user may list a folder and put files into it, asked of
// the system Env with the user's own rights.

#include <QFile>

#include <gtest/gtest.h>

#include "platform/env.h"
#include "support/temp_tree.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace platform {
namespace {

using test_support::temp_tree;

TEST(FolderAccessTest, AFolderOfOurOwnCanBeListedAndWrittenInto) {
  temp_tree tree;
  const QString folder = tree.make_folder("in");
  EXPECT_TRUE(env().folder_access(folder, FolderUse::read).ok());
  EXPECT_TRUE(env().folder_access(folder, FolderUse::write).ok());
  const Status writable = check_folder_writable(folder);
  EXPECT_TRUE(writable.ok()) << writable.message().toStdString();
  // The test file is gone again, and so is its trace.
  EXPECT_TRUE(env().list_folder(folder, "*.*")->isEmpty());
  const QDateTime before = QDateTime::currentDateTime().addDays(-2);
  ASSERT_TRUE(env().set_last_modified(folder, before).ok());
  EXPECT_TRUE(check_folder_writable(folder).ok());
  EXPECT_EQ(env().last_modified(folder), before);
}

// A file where the folder should be, and no folder at all, fail for root too.
TEST(FolderAccessTest, AFileOrNothingInThePlaceOfTheFolderIsNotWritable) {
  temp_tree tree;
  const QString file = tree.write("in", "not a folder");
  const Status on_file = check_folder_writable(file);
  EXPECT_FALSE(on_file.ok());
  EXPECT_TRUE(on_file.message().contains(file)) << on_file.message().toStdString();
  EXPECT_FALSE(check_folder_writable(tree.path("missing")).ok());
  EXPECT_FALSE(env().folder_access(tree.path("missing"), FolderUse::read).ok());
  EXPECT_EQ(tree.read("in"), QByteArray("not a folder"));
}

#ifndef _WIN32
// Permissions bind everyone but root.
TEST(FolderAccessTest, AFolderWithoutWritePermissionIsRefusedWithTheReason) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
  temp_tree tree;
  const QString folder = tree.make_folder("in");
  ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
  const Status refused = check_folder_writable(folder);
  EXPECT_TRUE(refused.is_denied()) << refused.message().toStdString();
  EXPECT_TRUE(refused.message().contains("Permission denied")) << refused.message().toStdString();
  EXPECT_TRUE(env().folder_access(folder, FolderUse::read).ok());
  ASSERT_TRUE(
      QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}
#endif

}  // namespace
}  // namespace platform
