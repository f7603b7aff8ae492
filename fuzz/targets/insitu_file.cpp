// The insitu measurement file as the insitu conversion reads it: refusal,
// probe head, plate, and the lines of its inline file.

#include "basics/insitu_file.h"
#include "basics/measurement_file.h"
#include "basics/text_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  const QStringList lines = fuzz::lines(data, size);
  if (basics::insitu_length_refusal(lines, QStringLiteral("/input/insitu.csv"))) return 0;
  basics::insitu_probe_head(lines);
  basics::plate_number_of(lines, [](const QString&) {});
  // A table that ends at once gives an empty inline file, as the format says.
  if (const std::optional<QStringList> inline_lines = basics::insitu_inline_lines(lines))
    basics::bytes_from_lines(*inline_lines);
  return 0;
}
