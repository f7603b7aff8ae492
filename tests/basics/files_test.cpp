#include "basics/files.h"

#include "support/fault_env.h"
#include "support/holder_process.h"
#include "support/recording_prompts.h"
#include "support/system_entries.h"
#include "support/temp_tree.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using platform::kDelimiter;
using test_support::temp_tree;

QString joined(const QString& folder, const QString& name) {
  return folder + kDelimiter + name;
}

// Every name in `folder`, hidden ones included, sorted.
QStringList names_in(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Builds a folder from names; a name ending in "/" is a subfolder.
void fill(const temp_tree& tree, const QString& folder, const QStringList& names) {
  tree.make_folder(folder);
  for (const QString& name : names) {
    if (name.endsWith(u'/')) {
      tree.make_folder(folder + "/" + name.chopped(1));
    } else {
      tree.write(folder + "/" + name, "x");
    }
  }
}

TEST(LocationsTest, NamesFromTheProgramFile) {
  const struct {
    const char* program_path;
    const char* app_data;
    const char* application_name;
    const char* base_name;
  } cases[] = {
      {"/opt/dornik/DORNIK_spectrum_scanner", "/home/op/.local/share", "DORNIK_SPECTRUM_SCANNER",
       "DORNIK_spectrum_scanner"},
#ifdef Q_OS_WIN
      {"C:\\prog\\scanner", "C:\\Users\\op\\AppData\\Roaming", "SCANNER", "scanner"},
#else
      {"/opt/scanner.v2", "/data", "SCANNER.V2", "scanner.v2"},
#endif
      {"/opt/dörnik_x", "", "DöRNIK_X", "dörnik_x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program_path);
    platform::FaultEnv fault;
    platform::ScopedEnv use(&fault);
    const QString program = test_support::program_file_name(
        QDir::toNativeSeparators(QString::fromUtf8(c.program_path)));
    const QString app_data = QDir::toNativeSeparators(QString::fromUtf8(c.app_data));
    fault.set_program_file_path(program);
    fault.set_roaming_app_data_folder(app_data);
    const QString name = QString::fromUtf8(c.application_name);

    EXPECT_EQ(basics::application_name(), name);
    EXPECT_EQ(basics::program_base_name(), QString::fromUtf8(c.base_name));
    EXPECT_EQ(basics::user_app_data_folder(), app_data);
    // Without an application-data folder the per-user paths start at the root.
    EXPECT_EQ(basics::app_data_file("vcf132.ini"),
              app_data + kDelimiter + name + kDelimiter + "vcf132.ini");
    EXPECT_EQ(basics::undo_history_folder(),
              app_data + kDelimiter + name + kDelimiter + "undo_history" + kDelimiter);
    EXPECT_EQ(basics::program_folder_file("vellic_path.ini"),
              platform::folder_of(program) + "vellic_path.ini");
  }
}

TEST(FoldersTest, EnsureFolderCreatesOneLevel) {
  const temp_tree tree;
  tree.write("a_file", "x");
  tree.make_folder("there");
  const struct {
    const char* path;
    bool result;
    bool exists_after;
  } cases[] = {
      {"there", true, true},
      {"new", true, true},
      {"missing/child", false, false},
      {"a_file", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(basics::ensure_folder(tree.path(c.path)), c.result) << c.path;
    EXPECT_EQ(QFileInfo(tree.path(c.path)).isDir(), c.exists_after) << c.path;
  }
  EXPECT_FALSE(tree.exists("missing"));
}

// A new account has no data folder yet: the whole chain is made.
TEST(FoldersTest, EnsureFolderPathCreatesTheFoldersAbove) {
  const temp_tree tree;
  tree.write("a_file", "x");
  tree.make_folder("there");
  const struct {
    const char* path;
    bool result;
    const char* folder_after;  // a folder there afterwards; none when empty
  } cases[] = {
      {"there", true, "there"},
      {"home/svc/.local/share/APP", true, "home/svc/.local/share/APP"},
      {"there/a/b/", true, "there/a/b"},
      {"a_file/child", false, ""},
      {"a_file", false, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(basics::ensure_folder_path(tree.path(c.path)), c.result) << c.path;
    if (*c.folder_after) {
      EXPECT_TRUE(QFileInfo(tree.path(c.folder_after)).isDir()) << c.path;
    }
  }
  EXPECT_FALSE(basics::ensure_folder_path(QString()));

  platform::FaultEnv fault;
  platform::ScopedEnv use(&fault);
  fault.refuse_create_folder("refused");
  EXPECT_FALSE(basics::ensure_folder_path(tree.path("refused/below")));
  EXPECT_FALSE(tree.exists("refused"));
}

TEST(FoldersTest, ExistenceAndAttributes) {
  const temp_tree tree;
  fill(tree, "in", {"a.csv", ".hidden", "locked.txt", "sub/"});
  QFile::setPermissions(tree.path("in/locked.txt"), QFile::ReadOwner | QFile::ReadGroup);
  const QString in = tree.path("in");
  const struct {
    QString path;
    bool exists;
    bool read_only;
    bool hidden;
    bool directory;
  } cases[] = {
      {joined(in, "a.csv"), true, false, false, false},
      {joined(in, "*.CSV"), true, false, false, false},
      {joined(in, "?.csv"), true, false, false, false},
      {joined(in, "*.xls"), false, false, false, false},
      {joined(in, ".hidden"), true, false, true, false},
      {joined(in, "locked.txt"), true, true, false, false},
      {joined(in, "sub"), true, false, false, true},
      {in, true, false, false, true},
      {joined(in, "missing"), false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    EXPECT_EQ(basics::file_or_folder_exists(c.path), c.exists);
    const basics::file_attribute_set flags = basics::file_attributes(c.path);
    EXPECT_EQ(flags.empty(), !c.exists);
    EXPECT_EQ(flags.any, c.exists);
    EXPECT_EQ(flags.read_only, c.read_only);
    EXPECT_EQ(basics::file_is_read_only(c.path), c.read_only);
    EXPECT_EQ(flags.hidden, c.hidden);
    EXPECT_EQ(flags.directory, c.directory);
  }
  EXPECT_TRUE(basics::file_exists(joined(in, "a.csv")));
  EXPECT_FALSE(basics::file_exists(joined(in, "sub")));
  EXPECT_TRUE(basics::folder_exists(joined(in, "sub")));
  EXPECT_FALSE(basics::folder_exists(joined(in, "a.csv")));
}

TEST(NamesTest, OnlyAPlainNameStaysInItsFolder) {
  for (const char* plain : {"LUMOR_INLINE", "0042", "Probe head 2", "a.b", "\u00c4rger"}) {
    EXPECT_TRUE(basics::is_plain_name(QString::fromUtf8(plain))) << plain;
  }
  for (const char* leading_out : {"", ".", "..", "../x", "a/b", "a\\b", "C:x", "a<b", "a>b", "a\"b",
                                  "a|b", "a?b", "a*b", "tab\there"}) {
    EXPECT_FALSE(basics::is_plain_name(QString::fromUtf8(leading_out))) << leading_out;
  }
}

TEST(FolderListingTest, CountsFilesOnlyInListingOrder) {
  const struct {
    const char* name;
    QStringList contents;
    const char* mask;
    int count;
    const char* first;
  } cases[] = {
      {"subfolder not counted", {"b.csv", "x.csv/", "c.txt"}, "*.csv", 1, "b.csv"},
      {"only a subfolder", {"x.csv/"}, "*.csv", 0, ""},
      {"order ignores case", {"B.csv", "a2.csv", "C.CSV"}, "*.csv", 3, "a2.csv"},
      {"hidden files count", {".hidden.csv", "z.csv"}, "*.csv", 2, ".hidden.csv"},
      {"mask ignores case", {"A.CSV", "b.txt"}, "*.csv", 1, "A.CSV"},
      {"*.* matches every name", {"b.txt", "noext", "sub/"}, "*.*", 2, "b.txt"},
      {"empty folder", {}, "*.csv", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const temp_tree tree;
    fill(tree, "in", c.contents);
    for (const QString& folder : {tree.path("in"), tree.path("in") + kDelimiter}) {
      QString first = "stale";
      EXPECT_EQ(basics::count_files(folder, c.mask), c.count);
      EXPECT_EQ(basics::first_file(folder, c.mask, first), c.count);
      EXPECT_EQ(first, QString::fromUtf8(c.first));
    }
  }
}

TEST(FolderListingTest, MissingOrEmptyFolderHasNoFiles) {
  const temp_tree tree;
  QString first = "stale";
  EXPECT_EQ(basics::first_file(tree.path("missing"), "*.*", first), 0);
  EXPECT_EQ(first, "");
  // An empty folder setting must not list the folder the program runs in.
  const QString previous = QDir::currentPath();
  fill(tree, "cwd", {"a.csv"});
  QDir::setCurrent(tree.path("cwd"));
  EXPECT_EQ(basics::count_files("", "*.csv"), 0);
  EXPECT_FALSE(basics::delete_files("", "*.csv"));
  EXPECT_TRUE(tree.exists("cwd/a.csv"));
  QDir::setCurrent(previous);
}

TEST(FolderListingTest, DeleteFilesLeavesFoldersAndOtherFiles) {
  const temp_tree tree;
  fill(tree, "in", {"a.csv", ".h.csv", "B.CSV", "keep.txt", "x.csv/", "x.csv/inner.csv"});
  EXPECT_TRUE(basics::delete_files(tree.path("in"), "*.csv"));
  EXPECT_EQ(names_in(tree.path("in")), QStringList({"keep.txt", "x.csv"}));
  EXPECT_TRUE(tree.exists("in/x.csv/inner.csv"));
  EXPECT_TRUE(basics::delete_files(tree.path("missing"), "*.*"));
}

TEST(FolderListingTest, DeleteFilesSkipsWhatCannotBeDeleted) {
  const temp_tree tree;
  fill(tree, "in", {"a.txt", "busy.txt", "c.txt"});
  platform::FaultEnv fault;
  platform::ScopedEnv use(&fault);
  fault.refuse_delete("busy");
  EXPECT_TRUE(basics::delete_files(tree.path("in") + kDelimiter, "*.*"));
  EXPECT_EQ(names_in(tree.path("in")), QStringList{"busy.txt"});
}

TEST(TempNamesTest, ShapeAndPlacement) {
  const QRegularExpression shape(
      "^(0|[1-9][0-9]{0,5})_(0|[1-9][0-9]{0,5})_(0|[1-9][0-9]{0,5})\\.tmp$");
  const temp_tree tree;
  const QString in = tree.path("in");
  for (const QString& folder : {in, in + kDelimiter}) {
    const QString name = basics::random_temp_name(folder);
    EXPECT_EQ(platform::folder_of(name), in + kDelimiter);
    EXPECT_TRUE(shape.match(platform::name_of(name)).hasMatch()) << name.toStdString();
  }
  const QString bare = basics::random_temp_name("");
  EXPECT_EQ(bare.left(1), QString(kDelimiter));
  EXPECT_TRUE(shape.match(bare.mid(1)).hasMatch()) << bare.toStdString();
  EXPECT_NE(basics::random_temp_name(in), basics::random_temp_name(in));
  EXPECT_FALSE(tree.exists("in"));  // nothing is created
}

TEST(ClaimingTest, FileIsRenamableOnlyWhenNobodyHoldsIt) {
  const temp_tree tree;
  const QString path = tree.write("in/m.csv", "data");
  EXPECT_TRUE(basics::file_is_renamable(path));
  EXPECT_EQ(names_in(tree.path("in")), QStringList{"m.csv"});

  for (const auto how :
       {test_support::holder_process::mode::write, test_support::holder_process::mode::read}) {
    test_support::holder_process writer(path, how);
    EXPECT_FALSE(basics::file_is_renamable(path));
    EXPECT_EQ(names_in(tree.path("in")), QStringList{"m.csv"});
    writer.release();
    EXPECT_TRUE(basics::file_is_renamable(path));
  }
  EXPECT_EQ(tree.read("in/m.csv"), "data");
  EXPECT_FALSE(basics::file_is_renamable(tree.path("in/missing.csv")));
}

// Refuses every rename after the first `allowed` ones.
class rename_budget_env : public platform::EnvWrapper {
 public:
  explicit rename_budget_env(int allowed)
      : EnvWrapper(&platform::system_env()), allowed_(allowed) {}
  platform::Status rename_file(const QString& from, const QString& to) override {
    if (allowed_-- <= 0) return platform::Status::Error("refused");
    return EnvWrapper::rename_file(from, to);
  }

 private:
  int allowed_;
};

TEST(ClaimingTest, FailedRenameBackKeepsTheFileUnderItsTemporaryName) {
  const temp_tree tree;
  const QString path = tree.write("in/m.csv", "data");
  rename_budget_env env(1);
  platform::ScopedEnv use(&env);
  EXPECT_FALSE(basics::file_is_renamable(path));
  EXPECT_EQ(basics::count_files(tree.path("in"), "*.tmp"), 1);
  EXPECT_EQ(basics::count_files(tree.path("in"), "*.csv"), 0);
}

TEST(TempFilesTest, NewEmptyFileInTheTemporaryFolder) {
  const temp_tree tree;
  platform::FaultEnv fault;
  platform::ScopedEnv use(&fault);
  fault.set_temp_folder(tree.make_folder("tmp"));
  test_support::recording_prompts prompts;

  QStringList messages;
  const auto message = [&](const QString& text) { messages << text; };
  const QString first = basics::temporary_file_name(message);
  const QString second = basics::temporary_file_name(message);
  for (const QString& path : {first, second}) {
    EXPECT_EQ(platform::folder_of(path), tree.path("tmp") + kDelimiter);
    EXPECT_TRUE(platform::name_of(path).startsWith("sco")) << path.toStdString();
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_EQ(QFileInfo(path).size(), 0);
  }
  EXPECT_NE(first, second);
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST(TempFilesTest, MissingTemporaryFolderIsReported) {
  const temp_tree tree;
  platform::FaultEnv fault;
  platform::ScopedEnv use(&fault);
  fault.set_temp_folder(tree.path("gone"));
  test_support::recording_prompts prompts;
  QStringList messages;
  EXPECT_EQ(basics::temporary_file_name([&](const QString& text) { messages << text; }), "");
  EXPECT_EQ(messages, QStringList{"Warning - creation of temporary file failed"});
  EXPECT_TRUE(prompts.texts().isEmpty());
}

}  // namespace
