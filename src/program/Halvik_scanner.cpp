// The Halvik scanner: the Halvik instruments' exsitu traverse files and
// nine-position insitu files converted into scan files.

#include "program/scanner_program.h"
#include "scanner/halvik_spectrum_scanner_Unit.h"

int main(int argc, char** argv) {
  const scanner_identity identity{
      QStringLiteral(
          "Converts Halvik exsitu traverse files and nine-position insitu files into scan files."),
      program::deployment_kind::halvik};
  return run_scanner_program(argc, argv, identity,
                             [] { return std::make_unique<THalvik_scanner_main>(); });
}
