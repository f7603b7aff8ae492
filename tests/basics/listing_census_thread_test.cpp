// The waiting files noted and read on several threads at once: the scan
// notes its listings wherever it runs, the panel reads them meanwhile.

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "basics/listing_census.h"
#include "support/temp_tree.h"

namespace {

constexpr qint64 kAlwaysFresh = qint64(1) << 50;

TEST(ListingCensusThreadTest, NotesAndReadingsOnSeveralThreadsKeepEveryFolderCount) {
  basics::forget_listings();
  test_support::temp_tree tree;
  // Folder f holds f + 1 waiting files.
  constexpr int kFolders = 4;
  const auto files_of = [](int f) {
    QStringList files;
    for (int n = 0; n <= f; ++n) files << QStringLiteral("%1.csv").arg(n);
    return files;
  };
  QStringList folders;
  for (int f = 0; f < kFolders; ++f) {
    for (const QString& name : files_of(f)) tree.write(QStringLiteral("in%1/").arg(f) + name, "x");
    folders << tree.path(QStringLiteral("in%1").arg(f));
  }
  std::atomic<int> wrong_counts{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 300; ++round) {
        const int f = (t + round) % kFolders;
        if ((t + round) % 3 == 0) basics::note_listing(folders[f], "*.csv", files_of(f));
        if (basics::waiting_in(folders[f], "*.csv", kAlwaysFresh).count != f + 1) ++wrong_counts;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong_counts, 0);
  basics::forget_listings();
}

}  // namespace
