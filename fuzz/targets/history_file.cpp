// A line of a history day file as the panel reads it back: no record, or
// one that writes as a line which reads back as the same record.

#include <cstdlib>

#include "basics/history_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray line(reinterpret_cast<const char*>(data), qsizetype(size));
  const std::optional<basics::history_record> record = basics::parse_history_line(line);
  if (!record) return 0;
  const QByteArray written = basics::history_line(*record);
  if (written.contains('\n') || basics::parse_history_line(written) != record) std::abort();
  return 0;
}
