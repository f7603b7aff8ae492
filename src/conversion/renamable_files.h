#pragma once

// The claim of the TULMEN and .dat scans: a file counts as complete once it
// can be renamed away and back, and is then worked on under its own name, at
// most 31 files per call. The status line counts the files and names each.

#include <QString>

#include <functional>

#include "conversion/claim_journal.h"
#include "conversion/claimed_file.h"
#include "conversion/context.h"
#include "conversion/handled_file.h"

namespace conversion {

// At most this many files per call.
inline constexpr int kRenamableFilesPerCall = 31;

// Hands each complete file of ctx.input_folder matching `mask` to `handle`,
// by name, the first in listing order first, until none is left, one is
// still open (which ends the call, with the text `on_open` makes of its path
// on the status line, if any) or 31 were handled. The folder is listed once
// per call. `handle` must take the file out of the folder or out of the
// mask's reach. Nothing happens while the input or the output folder is
// missing; a file younger than the settle time ends the call.
// The file's claim stays noted in the claim journal while `handle` works on
// it under its own name (`note`, which it may mark with the archive copy and
// end itself); it ends when `handle` returns. ctx.between_files runs after
// each handled file.
void scan_renamable_files(const context& ctx, const QString& mask,
                          const rename_failure_text& on_open,
                          const std::function<void(const QString& name, claim_note& note)>& handle);

// The input path of `name` in ctx.input_folder.
QString input_file(const context& ctx, const QString& name);

// Moves the input file at `path` (named `name` when it arrived) out of the
// scan's reach, as move_aside does, and says on the plain status line why
// and where it is: a file that cannot be finished is never deleted.
void keep_aside(const context& ctx, const QString& path, const QString& name,
                const QString& reason);
// The same, said to `say` (the message board of a window that has one).
void keep_aside(const basics::message_sink& say, const QString& path, const QString& name,
                const QString& reason);
// The same for the input `file`, whose history then says it was set aside.
void keep_aside(handled_file& file, const basics::message_sink& say, const QString& path,
                const QString& reason);

}  // namespace conversion
