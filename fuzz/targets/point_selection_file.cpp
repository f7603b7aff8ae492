// The traverse point selection file, read as the Halvik window reads it.

#include <QVector>

#include "basics/point_selection_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  QVector<bool> selected;
  fuzz::tolerate_refusal([&] {
    basics::read_point_selection_file(fuzz::input_file(data, size), selected);
    fuzz::require(selected.size() == basics::kTraversePointCount + 1, "a flag per point");
  });
  return 0;
}
