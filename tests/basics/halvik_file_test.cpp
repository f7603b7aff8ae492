#include "basics/halvik_file.h"

#include <QDate>

#include <gtest/gtest.h>

#include "basics/ole_date.h"
#include "support/halvik_file.h"
#include "support/thrown_text.h"

namespace {

using basics::scan_data;
using test_support::halvik_exsitu;
using test_support::halvik_exsitu_lines;
using test_support::halvik_exsitu_with;

const QDateTime kWritten(QDate(2024, 3, 4), QTime(10, 15, 37));

struct reading {
  scan_data record;
  qint32 plate = 0;
  QStringList messages;
};

reading read_exsitu(const QStringList& lines, const basics::point_predicate& selected,
                    reading r = {}) {
  if (r.record.positions.isEmpty()) basics::shape_halvik_exsitu_record(r.record);
  basics::read_halvik_exsitu_lines(lines, kWritten, selected, r.record, r.plate,
                                   [&r](const QString& m) { r.messages << m; });
  return r;
}

const basics::point_predicate kAll = [](int) { return true; };

// The scan file holds only the selected positions the file has: with all 51
// points selected, a file of 30 positions must not carry 21 positions of
// earlier files into this plate's scan file.
TEST(HalvikExsituReadingTest, TheFileGivesTheSelectedPositionsInFileOrder) {
  const struct {
    const char* name;
    int positions;
    basics::point_predicate selected;
    int expected;
  } cases[] = {
      {"points 1 to 20 of 25", 25, [](int p) { return p <= 20; }, 20},
      {"all points, 30 positions", 30, kAll, 30},
      {"all points, 51 positions", 51, kAll, 51},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // An earlier file of 51 positions leaves its values in every slot.
    reading earlier = read_exsitu(halvik_exsitu_lines(halvik_exsitu_with(51, "1")), kAll);
    const reading r = read_exsitu(halvik_exsitu_lines(halvik_exsitu_with(c.positions)), c.selected,
                                  std::move(earlier));
    EXPECT_EQ(r.record.no_positions, c.expected);
    EXPECT_EQ(r.plate, 77);
    EXPECT_TRUE(r.messages.isEmpty()) << r.messages.join('\n').toStdString();
    for (int k = 0; k < c.expected; ++k) {
      EXPECT_EQ(r.record.positions[k], 100 * (k + 1));
      EXPECT_FLOAT_EQ(r.record.spectral_data[r.record.the_index(k, 2, 167)],
                      float(halvik_exsitu::spectral_value(2, k, 167)));
    }
    EXPECT_EQ(r.record.time_of_measurement,
              basics::ole_date_from(QDateTime(QDate(2024, 3, 4), QTime(10, 15, 36))));
  }
}

TEST(HalvikExsituReadingTest, AFieldThatDoesNotConvertKeepsPositionsAndSpectraAligned) {
  reading earlier = read_exsitu(halvik_exsitu_lines(halvik_exsitu_with(4, "1")), kAll);
  halvik_exsitu f = halvik_exsitu_with(4);
  f.positions[1] = "2x0";
  f.value = [](int s, int i, int j) {
    if (s == 1 && i == 2 && j == 3) return QStringLiteral("bad");
    return QString::number(halvik_exsitu::spectral_value(s, i, j) + 1, 'f', 3);
  };
  const reading r = read_exsitu(
      halvik_exsitu_lines(f), [](int p) { return p != 1; }, std::move(earlier));
  EXPECT_EQ(r.messages, (QStringList{"2x0 could not be converted to a position.",
                                     "bad could not be converted to a spectral value."}));
  EXPECT_EQ(r.record.no_positions, 3);
  // Slot 0 is file position 1: its position keeps the earlier value, its
  // spectra are this file's.
  EXPECT_EQ(r.record.positions.mid(0, 3), (QVector<qint32>{100, 300, 400}));
  EXPECT_FLOAT_EQ(r.record.spectral_data[r.record.the_index(0, 0, 0)],
                  float(halvik_exsitu::spectral_value(0, 1, 0) + 1));
  EXPECT_FLOAT_EQ(r.record.spectral_data[r.record.the_index(1, 1, 3)],
                  float(halvik_exsitu::spectral_value(1, 1, 3)));  // kept from the earlier file
  EXPECT_FLOAT_EQ(r.record.spectral_data[r.record.the_index(2, 2, 5)],
                  float(halvik_exsitu::spectral_value(2, 3, 5) + 1));
}

TEST(HalvikExsituReadingTest, RefusalsSayWhy) {
  const auto lines_of = [](int positions, int count) {
    halvik_exsitu f = halvik_exsitu_with(positions);
    f.line_count = count;
    return halvik_exsitu_lines(f);
  };
  QStringList no_position_line = lines_of(3, 541);
  no_position_line[5] = "Position";
  QStringList one_comma = lines_of(3, 541);
  one_comma[5] = "Position,1";
  const struct {
    const char* name;
    QStringList lines;
    basics::point_predicate selected;
    QString refusal;
  } cases[] = {
      {"540 lines", lines_of(3, 540), kAll, "Length of file /in/a.tmp too small!"},
      {"541 lines", lines_of(3, 541), kAll, ""},
      {"52 positions", lines_of(52, 541), kAll,
       "Error: file a.csv holds 52 positions, a scan file takes 0 to 51; no scan file written."},
      {"no position line", no_position_line, kAll,
       "Error: line 6 of file a.csv lists no positions (they follow its second comma, and it has "
       "0); no scan file written."},
      {"bare newlines", QStringList(541, QString()), kAll,
       "Error: line 6 of file a.csv lists no positions (they follow its second comma, and it has "
       "0); no scan file written."},
      {"one comma", one_comma, kAll,
       "Error: line 6 of file a.csv lists no positions (they follow its second comma, and it has "
       "1); no scan file written."},
      {"nothing selected", lines_of(3, 541), [](int p) { return p > 3; },
       "Error: none of the 3 positions of file a.csv is selected; no scan file written."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(basics::halvik_exsitu_refusal(c.lines, "/in/a.tmp", "a.csv", c.selected).value_or(""),
              c.refusal);
  }
  // The last spectral line of a file of 541 lines is line 541.
  const reading r = read_exsitu(lines_of(3, 541), kAll);
  EXPECT_FLOAT_EQ(r.record.spectral_data[r.record.the_index(2, 2, 167)],
                  float(halvik_exsitu::spectral_value(2, 2, 167)));
}

TEST(HalvikExsituReadingTest, ARecordTooSmallIsRefusedUntouched) {
  scan_data record;
  basics::shape_record(record, 2, 3, 168, 305.0f, 1140.0f);
  const scan_data before = record;
  qint32 plate = 5;
  const std::string text = thrown_text([&] {
    basics::read_halvik_exsitu_lines(halvik_exsitu_lines(halvik_exsitu_with(3)), kWritten, kAll,
                                     record, plate, [](const QString&) {});
  });
  EXPECT_NE(text.find("cannot hold the 3 positions"), std::string::npos) << text;
  EXPECT_EQ(record, before);
  EXPECT_EQ(plate, 5);
}

TEST(HalvikInsituReadingTest, NinePositionsNumberedOneToNine) {
  test_support::halvik_insitu f;
  f.plate = "-12x";
  f.value = [](int i, int w) {
    if (i == 4 && w == 120) return QStringLiteral("n/a");
    return QString::number(test_support::halvik_insitu::spectral_value(i, w), 'f', 2);
  };
  const QStringList lines = test_support::halvik_insitu_lines(f);
  EXPECT_FALSE(basics::halvik_insitu_refusal(lines, "/in/b.tmp"));
  EXPECT_EQ(*basics::halvik_insitu_refusal(lines.mid(0, 138), "/in/b.tmp"),
            "Length of file /in/b.tmp too small!");

  scan_data record;
  basics::shape_halvik_insitu_record(record);
  qint32 plate = 0;
  QStringList messages;
  basics::read_halvik_insitu_lines(lines, kWritten, record, plate,
                                   [&](const QString& m) { messages << m; });
  EXPECT_EQ(plate, -12);
  EXPECT_EQ(messages, (QStringList{"Error: -12x could not be converted to a plate number.",
                                   "n/a could not be converted to a spectral value."}));
  EXPECT_EQ(record.no_positions, 9);
  EXPECT_EQ(record.positions, (QVector<qint32>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_FLOAT_EQ(record.spectral_data[record.the_index(8, 0, 120)],
                  float(test_support::halvik_insitu::spectral_value(8, 120)));
  EXPECT_FLOAT_EQ(record.spectral_data[record.the_index(4, 0, 120)], 0.0f);
  EXPECT_EQ(record.x_min[0], 380.0f);
  EXPECT_EQ(record.x_max[0], 980.0f);
}

}  // namespace
