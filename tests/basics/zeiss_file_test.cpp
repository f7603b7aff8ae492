// The Zeiss format's classes and names: which bits make which postbake
// class, what a plate text may not hold, and the product name's tails.

#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "basics/zeiss_file.h"

namespace {

TEST(ZeissFileTest, BitsFifteenFourteenThirteenGiveThePostbakeClass) {
  const struct {
    int bits;  // bits 15, 14, 13
    qint32 mode;
    const char* suffix;
  } cases[] = {
      {0b000, 1, "___A.scn"},       {0b001, 1, "___A.scn"},       {0b010, 2, "___B.scn"},
      {0b011, 3, "___C.scn"},       {0b100, 0, "___4points.scn"}, {0b101, 0, "___4points.scn"},
      {0b110, 0, "___4points.scn"}, {0b111, 0, "___4points.scn"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    const qint32 plate = (c.bits << 13) | 0x10001 | 1234;
    EXPECT_EQ(basics::postbake_piece(plate), c.mode);
    EXPECT_EQ(basics::postbake_suffix(c.mode), QString::fromLatin1(c.suffix));
    // Only bits 13 to 15 are cleared; bit 16 stays.
    EXPECT_EQ(basics::original_plate_number(plate), 0x10001 | 1234);
  }
  EXPECT_EQ(basics::postbake_type(7, "kept"), "kept");
}

TEST(ZeissFileTest, PlateTextMustStayAPlainFileName) {
  for (const QString& bad :
       {QStringLiteral("..\\..\\x"), QStringLiteral("a/b"), QStringLiteral(".."),
        QStringLiteral("C:x"), QStringLiteral("a*b"), QStringLiteral("a\tb"), QStringLiteral("x."),
        QStringLiteral("con"), QStringLiteral("LPT1"), QString(101, u'7')}) {
    EXPECT_TRUE(basics::plate_text_refusal(bad).has_value()) << bad.toStdString();
  }
  for (const QString& good : {QStringLiteral("0042"), QStringLiteral("A-12_b"), QString(100, u'7'),
                              QStringLiteral("console")}) {
    EXPECT_FALSE(basics::plate_text_refusal(good).has_value()) << good.toStdString();
  }
}

// Without a stamp line only the axes are looked for: from line 1, each
// search going on at the block's axis line, or at the line after a
// spectrum line without header; a missing line the reading looks at finds
// nothing.
TEST(ZeissFileTest, AxesOfAFileWithoutStampAreFoundFromLineOne) {
  const QStringList three = {"Spectrum 1;R", ";nm;", "380;385",      ";%;", "1;2",
                             "Spectrum 2;T", "5;6",  "Spectrum 3;x", ";",   "400;405;410"};
  const struct {
    const char* what;
    QStringList lines;
    std::array<int, 3> spectrum_lines;  // all 0: nothing found
    std::array<int, 3> axis_lines;
  } cases[] = {
      {"three blocks", three, {1, 6, 8}, {3, 0, 10}},
      {"third axis line missing", three.mid(0, 9), {0, 0, 0}, {0, 0, 0}},
      {"spectrum line last", three.mid(0, 8), {0, 0, 0}, {0, 0, 0}},
      {"two blocks", three.mid(0, 7), {0, 0, 0}, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<basics::zeiss_layout> layout = basics::locate_zeiss_axes(c.lines);
    ASSERT_EQ(layout.has_value(), c.spectrum_lines[0] != 0);
    if (!layout) continue;
    for (int s = 0; s < 3; ++s) {
      EXPECT_EQ(layout->blocks[s].spectrum_line, c.spectrum_lines[s]);
      EXPECT_EQ(layout->blocks[s].axis_line, c.axis_lines[s]);
    }
    EXPECT_EQ(layout->positions, 0);
  }
}

TEST(ZeissFileTest, BaseProductNameDropsPostbakeOrMaintenanceTails) {
  EXPECT_EQ(basics::base_product_name("P1 maintenance"), "P1");
  EXPECT_EQ(basics::base_product_name("P1 postbake maintenance"), "P1");
  EXPECT_EQ(basics::base_product_name("P1 Maintenance"), "P1 Maintenance");
  EXPECT_EQ(basics::base_product_name(" P1 "), " P1 ");
}

}  // namespace
