#pragma once

// The heartbeat: an empty file in the measurement system's live_signals
// folder, named after the program. Its presence tells the measurement system
// that the scanner is alive; the scanner only ever creates it.

#include <QString>

namespace basics {

// base + "live_signals/" + the program's base name + ".alv"; `base` ends
// with the delimiter. Empty for an empty base: no heartbeat then, never one
// below the working folder or the root.
QString live_signal_file(const QString& base);

// Writes the heartbeat file at `file`, empty and complete under its final
// name, creating its folder (one level) when missing. A heartbeat that
// appeared meanwhile stays as it is. Throws basics::error when the file
// cannot be written or a spare temporary file cannot be removed.
void write_live_signal(const QString& file);

// Writes the heartbeat file when it is missing; an existing one is left
// untouched. An empty `file` writes nothing.
void renew_live_signal(const QString& file);

}  // namespace basics
