#pragma once

// Where the conversions keep the files they are given: the dated archive
// folder, a free name beside a taken one, a file moved out of the scan's
// reach, and the settle time before a file is taken at all. Shared by every
// way of claiming a file.

#include <QDateTime>
#include <QString>

#include "conversion/context.h"

namespace conversion {

// `folder` + `name`, or with "_2", "_3"... before the extension when taken;
// a name too long for the system is cut short before its extension.
// `folder` ends with the delimiter.
QString free_name(const QString& folder, const QString& name);

// Whether the file at `path` was written less than `settle_seconds` ago. A
// time ahead of the clock (another machine's clock) counts as settled, so a
// skewed share never holds the queue up for good.
bool still_settling(const QString& path, double settle_seconds);

// The archive folder for `leaf`: archive root + product + year/month/day +
// `leaf`, each level created, ending with the delimiter; empty when
// archiving is switched off. The date is `measured`'s when the context
// archives by date of measurement, today's otherwise. A level that cannot be
// created shows on the plain status line; a copy into it then fails.
QString dated_archive_folder(const context& ctx, const QString& leaf, const QDateTime& measured);

enum class archived { copied, switched_off, failed };

// A copy of the file at `path` already in `folder` (ending with the
// delimiter) as `name` or a variant of it ("_2", "_3"...), byte for byte
// the same; empty when there is none. A run that stopped between archiving
// a file and deleting it leaves one.
QString identical_copy(const QString& path, const QString& folder, const QString& name);

// Copies the input file at `path` as `name` into the dated archive folder of
// the context's LUMOR name (dated by `measured` as dated_archive_folder
// says). A name already taken there keeps both copies: the new one under a
// free name, said on the plain status line. An identical copy already there
// is taken as the file's copy: no measurement is archived twice. `copy`, when given, receives
// the copy's path.
archived archive_input_copy(const context& ctx, const QString& path, const QString& name,
                            const QDateTime& measured, QString* copy = nullptr);

// `text` ending with a full stop, as a sentence before the next one; a
// system's error text has none.
QString sentence(const QString& text);

// Moves the file at `path` into its own folder as `name` + ".failed" (or a
// free variant of that), out of the reach of every scan mask. Returns the
// new path, or empty when the file could not be moved.
QString move_aside(const QString& path, const QString& name);

}  // namespace conversion
