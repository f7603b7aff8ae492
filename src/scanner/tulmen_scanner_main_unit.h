#pragma once

// The TULMEN window: adds the buffer of the input file being converted, the
// archive names and the scan record that conversions fill.

#include <QString>
#include <QStringList>

#include <array>

#include "basics/scan_data.h"
#include "scanner/vellic_spectrum_scanner_unit.h"

class TTULMEN_scanner_main : public TVELLIC_spectrum_scanner {
  Q_OBJECT

 public:
  explicit TTULMEN_scanner_main(QWidget* parent = nullptr);

  void timer_action() override;
  // Gives sc_data the shape of this window's scan files.
  virtual void initialize_sc_data();

  QString temp_filename_r;
  QString temp_filename_t;
  QString old_filename;
  QString extension;
  QStringList my_file_content;
  std::array<float, 261> wavelengths{};
  QString archive_path;
  quint16 this_year = 0;
  quint16 this_month = 0;
  quint16 this_day = 0;
  basics::scan_data sc_data;

  QPushButton* Button1;

 protected:
  void FormCreate() override;
};
