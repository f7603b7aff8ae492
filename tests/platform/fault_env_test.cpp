// FaultEnv, which other tests rely on to make the system say no.

#include <gtest/gtest.h>

#include "support/fault_env.h"
#include "support/temp_tree.h"

namespace platform {
namespace {

using test_support::temp_tree;

TEST(FaultEnvTest, ScopedEnvInstallsAndRestores) {
  FaultEnv outer, inner;
  {
    ScopedEnv use_outer(&outer);
    EXPECT_EQ(&env(), &outer);
    {
      ScopedEnv use_inner(&inner);
      EXPECT_EQ(&env(), &inner);
    }
    EXPECT_EQ(&env(), &outer);
  }
  EXPECT_EQ(&env(), &system_env());
}

TEST(FaultEnvTest, FaultsHitOnlyCallsWithTheirPathPart) {
  temp_tree tree;
  FaultEnv fault;
  fault.refuse_rename(".csv");
  fault.refuse_delete("keep");
  fault.refuse_create_folder("new");
  const QString csv = tree.write("a.csv", "x");
  const QString dat = tree.write("a.dat", "x");
  const QString keep = tree.write("keep.txt", "x");

  EXPECT_FALSE(fault.rename_file(csv, tree.path("a.tmp")).ok());
  EXPECT_FALSE(fault.rename_file(tree.path("b.tmp"), csv).ok());  // either path counts
  EXPECT_TRUE(tree.exists("a.csv"));
  EXPECT_TRUE(fault.rename_file(dat, tree.path("b.dat")).ok());
  EXPECT_FALSE(fault.delete_file(keep).ok());
  EXPECT_TRUE(tree.exists("keep.txt"));
  EXPECT_FALSE(fault.create_folder(tree.path("new")).ok());
  EXPECT_FALSE(tree.exists("new"));
  EXPECT_TRUE(fault.create_folder(tree.path("old")).ok());

  fault.clear_faults();
  EXPECT_TRUE(fault.rename_file(csv, tree.path("a.tmp")).ok());
  EXPECT_TRUE(fault.delete_file(keep).ok());
}

TEST(FaultEnvTest, LimitedWriteStopsPartWayLikeAFullDisk) {
  temp_tree tree;
  FaultEnv fault;
  fault.fail_writes_after(3, ".scn");
  const Status full = fault.write_file(tree.path("1.scn"), "123456");
  EXPECT_FALSE(full.ok());
  EXPECT_EQ(full.message(),
            QStringLiteral("Cannot write \"%1\": No space left on device").arg(tree.path("1.scn")));
  EXPECT_EQ(tree.read("1.scn"), "123");
  EXPECT_TRUE(fault.write_file(tree.path("2.scn"), "123").ok());  // it fits
  EXPECT_TRUE(fault.write_file(tree.path("1.csv"), "123456").ok());
  EXPECT_EQ(tree.read("1.csv"), "123456");
}

TEST(FaultEnvTest, UnsyncedCallsMeetTheFaultsOfTheirFlushingKin) {
  temp_tree tree;
  FaultEnv fault;
  fault.fail_writes_after(3, ".scn");
  fault.refuse_replace("keep");
  EXPECT_FALSE(fault.write_file_unsynced(tree.path("1.scn"), "123456").ok());
  EXPECT_EQ(tree.read("1.scn"), "123");
  const QString keep = tree.write("keep.scn", "old");
  EXPECT_EQ(fault.replace_file_unsynced(tree.write("new.tmp", "new"), keep).kind(),
            Status::Kind::denied);
  EXPECT_EQ(tree.read("keep.scn"), "old");
}

TEST(FaultEnvTest, FlushFaultsHitOnlyTheirPathPart) {
  temp_tree tree;
  FaultEnv fault;
  fault.fail_sync_files(".scn");
  fault.fail_sync_folder("new");
  const QString csv = tree.write("a.csv", "x");
  const QString scn = tree.write("a.scn", "x");

  const Status failed = fault.sync_files({csv, scn});
  EXPECT_EQ(failed.kind(), Status::Kind::io);
  EXPECT_EQ(failed.message(), QStringLiteral("Cannot flush \"%1\": Input/output error").arg(scn));
  EXPECT_TRUE(fault.sync_files({csv}).ok());
  EXPECT_EQ(fault.sync_folder(tree.make_folder("new")).kind(), Status::Kind::io);
  EXPECT_TRUE(fault.sync_folder(tree.make_folder("old")).ok());

  fault.clear_faults();
  EXPECT_TRUE(fault.sync_files({csv, scn}).ok());
  EXPECT_TRUE(fault.sync_folder(tree.path("new")).ok());
}

TEST(FaultEnvTest, ClockAndPlacesAreSettable) {
  FaultEnv fault;
  const QDateTime noon(QDate(2024, 3, 1), QTime(12, 0));
  fault.set_now(noon);
  EXPECT_EQ(fault.now(), noon);
  fault.advance_now(90);
  EXPECT_EQ(fault.now(), noon.addSecs(90));
  fault.set_now(QDateTime());
  EXPECT_LE(qAbs(fault.now().secsTo(QDateTime::currentDateTime())), 60);

  EXPECT_EQ(fault.program_file_path(), system_env().program_file_path());
  fault.set_program_file_path("/t/DORNIK_spectrum_scanner");
  fault.set_roaming_app_data_folder("/t/appdata");
  fault.set_temp_folder("/t/tmp");
  EXPECT_EQ(fault.program_file_path(), "/t/DORNIK_spectrum_scanner");
  EXPECT_EQ(fault.roaming_app_data_folder(), "/t/appdata");
  EXPECT_EQ(fault.temp_folder(), "/t/tmp");
}

}  // namespace
}  // namespace platform
