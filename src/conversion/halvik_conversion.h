#pragma once

// The Halvik insitu conversion: a nine-position insitu file becomes a scan
// file <plate>.scn in the context's output folder (which must exist: the
// insitu folder is not checked before the scan step), archived as
// insitu_<plate>.csv into the folder of the context's measurement. A file
// that cannot be converted is archived as refused_<name>, and one that
// cannot be kept that way is set aside. The Halvik exsitu files are
// exsitu files (exsitu_conversion.h).
//
// The inline record and the plate number are the caller's, carried from
// file to file; the plate is shared with the exsitu files.

#include "conversion/scan_file_conversion.h"

namespace conversion {

using halvik_insitu_state = plate_file_state;

struct halvik_insitu_options {};

// How the Halvik insitu files are read, refused and archived.
plate_file_format halvik_insitu_format();

// Claims the Halvik insitu files waiting in the context's input folder (at
// most ten) and converts each; a file that cannot be claimed yet shows on
// the status line.
void handle_halvik_insitu(const context& ctx, halvik_insitu_state& state,
                          const halvik_insitu_options& options);

}  // namespace conversion
