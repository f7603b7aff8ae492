// The DORNIK spectrum scanner: exsitu and insitu measurements converted for
// the analysis programs, in the main window of the scanner family.

#include "program/scanner_program.h"
#include "scanner/DORNIK_scanner_unit.h"

int main(int argc, char** argv) {
  return run_scanner_program(argc, argv, [] { return std::make_unique<TDORNIK_scanner_main>(); });
}
