// The waiting files of an input folder: the scan's own listing reused while
// it is fresh, the oldest file's time read once per file.

#include <QDate>
#include <QDateTime>

#include <gtest/gtest.h>

#include "basics/listing_census.h"
#include "support/fault_env.h"
#include "support/temp_tree.h"

namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));
constexpr qint64 kAlwaysFresh = qint64(1) << 50;

struct census_site {
  census_site() : use_fault(&fault) {
    basics::forget_listings();
    tree.make_folder("in");
  }
  ~census_site() { basics::forget_listings(); }
  QString drop(const QString& name, const QDateTime& written) {
    const QString file = tree.write("in/" + name, "x");
    EXPECT_TRUE(fault.set_last_modified(file, written).ok());
    return file;
  }
  test_support::temp_tree tree;
  platform::FaultEnv fault;
  platform::ScopedEnv use_fault;
};

TEST(ListingCensusTest, CountsTheFilesOfTheMaskAndTheOldestTime) {
  census_site site;
  site.drop("a.csv", kNow.addSecs(-30));
  site.drop("b.CSV", kNow.addSecs(-7200));
  site.drop("c.txt", kNow.addSecs(-9000));
  site.tree.make_folder("in/d.csv");  // a folder is no waiting file
  const basics::waiting_summary waiting = basics::waiting_in(site.tree.path("in"), "*.csv", 0);
  EXPECT_EQ(waiting.count, 2);
  EXPECT_EQ(waiting.oldest, kNow.addSecs(-7200));

  const basics::waiting_summary none = basics::waiting_in(site.tree.path("gone"), "*.csv", 0);
  EXPECT_EQ(none.count, 0);
  EXPECT_FALSE(none.oldest.isValid());
}

// The idle scanner lists its folders every second: the panel takes that
// listing instead of making its own.
TEST(ListingCensusTest, AFreshListingOfTheScanIsReusedAndAStaleOneIsNot) {
  census_site site;
  site.drop("a.csv", kNow.addSecs(-30));
  site.drop("b.csv", kNow.addSecs(-60));
  const QString folder = site.tree.path("in");
  basics::note_listing(folder, "*.csv", {"a.csv"});
  EXPECT_EQ(basics::waiting_in(folder, "*.csv", kAlwaysFresh).count, 1);
  EXPECT_EQ(basics::waiting_in(folder + "/", "*.csv", kAlwaysFresh).count, 1);
  // Stale: listed afresh.
  EXPECT_EQ(basics::waiting_in(folder, "*.csv", 0).count, 2);
  // Another mask is another listing.
  EXPECT_EQ(basics::waiting_in(folder, "*.dat", kAlwaysFresh).count, 0);
}

// A file's time is read when it first shows up: a touch afterwards (its
// writer still at work) does not move it, a file that comes back anew does.
TEST(ListingCensusTest, AFilesTimeIsReadOnceWhileItWaits) {
  census_site site;
  const QString file = site.drop("a.csv", kNow.addSecs(-600));
  const QString folder = site.tree.path("in");
  EXPECT_EQ(basics::waiting_in(folder, "*.csv", 0).oldest, kNow.addSecs(-600));
  ASSERT_TRUE(site.fault.set_last_modified(file, kNow.addSecs(-10)).ok());
  EXPECT_EQ(basics::waiting_in(folder, "*.csv", 0).oldest, kNow.addSecs(-600));
  basics::note_listing(folder, "*.csv", {});
  basics::note_listing(folder, "*.csv", {"a.csv"});
  EXPECT_EQ(basics::waiting_in(folder, "*.csv", kAlwaysFresh).oldest, kNow.addSecs(-10));
}

}  // namespace
