// String records in both layouts, read one after another to the end of the
// bytes as the binary files hold them. A record said to fit is read whole.

#include <QBuffer>

#include "basics/string_record.h"
#include "fuzz_input.h"

namespace {

void read_all_records(const QByteArray& bytes, float version) {
  basics::read_file_version = version;
  QByteArray copy = bytes;
  QBuffer stream(&copy);
  stream.open(QIODevice::ReadOnly);
  while (!stream.atEnd()) {
    const qint64 before = stream.pos();
    const bool fits = basics::string_record_fits(stream);
    fuzz::require(stream.pos() == before, "asking whether a record fits reads nothing");
    basics::read_string_record(stream);
    fuzz::require(stream.pos() <= stream.size(), "a record never reads past the end");
    if (!fits || stream.pos() == before) break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = fuzz::bytes(data, size);
  read_all_records(bytes, 3.17f);                         // single-byte layout
  read_all_records(bytes, basics::program_file_version);  // UTF-16 layout
  return 0;
}
