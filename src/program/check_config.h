#pragma once

// What a scanner would work with, reported without starting it: the program
// folder and its settings files, the VELLIC base folder, the current
// product, the input, measurement and archive folders and what else the
// program uses. It changes nothing: the one file it makes, to see that a
// folder can be written into, is hidden from every scan and removed at
// once, so it is safe on a running line.

#include <QString>

#include "program/new_deployment.h"

namespace program {

// The report of the scanner program of `kind`, one line per item it uses:
// what it is, its path or value, and whether it exists (a folder it writes
// into: whether the running user can write there). Lines beginning
// "warning: " name what the scanner works around at a cost. Sets `usable`
// to whether the scanner could do its work.
QString configuration_report(bool* usable, deployment_kind kind = deployment_kind::dornik);

}  // namespace program
