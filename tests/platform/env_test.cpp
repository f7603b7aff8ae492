// The plain calls of the system Env and the path compositions.

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

#include "platform/env.h"
#include "support/system_entries.h"
#include "support/temp_tree.h"

namespace platform {
namespace {

using test_support::temp_tree;

// Sets an environment variable for one scope (unset when `value` is null).
class scoped_variable {
 public:
  scoped_variable(const char* name, const char* value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    value ? qputenv(name, value) : qunsetenv(name);
  }
  ~scoped_variable() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

TEST(PathTest, ComposesFoldersAndNames) {
  const QString d = kDelimiter;
  const struct {
    QString path, folder, name, with_delimiter;
  } cases[] = {
      {d + "v" + d + "new" + d + "a.scn", d + "v" + d + "new" + d, "a.scn",
       d + "v" + d + "new" + d + "a.scn" + d},
      {d + "v" + d + "new" + d, d + "v" + d + "new" + d, "", d + "v" + d + "new" + d},
      {"a.scn", "", "a.scn", "a.scn" + d},
      {"", "", "", d},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(folder_of(c.path), c.folder) << c.path.toStdString();
    EXPECT_EQ(name_of(c.path), c.name) << c.path.toStdString();
    EXPECT_EQ(with_delimiter(c.path), c.with_delimiter) << c.path.toStdString();
  }
}

TEST(FileTest, WritesAndReadsBackEveryByte) {
  temp_tree tree;
  QByteArray binary(70000, '\0');
  for (int i = 0; i < binary.size(); ++i) binary[i] = char(i * 7);
  for (const QByteArray& data : {binary, QByteArray(), QByteArray("short")}) {
    ASSERT_TRUE(env().write_file(tree.path("f.bin"), data).ok());
    QByteArray read = "stale";
    ASSERT_TRUE(env().read_file(tree.path("f.bin"), &read).ok());
    EXPECT_EQ(read, data);  // and a longer earlier content is truncated
  }
}

TEST(FileTest, FailuresNameThePathAndTheReason) {
  temp_tree tree;
  const QString folder = tree.make_folder("folder");
  const QString missing = tree.path("missing/f.txt");
  QByteArray contents;
  const struct {
    const char* call;
    Status status;
    QString path, reason;
  } cases[] = {
      {"read missing", env().read_file(missing, &contents), missing, "No such file or directory"},
      {"read folder", env().read_file(folder, &contents), folder, "Not a file"},
      {"write missing", env().write_file(missing, "x"), missing, "No such file or directory"},
      {"write folder", env().write_file(folder, "x"), folder, "Is a directory"},
      {"delete missing", env().delete_file(missing), missing, "No such file or directory"},
      {"delete folder", env().delete_file(folder), folder, "Is a directory"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(c.status.ok()) << c.call;
    EXPECT_TRUE(c.status.message().contains('"' + c.path + '"'))
        << c.status.message().toStdString();
    // Windows words the system's reasons its own way.
    if (test_support::kOnWindows && c.reason != "Not a file") continue;
    EXPECT_TRUE(c.status.message().endsWith(c.reason)) << c.status.message().toStdString();
  }
  EXPECT_TRUE(tree.exists("folder"));
}

TEST(FileTest, DeletesOneFile) {
  temp_tree tree;
  tree.write("a.csv", "x");
  tree.write("b.csv", "x");
  ASSERT_TRUE(env().delete_file(tree.path("a.csv")).ok());
  EXPECT_FALSE(tree.exists("a.csv"));
  EXPECT_TRUE(tree.exists("b.csv"));
}

TEST(FileTest, ReplaceFileReplacesAnOpenTarget) {
  SKIP_ON_WINDOWS("Windows refuses to replace a file that a reader holds without sharing its "
                  "deletion");
  // Publishing must work while a reader still has the old file open.
  temp_tree tree;
  const QString target = tree.write("heartbeat.alv", "old");
  QFile reader(target);
  ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
  ASSERT_TRUE(env().replace_file(tree.write("new.tmp", "new"), target).ok());
  EXPECT_EQ(tree.read("heartbeat.alv"), "new");
  EXPECT_FALSE(tree.exists("new.tmp"));
  EXPECT_EQ(reader.readAll(), "old");
}

TEST(FolderTest, CreatesExactlyOneLevel) {
  temp_tree tree;
  EXPECT_TRUE(env().create_folder(tree.path("one")).ok());
  EXPECT_TRUE(env().entry(tree.path("one"))->is_folder);
  EXPECT_FALSE(env().create_folder(tree.path("one")).ok());  // already there
  EXPECT_FALSE(env().create_folder(tree.path("two/three")).ok());
  EXPECT_FALSE(tree.exists("two"));
}

TEST(FolderTest, UniqueFilesAreNewAndEmpty) {
  temp_tree tree;
  QStringList made;
  for (int i = 0; i < 20; ++i) {
    QString path;
    ASSERT_TRUE(env().create_unique_file(tree.path(), "sco", &path).ok());
    EXPECT_TRUE(path.startsWith(with_delimiter(tree.path()) + "sco")) << path.toStdString();
    EXPECT_EQ(tree.read(name_of(path)), QByteArray());
    EXPECT_FALSE(made.contains(path));
    made << path;
  }
  QString path;
  EXPECT_FALSE(env().create_unique_file(tree.path("missing"), "sco", &path).ok());
}

TEST(TimeTest, ModificationTimeRoundTrips) {
  temp_tree tree;
  const QString file = tree.write("a.csv", "x");
  for (const QDateTime& time : {QDateTime(QDate(2023, 7, 14), QTime(9, 30, 15, 250)),
                                QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59, 500))}) {
    ASSERT_TRUE(env().set_last_modified(file, time).ok());
    EXPECT_EQ(env().last_modified(file), time);
  }
  EXPECT_FALSE(env().last_modified(tree.path("missing")).isValid());
  EXPECT_FALSE(env().set_last_modified(tree.path("missing"), QDateTime::currentDateTime()).ok());
  EXPECT_FALSE(env().set_last_modified(file, QDateTime()).ok());
}

TEST(PlaceTest, RoamingFolderFollowsXdgThenHome) {
  SKIP_ON_WINDOWS("the XDG folders; Windows has its own place test");
  const struct {
    const char* xdg_data_home;
    const char* home;
    QString expected;
  } cases[] = {
      {"/x/data/", "/home/op", "/x/data"},
      {"relative", "/home/op", "/home/op/.local/share"},  // ignored, as XDG says
      {nullptr, "/home/op/", "/home/op/.local/share"},
      {"", "/home/op", "/home/op/.local/share"},
      {nullptr, nullptr, ""},
  };
  for (const auto& c : cases) {
    scoped_variable xdg("XDG_DATA_HOME", c.xdg_data_home);
    scoped_variable home("HOME", c.home);
    EXPECT_EQ(system_env().roaming_app_data_folder(), c.expected)
        << (c.xdg_data_home ? c.xdg_data_home : "(unset)");
  }
}

TEST(PlaceTest, TempFolderHasNoTrailingDelimiter) {
  SKIP_ON_WINDOWS("TMPDIR; Windows has its own place test");
  temp_tree tree;
  scoped_variable tmpdir("TMPDIR", QFile::encodeName(tree.path() + "/").constData());
  EXPECT_EQ(system_env().temp_folder(), tree.path());
}

TEST(PlaceTest, ProgramFileIsThisTestProgram) {
  SKIP_ON_WINDOWS("Linux paths; Windows has its own place test");
  EXPECT_EQ(system_env().program_file_path(), QCoreApplication::applicationFilePath());
  EXPECT_TRUE(system_env().entry(system_env().program_file_path()).has_value());
}

// The command line's program folder: the program keeps its own name there,
// so its per-user folder and heartbeat stay named after it.
TEST(PlaceTest, AProgramFolderSetMovesTheProgramFileThereUntilItIsCleared) {
  SKIP_ON_WINDOWS("Linux paths; Windows has its own place test");
  const QString executable = QCoreApplication::applicationFilePath();
  const QString name = executable.mid(executable.lastIndexOf('/') + 1);
  struct folder_case {
    QString given;
    QString expected_folder;
  };
  const folder_case cases[] = {
      {"/srv/line1", "/srv/line1/"},
      {"/srv/line1/", "/srv/line1/"},
      {"line1", QDir::currentPath() + "/line1/"},
      {"", executable.left(executable.lastIndexOf('/') + 1)},
  };
  for (const folder_case& c : cases) {
    SCOPED_TRACE(c.given.toStdString());
    set_program_folder(c.given);
    EXPECT_EQ(system_env().program_file_path(), c.expected_folder + name);
  }
  set_program_folder(QString());
  EXPECT_EQ(system_env().program_file_path(), executable);
}

}  // namespace
}  // namespace platform
