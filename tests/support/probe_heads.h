#pragma once

// The probe heads table of the insitu tests: "Head A" and "Head B" write to
// the measurements "LA" and "LB", "Head N" is listed without a measurement.
// Header only: its users link the table's library already.

#include <utility>

#include "basics/sprachen.h"

namespace test_support {

inline basics::sprachen probe_heads_table() {
  basics::sprachen heads;
  for (const auto& [nickname, name] :
       {std::pair{"LA", "Head A"}, std::pair{"LB", "Head B"}, std::pair{"", "Head N"}}) {
    heads.anzahl_vokabeln_plus();
    heads.set_wort(heads.anzahl_vokabeln() - 1, 0, nickname);
    heads.set_wort(heads.anzahl_vokabeln() - 1, 1, name);
  }
  return heads;
}

}  // namespace test_support
