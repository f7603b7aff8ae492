#include "basics/scan_data.h"

#include "basics/error.h"
#include "basics/ole_date.h"
#include "platform/env.h"
#include "support/fault_env.h"
#include "support/temp_tree.h"

#include <QDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace basics {
namespace {

using test_support::fixture;
using test_support::temp_tree;

// The little-endian value at `offset` of `bytes` (a failed expectation, and
// a zero, when it lies outside).
template <typename T>
T value_at(const QByteArray& bytes, qint64 offset) {
  const bool inside = offset >= 0 && offset + qint64(sizeof(T)) <= bytes.size();
  EXPECT_TRUE(inside) << "offset " << offset << " outside " << bytes.size() << " bytes";
  return inside ? qFromLittleEndian<T>(bytes.constData() + offset) : T{};
}

// A record whose every value tells where it came from: position p is
// 100 + p, its sheet resistance 0.5 + p, spectral value i is i + 0.25.
scan_data filled_record(qint32 n, qint32 s, qint32 m) {
  scan_data data;
  data.set_size(n, s, m);
  for (qint32 p = 0; p < n; ++p) {
    data.positions[p] = 100 + p;
    data.sheet_resistance[p] = 0.5f + float(p);
  }
  for (qint32 i = 0; i < s; ++i) {
    data.x_min[i] = 380.0f + float(i);
    data.x_max[i] = 980.0f + float(i);
    data.no_points[i] = m;
  }
  for (qsizetype i = 0; i < data.spectral_data.size(); ++i) {
    data.spectral_data[i] = float(i) + 0.25f;
  }
  data.time_of_measurement = 45366.4275;  // 15 March 2024, 10:15:36
  return data;
}

qint64 expected_file_size(qint64 n, qint64 s, qint64 m) {
  return 24 + 8 * n + 12 * s + 4 * n * s * m;
}

QStringList names_in(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// ---- The record ---------------------------------------------------------

TEST(ScanRecordTest, CreatedRecordIsEmptyWithFormatNearest12) {
  const scan_data created;
  EXPECT_EQ(created.no_positions, 0);
  EXPECT_EQ(created.no_spectra, 0);
  EXPECT_EQ(created.max_no_points, 0);
  EXPECT_TRUE(created.positions.isEmpty());
  EXPECT_TRUE(created.spectral_data.isEmpty());
  EXPECT_EQ(created.time_of_measurement, 0.0);
  float format = created.file_format;
  quint32 bits = 0;
  std::memcpy(&bits, &format, sizeof bits);
  EXPECT_EQ(bits, 0x3F99999Au);
}

TEST(ScanRecordTest, SetSizeKeepsRemainingValuesAndZeroFillsNewOnes) {
  scan_data data = filled_record(2, 1, 3);
  data.set_size(3, 2, 3);
  EXPECT_EQ(data.positions, (QVector<qint32>{100, 101, 0}));
  EXPECT_EQ(data.sheet_resistance, (QVector<float>{0.5f, 1.5f, 0.0f}));
  EXPECT_EQ(data.x_min, (QVector<float>{380.0f, 0.0f}));
  EXPECT_EQ(data.no_points, (QVector<qint32>{3, 0}));
  ASSERT_EQ(data.spectral_data.size(), 18);
  EXPECT_EQ(data.spectral_data[5], 5.25f);  // kept at its index
  EXPECT_EQ(data.spectral_data[6], 0.0f);   // new
}

TEST(ScanRecordTest, SetSizeRefusesNegativeAndOverflowingShapes) {
  const struct {
    qint32 n, s, m;
  } shapes[] = {{-1, 3, 121}, {33, -3, 121}, {33, 3, -1}, {65536, 65536, 2}, {2147483647, 2, 1}};
  for (const auto& shape : shapes) {
    scan_data data = filled_record(2, 1, 3);
    const scan_data before = data;
    EXPECT_THROW(data.set_size(shape.n, shape.s, shape.m), error) << shape.n << " " << shape.s;
    EXPECT_EQ(data, before);
  }
}

TEST(ScanRecordTest, TheIndexIsPositionMajorWithMSlotsPerSpectrum) {
  scan_data data;
  data.set_size(33, 3, 121);
  const struct {
    qint32 p, s, w, index;
  } cases[] = {{0, 0, 0, 0}, {0, 1, 0, 121}, {1, 0, 0, 363}, {1, 2, 5, 610}, {32, 2, 120, 11978}};
  for (const auto& c : cases) {
    EXPECT_EQ(data.the_index(c.p, c.s, c.w), c.index) << c.p << "," << c.s << "," << c.w;
  }
}

// ---- Writing: the layout -------------------------------------------------

TEST(ScanFileLayoutTest, CreatedRecordWritesVersionThreeZeroCountsAndTimeZero) {
  EXPECT_EQ(scan_file_bytes(scan_data()).toHex(' '),
            "9a 99 99 3f 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
}

TEST(ScanFileLayoutTest, ExsituShapeHasItsDocumentedOffsets) {
  const scan_data data = filled_record(33, 3, 121);
  const QByteArray bytes = scan_file_bytes(data);
  ASSERT_EQ(bytes.size(), 48240);
  EXPECT_EQ(value_at<quint32>(bytes, 0), 0x3F99999Au);
  EXPECT_EQ(value_at<qint32>(bytes, 4), 33);
  EXPECT_EQ(value_at<qint32>(bytes, 8), 3);
  EXPECT_EQ(value_at<qint32>(bytes, 12), 121);
  EXPECT_EQ(value_at<qint32>(bytes, 16), 100);     // first position
  EXPECT_EQ(value_at<qint32>(bytes, 144), 132);    // last position
  EXPECT_EQ(value_at<float>(bytes, 148), 0.5f);    // first sheet resistance
  EXPECT_EQ(value_at<float>(bytes, 276), 32.5f);   // last sheet resistance
  EXPECT_EQ(value_at<float>(bytes, 280), 380.0f);  // x_min of spectrum 0
  EXPECT_EQ(value_at<float>(bytes, 284), 980.0f);  // x_max of spectrum 0
  EXPECT_EQ(value_at<qint32>(bytes, 288), 121);    // no_points of spectrum 0
  EXPECT_EQ(value_at<float>(bytes, 304), 382.0f);  // x_min of spectrum 2
  EXPECT_EQ(value_at<float>(bytes, 316), 0.25f);   // first spectral value
  EXPECT_EQ(value_at<float>(bytes, 316 + 4 * data.the_index(1, 2, 5)), 610.25f);
  EXPECT_EQ(value_at<float>(bytes, 48228), 11978.25f);  // last spectral value
  EXPECT_EQ(value_at<double>(bytes, 48232), 45366.4275);
}

TEST(ScanFileLayoutTest, SizeFollowsTheShape) {
  const struct {
    qint32 n, s, m;
  } shapes[] = {{0, 0, 0}, {1, 1, 1},    {0, 3, 121}, {4, 0, 121},
                {2, 5, 0}, {12, 3, 121}, {51, 4, 200}};
  for (const auto& shape : shapes) {
    const QByteArray bytes = scan_file_bytes(filled_record(shape.n, shape.s, shape.m));
    const qint64 time_offset = bytes.size() - 8;
    EXPECT_EQ(bytes.size(), expected_file_size(shape.n, shape.s, shape.m))
        << shape.n << "x" << shape.s << "x" << shape.m;
    EXPECT_EQ(value_at<double>(bytes, time_offset), 45366.4275);
  }
}

// Which optional blocks a version carries is decided in double precision:
// the floats nearest 1.2 and 1.1 lie just above their decimals and pass, the
// float just below them does not.
TEST(ScanFileLayoutTest, VersionDecidesTheOptionalBlocks) {
  const struct {
    float version;
    bool sheet_resistances;
    bool time;
  } cases[] = {
      {1.2f, true, true},   {std::nextafter(1.2f, 0.0f), false, true},
      {1.1f, false, true},  {std::nextafter(1.1f, 0.0f), false, false},
      {1.0f, false, false}, {2.0f, true, true},
  };
  const qint32 n = 2, s = 1, m = 3;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version);
    EXPECT_EQ(has_sheet_resistances(c.version), c.sheet_resistances);
    EXPECT_EQ(has_time_of_measurement(c.version), c.time);

    scan_data data = filled_record(n, s, m);
    data.file_format = c.version;
    const QByteArray bytes = scan_file_bytes(data);
    EXPECT_EQ(bytes.size(), 16 + 4 * n + (c.sheet_resistances ? 4 * n : 0) + 12 * s +
                                4 * n * s * m + (c.time ? 8 : 0));
    EXPECT_EQ(value_at<float>(bytes, 0), c.version);
    const qint64 spectra_at = 16 + 4 * n + (c.sheet_resistances ? 4 * n : 0);
    EXPECT_EQ(value_at<float>(bytes, spectra_at), 380.0f);

    scan_data loaded;
    read_scan_file_bytes(bytes, 1.0, loaded);
    EXPECT_EQ(loaded.spectral_data, data.spectral_data);
    EXPECT_EQ(loaded.time_of_measurement, c.time ? 45366.4275 : 1.0);
  }
}

TEST(ScanFileLayoutTest, LoweredPositionCountWritesOnlyTheFirstPositions) {
  scan_data data = filled_record(33, 3, 121);
  data.no_positions = 10;
  const QByteArray bytes = scan_file_bytes(data);
  ASSERT_EQ(bytes.size(), expected_file_size(10, 3, 121));
  EXPECT_EQ(value_at<qint32>(bytes, 4), 10);
  EXPECT_EQ(value_at<qint32>(bytes, 16 + 4 * 9), 109);          // last position
  EXPECT_EQ(value_at<float>(bytes, 56), 0.5f);                  // sheet resistances follow
  EXPECT_EQ(value_at<float>(bytes, 96), 380.0f);                // then the spectra
  EXPECT_EQ(value_at<float>(bytes, 132 + 4 * 3629), 3629.25f);  // last value of position 9
  EXPECT_EQ(value_at<double>(bytes, bytes.size() - 8), 45366.4275);
}

TEST(ScanFileLayoutTest, SlotsBeyondASpectrumsPointsAreWritten) {
  scan_data data;
  data.set_size(1, 2, 5);
  data.no_points = {3, 2};
  data.spectral_data[data.the_index(0, 0, 4)] = 4.5f;  // beyond point 3 of spectrum 0
  data.spectral_data[data.the_index(0, 1, 0)] = 7.5f;
  const QByteArray bytes = scan_file_bytes(data);
  ASSERT_EQ(bytes.size(), expected_file_size(1, 2, 5));
  const qint64 values_at = 16 + 8 + 24;
  EXPECT_EQ(value_at<qint32>(bytes, 16 + 8 + 8), 3);
  EXPECT_EQ(value_at<float>(bytes, values_at + 4 * 4), 4.5f);
  EXPECT_EQ(value_at<float>(bytes, values_at + 4 * 5), 7.5f);
}

// The writers trust the counts, so counts beyond the arrays must never make
// them read past an array's end.
TEST(ScanFileLayoutTest, CountsBeyondTheArraysAreRefused) {
  const auto raised = [](auto change) {
    scan_data data = filled_record(3, 2, 4);
    change(data);
    EXPECT_THROW(scan_file_bytes(data), error);
    EXPECT_THROW(partial_scan_file_bytes(data, 1, 1), error);
  };
  raised([](scan_data& d) { d.no_positions = 4; });
  raised([](scan_data& d) { d.no_positions = -1; });
  raised([](scan_data& d) { d.no_spectra = 3; });
  raised([](scan_data& d) { d.max_no_points = 5; });
  raised([](scan_data& d) { d.sheet_resistance.resize(2); });
  raised([](scan_data& d) { d.no_points.resize(1); });
}

// ---- Writing: partial files ---------------------------------------------

TEST(PartialScanFileTest, PartsAreConsecutiveRunsWithoutTime) {
  const qint32 s = 2, m = 3;
  const struct {
    qint32 n, parts;
    std::vector<qint32> sizes;
  } cases[] = {
      {40, 3, {14, 14, 12}}, {40, 4, {10, 10, 10, 10}},
      {10, 4, {3, 3, 3, 1}}, {10, 2, {5, 5}},
      {12, 1, {12}},         {1, 1, {1}},
  };
  for (const auto& c : cases) {
    const scan_data data = filled_record(c.n, s, m);
    qint32 first = 0;
    for (qint32 part = 1; part <= c.parts; ++part) {
      SCOPED_TRACE(testing::Message() << c.n << " positions, part " << part << " of " << c.parts);
      const qint32 n = c.sizes[part - 1];
      const QByteArray bytes = partial_scan_file_bytes(data, part, c.parts);
      ASSERT_EQ(bytes.size(), expected_file_size(n, s, m) - 8);
      EXPECT_EQ(value_at<qint32>(bytes, 4), n);
      EXPECT_EQ(value_at<qint32>(bytes, 16), 100 + first);
      EXPECT_EQ(value_at<float>(bytes, 16 + 4 * n), 0.5f + float(first));
      EXPECT_EQ(value_at<float>(bytes, 16 + 8 * n + 12 * s), float(first * s * m) + 0.25f);
      EXPECT_EQ(value_at<float>(bytes, bytes.size() - 4), float((first + n) * s * m - 1) + 0.25f);
      first += n;
    }
    EXPECT_EQ(first, c.n);
  }
}

TEST(PartialScanFileTest, TwelvePositionsOfTheExsituShapeMake17572Bytes) {
  const scan_data data = filled_record(36, 3, 121);
  const QByteArray bytes = partial_scan_file_bytes(data, 2, 3);
  ASSERT_EQ(bytes.size(), 17572);
  EXPECT_EQ(value_at<float>(bytes, 17568), float(24 * 363 - 1) + 0.25f);
}

TEST(PartialScanFileTest, RequestsForMissingOrEmptyPartsAreRefused) {
  const struct {
    qint32 n, part, parts;
  } cases[] = {
      {5, 1, 4},  // runs of 2 cover 5 positions in 3 parts: part 4 would be empty
      {5, 4, 4}, {10, 0, 4}, {10, 5, 4}, {10, 1, 0}, {10, -1, -2}, {0, 1, 1}, {-3, 1, 1},
  };
  for (const auto& c : cases) {
    scan_data data = filled_record(std::max(c.n, 0), 1, 2);
    data.no_positions = c.n;
    EXPECT_THROW(partial_scan_file_bytes(data, c.part, c.parts), error)
        << c.n << " positions, part " << c.part << " of " << c.parts;
  }
}

// ---- Reading -------------------------------------------------------------

TEST(ScanFileReadingTest, WrittenRecordReadsBackUnchanged) {
  const scan_data written = filled_record(33, 3, 121);
  scan_data loaded;
  read_scan_file_bytes(scan_file_bytes(written), 1.0, loaded);
  EXPECT_EQ(loaded, written);
}

TEST(ScanFileReadingTest, KeepsTheRecordsOwnFormat) {
  scan_data loaded;
  read_scan_file_bytes(fixture("scan_v10.scn"), 1.0, loaded);
  EXPECT_EQ(loaded.file_format, kScanFileFormat);
}

// scan_v10.scn: version 1.0, 2 positions, 1 spectrum of 3 points; no sheet
// resistances, no time.
TEST(ScanFileReadingTest, Version10FileHasNoSheetResistancesAndNoTime) {
  scan_data loaded;
  read_scan_file_bytes(fixture("scan_v10.scn"), 44000.5, loaded);
  EXPECT_EQ(loaded.positions, (QVector<qint32>{10, 20}));
  EXPECT_EQ(loaded.sheet_resistance, (QVector<float>{0.0f, 0.0f}));
  EXPECT_EQ(loaded.x_min, QVector<float>{380.0f});
  EXPECT_EQ(loaded.x_max, QVector<float>{980.0f});
  EXPECT_EQ(loaded.no_points, QVector<qint32>{3});
  EXPECT_EQ(loaded.spectral_data, (QVector<float>{0.5f, 1.5f, 2.5f, 3.5f, 4.5f, 5.5f}));
  EXPECT_EQ(loaded.time_of_measurement, 44000.5);
}

// scan_v11.scn: version 1.1, 2 positions, 2 spectra of 3 slots (the second
// using 2), no sheet resistances, time 45366.4275.
TEST(ScanFileReadingTest, Version11FileHasTimeButNoSheetResistances) {
  scan_data loaded;
  read_scan_file_bytes(fixture("scan_v11.scn"), 1.0, loaded);
  EXPECT_EQ(loaded.no_positions, 2);
  EXPECT_EQ(loaded.no_spectra, 2);
  EXPECT_EQ(loaded.max_no_points, 3);
  EXPECT_EQ(loaded.positions, (QVector<qint32>{-5, 5}));
  EXPECT_EQ(loaded.sheet_resistance, (QVector<float>{0.0f, 0.0f}));
  EXPECT_EQ(loaded.x_min, (QVector<float>{400.0f, 380.0f}));
  EXPECT_EQ(loaded.x_max, (QVector<float>{800.0f, 980.0f}));
  EXPECT_EQ(loaded.no_points, (QVector<qint32>{3, 2}));
  ASSERT_EQ(loaded.spectral_data.size(), 12);
  for (int k = 0; k < 12; ++k) EXPECT_EQ(loaded.spectral_data[k], 0.25f * float(k));
  EXPECT_EQ(loaded.time_of_measurement, 45366.4275);
}

TEST(ScanFileReadingTest, PartialFileLoadsCompletelyWithTheLoadTime) {
  const scan_data data = filled_record(10, 2, 3);
  scan_data loaded;
  read_scan_file_bytes(partial_scan_file_bytes(data, 4, 4), 44000.5, loaded);
  EXPECT_EQ(loaded.positions, QVector<qint32>{109});
  EXPECT_EQ(loaded.sheet_resistance, QVector<float>{9.5f});
  EXPECT_EQ(loaded.spectral_data.first(), 54.25f);
  EXPECT_EQ(loaded.time_of_measurement, 44000.5);
}

// ---- Files ---------------------------------------------------------------

class ScanFileTest : public testing::Test {
 protected:
  temp_tree tree_;
  platform::FaultEnv fault_;
  platform::ScopedEnv use_fault_{&fault_};
};

TEST_F(ScanFileTest, SavedFileLoadsBackUnchanged) {
  const scan_data written = filled_record(33, 3, 121);
  const QString target = tree_.path("new/4711.scn");
  tree_.make_folder("new");
  written.savetofile(target);
  EXPECT_EQ(tree_.read("new/4711.scn"), scan_file_bytes(written));
  EXPECT_EQ(names_in(tree_.path("new")), QStringList{"4711.scn"});

  scan_data loaded;
  loaded.loadfromfile(target);
  EXPECT_EQ(loaded, written);
}

TEST_F(ScanFileTest, SavingOverALongerFileReplacesItCompletely) {
  const QString target = tree_.write("1.scn", QByteArray(100000, '\xff'));
  scan_data().savetofile(target);
  EXPECT_EQ(tree_.read("1.scn"), scan_file_bytes(scan_data()));
}

TEST_F(ScanFileTest, PartsAreWrittenUnderTheirNames) {
  const scan_data data = filled_record(10, 2, 3);
  for (qint32 part = 1; part <= 4; ++part) {
    data.save_partially_to_file(tree_.path(QStringLiteral("7.sc%1").arg(part)), part, 4);
  }
  for (qint32 part = 1; part <= 4; ++part) {
    EXPECT_EQ(tree_.read(QStringLiteral("7.sc%1").arg(part)),
              partial_scan_file_bytes(data, part, 4));
  }
}

TEST_F(ScanFileTest, FailingWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
  const QByteArray old_file = scan_file_bytes(filled_record(2, 1, 3));
  const QString target = tree_.write("4711.scn", old_file);
  fault_.fail_writes_after(1000, tree_.path());
  try {
    filled_record(33, 3, 121).savetofile(target);
    FAIL() << "the failed write was not reported";
  } catch (const error& e) {
    EXPECT_TRUE(e.text().contains(target)) << e.text().toStdString();
    EXPECT_TRUE(e.text().contains("No space left on device")) << e.text().toStdString();
  }
  EXPECT_EQ(tree_.read("4711.scn"), old_file);
  EXPECT_EQ(names_in(tree_.path()), QStringList{"4711.scn"});
}

TEST_F(ScanFileTest, MissingTargetFolderIsAnError) {
  const QString target = tree_.path("gone/4711.scn");
  try {
    scan_data().savetofile(target);
    FAIL() << "writing into a missing folder was not reported";
  } catch (const error& e) {
    EXPECT_TRUE(e.text().contains(target)) << e.text().toStdString();
  }
  EXPECT_FALSE(tree_.exists("gone"));
}

TEST_F(ScanFileTest, RefusedPartWritesNothing) {
  const QByteArray old_file = scan_file_bytes(scan_data());
  const QString target = tree_.write("7.sc4", old_file);
  try {
    filled_record(5, 1, 2).save_partially_to_file(target, 4, 4);
    FAIL() << "an empty part was written";
  } catch (const error& e) {
    EXPECT_TRUE(e.text().contains(target)) << e.text().toStdString();
    EXPECT_TRUE(e.text().contains("5 positions")) << e.text().toStdString();
  }
  EXPECT_EQ(tree_.read("7.sc4"), old_file);
  EXPECT_EQ(names_in(tree_.path()), QStringList{"7.sc4"});
}

TEST_F(ScanFileTest, FileWithoutTimeGetsTheLoadTime) {
  fault_.set_now(QDateTime(QDate(2024, 3, 15), QTime(12, 0)));
  scan_data loaded;
  loaded.loadfromfile(tree_.write("old.scn", fixture("scan_v10.scn")));
  EXPECT_EQ(loaded.time_of_measurement, 45366.5);
}

// Each fixture is a small version-1.2 file (2 positions, 1 spectrum of 3
// points, 76 bytes when whole) broken in one way.
TEST_F(ScanFileTest, DamagedFilesAreRefusedAndLeaveTheRecordUnchanged) {
  const struct {
    const char* fixture;
    const char* reason;
  } cases[] = {
      {"scan_short_header.scn", "It holds 10 bytes, fewer than the 16 of its header."},
      {"scan_truncated.scn", "need 68 bytes, but it holds only 62."},
      {"scan_lying_count.scn", "(1000000 positions, 3 spectra, 121 points) need"},
      {"scan_negative_count.scn", "It gives a negative count (-1 positions, 1 spectra, 3 points)."},
      {"scan_huge_counts.scn", "are too large for a scan record."},
      {"scan_garbage.scn", "are too large for a scan record."},
      {"scan_time_cut.scn", "It ends inside its time of measurement."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    const QString path = tree_.write(c.fixture, fixture(c.fixture));
    scan_data record = filled_record(2, 2, 2);
    const scan_data before = record;
    try {
      record.loadfromfile(path);
      ADD_FAILURE() << "a damaged file was loaded";
    } catch (const error& e) {
      EXPECT_TRUE(e.text().startsWith("The scan file " + path + " cannot be read."))
          << e.text().toStdString();
      EXPECT_TRUE(e.text().contains(c.reason)) << e.text().toStdString();
    }
    EXPECT_EQ(record, before);
  }
}

TEST_F(ScanFileTest, MissingFileIsAnErrorNamingIt) {
  const QString path = tree_.path("none.scn");
  scan_data record;
  try {
    record.loadfromfile(path);
    FAIL() << "a missing file was loaded";
  } catch (const error& e) {
    EXPECT_TRUE(e.text().contains(path)) << e.text().toStdString();
  }
}

// ---- OLE Automation dates ------------------------------------------------

TEST(OleDateTest, LocalDateAndTimeMapToDaysSince30December1899) {
  const struct {
    QDate date;
    QTime time;
    double days;
  } cases[] = {
      {{1899, 12, 30}, {0, 0}, 0.0},
      {{1899, 12, 30}, {12, 0}, 0.5},
      {{1899, 12, 31}, {18, 0}, 1.75},
      {{1900, 1, 1}, {0, 0}, 2.0},
      {{2024, 3, 15}, {10, 15, 36}, 45366.4275},
      {{1899, 12, 29}, {6, 0}, -1.25},  // before the epoch the fraction still counts forwards
      {{1899, 12, 28}, {0, 0}, -2.0},
  };
  for (const auto& c : cases) {
    const QDateTime local(c.date, c.time);
    SCOPED_TRACE(local.toString(Qt::ISODate).toStdString());
    EXPECT_NEAR(ole_date_from(local), c.days, 1e-9);
    EXPECT_EQ(date_time_from_ole(c.days), local);
  }
}

TEST(OleDateTest, RoundsToTheMillisecondAcrossMidnight) {
  EXPECT_EQ(date_time_from_ole(45366.0 - 1e-10), QDateTime(QDate(2024, 3, 15), QTime(0, 0)));
  const QDateTime with_msecs(QDate(2024, 3, 15), QTime(23, 59, 59, 999));
  EXPECT_EQ(date_time_from_ole(ole_date_from(with_msecs)), with_msecs);
}

TEST(OleDateTest, ValuesOutsideTheDateTypeAreInvalid) {
  const double kInfinity = std::numeric_limits<double>::infinity();
  for (const double days : {std::nan(""), kInfinity, -kInfinity, -657435.0, 2958466.0, 1e300}) {
    EXPECT_FALSE(date_time_from_ole(days).isValid()) << days;
  }
  EXPECT_TRUE(date_time_from_ole(-657434.0).isValid());  // 1 January 100
  EXPECT_TRUE(date_time_from_ole(2958465.5).isValid());  // 31 December 9999, noon
  EXPECT_EQ(ole_date_from(QDateTime()), 0.0);
}

}  // namespace
}  // namespace basics
