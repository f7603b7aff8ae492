// The .dat moves of the base window on real folders: claimed, published
// under the new name, removed; a file that cannot be copied never lost.

#include <gtest/gtest.h>

#include "conversion/dat_moves.h"
#include "conversion_site.h"
#include "support/holder_process.h"
#include "support/recording_prompts.h"

namespace {

using test_support::conversion_site;

QString renamed(const QString& old_name) {
  return old_name.left(old_name.size() - 4) + "___R.dat";
}

struct dat_site : conversion_site {
  dat_site() {
    tree.make_folder("in");
    tree.make_folder("out");
    ctx.input_folder = folder("in");
    ctx.output_folder = path("out");
  }
  void move() {
    conversion::dat_moves_state state;
    conversion::handle_dat_moves(ctx, state, {renamed});
  }
};

TEST(DatMovesTest, FileMovesUnchangedUnderItsNewName) {
  dat_site site;
  const QByteArray bytes("\x00\x01 spectrum\r\n", 13);
  site.tree.write("in/S1.dat", bytes);
  site.move();
  EXPECT_EQ(site.files("out"), QStringList{"S1___R.dat"});
  EXPECT_EQ(site.tree.read("out/S1___R.dat"), bytes);
  EXPECT_TRUE(site.files("in").isEmpty());
  EXPECT_EQ(site.status_lines,
            (QStringList{"Number of files to process: 1", "S1.dat", "S1.dat has been moved"}));
}

TEST(DatMovesTest, LaterFileOfTheSameNameReplacesTheFirst) {
  dat_site site;
  site.tree.write("in/S1.dat", "first");
  site.move();
  site.tree.write("in/S1.dat", "second");
  site.move();
  EXPECT_EQ(site.files("out"), QStringList{"S1___R.dat"});
  EXPECT_EQ(site.tree.read("out/S1___R.dat"), "second");
}

TEST(DatMovesTest, AtMostThirtyOneFilesMovePerStep) {
  dat_site site;
  for (int n = 0; n < 35; ++n)
    site.tree.write(QStringLiteral("in/f%1.dat").arg(n, 2, 10, QChar('0')), "x");
  site.move();
  EXPECT_EQ(site.files("out").size(), 31);
  EXPECT_EQ(site.files("in").size(), 4);
  site.move();
  EXPECT_EQ(site.files("out").size(), 35);
  EXPECT_TRUE(site.files("in").isEmpty());
}

TEST(DatMovesTest, NothingToDoIsSaidAndMissingFoldersSayNothing) {
  dat_site site;
  site.tree.write("in/other.csv", "x");
  site.move();
  EXPECT_EQ(site.status_lines, QStringList{"No files to process ..."});
  site.status_lines.clear();
  site.tree.write("in/S1.dat", "x");
  site.ctx.output_folder = site.path("missing");
  site.move();
  EXPECT_TRUE(site.status_lines.isEmpty());
  EXPECT_TRUE(site.tree.exists("in/S1.dat"));
}

TEST(DatMovesTest, FileHeldOpenByAnotherProcessIsLeft) {
  dat_site site;
  site.tree.write("in/S1.dat", "x");
  test_support::holder_process holder(site.path("in/S1.dat"),
                                      test_support::holder_process::mode::write);
  site.move();
  EXPECT_EQ(site.files("in"), QStringList{"S1.dat"});
  EXPECT_TRUE(site.files("out").isEmpty());
  EXPECT_EQ(site.status_lines, (QStringList{"Number of files to process: 1", "S1.dat"}));
}

TEST(DatMovesTest, FileThatCannotBeCopiedIsKeptUnderAVisibleName) {
  dat_site site;
  site.tree.write("in/S1.dat", "measured");
  site.fault.refuse_replace(site.path("out"));
  site.move();
  EXPECT_EQ(site.files("in"), QStringList{"S1.dat.failed"});
  EXPECT_EQ(site.tree.read("in/S1.dat.failed"), "measured");
  EXPECT_TRUE(site.files("out").isEmpty());
  EXPECT_TRUE(site.status_lines.last().startsWith(site.path("in/S1.dat") +
                                                  " could not be copied; it is kept as " +
                                                  site.path("in/S1.dat.failed") + ". "))
      << site.status_lines.last().toStdString();
}

TEST(DatMovesTest, ClaimedFileThatCannotBeDeletedIsReportedInABox) {
  dat_site site;
  test_support::recording_prompts prompts;
  QStringList boxes;
  site.ctx.box = [&](const QString& text) { boxes << text; };
  site.tree.write("in/S1.dat", "x");
  site.fault.refuse_delete(site.path("in"));
  site.move();
  EXPECT_EQ(site.tree.read("out/S1___R.dat"), "x");
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(boxes[0].endsWith(".tmp could not be deleted.")) << boxes[0].toStdString();
  // The conversion raises no box of its own: the window does.
  EXPECT_TRUE(prompts.texts().isEmpty());
}

}  // namespace
