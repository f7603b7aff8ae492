// Entries in an input folder that no scan can ever claim (a FIFO, a link to
// nothing) must not hold up the files behind them, and are named once, not
// at every scan.

#include <QFile>

#include <gtest/gtest.h>

#include "conversion/dat_moves.h"
#include "conversion/input_queue.h"
#include "conversion_site.h"
#include "support/system_entries.h"
#include "support/temp_tree.h"

namespace {

using test_support::conversion_site;
using test_support::temp_tree;

void make_fifo(const QString& path) {
  ASSERT_EQ(test_support::make_fifo(path), 0);
}

void make_dangling_link(const QString& path) {
  ASSERT_EQ(test_support::make_symlink("nowhere", path), 0);
}

TEST(InputQueueTest, OnlyFilesWaitAndWhatCanNeverBeClaimedIsNamedOnce) {
  SKIP_ON_WINDOWS("FIFOs and links");
  temp_tree tree;
  make_fifo(tree.path("a_fifo.csv"));
  make_dangling_link(tree.path("b_link.csv"));
  tree.make_folder("c_folder.csv");
  tree.write("d_file.csv", "x");
  ASSERT_EQ(test_support::make_symlink("d_file.csv", tree.path("e_link.csv")), 0);
  QStringList said;
  const auto say = [&said](const QString& line) { said << line; };

  for (int scan = 0; scan < 3; ++scan) {
    EXPECT_EQ(conversion::waiting_files(platform::env(), tree.path(), "*.csv", say),
              (QStringList{"d_file.csv", "e_link.csv"}));
  }
  ASSERT_EQ(said.size(), 2) << said.join('\n').toStdString();
  EXPECT_EQ(said[0], "Error: " + tree.path("a_fifo.csv") +
                         " is not a file the scanner can claim (a pipe, a device or a link to "
                         "nothing); it is left where it is, and the files behind it are handled.");
  EXPECT_TRUE(said[1].contains(tree.path("b_link.csv")));
}

TEST(InputQueueTest, AnEntryGoneAndBackIsNamedAgain) {
  SKIP_ON_WINDOWS("FIFOs");
  temp_tree tree;
  QStringList said;
  const auto scan = [&] {
    conversion::waiting_files(platform::env(), tree.path(), "*.csv",
                              [&said](const QString& l) { said << l; });
  };
  make_fifo(tree.path("a_fifo.csv"));
  scan();
  ASSERT_TRUE(QFile::remove(tree.path("a_fifo.csv")));
  scan();
  make_fifo(tree.path("a_fifo.csv"));
  scan();
  EXPECT_EQ(said.size(), 2);
}

TEST(InputQueueTest, TheRenameAwayAndBackScanPassesOverAFifoToo) {
  SKIP_ON_WINDOWS("FIFOs");
  conversion_site site;
  site.tree.make_folder("in");
  site.tree.make_folder("out");
  site.ctx.input_folder = site.folder("in");
  site.ctx.output_folder = site.path("out");
  make_fifo(site.path("in/a.dat"));
  site.tree.write("in/b.dat", "spectrum");
  for (int tick = 0; tick < 2; ++tick) {
    conversion::dat_moves_state state;
    conversion::handle_dat_moves(site.ctx, state,
                                 {[](const QString& name) { return "moved_" + name; }});
  }
  EXPECT_EQ(site.files("out"), QStringList{"moved_b.dat"});
  EXPECT_EQ(site.status_lines.filter("a.dat").size(), 1)
      << site.status_lines.join('\n').toStdString();
}

}  // namespace
