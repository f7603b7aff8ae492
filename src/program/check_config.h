#pragma once

// What a scanner would work with, reported without starting it: the program
// folder and its settings files, the VELLIC base folder, the current
// product, the input and measurement folders and the probe heads. Reads
// only; creates and changes nothing, so it is safe on a running line.

#include <QString>

namespace program {

// The report, one line per item: what it is, its path or value, and whether
// it exists. Sets `usable` to whether the scanner could do its work.
QString configuration_report(bool* usable);

}  // namespace program
