// The DORNIK spectrum scanner: exsitu and insitu measurements converted for
// the analysis programs, in the main window of the scanner family.

#include "program/scanner_program.h"
#include "scanner/DORNIK_scanner_unit.h"

int main(int argc, char** argv) {
  const scanner_identity identity{
      QStringLiteral("Converts exsitu traverse files into scan files and insitu files into inline "
                     "files of the measurement their probe head is assigned to."),
      program::deployment_kind::dornik};
  return run_scanner_program(argc, argv, identity,
                             [] { return std::make_unique<TDORNIK_scanner_main>(); });
}
