#pragma once

// The program's journal when it runs without a display: one line per event on
// standard error, in UTF-8 on every system, so a service manager's journal
// shows what the window would.
//
// Monitoring reads the lines by their prefixes ("status: ", "board: ",
// "box: "), so those always start the text. When standard error is the
// system journal's stream, each line also carries the journal's priority in
// front ("<3>box: ..."), which the journal strips and keeps as the line's
// priority; anywhere else the lines are plain.
//
// When standard error is the journal's stream and the system journal takes
// messages of its own (Linux: journald's native protocol), each line goes
// there instead, as its message with its priority and fields a query can
// select by: PROGRAM_FOLDER on every line, and those the caller gives (a
// history record's PLATE, INPUT, OUTPUT, ARCHIVE and RESULT), so that
// "journalctl RESULT=set_aside" lists the files set aside.
//
// A file of thousands of equal complaints would make the journal's rate
// limit drop other lines: a run of identical lines is written
// kRepeatsWritten times, the rest of it is counted, and one line with the
// same prefix tells the count when the run ends
// ("board: ... the last line repeated 11975 more times").

#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace platform {

// The journal's priorities (those of syslog) that the program uses.
enum class severity { error = 3, warning = 4, info = 6 };

// How often a line is written in a row before its repeats are counted.
inline constexpr int kRepeatsWritten = 10;

// Fields of a line for the system journal: names in capitals, as
// journald's fields are, with their values.
using journal_fields = QList<std::pair<QByteArray, QString>>;

// One line of the journal, as written (its text on one line).
struct journal_line {
  QString prefix;
  QString text;
  severity level = severity::info;
  journal_fields fields;

  friend bool operator==(const journal_line&, const journal_line&) = default;
};

// Runs of identical lines: what to write for each line that comes.
class journal_runs {
 public:
  // The lines to write for `next`: the count of a run it ends, then `next`
  // itself unless it is a repeat to be counted.
  QList<journal_line> pass(const journal_line& next);
  // The count of the run still going, when repeats of it were counted; the
  // run ends.
  std::optional<journal_line> finish();

 private:
  std::optional<journal_line> last_;
  qint64 run_ = 0;  // lines of the run so far, the first included
};

// Writes `prefix` + `text` as one line, line breaks in `text` turned into
// spaces, and flushes it at once; with the priority prefix of `level` when
// standard error is connected to the journal. Repeats are counted as above.
void write_journal_line(const QString& prefix, const QString& text, severity level = severity::info,
                        const journal_fields& fields = {});

// Writes the count of a run of repeats still going; at the program's end,
// so that no count is lost.
void finish_journal_run();

// Whether standard error is the journal's stream: the service manager names
// that stream's device and inode in JOURNAL_STREAM, and standard error must
// still be that very stream (a redirection in between makes it plain text).
bool stderr_is_journal();

// Sends `line` to the system journal as a message of its own, with
// `fields`; false when the system has no such journal or it did not take
// the message (the caller then writes the line to standard error).
bool send_to_system_journal(const journal_line& line, const journal_fields& fields);

// Whether standard error is a terminal someone watches (not a file, a pipe
// or the journal), where a line redrawn in place shows progress.
bool stderr_is_terminal();

// Standard output and error leave byte for byte, as on Linux: Windows'
// C library would turn each LF into CR LF, so that journal lines and a
// tool's data (a dump documented with LF line ends) differed between the
// systems. Every program calls it before its first output.
void use_binary_standard_streams();

}  // namespace platform
