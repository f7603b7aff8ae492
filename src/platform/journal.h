#pragma once

// The program's journal when it runs without a display: one line per event on
// standard error, so a service manager's journal shows what the window would.

#include <QString>

namespace platform {

// Writes `prefix` + `text` as one line, line breaks in `text` turned into
// spaces, and flushes it at once.
void write_journal_line(const QString& prefix, const QString& text);

}  // namespace platform
