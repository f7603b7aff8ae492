#pragma once

// The exsitu conversion: a claimed traverse measurement becomes the scan
// file <plate>.scn in the context's output folder and is archived as
// exsitu_<plate>.csv into the folder of the context's measurement; a file
// that cannot be converted is archived as refused_<name>, and one that
// cannot be kept that way is set aside. The DORNIK instrument's files (33
// positions) and the Halvik instrument's (up to 51, only the selected
// points kept) take the same road; the options say which.
//
// The scan record and the plate number are the caller's and carried from
// file to file: a value a file does not give keeps the previous file's.

#include "conversion/scan_file_conversion.h"

namespace conversion {

using exsitu_state = plate_file_state;

enum class exsitu_instrument { dornik, halvik };

struct exsitu_options {
  exsitu_instrument instrument = exsitu_instrument::dornik;
};

// How the instrument's exsitu files are read, refused and archived.
plate_file_format exsitu_format(exsitu_instrument instrument);

// The status line while a claimed exsitu file is converted.
QString exsitu_action();

// What the status line says when a Halvik exsitu file cannot be claimed
// yet, whatever its name.
QString halvik_exsitu_rename_failure();

// Claims the exsitu files waiting in the context's input folder (at most
// ten) and converts each. A DORNIK file its writer still holds waits
// silently; a Halvik one is named on the status line.
void handle_exsitu(const context& ctx, exsitu_state& state, const exsitu_options& options);

}  // namespace conversion
