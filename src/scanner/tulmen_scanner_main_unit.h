#pragma once

// The TULMEN window: converts TULMEN traverse files into scan files, with the
// optional product identification; adds the buffer of the input file being
// converted, the archive names and the scan record that conversions fill.
// The conversion itself lives in src/conversion; this window fills its
// context.

#include <QString>
#include <QStringList>

#include "basics/scan_data.h"
#include "conversion/tulmen_conversion.h"
#include "scanner/vellic_spectrum_scanner_unit.h"

class TTULMEN_scanner_main : public TVELLIC_spectrum_scanner {
  Q_OBJECT

 public:
  explicit TTULMEN_scanner_main(QWidget* parent = nullptr);

  void timer_action() override;
  QList<scanner::watched_folder> watched_folders() override;
  // Gives sc_data the shape of this window's scan files: 40 positions,
  // 2 spectra, 261 points from 380 to 1680 nm.
  virtual void initialize_sc_data();
  // Sets the product that `max`, the largest first-position value in the
  // product window, tells, and the output folders for it.
  void identify_tulmen_product(float max);
  // The hidden test button: how a number splits into groups of four.
  void Button1Click() override;

  QString temp_filename_r;
  QString temp_filename_t;
  QString old_filename;
  QString extension;
  QStringList my_file_content;
  QString archive_path;
  quint16 this_year = 0;
  quint16 this_month = 0;
  quint16 this_day = 0;
  basics::scan_data sc_data;

  QPushButton* Button1;

 protected:
  void FormCreate() override;

 private:
  // What the TULMEN scan carries from file to file: sc_data and the
  // wavelengths.
  conversion::tulmen_state tulmen_state_{sc_data};
};
