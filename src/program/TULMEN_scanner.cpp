// The TULMEN scanner: TULMEN traverse files converted into scan files, with
// the optional product identification.

#include "program/scanner_program.h"
#include "scanner/tulmen_scanner_main_unit.h"

int main(int argc, char** argv) {
  return run_scanner_program(argc, argv, [] { return std::make_unique<TTULMEN_scanner_main>(); });
}
