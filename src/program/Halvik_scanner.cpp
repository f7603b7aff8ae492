// The Halvik scanner: the Halvik instruments' exsitu traverse files and
// nine-position insitu files converted into scan files.

#include "program/scanner_program.h"
#include "scanner/halvik_spectrum_scanner_Unit.h"

int main(int argc, char** argv) {
  return run_scanner_program(argc, argv, [] { return std::make_unique<THalvik_scanner_main>(); });
}
