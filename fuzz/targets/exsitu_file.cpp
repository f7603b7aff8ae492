// The exsitu measurement file as the exsitu conversion reads it: refusal,
// then the lines into a scan record, which must then encode as a scan file.

#include "basics/exsitu_file.h"
#include "basics/scan_data.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  const QStringList lines = fuzz::lines(data, size);
  const QString path = QStringLiteral("/input/exsitu.csv");
  if (basics::exsitu_refusal(lines, path, QStringLiteral("exsitu.csv"))) return 0;
  fuzz::tolerate_refusal([&] {
    basics::scan_data record;
    basics::shape_exsitu_record(record);
    qint32 plate = 0;
    // Every other point, so positions left out are tried as well.
    basics::read_exsitu_lines(
        lines, QDateTime::currentDateTimeUtc(), [](int point) { return point % 2 == 1; }, record,
        plate, [](const QString&) {});
    basics::scan_file_bytes(record);
  });
  return 0;
}
