#pragma once

// The program's place in the user's session: whether it has a display, and
// the system's request that it end (a service manager stopping it, Ctrl+C).

#include <functional>

#include "platform/env.h"

namespace platform {

// True when there is no display to show a window on, and no Qt platform
// was chosen or only one that draws nowhere (offscreen, minimal): the
// program then runs on Qt's offscreen platform, writes its journal to
// standard error and answers its boxes itself, for nobody could see them.
bool headless_session();

// Font files of the faces the windows are laid out for (Tahoma), where the
// system does not offer them itself: the program loads them at its start.
// Linux: the metric-compatible faces of Debian's fonts-wine, when installed;
// Windows: none, Tahoma is the system's own.
QStringList layout_font_files();

// Holds an exclusive lock on `lock_file` (created when missing) for the rest
// of the process's life; the system releases it when the process ends, a
// crash included. Fails with kind busy while another process holds it, and
// with another kind when the file cannot be opened at all.
Status hold_instance_lock(const QString& lock_file);

// Where the instance lock named `name` of `folder` goes when no file can be
// made in `folder` itself (a read-only program folder): the system's
// temporary folder, under a name made of `name` and the folder's identity
// (Linux: device and inode), so every path to the same folder, and every
// user, meets the same lock. Empty when the folder cannot be looked at.
QString shared_lock_file(const QString& folder, const QString& name);

// Calls `handler` on the main thread, from the event loop, whenever the
// system asks the program to end (Linux: SIGTERM, SIGINT). Install once,
// after the application object exists.
Status on_termination_request(std::function<void()> handler);

}  // namespace platform
