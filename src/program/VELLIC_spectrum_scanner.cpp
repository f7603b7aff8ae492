// The VELLIC spectrum scanner: .dat files moved unchanged into the VELLIC
// measurement folder, in the base window of the scanner family.

#include "program/scanner_program.h"
#include "scanner/vellic_spectrum_scanner_unit.h"

int main(int argc, char** argv) {
  const scanner_identity identity{
      QStringLiteral("Moves .dat files unchanged into the measurement folder."),
      program::deployment_kind::dat_moves};
  return run_scanner_program(argc, argv, identity,
                             [] { return std::make_unique<TVELLIC_spectrum_scanner>(); });
}
