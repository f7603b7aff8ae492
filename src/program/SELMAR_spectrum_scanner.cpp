// The SELMAR spectrum scanner: Zeiss plate files of a line with a production
// and a postbake VELLIC system, and the inline spectrometer's files.

#include "program/scanner_program.h"
#include "scanner/selmar_spectrum_scanner_Unit.h"

int main(int argc, char** argv) {
  const scanner_identity identity{
      QStringLiteral(
          "Converts Zeiss plate files into scan files of the production, maintenance or postbake "
          "system, and moves inline spectrometer files into the measurement of their channel."),
      program::deployment_kind::selmar};
  return run_scanner_program(argc, argv, identity,
                             [] { return std::make_unique<TSELMAR_spectrum_scanner_main>(); });
}
