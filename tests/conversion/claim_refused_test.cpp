// A file the scan cannot claim for want of rights is told to the window,
// which has to tell the operator; one whose writer is still at work is not.

#include <gtest/gtest.h>

#include "conversion/claimed_file.h"
#include "conversion/renamable_files.h"
#include "conversion_site.h"
#include "platform/file_error.h"

namespace {

using test_support::conversion_site;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

struct refused_site : conversion_site {
  refused_site() {
    use_standard_folders(kNow);
    file = write_lines("in/a.csv", {"x"}, kNow.addSecs(-60));
    ctx.claim_refused = [this](const QString& path, const platform::Status& refused) {
      told << path + " | " + platform::failure_reason(refused);
    };
  }
  // The two ways files are claimed: under a temporary name (DORNIK, Halvik)
  // and away and back (TULMEN, SELMAR, the .dat moves).
  void claim_both_ways() {
    conversion::claim_files(ctx, "converting", conversion::could_not_rename,
                            [](conversion::claimed_file&) { ADD_FAILURE() << "claimed"; });
    conversion::scan_renamable_files(ctx, "*.csv", {}, [](const QString&, conversion::claim_note&) {
      ADD_FAILURE() << "claimed";
    });
  }
  QString file;
  QStringList told;
};

TEST(ClaimRefusedTest, ARenameRefusedForWantOfRightsIsToldWithTheReason) {
  refused_site site;
  site.fault.deny_rename("a.csv");
  site.claim_both_ways();
  ASSERT_FALSE(site.told.isEmpty());
  site.told.removeDuplicates();
  EXPECT_EQ(site.told, QStringList{site.file + " | Permission denied"});
  EXPECT_TRUE(site.tree.exists("in/a.csv"));
}

TEST(ClaimRefusedTest, AFileStillOpenIsNotARefusal) {
  refused_site site;
  site.fault.refuse_rename("a.csv");
  site.claim_both_ways();
  EXPECT_TRUE(site.told.isEmpty()) << site.told.join('\n').toStdString();
}

}  // namespace
