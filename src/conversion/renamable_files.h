#pragma once

// The claim of the TULMEN, Zeiss and .dat scans: a file counts as complete
// once it can be renamed away and back, and is then worked on under its own
// name, at most 31 files per call. The status line counts the files and
// names each.

#include <QString>

#include <functional>

#include "conversion/claim_journal.h"
#include "conversion/claimed_file.h"
#include "conversion/context.h"
#include "conversion/file_keeping.h"
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
// scan's reach, as move_aside does, and says to `say` (the message board of
// a window that has one, else its plain status line) why and where it is:
// a file that cannot be finished is never deleted.
void keep_aside(platform::Env& system, const basics::message_sink& say, const QString& path,
                const QString& name, const QString& reason);
// The same for the input `file`, whose history then says it was set aside.
void keep_aside(handled_file& file, const basics::message_sink& say, const QString& path,
                const QString& reason);

// Copies the input file at `path`, claimed where it lies, as `name` into
// the dated archive folder of the context's measurement (dated by
// `measured` as dated_archive_folder says). A name already taken there
// keeps both copies: the new one under a free name, said on the plain
// status line. An identical copy already there is taken as the file's copy:
// no measurement is archived twice. `copy` receives the copy's path.
archived archive_in_place(const context& ctx, const QString& path, const QString& name,
                          const QDateTime& measured, QString* copy);

// Deletes the input `file` at `path`, converted into `written` and with
// `copy` the outcome of its archive copy; or keeps it aside when it would
// be lost: no archive copy could be made, or there is neither an archive
// nor an output to keep the measurement in. Its record is told before the
// deletion. `say` as keep_aside says.
void delete_when_kept(handled_file& file, const basics::message_sink& say, const QString& path,
                      archived copy, const QStringList& written);

// One conversion of a file claimed where it lies: `file` notes its history;
// `ctx` is the scan's context speaking through `file`, and follows a product
// the conversion sets; `note` is the file's claim, which the conversion may
// mark with its archive copy.
using in_place_conversion = std::function<void(handled_file& file, context& ctx, claim_note& note)>;

// The scan step of the files claimed where they lie (TULMEN, Zeiss): each
// complete file of ctx.input_folder matching `mask`, at most 31, goes to
// `convert`, with the status line cleared first (nothing names the file's
// temporary copy); a file still open ends the step on the status line. A
// product the conversion identifies holds for the files after it. Should
// memory run out, a file still under its own name is kept aside with the
// reason, said to the context's sink `say` (`&context::board` or
// `&context::plain_status`). Each file's claim ends, and its record is told,
// when `convert` returns.
void convert_in_place(const context& ctx, const QString& mask, basics::message_sink context::*say,
                      const in_place_conversion& convert);

}  // namespace conversion
