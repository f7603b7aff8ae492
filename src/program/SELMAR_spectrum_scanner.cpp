// The SELMAR spectrum scanner: Zeiss plate files of a line with a production
// and a postbake VELLIC system, and the inline spectrometer's files.

#include "program/scanner_program.h"
#include "scanner/selmar_spectrum_scanner_Unit.h"

int main(int argc, char** argv) {
  return run_scanner_program(argc, argv,
                             [] { return std::make_unique<TSELMAR_spectrum_scanner_main>(); });
}
