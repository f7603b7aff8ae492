// The tab-separated text form of a vocabulary table, as vocabulary_tool and
// the language editor import and append it.

#include "basics/sprachen.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  const QString path = fuzz::input_file(data, size);
  basics::sprachen table;
  fuzz::tolerate_refusal([&] {
    table.import_from_textfile(path);
    const int rows = table.anzahl_vokabeln();
    table.append_from_textfile(path, [](const QString&) {});
    fuzz::require(table.anzahl_vokabeln() == 2 * rows, "appending a table's own file doubles it");
    for (const basics::vokabel& row : table.meine_liste())
      fuzz::require(row.size() == table.anzahl_sprachen(), "every row has a cell per language");
    fuzz::require(table.text_lines().size() == table.anzahl_vokabeln(), "one text line per row");
  });
  return 0;
}
