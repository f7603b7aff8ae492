#include "basics/point_selection_file.h"

#include "basics/error.h"
#include "support/fault_env.h"
#include "support/temp_tree.h"
#include "support/thrown_text.h"

#include <QDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace {

using test_support::temp_tree;
using ::testing::HasSubstr;

QVector<bool> all_points_selected() {
  QVector<bool> flags(52, true);
  flags[0] = false;
  return flags;
}

QVector<bool> only_points(const std::set<int>& selected) {
  QVector<bool> flags(52, false);
  for (int n : selected) flags[n] = true;
  return flags;
}

TEST(PointSelectionFileTest, ReadsTheFlagsFromKeysAndValues) {
  struct read_case {
    const char* name;
    QByteArray file;
    std::set<int> selected;
  };
  const read_case cases[] = {
      {"one key, value 0: every point unselected", "Point 3\r\n0\r\n", {}},
      {"empty file", "", {}},
      {"key in upper case", "POINT 7\r\n1\r\n", {7}},
      {"key in lower case", "point 7\r\n1\r\n", {7}},
      {"leading zero is another key", "Point 07\r\n1\r\n", {}},
      {"trailing space is another key", "Point 7 \r\n1\r\n", {}},
      {"value 2", "Point 4\r\n2\r\n", {}},
      {"value yes", "Point 4\r\nyes\r\n", {}},
      {"empty value", "Point 4\r\n\r\nPoint 5\r\n1\r\n", {5}},
      {"key twice, last valid value wins", "Point 5\r\n0\r\nPoint 5\r\n1\r\n", {5}},
      {"invalid later value is skipped", "Point 5\r\n1\r\nPoint 5\r\nx\r\n", {5}},
      {"a value line is never a key", "Point 1\r\nPoint 1\r\n1\r\n", {}},
      {"a key after an invalid value", "Point 1\r\nPoint 2\r\n1\r\n", {2}},
      {"key as the last line", "Point 6\r\n1\r\nPoint 7", {6}},
      {"any order, LF line ends", "Point 51\n1\nPoint 26\n1\nPoint 1\n1\n", {1, 26, 51}},
      {"point 0 and 52 are not points", "Point 0\r\n1\r\nPoint 52\r\n1\r\n", {}},
  };
  for (const read_case& c : cases) {
    SCOPED_TRACE(c.name);
    temp_tree tree;
    QVector<bool> flags = all_points_selected();
    basics::read_point_selection_file(tree.write("traverse_point_selection.txt", c.file), flags);
    EXPECT_EQ(flags, only_points(c.selected));
  }
}

TEST(PointSelectionFileTest, ReadingGrowsAShortFlagArrayAndKeepsEntryZero) {
  temp_tree tree;
  const QString path = tree.write("traverse_point_selection.txt", "Point 51\r\n1\r\n");
  QVector<bool> flags;
  basics::read_point_selection_file(path, flags);
  EXPECT_EQ(flags, only_points({51}));

  QVector<bool> with_entry_zero(52, true);
  basics::read_point_selection_file(path, with_entry_zero);
  EXPECT_TRUE(with_entry_zero[0]);
}

TEST(PointSelectionFileTest, AFileThatCannotBeReadRaisesAnErrorNamingIt) {
  temp_tree tree;
  const QString path = tree.path("traverse_point_selection.txt");
  QVector<bool> flags = all_points_selected();
  EXPECT_THAT(thrown_text([&] { basics::read_point_selection_file(path, flags); }),
              HasSubstr(path.toStdString()));
  EXPECT_EQ(flags, all_points_selected());
}

TEST(PointSelectionFileTest, WritesTwoLinesPerPointWithCrLf) {
  temp_tree tree;
  const QString path = tree.path("traverse_point_selection.txt");
  QVector<bool> flags = all_points_selected();
  flags[3] = flags[51] = false;
  basics::write_point_selection_file(path, flags);
  const QByteArray written = tree.read("traverse_point_selection.txt");
  EXPECT_EQ(written, test_support::fixture("point_selection_3_and_51_off.txt"));
  EXPECT_EQ(written.count("\r\n"), 102);
  EXPECT_TRUE(written.endsWith("Point 51\r\n0\r\n"));

  QVector<bool> read_back = all_points_selected();
  basics::read_point_selection_file(path, read_back);
  EXPECT_EQ(read_back, flags);
}

TEST(PointSelectionFileTest, WritesMissingFlagsAsUnselected) {
  temp_tree tree;
  const QString path = tree.path("traverse_point_selection.txt");
  basics::write_point_selection_file(path, QVector<bool>{false, true});
  const QByteArray written = tree.read("traverse_point_selection.txt");
  EXPECT_TRUE(written.startsWith("Point 1\r\n1\r\nPoint 2\r\n0\r\n"));
  EXPECT_EQ(written.count("\r\n1\r\n"), 1);
  EXPECT_EQ(written.count("\r\n"), 102);
}

TEST(PointSelectionFileTest, AFailedWriteRaisesAnErrorAndKeepsTheOldFile) {
  temp_tree tree;
  const QString path = tree.write("traverse_point_selection.txt", "Point 1\r\n0\r\n");
  platform::FaultEnv fault;
  platform::ScopedEnv use(&fault);
  fault.fail_writes_after(20);
  EXPECT_THROW(basics::write_point_selection_file(path, all_points_selected()), basics::error);
  EXPECT_EQ(tree.read("traverse_point_selection.txt"), QByteArray("Point 1\r\n0\r\n"));
  EXPECT_EQ(QDir(tree.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
      << "no temporary file left behind";
}

}  // namespace
