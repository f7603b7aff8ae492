// The history of handled files: JSON lines in one file per day, read back
// newest first, with damaged lines skipped.

#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "basics/history_file.h"
#include "support/temp_tree.h"

namespace {

using basics::history_record;
using basics::history_result;

history_record record_at(const QDateTime& time, const QString& input,
                         history_result result = history_result::converted) {
  history_record r;
  r.time = time;
  r.input = input;
  r.input_folder = QStringLiteral("/in/");
  r.plate = 1234;
  r.result = result;
  r.message = QStringLiteral("Converted into /out/1234.scn.");
  r.output = QStringLiteral("/out/1234.scn");
  r.archive = QStringLiteral("/arch/exsitu_1234.csv");
  return r;
}

TEST(HistoryFileTest, EveryResultAndFieldSurvivesTheLine) {
  const QDateTime time(QDate(2024, 3, 5), QTime(14, 7, 9, 250));
  for (const history_result result : {history_result::converted, history_result::refused,
                                      history_result::set_aside, history_result::error}) {
    history_record r = record_at(time, QStringLiteral("plate \"7\"\n\u00e4.csv"), result);
    SCOPED_TRACE(basics::result_word(result).toStdString());
    const QByteArray line = basics::history_line(r);
    EXPECT_FALSE(line.contains('\n'));  // one record, one line
    EXPECT_EQ(basics::parse_history_line(line), r);
    r.plate.reset();
    EXPECT_EQ(basics::parse_history_line(basics::history_line(r)), r);
  }
}

TEST(HistoryFileTest, LineIsPlainJsonWithTheDocumentedFields) {
  const QDateTime time(QDate(2024, 3, 5), QTime(14, 7, 9));
  const QJsonObject object =
      QJsonDocument::fromJson(basics::history_line(record_at(time, "a.csv"))).object();
  EXPECT_EQ(object.keys(), (QStringList{"archive", "input", "input_folder", "message", "output",
                                        "plate", "result", "time"}));
  EXPECT_TRUE(object.value("time").toString().startsWith("2024-03-05T14:07:09.000"));
  EXPECT_EQ(object.value("plate").toInt(), 1234);
  EXPECT_EQ(object.value("result").toString(), "converted");
}

TEST(HistoryFileTest, LinesThatAreNoRecordAreRefused) {
  for (const char* line : {"", "{", "[1,2]", "{\"time\":\"2024-03-05T14:07:09\"}",
                           "{\"time\":\"yesterday\",\"result\":\"converted\"}",
                           "{\"time\":\"2024-03-05T14:07:09\",\"result\":\"lost\"}",
                           "{\"time\":\"2024-03-05T14:07:09\",\"result\":\"converted\",\"inp"}) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(basics::parse_history_line(QByteArray(line)).has_value());
  }
}

TEST(HistoryFileTest, AppendedRecordsReadBackNewestFirstAcrossDays) {
  test_support::temp_tree tree;
  const QString folder = tree.path("user/history");
  tree.make_folder("user");
  const QDateTime monday(QDate(2024, 3, 4), QTime(23, 59, 0));
  const QDateTime tuesday(QDate(2024, 3, 5), QTime(0, 1, 0));
  basics::history_writer writer(folder);
  ASSERT_TRUE(writer.append(record_at(monday, "1.csv")).ok());
  ASSERT_TRUE(writer.append(record_at(tuesday, "2.csv")).ok());
  ASSERT_TRUE(writer.append(record_at(tuesday.addSecs(5), "3.csv")).ok());
  EXPECT_TRUE(tree.exists("user/history/2024-03-04.jsonl"));
  EXPECT_TRUE(tree.exists("user/history/2024-03-05.jsonl"));

  const auto inputs = [](const QList<history_record>& records) {
    QStringList names;
    for (const history_record& r : records) names << r.input;
    return names;
  };
  EXPECT_EQ(inputs(basics::read_history(folder, 10)), (QStringList{"3.csv", "2.csv", "1.csv"}));
  EXPECT_EQ(inputs(basics::read_history(folder, 2)), (QStringList{"3.csv", "2.csv"}));
  EXPECT_TRUE(basics::read_history(tree.path("nothing"), 10).isEmpty());
}

// A line cut short by a full disk, or edited by hand, costs that line only.
TEST(HistoryFileTest, DamagedLinesAreSkippedAndCounted) {
  test_support::temp_tree tree;
  const QDateTime time(QDate(2024, 3, 5), QTime(9, 0, 0));
  tree.write("history/2024-03-05.jsonl",
             basics::history_line(record_at(time, "1.csv")) + "\n{\"time\":\"2024-03\n\n" +
                 "\xff\xfe garbage\n" + basics::history_line(record_at(time.addSecs(1), "2.csv")) +
                 "\n{\"time\":\"2024-03-05T09:00:02\",\"resu");
  int skipped = -1;
  const QList<history_record> records = basics::read_history(tree.path("history"), 10, &skipped);
  ASSERT_EQ(records.size(), 2);
  EXPECT_EQ(records[0].input, "2.csv");
  EXPECT_EQ(records[1].input, "1.csv");
  EXPECT_EQ(skipped, 3);

  // Appending after a cut line starts a line of its own.
  basics::history_writer writer(tree.path("history"));
  ASSERT_TRUE(writer.append(record_at(time.addSecs(9), "3.csv")).ok());
  EXPECT_EQ(basics::read_history(tree.path("history"), 10).value(0).input, "3.csv");
}

}  // namespace
