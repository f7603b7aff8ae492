// Text files as line lists: every reader of a text format starts here.
// No line holds a line end, and lines written and read back keep their count.

#include "basics/text_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QStringList lines = fuzz::lines(data, size);
  for (const QString& line : lines)
    fuzz::require(!line.contains(u'\r') && !line.contains(u'\n'), "no line holds a line end");
  const QByteArray written = basics::bytes_from_lines(lines);
  // A first line starting with the code-page letters of a byte-order mark
  // ("ÿþ", "þÿ", "ï»¿") is read back as that mark: a limit of files without
  // one, not of the reader.
  for (const char* mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"})
    if (written.startsWith(mark)) return 0;
  const QStringList again = basics::lines_from_bytes(written);
  fuzz::require(again.size() == lines.size(), "lines written and read back keep their count");
  return 0;
}
