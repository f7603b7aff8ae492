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

#include <optional>
#include <utility>

#include "platform/env.h"

namespace basics {

enum class history_result { converted, refused, set_aside, error };

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
std::optional<history_result> result_from_word(const QString& word);

// The record as one line of JSON, without the line break.
QByteArray history_line(const history_record& record);

// The record of one line; empty for a line that is no record (damaged,
// cut short by a full disk, edited by hand).
std::optional<history_record> parse_history_line(QByteArrayView line);

// The day file of `day` in `folder`: "2026-12-10.jsonl".
QString history_file(const QString& folder, const QDate& day);

// Appends records to the day files in one folder (created when missing,
// not its parents). A day file that a killed run or a full disk left ending
// in a cut line gets a line break first, so no record is glued to it; the
// end of a file is looked at on its first append only, and again after a
// failed one.
class history_writer {
 public:
  explicit history_writer(QString folder) : folder_(std::move(folder)) {}
  platform::Status append(const history_record& record);

 private:
  QString folder_;
  QSet<QString> whole_lines_known_;
};

// The newest `most` records of the day files in `folder`, newest first;
// lines that are no record are skipped and counted in `skipped`.
QList<history_record> read_history(const QString& folder, int most, int* skipped = nullptr);

}  // namespace basics
