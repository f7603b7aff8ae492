#pragma once

// Exsitu measurement files made to order, and the scan file the conversion
// must make of them, for the scanner's tests, the tools' tests and the
// benchmarks.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace test_support {

// What an exsitu measurement file holds; exsitu_lines lays it out.
struct exsitu_plate {
  QString plate = QStringLiteral("1234");
  QStringList positions;  // field texts of the position line
  QStringList resistances;
  bool marker = true;
  int line_count = 404;
  // The text of point j of spectrum s at file position i.
  std::function<QString(int, int, int)> value = [](int s, int i, int j) {
    return QString::number(spectral_value(s, i, j), 'f', 3);
  };
  static double spectral_value(int s, int i, int j) { return (s * 5000 + i * 121 + j) / 8.0; }
};

// A plate of `positions` positions 10, 20, ... with sheet resistances 1.5,
// 1.75, ...
exsitu_plate plate_with(int positions, const QString& plate = QStringLiteral("1234"));

// The lines of the file: plate in line 4, positions in line 8, the marker in
// line 10 and the sheet resistances in line 11, the three spectra from lines
// 36, 160 and 284; filler lines elsewhere.
QStringList exsitu_lines(const exsitu_plate& p);

// The OLE date of `time`, counted here from the calendar.
double ole_days(const QDateTime& time);

// The scan file of `p` converted with all points selected, measured at `time`.
QByteArray expected_scan_file(const exsitu_plate& p, const QDateTime& time);

}  // namespace test_support
