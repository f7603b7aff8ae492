#pragma once

// The one shape of every failure message of the platform layer, so the
// operator reads the same kind of sentence whatever failed:
//   Cannot write "/v/new/1234.scn": No space left on device
//
// Thread-safe: every function may run on several threads at once.

#include "platform/env.h"

namespace platform {

// `kind` says what went wrong for callers, `action` is a verb phrase
// ("write", "rename"), `path` the file it concerns, `reason` the system's
// explanation.
Status file_error(Status::Kind kind, const QString& action, const QString& path,
                  const QString& reason);

// The same for calls with two paths ("rename "a" to "b"").
Status file_error(Status::Kind kind, const QString& action, const QString& from, const QString& to,
                  const QString& reason);

// The system's explanation in a failure made by file_error ("No space left
// on device"), for a text that names the paths in its own words; the whole
// message of any other failure.
QString failure_reason(const Status& status);

}  // namespace platform
