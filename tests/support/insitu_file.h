#pragma once

// Insitu measurement files as a probe head writes them, for the conversion
// and scan-step tests.
//
//   test_support::insitu_measurement m;
//   m.plate = "1234";
//   basics::write_lines(path, test_support::insitu_lines(m));

#include <QString>
#include <QStringList>

namespace test_support {

struct insitu_measurement {
  QString plate = QStringLiteral("1234");
  QString probe_head = QStringLiteral("Head A");
  int header_line = 20;  // 8 or later; 0: no table header at all
  QString header = QStringLiteral("Wave length [nm],Dark,Reference,Transmission [%]");
  // The lines after the header, as written; an empty line ends them.
  QStringList data = default_data();
  // Lines written in all: filler after the blank line that ends the table,
  // or the file cut short.
  int line_count = 141;

  // 120 lines of wavelength, dark, reference and transmission, 380 to 975 nm.
  static QStringList default_data();
};

QStringList insitu_lines(const insitu_measurement& m);

// The output a conversion of `data` gives: field 1 and the last field of
// the first line, joined by a comma, line by line.
QStringList insitu_pairs(const QStringList& data);

}  // namespace test_support
