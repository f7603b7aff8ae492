#include "basics/inline_file.h"

#include <gtest/gtest.h>

#include "basics/insitu_file.h"
#include "support/insitu_file.h"

namespace {

// What the insitu conversion writes comes back as the same points.
TEST(InlineFileTest, TheLinesOfAnInsituConversionReadBackAsItsPoints) {
  const test_support::insitu_measurement m;
  const std::optional<QStringList> written =
      basics::insitu_inline_lines(test_support::insitu_lines(m));
  ASSERT_TRUE(written.has_value());
  const QList<QPointF> points = basics::inline_curve(*written);
  ASSERT_EQ(points.size(), written->size());
  for (int j = 0; j < points.size(); ++j) {
    EXPECT_EQ(points[j].x(), 380 + 5 * j);
    EXPECT_DOUBLE_EQ(points[j].y(), 0.8 + j / 1000.0);
  }
}

// A damaged file shows what is left of its curve; nothing is made up.
TEST(InlineFileTest, LinesThatAreNoPairOfNumbersArePassedOver) {
  const struct {
    const char* line;
    bool kept;
  } cases[] = {
      {"400.5,0.25", true}, {" 401 , -1e-3 ", true},
      {"402", false},       {"403,0.1,0.2", false},
      {"404,", false},      {",0.3", false},
      {"405,n.a.", false},  {"406;0.1", false},
      {"407,0,5", false},   {"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(basics::inline_curve({QString::fromLatin1(c.line)}).size(), c.kept ? 1 : 0);
  }
  EXPECT_EQ(basics::inline_curve({"1,2", "x", "3,4"}), (QList<QPointF>{{1, 2}, {3, 4}}));
}

}  // namespace
