#pragma once

// Halvik instrument files made to order, for the reader, conversion, window
// and program tests and the demo.

#include <QString>
#include <QStringList>

#include <functional>

namespace test_support {

// What a Halvik exsitu file holds; halvik_exsitu_lines lays it out.
struct halvik_exsitu {
  QString plate = QStringLiteral("77");
  QStringList positions;  // field texts of the position line
  int line_count = 541;
  // The text of point j of spectrum s at file position i.
  std::function<QString(int, int, int)> value = [](int s, int i, int j) {
    return QString::number(spectral_value(s, i, j), 'f', 3);
  };
  static double spectral_value(int s, int i, int j) { return (s * 10000 + i * 168 + j) / 8.0; }
};

// A file of `positions` positions 100, 200, ...
halvik_exsitu halvik_exsitu_with(int positions, const QString& plate = QStringLiteral("77"));

// Plate on line 4, positions on line 6 from field 4, the spectra from lines
// 32, 203 and 374 (168 points each); filler lines elsewhere. The last
// spectral line is line 541.
QStringList halvik_exsitu_lines(const halvik_exsitu& f);

// What a Halvik insitu file holds: the plate on line 6, field 3; point w of
// position i (from 0) on line 19 + w, field i + 3.
struct halvik_insitu {
  QString plate = QStringLiteral("77");
  int line_count = 139;
  std::function<QString(int, int)> value = [](int i, int w) {
    return QString::number(spectral_value(i, w), 'f', 2);
  };
  static double spectral_value(int i, int w) { return 50.0 + i + w / 4.0; }
};

QStringList halvik_insitu_lines(const halvik_insitu& f);

}  // namespace test_support
