#include "basics/insitu_file.h"

#include <gtest/gtest.h>

#include "support/insitu_file.h"

namespace {

// The reader looks at lines by number; files far too short or cut anywhere
// must give empty texts, never a read past the end.
TEST(InsituFileReadingTest, ShortAndCutFilesReadAsEmpty) {
  for (const int count : {0, 1, 4, 7, 20, 21}) {
    SCOPED_TRACE(count);
    test_support::insitu_measurement m;
    m.line_count = count;
    const QStringList lines = test_support::insitu_lines(m);
    EXPECT_TRUE(basics::insitu_length_refusal(lines, "f.tmp").has_value());
    EXPECT_EQ(basics::insitu_probe_head(lines), count >= 7 ? "Head A" : "");
    // The header on line 20 counts only with a line after it.
    EXPECT_EQ(basics::insitu_inline_lines(lines).has_value(), count >= 21);
  }
}

TEST(InsituFileReadingTest, ProbeHeadAndInlineLinesOfAWholeFile) {
  test_support::insitu_measurement m;
  m.probe_head = "  Probe head 2 ";
  const QStringList lines = test_support::insitu_lines(m);
  EXPECT_FALSE(basics::insitu_length_refusal(lines, "f.tmp").has_value());
  EXPECT_EQ(basics::insitu_probe_head(lines), "Probe head 2");
  EXPECT_EQ(basics::insitu_inline_lines(lines), test_support::insitu_pairs(m.data));
  EXPECT_EQ(*basics::insitu_length_refusal(lines.mid(0, 138), "/in/f.tmp"),
            "Length of file /in/f.tmp too small!");
}

}  // namespace
