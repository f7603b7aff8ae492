// The Halvik exsitu and insitu files as the Halvik conversions read them:
// refusal, then the lines into a scan record, which must then encode.

#include "basics/halvik_file.h"
#include "basics/scan_data.h"
#include "fuzz_input.h"

namespace {

void read_exsitu(const QStringList& lines) {
  // Every point but the second, so positions left out are tried as well.
  const basics::point_predicate selected = [](int point) { return point != 2; };
  if (basics::halvik_exsitu_refusal(lines, QStringLiteral("/input/exsitu.csv"),
                                    QStringLiteral("exsitu.csv"), selected))
    return;
  fuzz::tolerate_refusal([&] {
    basics::scan_data record;
    basics::shape_halvik_exsitu_record(record);
    qint32 plate = 0;
    basics::read_halvik_exsitu_lines(lines, QDateTime::currentDateTimeUtc(), selected, record,
                                     plate, [](const QString&) {});
    basics::scan_file_bytes(record);
  });
}

void read_insitu(const QStringList& lines) {
  if (basics::halvik_insitu_refusal(lines, QStringLiteral("/input/insitu.csv"))) return;
  fuzz::tolerate_refusal([&] {
    basics::scan_data record;
    basics::shape_halvik_insitu_record(record);
    qint32 plate = 0;
    basics::read_halvik_insitu_lines(lines, QDateTime::currentDateTimeUtc(), record, plate,
                                     [](const QString&) {});
    basics::scan_file_bytes(record);
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  const QStringList lines = fuzz::lines(data, size);
  read_exsitu(lines);
  read_insitu(lines);
  return 0;
}
