// Publishing: a reader of the target folder sees the old file or the whole
// new one, and a failure leaves neither half a file nor a temporary behind.

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "platform/env.h"
#include "platform/fault_env.h"
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

// A batch publishes with one flush per folder, not per file; what it
// reports published is whole, and what failed leaves the old file.
class PublishFilesTest : public PublishTest {
 protected:
  // Ten files 0.scn ... 9.scn of the output folder, 1 KB each but the fifth
  // (100 KB, so a write limit catches it alone).
  QList<pending_file> batch() const {
    QList<pending_file> files;
    for (int n = 0; n < 10; ++n) {
      files.append({tree_.path(QStringLiteral("new/%1.scn").arg(n)),
                    QByteArray(n == 4 ? 100000 : 1000, char('a' + n))});
    }
    return files;
  }
  QStringList targets(int count) const {
    QStringList names;
    for (int n = 0; n < count; ++n) names << QStringLiteral("%1.scn").arg(n);
    return names;
  }
};

TEST_F(PublishFilesTest, PublishesEveryFileWholeAndReplacesOldOnes) {
  tree_.write("new/3.scn", "old");
  const QList<pending_file> files = batch();
  const QList<Status> statuses = publish_files(files);
  ASSERT_EQ(statuses.size(), files.size());
  for (qsizetype i = 0; i < files.size(); ++i) {
    EXPECT_TRUE(statuses[i].ok()) << statuses[i].message().toStdString();
    EXPECT_EQ(tree_.read("new/" + QString::number(i) + ".scn"), files[i].data);
  }
  QStringList expected = targets(10);
  expected.sort();
  QStringList names = folder_names();
  names.sort();
  EXPECT_EQ(names, expected);  // no temporary left
  EXPECT_TRUE(publish_files({}).isEmpty());
}

TEST_F(PublishFilesTest, AFailureFailsOnlyWhatItTouchesAndLeavesNoTemporary) {
  for (int n = 0; n < 10; ++n) tree_.write(QStringLiteral("new/%1.scn").arg(n), "old");
  const struct {
    const char* fault;
    void (*arm)(FaultEnv&);
    QList<int> failed;  // the files that must keep their old content
    bool renamed_anyway;  // a failed last flush: new content, reported failed
  } cases[] = {
      {"disk full in the middle", [](FaultEnv& f) { f.fail_writes_after(4096); }, {4}, false},
      {"one rename refused", [](FaultEnv& f) { f.refuse_replace("7.scn"); }, {7}, false},
      {"first flush fails", [](FaultEnv& f) { f.fail_flushes(); },
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, false},
      {"last flush fails", [](FaultEnv& f) { f.fail_flushes(QString(), 1); },
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    for (int n = 0; n < 10; ++n) tree_.write(QStringLiteral("new/%1.scn").arg(n), "old");
    const QList<pending_file> files = batch();
    QList<Status> statuses;
    {
      FaultEnv fault;
      ScopedEnv use(&fault);
      c.arm(fault);
      statuses = publish_files(files);
    }
    for (int n = 0; n < 10; ++n) {
      SCOPED_TRACE(n);
      const QByteArray content = tree_.read(QStringLiteral("new/%1.scn").arg(n));
      if (!c.failed.contains(n)) {
        EXPECT_TRUE(statuses[n].ok()) << statuses[n].message().toStdString();
        EXPECT_EQ(content, files[n].data);
      } else {
        EXPECT_FALSE(statuses[n].ok());
        EXPECT_EQ(content, c.renamed_anyway ? files[n].data : QByteArray("old"));
        if (c.renamed_anyway) {
          EXPECT_TRUE(statuses[n].message().contains("may not survive a power cut"))
              << statuses[n].message().toStdString();
        }
      }
    }
    QStringList names = folder_names();
    names.sort();
    QStringList expected = targets(10);
    expected.sort();
    EXPECT_EQ(names, expected);
  }
}

TEST_F(PublishFilesTest, TheLaterOfTwoEntriesForOneTargetStays) {
  const QList<Status> statuses =
      publish_files({{target_, "first"}, {tree_.path("new/other.scn"), "x"}, {target_, "second"}});
  for (const Status& status : statuses) EXPECT_TRUE(status.ok());
  EXPECT_EQ(tree_.read("new/1234.scn"), "second");
  EXPECT_EQ(folder_names().size(), 2);
}

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
