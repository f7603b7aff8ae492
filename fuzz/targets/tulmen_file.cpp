// The TULMEN traverse file as the TULMEN conversion reads it: measurement or
// not, refusal, then the lines into a scan record, which must then encode
// whole and in the partial files.

#include "basics/tulmen_file.h"
#include "basics/scan_data.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  const QStringList lines = fuzz::lines(data, size);
  basics::tulmen_header_positions(lines);
  if (!basics::tulmen_has_measurement(lines)) return 0;
  if (basics::tulmen_refusal(lines, QStringLiteral("/input/tulmen.csv"))) return 0;
  fuzz::tolerate_refusal([&] {
    basics::scan_data record;
    basics::shape_tulmen_record(record);
    basics::tulmen_wavelengths wavelengths{};
    const basics::message_sink ignore = [](const QString&) {};
    const float largest = basics::read_tulmen_lines(lines, QDateTime::currentDateTimeUtc(), record,
                                                    wavelengths, {ignore, ignore});
    basics::tulmen_product(largest);
    basics::scan_file_bytes(record);
    for (qint32 part = 1; part <= 4; ++part)
      fuzz::tolerate_refusal([&] { basics::partial_scan_file_bytes(record, part, 4); });
  });
  return 0;
}
