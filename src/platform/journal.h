#pragma once

// The program's journal when it runs without a display: one line per event on
// standard error, so a service manager's journal shows what the window would.
//
// Monitoring reads the lines by their prefixes ("status: ", "board: ",
// "box: "), so those always start the text. When standard error is the
// system journal's stream, each line also carries the journal's priority in
// front ("<3>box: ..."), which the journal strips and keeps as the line's
// priority; anywhere else the lines are plain.

#include <QString>

namespace platform {

// The journal's priorities (those of syslog) that the program uses.
enum class severity { error = 3, warning = 4, info = 6 };

// Writes `prefix` + `text` as one line, line breaks in `text` turned into
// spaces, and flushes it at once; with the priority prefix of `level` when
// standard error is connected to the journal.
void write_journal_line(const QString& prefix, const QString& text,
                        severity level = severity::info);

// Whether standard error is the journal's stream: the service manager names
// that stream's device and inode in JOURNAL_STREAM, and standard error must
// still be that very stream (a redirection in between makes it plain text).
bool stderr_is_journal();

}  // namespace platform
