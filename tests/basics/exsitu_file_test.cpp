#include "basics/exsitu_file.h"

#include "basics/error.h"
#include "support/exsitu_file.h"

#include <gtest/gtest.h>

namespace {

using basics::scan_data;

// The reader writes into the record by index; a record shaped for fewer
// positions or spectra than the file gives must be refused before anything
// is written, never overrun.
TEST(ExsituFileReadingTest, RecordTooSmallForTheFileIsRefusedUntouched) {
  const QStringList lines = test_support::exsitu_lines(test_support::plate_with(3, "12"));
  const auto shaped = [](qint32 positions, qint32 spectra, qint32 points) {
    scan_data record;
    basics::shape_record(record, positions, spectra, points, 380.0f, 980.0f);
    return record;
  };
  scan_data slots_short = shaped(33, 3, 121);
  slots_short.max_no_points = 100;  // no_points 121 beyond the slots
  const struct {
    const char* name;
    scan_data record;
  } cases[] = {
      {"created only", scan_data()},
      {"two positions", shaped(2, 3, 121)},
      {"two spectra", shaped(33, 2, 121)},
      {"points beyond the slots", slots_short},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scan_data record = c.record;
    qint32 plate = 7;
    QStringList messages;
    EXPECT_THROW(basics::read_exsitu_lines(
                     lines, QDateTime::currentDateTime(), [](int) { return true; }, record, plate,
                     [&](const QString& m) { messages << m; }),
                 basics::error);
    EXPECT_EQ(record, c.record);
    EXPECT_EQ(plate, 7);
    EXPECT_TRUE(messages.isEmpty());
  }
}

TEST(ExsituFileReadingTest, ExsituRecordHoldsTheLargestFile) {
  scan_data record;
  basics::shape_exsitu_record(record);
  qint32 plate = 0;
  const QStringList lines = test_support::exsitu_lines(test_support::plate_with(33, "12"));
  ASSERT_FALSE(basics::exsitu_refusal(lines, "p", "n"));
  basics::read_exsitu_lines(
      lines, QDateTime(QDate(2024, 3, 4), QTime(10, 15, 37)), [](int) { return true; }, record,
      plate, [](const QString& m) { ADD_FAILURE() << m.toStdString(); });
  EXPECT_EQ(basics::scan_file_bytes(record),
            test_support::expected_scan_file(test_support::plate_with(33, "12"),
                                             QDateTime(QDate(2024, 3, 4), QTime(10, 15, 36))));
  EXPECT_EQ(plate, 12);
}

}  // namespace
