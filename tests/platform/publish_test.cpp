// Publishing: a reader of the target folder sees the old file or the whole
// new one, and a failure leaves neither half a file nor a temporary behind.

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/env.h"
#include "support/fault_env.h"
#include "support/status_print.h"
#include "support/temp_tree.h"

namespace platform {
namespace {

using test_support::temp_tree;

class PublishTest : public ::testing::Test {
 protected:
  // Every name in the output folder, hidden ones included.
  QStringList folder_names() {
    QStringList names;
    const auto entries = env().list_folder(tree_.path("new"), "*");
    for (const DirEntry& entry : entries.value()) names << entry.name;
    return names;
  }

  temp_tree tree_;
  const QString target_ = tree_.make_folder("new") + "/1234.scn";
  const QByteArray data_ = QByteArray(100000, 'n');
};

TEST_F(PublishTest, CreatesOrReplacesTheTargetWhole) {
  for (const QByteArray& data : {data_, QByteArray("shorter"), QByteArray()}) {
    ASSERT_TRUE(publish_file(target_, data).ok());
    EXPECT_EQ(tree_.read("new/1234.scn"), data);
    EXPECT_EQ(folder_names(), QStringList{"1234.scn"});
  }
}

TEST_F(PublishTest, AReplacedFileKeepsItsPermissionsAndANewOneGetsTheUsual) {
  const QFile::Permissions kPrivate = QFile::ReadOwner | QFile::WriteOwner;
  ASSERT_TRUE(publish_file(target_, "first").ok());
  const QFile::Permissions usual = QFile::permissions(target_);
  EXPECT_TRUE(usual.testFlag(QFile::ReadOther));  // not mkstemp's private mode
  ASSERT_TRUE(QFile::setPermissions(target_, kPrivate));
  const QFile::Permissions private_ones = QFile::permissions(target_);
  ASSERT_TRUE(publish_file(target_, "second").ok());
  EXPECT_EQ(QFile::permissions(target_), private_ones);
  ASSERT_TRUE(publish_files({{target_, "third"}}).front().ok());
  EXPECT_EQ(QFile::permissions(target_), private_ones);
  EXPECT_EQ(tree_.read("new/1234.scn"), "third");
}

TEST_F(PublishTest, FailureKeepsTheOldTargetAndLeavesNoTemporary) {
  tree_.write("new/1234.scn", "old scan");
  const struct {
    const char* fault;
    const char* reason;
    void (*arm)(FaultEnv&);
  } cases[] = {
      {"disk full", "No space left on device", [](FaultEnv& f) { f.fail_writes_after(4096); }},
      {"replace refused", "Permission denied", [](FaultEnv& f) { f.refuse_replace(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    FaultEnv fault;
    ScopedEnv use(&fault);
    c.arm(fault);

    const Status status = publish_file(target_, data_);
    EXPECT_FALSE(status.ok());
    EXPECT_TRUE(status.message().contains(QLatin1String(c.reason)))
        << status.message().toStdString();
    EXPECT_EQ(tree_.read("new/1234.scn"), "old scan");
    EXPECT_EQ(folder_names(), QStringList{"1234.scn"});
  }
}

TEST_F(PublishTest, ATemporaryFileThatCannotBeRemovedIsReported) {
  tree_.write("new/1234.scn", "old scan");
  const struct {
    const char* fault;
    void (*arm)(FaultEnv&);
    Status::Kind kind;  // of the first failure, which the operator acts on
    const char* reason;
  } cases[] = {
      {"disk full", [](FaultEnv& f) { f.fail_writes_after(4096); }, Status::Kind::io,
       "No space left on device"},
      {"replace refused", [](FaultEnv& f) { f.refuse_replace(); }, Status::Kind::denied,
       "Permission denied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    FaultEnv fault;
    ScopedEnv use(&fault);
    c.arm(fault);
    fault.refuse_delete();

    const Status status = publish_file(target_, data_);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.kind(), c.kind) << status.message().toStdString();
    // The one temporary file left is the one the message names, after the reason.
    QStringList left = folder_names();
    left.removeOne("1234.scn");
    ASSERT_EQ(left.size(), 1) << left.join(", ").toStdString();
    const QString temporary = tree_.path("new/" + left.first());
    EXPECT_TRUE(status.message().endsWith(
        QStringLiteral(": %1 (the temporary file \"%2\" could not be removed)")
            .arg(QLatin1String(c.reason), temporary)))
        << status.message().toStdString();
    EXPECT_EQ(tree_.read("new/1234.scn"), "old scan");
    fault.clear_faults();
    ASSERT_TRUE(env().delete_file(temporary).ok());
  }
}

TEST_F(PublishTest, FailsCleanlyWhereNoFileCanGo) {
  const QString folder_in_the_way = tree_.make_folder("new/1234.scn");
  EXPECT_FALSE(publish_file(folder_in_the_way, data_).ok());
  EXPECT_EQ(folder_names(), QStringList{"1234.scn"});
  EXPECT_TRUE(env().entry(folder_in_the_way)->is_folder);

  const Status missing = publish_file(tree_.path("gone/1234.scn"), data_);
  EXPECT_FALSE(missing.ok());
  EXPECT_TRUE(missing.message().contains(tree_.path("gone"))) << missing.message().toStdString();
  EXPECT_FALSE(tree_.exists("gone"));
}

TEST_F(PublishTest, CopyReplacesTheTargetAndKeepsTheSource) {
  const QString source = tree_.write("in/plate.csv", data_);
  tree_.write("new/1234.scn", "old");
  ASSERT_TRUE(copy_file(source, target_).ok());
  EXPECT_EQ(tree_.read("new/1234.scn"), data_);
  EXPECT_EQ(tree_.read("in/plate.csv"), data_);
  EXPECT_EQ(folder_names(), QStringList{"1234.scn"});
}

// Archive copies and set-aside files must never overwrite a measurement,
// also not one that another scanner put there a moment before.
TEST_F(PublishTest, PublishingANewFileNeverReplacesAndLeavesNoTemporary) {
  ASSERT_TRUE(publish_new_file(target_, data_).ok());
  EXPECT_EQ(tree_.read("new/1234.scn"), data_);

  for (const bool folder : {false, true}) {
    SCOPED_TRACE(folder ? "a folder is there" : "a file is there");
    const QString taken = tree_.path(folder ? "new/taken" : "new/1234.scn");
    if (folder) tree_.make_folder("new/taken");
    const Status status = publish_new_file(taken, "another scanner's copy");
    EXPECT_TRUE(status.already_exists()) << status.message().toStdString();
    EXPECT_EQ(tree_.read("new/1234.scn"), data_);
  }
  EXPECT_EQ(folder_names(), (QStringList{"1234.scn", "taken"}));

  tree_.write("source.csv", "raw");
  EXPECT_TRUE(copy_new_file(tree_.path("source.csv"), target_).already_exists());
  EXPECT_TRUE(copy_new_file(tree_.path("source.csv"), tree_.path("new/copy.csv")).ok());
  EXPECT_EQ(tree_.read("new/copy.csv"), "raw");
  EXPECT_EQ(tree_.read("new/1234.scn"), data_);
}

TEST_F(PublishTest, CopyOfAMissingFileLeavesTheTarget) {
  tree_.write("new/1234.scn", "old");
  const Status status = copy_file(tree_.path("in/gone.csv"), target_);
  EXPECT_FALSE(status.ok());
  EXPECT_TRUE(status.message().contains(tree_.path("in/gone.csv")))
      << status.message().toStdString();
  EXPECT_EQ(tree_.read("new/1234.scn"), "old");
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// A run killed while publishing leaves its temporary file behind; the next
// run of the same program removes it the first time it publishes there, and
// leaves other programs' temporaries alone. The temporary's name stays
// short, so any target name that fits can be published.
TEST(StalePublishFilesTest, TheNextRunRemovesWhatAKilledOneLeft) {
  temp_tree tree;
  const QString long_name = QString(250, QLatin1Char('p')) + ".csv";
  const QString target = tree.make_folder("new") + "/" + long_name;
  tree.write("new/.publish_00000000_Other1", "another program's");
  {
    FaultEnv fault;
    ScopedEnv use(&fault);
    fault.fail_writes_after(2);
    fault.refuse_delete();
    ASSERT_FALSE(publish_file(target, "half").ok());  // as if killed mid-write
  }
  ASSERT_EQ(env().list_folder(tree.path("new"), "*").value().size(), 2);

  remove_stale_publish_files();
  const Status status = publish_file(target, "whole");
  ASSERT_TRUE(status.ok()) << status.message().toStdString();
  QStringList names;
  const auto entries = env().list_folder(tree.path("new"), "*");
  for (const DirEntry& entry : entries.value()) names << entry.name;
  EXPECT_EQ(names, (QStringList{".publish_00000000_Other1", long_name}));
  EXPECT_EQ(tree.read("new/" + long_name), "whole");
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// Publishing a batch: each file reported ok is whole in its target, each
// failure leaves its old target (or none), and no temporary stays behind,
// whichever step fails.
class PublishFilesTest : public ::testing::Test {
 protected:
  // Files 0..count-1 of `folder` ("a" or "b"), each with bytes of its own;
  // every other one replaces an old file.
  QList<pending_file> files_in(const QString& folder, int count) {
    QList<pending_file> files;
    for (int i = 0; i < count; ++i) {
      const QString name = QStringLiteral("%1/%2.scn").arg(folder).arg(i);
      if (i % 2 == 0) tree_.write(name, "old " + name.toUtf8());
      files.append({tree_.make_folder(folder) + QStringLiteral("/%1.scn").arg(i), bytes_for(name)});
    }
    return files;
  }

  static QByteArray bytes_for(const QString& name) {
    return name.toUtf8().repeated(1000 + name.size());
  }

  // The relative path of `file`'s target in the tree.
  QString relative(const pending_file& file) const {
    return file.target.mid(tree_.path().size() + 1);
  }

  // Every name in `folder` that is no target of `files` (a temporary left).
  QStringList left_over(const QString& folder, const QList<pending_file>& files) {
    QStringList names;
    const auto entries = env().list_folder(tree_.path(folder), "*");
    for (const DirEntry& entry : entries.value()) names << entry.name;
    for (const pending_file& file : files) names.removeAll(name_of(file.target));
    return names;
  }

  // The target holds the file's new bytes.
  void expect_published(const pending_file& file) {
    EXPECT_EQ(tree_.read(relative(file)), file.data) << relative(file).toStdString();
  }

  // The target is as it was before the batch: its old bytes, or nothing.
  void expect_untouched(const pending_file& file) {
    const QString name = relative(file);
    const bool had_old = name_of(name).chopped(4).toInt() % 2 == 0;
    if (had_old) {
      EXPECT_EQ(tree_.read(name), "old " + name.toUtf8());
    } else {
      EXPECT_FALSE(tree_.exists(name)) << name.toStdString();
    }
  }

  temp_tree tree_;
};

TEST_F(PublishFilesTest, PublishesEveryFileWholeIntoEachFolder) {
  QList<pending_file> files = files_in("a", 20) + files_in("b", 5);
  files.append({tree_.path("a/empty.scn"), QByteArray()});
  const QList<Status> statuses = publish_files(files);
  ASSERT_EQ(statuses.size(), files.size());
  for (qsizetype i = 0; i < files.size(); ++i) {
    EXPECT_TRUE(statuses[i].ok()) << statuses[i].message().toStdString();
    expect_published(files[i]);
  }
  EXPECT_EQ(left_over("a", files), QStringList());
  EXPECT_EQ(left_over("b", files), QStringList());
  EXPECT_TRUE(publish_files({}).isEmpty());
}

TEST_F(PublishFilesTest, AFileThatFailsFailsAloneAndTheOthersArePublished) {
  const struct {
    const char* fault;
    void (*arm)(FaultEnv&);
    Status::Kind kind;
    const char* reason;
  } cases[] = {
      // Only the big file 5 outgrows the space left.
      {"disk full", [](FaultEnv& f) { f.fail_writes_after(100000); }, Status::Kind::io,
       "No space left on device"},
      {"replace refused", [](FaultEnv& f) { f.refuse_replace("/5.scn"); }, Status::Kind::denied,
       "Permission denied"},
      {"folder of the target missing", [](FaultEnv&) {}, Status::Kind::not_found,
       "No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    QList<pending_file> files = files_in("a", 10);
    files[5].data = QByteArray(200000, 'x');
    if (c.kind == Status::Kind::not_found) files[5].target = tree_.path("gone/5.scn");
    FaultEnv fault;
    ScopedEnv use(&fault);
    c.arm(fault);

    const QList<Status> statuses = publish_files(files);
    ASSERT_EQ(statuses.size(), files.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
      if (i == 5) continue;
      EXPECT_TRUE(statuses[i].ok()) << i << ": " << statuses[i].message().toStdString();
      expect_published(files[i]);
    }
    EXPECT_EQ(statuses[5].kind(), c.kind);
    EXPECT_TRUE(statuses[5].message().endsWith(QLatin1String(c.reason)))
        << statuses[5].message().toStdString();
    if (c.kind != Status::Kind::not_found) expect_untouched(files[5]);
    EXPECT_EQ(left_over("a", files), QStringList());
  }
}

TEST_F(PublishFilesTest, AFailedDataFlushPublishesNothing) {
  const QList<pending_file> files = files_in("a", 6) + files_in("b", 3);
  FaultEnv fault;
  ScopedEnv use(&fault);
  fault.fail_sync_files();

  const QList<Status> statuses = publish_files(files);
  ASSERT_EQ(statuses.size(), files.size());
  for (qsizetype i = 0; i < files.size(); ++i) {
    EXPECT_EQ(statuses[i].kind(), Status::Kind::io);
    EXPECT_TRUE(statuses[i].message().endsWith("Input/output error"))
        << statuses[i].message().toStdString();
    expect_untouched(files[i]);
  }
  EXPECT_EQ(left_over("a", files), QStringList());
  EXPECT_EQ(left_over("b", files), QStringList());
}

TEST_F(PublishFilesTest, AFileThatFailedToWriteKeepsItsOwnMessageWhenTheFlushFails) {
  QList<pending_file> files = files_in("a", 3);
  files[1].data = QByteArray(200000, 'x');
  FaultEnv fault;
  ScopedEnv use(&fault);
  fault.fail_writes_after(100000);
  fault.fail_sync_files();

  const QList<Status> statuses = publish_files(files);
  EXPECT_TRUE(statuses[0].message().endsWith("Input/output error"));
  EXPECT_TRUE(statuses[1].message().endsWith("No space left on device"));
  EXPECT_TRUE(statuses[2].message().endsWith("Input/output error"));
  for (const pending_file& file : files) expect_untouched(file);
  EXPECT_EQ(left_over("a", files), QStringList());
}

TEST_F(PublishFilesTest, EachTemporaryThatCannotBeRemovedIsNamedInItsOwnMessage) {
  const QList<pending_file> files = files_in("a", 3);
  FaultEnv fault;
  ScopedEnv use(&fault);
  fault.fail_sync_files();
  fault.refuse_delete();

  const QList<Status> statuses = publish_files(files);
  QStringList left = left_over("a", files);
  ASSERT_EQ(left.size(), files.size());
  for (qsizetype i = 0; i < files.size(); ++i) {
    const QString message = statuses[i].message();
    EXPECT_EQ(statuses[i].kind(), Status::Kind::io) << message.toStdString();
    const auto named = std::find_if(left.begin(), left.end(), [&](const QString& name) {
      return message.endsWith(
          QStringLiteral("Input/output error (the temporary file \"%1\" could not be removed)")
              .arg(tree_.path("a/" + name)));
    });
    ASSERT_NE(named, left.end()) << message.toStdString();
    left.erase(named);  // a temporary of its own
    expect_untouched(files[i]);
  }
}

TEST_F(PublishFilesTest, AFailedFolderFlushFailsTheFilesRenamedIntoThatFolder) {
  const QList<pending_file> in_a = files_in("a", 4);
  const QList<pending_file> in_b = files_in("b", 3);
  FaultEnv fault;
  ScopedEnv use(&fault);
  fault.fail_sync_folder("/b");

  const QList<Status> statuses = publish_files(in_a + in_b);
  for (qsizetype i = 0; i < in_a.size(); ++i) {
    EXPECT_TRUE(statuses[i].ok()) << statuses[i].message().toStdString();
    expect_published(in_a[i]);
  }
  for (qsizetype i = 0; i < in_b.size(); ++i) {
    const Status& status = statuses[in_a.size() + i];
    EXPECT_EQ(status.kind(), Status::Kind::io);
    // The file is in place, and the caller hears it may not last.
    EXPECT_TRUE(status.message().endsWith(
        QStringLiteral("Input/output error (the new \"%1\" is in place but may not survive a "
                       "power cut)")
            .arg(in_b[i].target)))
        << status.message().toStdString();
    expect_published(in_b[i]);
  }
  EXPECT_EQ(left_over("b", in_b), QStringList());
}

TEST_F(PublishFilesTest, OfTwoFilesWithOneTargetTheLaterWins) {
  const QString target = tree_.make_folder("a") + "/0.scn";
  const QString other = tree_.path("a/1.scn");
  tree_.write("a/0.scn", "old a/0.scn");
  const QList<pending_file> files = {{target, "earlier"}, {other, "other"}, {target, "later"}};
  const QList<Status> statuses = publish_files(files);
  EXPECT_EQ(statuses[0].message(),
            QStringLiteral("Cannot publish \"%1\": A later file of the same batch replaces it")
                .arg(target));
  EXPECT_TRUE(statuses[1].ok());
  EXPECT_TRUE(statuses[2].ok());
  EXPECT_EQ(tree_.read("a/0.scn"), "later");
  EXPECT_EQ(left_over("a", files), QStringList());

  // A later file that fails does not let the earlier one in: both fail and
  // the target stays as it was.
  FaultEnv fault;
  ScopedEnv use(&fault);
  fault.fail_writes_after(10);
  const QList<Status> again = publish_files({{target, "short"}, {target, "far too long"}});
  EXPECT_FALSE(again[0].ok());
  EXPECT_TRUE(again[1].message().endsWith("No space left on device"));
  EXPECT_EQ(tree_.read("a/0.scn"), "later");
  EXPECT_EQ(left_over("a", files), QStringList());
}

}  // namespace
}  // namespace platform
