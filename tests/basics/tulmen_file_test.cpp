// The TULMEN traverse file: the take-a-field header rule, the two spectra,
// the product window and the files that must be refused.

#include <QDate>
#include <QDateTime>

#include <gtest/gtest.h>

#include "basics/error.h"
#include "basics/ole_date.h"
#include "basics/tulmen_file.h"
#include "support/tulmen_file.h"

namespace {

using test_support::tulmen_lines;
using test_support::tulmen_measurement;

const QString kNumberMessage = QStringLiteral(" could not be converted to a number");
const QDateTime kWritten(QDate(2024, 3, 5), QTime(14, 7, 9));

struct read_result {
  basics::scan_data record;
  basics::tulmen_wavelengths wavelengths{};
  // Everything said, in order; and only what was said as a fault of the file.
  QStringList messages;
  QStringList problems;
  float largest = 0;

  explicit read_result(const basics::scan_data* carried = nullptr) {
    if (carried) {
      record = *carried;
    } else {
      basics::shape_tulmen_record(record);
    }
  }
  void read(const tulmen_measurement& m) {
    const basics::tulmen_sinks say{[this](const QString& text) {
                                     messages << text;
                                     problems << text;
                                   },
                                   [this](const QString& text) { messages << text; }};
    largest = basics::read_tulmen_lines(tulmen_lines(m), kWritten, record, wavelengths, say);
  }
};

TEST(TulmenFileTest, HeaderIsTakenFieldByFieldFromTheLeft) {
  const struct {
    QStringList fields;
    QVector<qint32> positions;
    QStringList messages;
    QStringList problems;
  } cases[] = {
      // Both passes end on the empty text after the last comma, which is
      // no fault of the file.
      {{"10", "20", "30"}, {10, 20, 30}, {kNumberMessage, kNumberMessage}, {}},
      {{"15"}, {15}, {kNumberMessage, kNumberMessage}, {}},
      // A blank before a number is accepted, one after it ends the count;
      // the rest of the line then fills the last slot.
      {{" 10", "20 ", "30"},
       {10, 30},
       {"20 " + kNumberMessage, "20 " + kNumberMessage},
       {"20 " + kNumberMessage, "20 " + kNumberMessage}},
      // An empty field between two commas is a fault, though its text is
      // the same as that of the header's end.
      {{"10", "", "30"},
       {10, 30},
       {kNumberMessage, kNumberMessage},
       {kNumberMessage, kNumberMessage}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fields.join(',').toStdString());
    tulmen_measurement m;
    m.positions = c.fields;
    read_result result;
    result.read(m);
    EXPECT_EQ(result.record.no_positions, c.positions.size());
    EXPECT_EQ(result.record.positions.mid(0, c.positions.size()), c.positions);
    EXPECT_EQ(result.messages, c.messages);
    EXPECT_EQ(result.problems, c.problems);
  }
}

TEST(TulmenFileTest, SpectraWavelengthsAndTimeAreRead) {
  tulmen_measurement m;
  read_result result;
  result.read(m);
  const basics::scan_data& r = result.record;
  EXPECT_EQ(r.no_spectra, 2);
  EXPECT_EQ(r.max_no_points, 261);
  for (int s = 0; s < 2; ++s) {
    EXPECT_EQ(r.x_min[s], 380.0f);
    EXPECT_EQ(r.x_max[s], 1680.0f);
    EXPECT_EQ(r.no_points[s], 261);
    for (int i : {0, 130, 260})
      for (int j = 0; j < 3; ++j)
        EXPECT_EQ(r.spectral_data[r.the_index(j, s, i)], float(m.value(s, i, j).toDouble()))
            << s << " " << i << " " << j;
  }
  EXPECT_EQ(result.wavelengths[0], 380.0f);
  EXPECT_EQ(result.wavelengths[260], 1680.0f);
  // Dated by the file, at two-second resolution, never the epoch.
  EXPECT_EQ(basics::date_time_from_ole(r.time_of_measurement),
            QDateTime(QDate(2024, 3, 5), QTime(14, 7, 8)));
}

TEST(TulmenFileTest, FirstBlockLineWithoutItsLastCommaKeepsThatSlot) {
  read_result first;
  first.read(tulmen_measurement());

  tulmen_measurement changed;
  changed.value = [](int s, int i, int j) {
    return QString::number(tulmen_measurement::spectral_value(s, i, j) + 100, 'f', 3);
  };
  changed.without_last_comma = {5};
  read_result second(&first.record);
  second.read(changed);

  const basics::scan_data& r = second.record;
  EXPECT_EQ(second.messages.count(kNumberMessage), 3);  // two in the header, one here
  EXPECT_EQ(r.spectral_data[r.the_index(2, 0, 5)],
            float(tulmen_measurement().value(0, 5, 2).toDouble()));
  EXPECT_EQ(r.spectral_data[r.the_index(1, 0, 5)], float(changed.value(0, 5, 1).toDouble()));
  EXPECT_EQ(r.spectral_data[r.the_index(2, 0, 6)], float(changed.value(0, 6, 2).toDouble()));
}

TEST(TulmenFileTest, LargestFirstPositionValueInsideTheWindowTellsTheProduct) {
  // Point i lies at 380 + 5 i nm: 24 is 500 nm, 224 is 1500 nm.
  const struct {
    const char* name;
    std::function<QString(int i)> first_position;
    const char* product;
  } cases[] = {
      {"0.26", [](int i) { return i == 100 ? "0.26" : "0.1"; }, "Production"},
      {"0.27 stored above 0.27", [](int i) { return i == 100 ? "0.27" : "0.1"; },
       "SiO2 production"},
      {"window ends excluded", [](int i) { return i == 24 || i == 224 ? "5" : "0.1"; },
       "Production"},
      {"no value in the window", [](int i) { return i < 25 || i > 223 ? "5" : "x"; }, "Production"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    tulmen_measurement m;
    const auto first = c.first_position;
    m.value = [first](int s, int i, int j) {
      return s == 0 && j == 0 ? first(i) : QStringLiteral("9");
    };
    read_result result;
    result.read(m);
    EXPECT_EQ(basics::tulmen_product(result.largest), QString::fromLatin1(c.product));
  }
  read_result none;
  tulmen_measurement m;
  m.value = [](int s, int, int j) { return s == 0 && j == 0 ? "x" : "1"; };
  none.read(m);
  EXPECT_EQ(none.largest, -1.0f);
}

TEST(TulmenFileTest, ShortAndOverfullFilesAreRefused) {
  const QString path = QStringLiteral("/in/a_export.csv");
  const QString too_small = "Length of file " + path + " too small!";
  const struct {
    int lines;
    int positions;
    bool measurement;
    QString refusal;
  } cases[] = {
      {500, 3, false, {}},
      {501, 3, true, too_small},
      {819, 3, true, too_small},
      {820, 40, true, {}},
      {820, 41, true,
       "Error: file " + path +
           " holds 41 positions, a scan file takes 1 to 40; no scan file "
           "written."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    SCOPED_TRACE(c.positions);
    tulmen_measurement m;
    m.lines = c.lines;
    m.positions = test_support::tulmen_positions(c.positions);
    const QStringList lines = tulmen_lines(m);
    EXPECT_EQ(basics::tulmen_has_measurement(lines), c.measurement);
    EXPECT_EQ(basics::tulmen_refusal(lines, path).value_or(QString()), c.refusal);
  }
  // A comma after the fortieth position adds no forty-first.
  tulmen_measurement trailing;
  trailing.positions = test_support::tulmen_positions(40) << QString();
  EXPECT_EQ(basics::tulmen_header_positions(tulmen_lines(trailing)), 40);
  EXPECT_FALSE(basics::tulmen_refusal(tulmen_lines(trailing), path));
}

TEST(TulmenFileTest, RecordOfAnotherShapeIsRefusedUntouched) {
  basics::scan_data record;
  basics::shape_record(record, 33, 3, 121, 380, 980);
  const basics::scan_data before = record;
  basics::tulmen_wavelengths wavelengths{};
  EXPECT_THROW(
      basics::read_tulmen_lines(tulmen_lines(tulmen_measurement()), kWritten, record, wavelengths,
                                {[](const QString&) {}, [](const QString&) {}}),
      basics::error);
  EXPECT_EQ(record, before);
}

}  // namespace
