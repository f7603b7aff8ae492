#pragma once

// A new deployment made by one command (--init FOLDER): FOLDER becomes the
// program folder of one scanner program, holding every settings file that
// program reads, at its defaults, with a guide to their lines; beside them
// a VELLIC tree with one product and its measurement folders, archive and
// live signals, and the input folders. It works as it is (--check-config
// says usable), so the one who sets up a line edits a working deployment
// instead of starting from an empty folder.

#include <QString>

namespace program {

// The scanner programs, by what their deployments hold beyond the settings
// and the VELLIC tree every one has.
enum class deployment_kind {
  dat_moves,  // VELLIC_spectrum_scanner: one input folder of .dat files
  tulmen,     // TULMEN_scanner: one input folder of TULMEN files
  selmar,     // SELMAR_spectrum_scanner: Zeiss and inline input, a postbake system
  halvik,     // Halvik_scanner: exsitu and insitu input, the point selection
  dornik,     // DORNIK_spectrum_scanner: as Halvik, and the probe-heads table
};

// Makes the deployment of `program` (the program's file name, for the
// text) in the program folder, which must be missing or empty: a folder
// that holds anything is left untouched. Prints what it made and what to
// edit next on standard output, a failure on standard error. Returns the
// exit code: 0 made, 1 refused or failed (a failure part-way leaves what
// was made, named in the message).
int make_new_deployment(deployment_kind kind, const QString& program);

}  // namespace program
