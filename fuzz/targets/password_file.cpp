// The operator password file, read as the window reads it at start.

#include "basics/password_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  QString password;
  basics::read_password_file(password, fuzz::input_file(data, size), [](const QString&) {});
  return 0;
}
