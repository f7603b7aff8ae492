// vellic_scanner.ini as the windows read it at start: the settings by line
// and the insitu input folder by key. The lines written back at close give
// the same settings again.

#include "basics/key_value.h"
#include "basics/text.h"
#include "basics/vellic_scanner_ini.h"
#include "fuzz_input.h"

#include <cmath>

namespace {

// -0 may come back as 0; a NaN as a NaN.
bool same_value(float a, float b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  const QStringList lines = fuzz::lines(data, size);
  basics::vellic_scanner_settings read = basics::read_vellic_scanner_ini(lines);
  read.insitu_input_path = basics::ini_read_string(basics::kInsituInputPathKey, lines, QString());

  const QStringList written = basics::vellic_scanner_ini_lines(read);
  const basics::vellic_scanner_settings again = basics::read_vellic_scanner_ini(written);
  // A LUMOR insitu name that is the key text itself stands, written back,
  // right before the key line and is taken for the key; only a file whose
  // lines have slipped gives that name.
  if (!basics::equal_ignoring_ascii_case(read.lumor_insitu_name, basics::kInsituInputPathKey)) {
    fuzz::require(basics::ini_read_string(basics::kInsituInputPathKey, written, QString()) ==
                      read.insitu_input_path,
                  "the insitu input folder is read back");
  }
  fuzz::require(
      again.input_path == read.input_path && again.lumor_name == read.lumor_name &&
          again.automatic_product_identification == read.automatic_product_identification &&
          again.no_scan_files == read.no_scan_files &&
          again.no_spectral_positions == read.no_spectral_positions &&
          again.lumor_insitu_name == read.lumor_insitu_name &&
          again.save_ini_file == read.save_ini_file,
      "the settings written back read the same");
  fuzz::require(
      same_value(again.process_file_delay_time_in_seconds, read.process_file_delay_time_in_seconds),
      "the settle time written back reads the same");
  return 0;
}
