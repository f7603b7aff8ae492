// The history of handled files: JSON lines in one file per day, read back
// newest first, with damaged lines skipped.

#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "basics/history_file.h"
#include "platform/env.h"
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

TEST(HistoryFileTest, OnlyAConvertedFileIsCalmInTheJournal) {
  const std::pair<history_result, platform::severity> cases[] = {
      {history_result::converted, platform::severity::info},
      {history_result::refused, platform::severity::error},
      {history_result::set_aside, platform::severity::error},
      {history_result::error, platform::severity::error},
  };
  for (const auto& [result, severity] : cases) {
    EXPECT_EQ(basics::journal_severity(result), severity) << static_cast<int>(result);
  }
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

// What a reader says of a field that is no number, as a file of thousands
// of "n.a." values fills the board with it.
QString unreadable(int n) {
  return QStringLiteral(
             "T, Pos. 1  , spectral pos. %1   n.a. could not be converted to a "
             "spectral value.")
      .arg(n);
}

QStringList numbered(const QString& stem, int count) {
  QStringList lines;
  for (int n = 1; n <= count; ++n) lines << stem + QString::number(n) + u'.';
  return lines;
}

QString message_of(const QStringList& lines) {
  basics::message_lines message;
  for (const QString& line : lines) message.add(line);
  return message.text();
}

TEST(HistoryFileTest, MessageKeepsTheFirstAndLastLinesAndCountsTheOthers) {
  QStringList values;
  for (int n = 1; n <= 12000; ++n) values << unreadable(n);
  const QStringList first = values.mid(0, basics::kMessageFirstLines);
  const QStringList last = values.mid(12000 - basics::kMessageLastLines);
  const struct {
    const char* name;
    QStringList said;
    QString expected;
  } cases[] = {
      {"a few lines, all of them", numbered("Line ", 4), numbered("Line ", 4).join(' ')},
      {"as many as are kept", numbered("Line ", 13), numbered("Line ", 13).join(' ')},
      {"one line more", numbered("Line ", 14),
       (numbered("Line ", 10) + QStringList{"\u2026 and 1 more line."} +
        numbered("Line ", 14).mid(11))
           .join(' ')},
      {"twelve thousand unreadable values", values,
       (first + QStringList{"\u2026 and 11,987 more values could not be read."} + last).join(' ')},
      // The error that ends a file is among the last lines, where the
      // operator learns where the file is kept.
      {"values, then other lines",
       values.mid(0, 30) + QStringList{"Archived.", "Error: disk full.", "Kept as x.failed."} +
           numbered("Extra ", 1) + QStringList{"Error: disk full.", "Kept as y.failed."},
       (first +
        QStringList{"\u2026 and 20 more values could not be read.", "\u2026 and 3 more lines."} +
        QStringList{"Extra 1.", "Error: disk full.", "Kept as y.failed."})
           .join(' ')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString message = message_of(c.said);
    EXPECT_EQ(message, c.expected);
    EXPECT_LE(message.size(), basics::kMessageChars);
  }
}

// A field of garbage quoted whole in a board line.
TEST(HistoryFileTest, ALongLineIsCutInTheMessage) {
  const QString garbage(1 << 20, u'x');
  const QString message = message_of({"Start.", garbage + " could not be converted to a number"});
  EXPECT_EQ(message, "Start. " + garbage.left(basics::kMessageLineChars) + QChar(0x2026));
  // Never inside a character.
  const QString emoji = QString(basics::kMessageLineChars - 1, u'a') + QStringLiteral("\U0001F600");
  EXPECT_EQ(message_of({emoji}), emoji.left(basics::kMessageLineChars - 1) + QChar(0x2026));
}

// A file set aside names three paths in one line, each as long as Windows
// paths commonly go: the operator still reads where the file is kept.
TEST(HistoryFileTest, ALineNamingThreeLongPathsStaysWhole) {
  const QString folder = "C:\\" + QString(230, u'f') + "\\";
  const QString line = "Error: The scan file " + folder +
                       "77.scn was not written. Cannot write \"" + folder +
                       ".publish_e1666a3f_OLqjLB\": No space left on device. " +
                       "The measurement a.csv is kept as " + folder + "a.csv.failed.";
  EXPECT_EQ(message_of({line}), line);
}

// Day files written before messages were limited hold records of a
// megabyte; read back they are as short as new ones, nothing else lost.
TEST(HistoryFileTest, HugeOldRecordsReadBackWithTheirMessagesCapped) {
  test_support::temp_tree tree;
  const QDateTime time(QDate(2024, 3, 5), QTime(9, 0, 0));
  QStringList values;
  for (int n = 1; n <= 12000; ++n) values << unreadable(n);
  history_record huge = record_at(time, "1.csv");
  huge.message = values.join(' ');
  history_record words = record_at(time.addSecs(1), "2.csv");
  words.message = QString(100000, u'w');
  const history_record small = record_at(time.addSecs(2), "3.csv");
  // A line past the longest one read is taken for damage, not held.
  const QByteArray too_long =
      "{\"message\":\"" + QByteArray(basics::kLongestHistoryLine, 'z') + "\"}";
  tree.write("history/2024-03-05.jsonl", basics::history_line(huge) + '\n' + too_long + '\n' +
                                             basics::history_line(words) + '\n' +
                                             basics::history_line(small) + '\n');
  int skipped = -1;
  const QList<history_record> records = basics::read_history(tree.path("history"), 10, &skipped);
  EXPECT_EQ(skipped, 1);
  ASSERT_EQ(records.size(), 3);
  EXPECT_EQ(records[0], small);
  for (const history_record& r : records) EXPECT_LE(r.message.size(), basics::kMessageChars);

  EXPECT_EQ(records[1].input, "2.csv");
  EXPECT_TRUE(records[1].message.startsWith("www"));
  EXPECT_TRUE(QRegularExpression("^w+ \u2026 and [0-9,]+ more characters\\.$")
                  .match(records[1].message)
                  .hasMatch())
      << records[1].message.right(80).toStdString();

  const history_record& r = records[2];
  EXPECT_EQ(r.input, "1.csv");
  EXPECT_EQ(r.output, huge.output);
  EXPECT_EQ(r.archive, huge.archive);
  EXPECT_TRUE(r.message.startsWith(values[0] + ' ' + values[1]))
      << r.message.left(200).toStdString();
  // The count covers the values cut off; only the one the cut goes
  // through may be in neither part.
  const QRegularExpressionMatch count =
      QRegularExpression(" \u2026 and ([0-9,]+) more values could not be read\\.$")
          .match(r.message);
  ASSERT_TRUE(count.hasMatch()) << r.message.right(200).toStdString();
  const qsizetype kept = r.message.count(" could not be converted to ");
  const qsizetype counted = count.captured(1).remove(',').toInt();
  EXPECT_GE(kept + counted, 12000 - 1);
  EXPECT_LE(kept + counted, 12000);
}

TEST(HistoryFileTest, WriterCreatesTheFoldersAboveItsOwn) {
  test_support::temp_tree tree;
  const QString folder = tree.path("home/svc/.local/share/APP/history");
  basics::history_writer writer(folder);
  const QDateTime time(QDate(2024, 3, 5), QTime(9, 0, 0));
  ASSERT_TRUE(writer.append(record_at(time, "1.csv")).ok());
  EXPECT_EQ(basics::read_history(folder, 10).value(0).input, "1.csv");
}

TEST(HistoryFileTest, DayFilesOlderThanTheDaysKeptAreRemoved) {
  test_support::temp_tree tree;
  const QDate today(2024, 6, 10);
  const auto day_file = [](const QDate& day) { return day.toString(Qt::ISODate) + ".jsonl"; };
  const QString oldest_kept = day_file(today.addDays(1 - basics::kHistoryDaysKept));
  const QStringList kept{day_file(today), day_file(today.addDays(3)), oldest_kept,
                         // Only files named as day files are the history's.
                         "notes.jsonl", "2024-1-5.jsonl", "2023-02-30.jsonl", "2023-01-05.JSONL",
                         "2023-01-05.json", "2023-01-05.jsonl.bak"};
  const QStringList removed{day_file(today.addDays(-basics::kHistoryDaysKept)),
                            day_file(today.addDays(-400))};
  for (const QString& name : kept + removed) tree.write("history/" + name, "{}\n");
  tree.make_folder("history/" + day_file(today.addDays(-500)));
  basics::remove_old_history(tree.path("history"), today);
  for (const QString& name : kept)
    EXPECT_TRUE(tree.exists("history/" + name)) << name.toStdString();
  for (const QString& name : removed) {
    EXPECT_FALSE(tree.exists("history/" + name)) << name.toStdString();
  }
  EXPECT_TRUE(tree.exists("history/" + day_file(today.addDays(-500))));
  // A missing folder holds nothing to remove.
  basics::remove_old_history(tree.path("nothing"), today);
}

}  // namespace
