#pragma once

// TULMEN traverse files made to order: line 6 the three labels and the
// positions, lines 296-556 the first spectrum (wavelength 380 + 5 i nm, two
// skipped fields, the values each followed by a comma), lines 560-820 the
// second (three skipped fields, the values), every other line filler.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace test_support {

struct tulmen_measurement {
  // The header's position fields after the three labels.
  QStringList positions{"10", "20", "30"};
  // Lines in the file; fewer than 820 cut it.
  int lines = 820;
  // The text of spectrum s (0 or 1) at point i (0-260) of position j.
  std::function<QString(int s, int i, int j)> value = [](int s, int i, int j) {
    return QString::number(spectral_value(s, i, j), 'f', 3);
  };
  // The first-block lines that end without a comma after the last value.
  QList<int> without_last_comma;

  static double spectral_value(int s, int i, int j) { return s * 10 + j + i / 1000.0; }
  static int wavelength(int i) { return 380 + 5 * i; }
};

QStringList tulmen_lines(const tulmen_measurement& m);
// The lines with CR LF, as the instrument writes them.
QByteArray tulmen_bytes(const tulmen_measurement& m);
// `count` positions 100, 200, ...
QStringList tulmen_positions(int count);

}  // namespace test_support
