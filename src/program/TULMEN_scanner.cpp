// The TULMEN scanner: TULMEN traverse files converted into scan files, with
// the optional product identification.

#include "program/scanner_program.h"
#include "scanner/tulmen_scanner_main_unit.h"

int main(int argc, char** argv) {
  const scanner_identity identity{
      QStringLiteral("Converts TULMEN traverse files into scan files, optionally setting the "
                     "current product from them."),
      program::deployment_kind::tulmen};
  return run_scanner_program(argc, argv, identity,
                             [] { return std::make_unique<TTULMEN_scanner_main>(); });
}
