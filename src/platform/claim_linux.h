#pragma once

// The claim on Linux: a rename that behaves as Windows' MoveFile, which
// refuses to rename a file that any process still holds open and never
// replaces a target.

#include <QString>

#include "platform/env.h"
#include "platform/env_linux.h"

namespace platform {

// Env::rename_file on Linux; `options` chooses the fallback paths.
Status claim_file(const QString& from, const QString& to, const LinuxEnvOptions& options);

}  // namespace platform
