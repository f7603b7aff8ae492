#pragma once

// The main window of the DORNIK spectrum scanner: converts exsitu traverse
// measurements into scan files and insitu probe-head measurements into inline
// files, using the probe-head translation table. The conversions themselves
// live in src/conversion; this window fills their context.

#include "basics/sprachen.h"
#include "conversion/insitu_conversion.h"
#include "scanner/halvik_spectrum_scanner_Unit.h"

class TDORNIK_scanner_main : public THalvik_scanner_main {
  Q_OBJECT

 public:
  explicit TDORNIK_scanner_main(QWidget* parent = nullptr);

  // 33 positions, 3 spectra, 121 points from 380 to 980 nm.
  void initialize_sc_data() override;
  // The scan record's 33 positions, whatever the point selection says.
  int no_selected_points() override;
  void handle_exsitu_data() override;
  void handle_insitu_data() override;

  basics::sprachen destination_translation;

 protected:
  void FormCreate() override;
  // Also an external archive directory.
  QString converted_archive_root() const override;

 private:
  // What the insitu scan carries from file to file: the plate it shares
  // with the exsitu files.
  conversion::insitu_state insitu_state_{zeiss_plate};
};
