// The line-speed file in the inline input folder: renamed to the speed,
// left alone when it already has that name, and a failure named.

#include <gtest/gtest.h>

#include <QDir>

#include "database/line_speed_file.h"
#include "support/fault_env.h"
#include "support/temp_tree.h"

namespace database {
namespace {

using test_support::temp_tree;

class LineSpeedFileTest : public ::testing::Test {
 protected:
  LineSpeedFileTest() {
    tree.make_folder("inline/line_speed");
    folder = line_speed_folder(tree.path("inline"));
  }

  QStringList files() const {
    return QDir(tree.path("inline/line_speed")).entryList(QDir::Files, QDir::Name);
  }

  temp_tree tree;
  QString folder;
};

TEST_F(LineSpeedFileTest, TheFolderLiesInTheInlineFolderWithOrWithoutItsDelimiter) {
  const QString inline_folder = tree.path("inline");
  const QString expected = tree.path("inline/line_speed") + platform::kDelimiter;
  EXPECT_EQ(line_speed_folder(inline_folder), expected);
  EXPECT_EQ(line_speed_folder(inline_folder + platform::kDelimiter), expected);
  EXPECT_EQ(line_speed_folder(QString()), QString()) << "never the working folder";
}

TEST_F(LineSpeedFileTest, TheFirstTextFileIsRenamedToTheSpeedKeepingItsContents) {
  tree.write("inline/line_speed/a.TXT", "kept");
  tree.write("inline/line_speed/b.txt", "other");
  QString tried;
  EXPECT_TRUE(publish_line_speed_file(folder, 640, &tried));
  EXPECT_EQ(files(), (QStringList{"640.txt", "b.txt"}));
  EXPECT_EQ(tree.read("inline/line_speed/640.txt"), "kept");
  EXPECT_TRUE(publish_line_speed_file(folder, 640, &tried)) << "the same speed: nothing to do";
  EXPECT_EQ(files(), (QStringList{"640.txt", "b.txt"}));
}

TEST_F(LineSpeedFileTest, NoFileOrARefusedRenameFailsNamingWhatWasTried) {
  QString tried;
  EXPECT_FALSE(publish_line_speed_file(folder, 500, &tried));
  EXPECT_EQ(tried, folder);

  tree.write("inline/line_speed/12.txt", "kept");
  platform::FaultEnv fault;
  platform::ScopedEnv use(&fault);
  fault.refuse_rename("12.txt");
  EXPECT_FALSE(publish_line_speed_file(folder, 500, &tried));
  EXPECT_EQ(tried, folder + "12.txt");
  EXPECT_EQ(files(), QStringList{"12.txt"});
}

}  // namespace
}  // namespace database
