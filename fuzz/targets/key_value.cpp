// Key/value settings files (vellic.ini, selmar_spectrum_scanner.ini,
// vellic_postbake_path.ini, default_values.ini). The first line of the input
// is the key looked up in the lines after it, so the fuzzer can make keys
// match.

#include "basics/key_value.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  QStringList lines = fuzz::lines(data, size);
  if (lines.isEmpty()) return 0;
  const QString key = lines.takeFirst();
  basics::ini_read_string(key, lines, QString());
  basics::ini_read_integer(key, lines, 0);
  basics::ini_read_float(key, lines, 0.0f);
  basics::ini_find_string(lines, key, QString());
  basics::ini_find_integer(lines, key, 0, [](const QString&) {});
  return 0;
}
