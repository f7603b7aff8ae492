#pragma once

// The .dat scan of the base window: each complete ".dat" file of the input
// folder is claimed under a temporary name, published unchanged into the
// context's output folder under the name the window gives it (replacing a
// file of that name), and deleted. A file that cannot be copied is kept
// aside under a visible name, never left under its temporary one.

#include <QString>

#include <functional>

#include "conversion/context.h"

namespace conversion {

// The input files of the .dat scan.
inline constexpr char kDatMask[] = "*.dat";

// The output name of an input file name.
using naming_rule = std::function<QString(const QString& old_name)>;

// Nothing is carried from file to file.
struct dat_moves_state {};

struct dat_moves_options {
  // The window's rule for the output name.
  naming_rule new_name;
};

// The .dat scan step: moves the complete .dat files of the input folder, at
// most 31; a file still open ends the step silently.
void handle_dat_moves(const context& ctx, dat_moves_state& state, const dat_moves_options& options);

}  // namespace conversion
