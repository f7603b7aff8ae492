// The vocabulary file (.bin) as the programs load it, e.g. the probe-heads
// table. A loaded table gives every cell and lookup, and written as this
// program writes it and read back, holds the same words.

#include <QBuffer>

#include "basics/sprachen.h"
#include "basics/string_record.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  basics::sprachen table;
  bool loaded = false;
  fuzz::tolerate_refusal([&] { loaded = table.load_from_file(fuzz::input_file(data, size)); });
  if (!loaded) return 0;

  for (const basics::vokabel& row : table.meine_liste())
    fuzz::require(row.size() == table.anzahl_sprachen(), "every row has a cell per language");
  const QString probe = table.wort(table.anzahl_vokabeln() - 1, 0);
  for (int language = -1; language <= table.anzahl_sprachen(); ++language) {
    table.translation_nickname_as_default(probe, language);
    table.nickname(probe, language);
  }

  QByteArray stored;
  QBuffer out(&stored);
  out.open(QIODevice::WriteOnly);
  table.save_to_stream(out);
  out.close();
  QBuffer in(&stored);
  in.open(QIODevice::ReadOnly);
  basics::read_file_version = basics::program_file_version;
  basics::sprachen again;
  again.load_from_stream(in);
  fuzz::require(again.meine_liste() == table.meine_liste() &&
                    again.anzahl_sprachen() == table.anzahl_sprachen(),
                "a table written and read back is the same");
  table.sort();
  return 0;
}
