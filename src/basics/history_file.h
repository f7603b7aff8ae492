#pragma once

// The history of handled files: one record per measurement file the scanner
// has finished with (converted, refused, set aside, or ended by an error),
// kept as JSON lines in one file per day, so the operator's view of the last
// conversions survives a restart and `jq` reads it. The layout is in
// docs/formats.md.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

#include "platform/env.h"
#include "platform/journal.h"

namespace basics {

enum class history_result { converted, refused, set_aside, error };

// How the journal ranks a handled file: a converted one is information;
// one refused, set aside or ended by an error needs someone, so it is an
// error, found with `journalctl -p err`.
platform::severity journal_severity(history_result result);

// One handled file.
struct history_record {
  QDateTime time;        // when the scanner finished with it, local time
  QString input;         // its name in its input folder
  QString input_folder;  // that folder, with its delimiter
  std::optional<qint32> plate;
  history_result result = history_result::converted;
  QString message;  // what the operator was told about it
  QString output;   // the file written for it; empty when none
  QString archive;  // its archive copy; empty when none

  friend bool operator==(const history_record&, const history_record&) = default;
};

// "converted", "refused", "set aside", "error": the words of the file and
// of the panel.
QString result_word(history_result result);

// The record's fields for the system journal: PLATE, INPUT (with its
// folder), OUTPUT, ARCHIVE (those it has) and RESULT, its result word with
// blanks as underscores ("set_aside").
platform::journal_fields journal_fields_of(const history_record& record);

std::optional<history_result> result_from_word(const QString& word);

// ---- The message of a record -----------------------------------------------
// A file of thousands of unreadable values says thousands of lines; its
// record keeps the first and the last of them and counts the others, so
// neither the day files nor the operator's panel grow with them.

// The first lines said about a file that its record keeps,
inline constexpr int kMessageFirstLines = 10;
// and the last ones; the lines between are counted.
inline constexpr int kMessageLastLines = 3;
// A line longer than this (a field of garbage quoted whole) is cut; a
// sentence naming three long paths (a file set aside) stays whole.
inline constexpr int kMessageLineChars = 1000;
// The longest message a record holds: the kept lines and the counts.
inline constexpr int kMessageChars =
    (kMessageFirstLines + kMessageLastLines) * (kMessageLineChars + 2) + 256;

// The lines said about one file, kept for its record's message within the
// limits above.
class message_lines {
 public:
  void add(const QString& line);
  bool isEmpty() const { return first_.isEmpty(); }
  // The lines kept, joined by spaces, with a count where lines were left
  // out: "… and 11,975 more values could not be read." for the lines that
  // tell of a value that could not be read, "… and 3 more lines." for the
  // others.
  QString text() const;

 private:
  QStringList first_;
  QStringList last_;  // the newest kMessageLastLines of those past first_
  qint64 values_left_out_ = 0;
  qint64 lines_left_out_ = 0;
};

// `message` as a record keeps it: a longer one (a record written before
// messages were limited) cut to kMessageChars with a count of what was cut.
QString capped_message(const QString& message);

// ---- Records and day files ------------------------------------------------

// The record as one line of JSON, without the line break.
QByteArray history_line(const history_record& record);

// The record of one line, its message capped; empty for a line that is no
// record (damaged, cut short by a full disk, edited by hand).
std::optional<history_record> parse_history_line(QByteArrayView line);

// The day file of `day` in `folder`: "2026-12-10.jsonl".
QString history_file(const QString& folder, const QDate& day);

// Appends records to the day files in one folder (created when missing,
// with the folders above it). A day file that a killed run or a full disk
// left ending in a cut line gets a line break first, so no record is glued
// to it; the end of a file is looked at on its first append only, and again
// after a failed one.
class history_writer {
 public:
  explicit history_writer(QString folder) : folder_(std::move(folder)) {}
  platform::Status append(const history_record& record);

 private:
  QString folder_;
  QSet<QString> whole_lines_known_;
};

// A line longer than this is taken for no record: it is not held whole.
// A record written before messages were limited, of some 50,000 board
// lines, still fits.
inline constexpr qsizetype kLongestHistoryLine = qsizetype(4) << 20;

// The newest `most` records of the day files in `folder`, newest first;
// lines that are no record are skipped and counted in `skipped`. Memory
// holds `most` records and one line at a time, however large the files.
QList<history_record> read_history(const QString& folder, int most, int* skipped = nullptr);

// The days of history kept: today's file and those of the days before.
inline constexpr int kHistoryDaysKept = 90;

// Removes the day files of `folder` older than kHistoryDaysKept days
// before `today`; other files are left alone. A file that cannot be
// removed stays for the next time.
void remove_old_history(const QString& folder, const QDate& today);

}  // namespace basics
