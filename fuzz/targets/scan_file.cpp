// The scan file (.scn) reader. A file it accepts gives a record whose every
// slot can be read and which encodes again; encoded and read once more, it
// gives the same bytes.

#include "basics/scan_data.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  basics::scan_data record;
  try {
    basics::read_scan_file_bytes(fuzz::bytes(data, size), 0.0, record);
  } catch (const basics::error&) {
    fuzz::require(record == basics::scan_data{}, "a refused file leaves the record unchanged");
    return 0;
  }
  // What the dump of scan_file_tool reads of the record.
  float sum = 0;
  for (qint32 p = 0; p < record.no_positions; ++p) {
    sum += float(record.positions[p]) + record.sheet_resistance[p];
    for (qint32 s = 0; s < record.no_spectra; ++s) {
      sum += record.x_min[s] + record.x_max[s] + float(record.no_points[s]);
      for (qint32 w = 0; w < record.max_no_points; ++w)
        sum += record.spectral_data[record.the_index(p, s, w)];
    }
  }
  const QByteArray encoded = basics::scan_file_bytes(record);
  basics::scan_data again;
  basics::read_scan_file_bytes(encoded, 0.0, again);
  fuzz::require(basics::scan_file_bytes(again) == encoded, "a record read back encodes the same");
  // Kept, so the reads are not optimised away.
  static volatile float sink;
  sink = sum;
  return 0;
}
