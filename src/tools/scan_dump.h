#pragma once

// The dump command: a scan file's header and values as text lines, or as one
// JSON object for scripts.

#include <QString>

namespace tools {

// Prints the scan file `scan_file` on standard output, as JSON when `json`;
// reports on standard error when it cannot be read or printed. The exit code.
int dump_scan_file(const QString& scan_file, bool json);

}  // namespace tools
