#pragma once

// Zeiss plate files made to order: three lines of preamble, the stamp line,
// one position line per position (plate in field 2, position 100 (r + 1) in
// field 4), a closing line, then three blocks: a spectrum line, a header of
// three lines whose second holds the wavelengths 380 + 5 i nm, and one value
// line per position.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace test_support {

struct zeiss_measurement {
  QString plate = QStringLiteral("0042");
  int positions = 15;
  int points = 81;
  // Per block: the header with its axis line, or the values right after
  // the spectrum line.
  bool header[3] = {true, true, true};
  // Wavelengths in micrometres (0.380 ...), as some exports write them.
  bool micrometres = false;
  bool stamp = true;
  // The text of block s at position r, point i.
  std::function<QString(int s, int r, int i)> value = [](int s, int r, int i) {
    return QString::number(spectral_value(s, r, i), 'f', 3);
  };

  static double spectral_value(int s, int r, int i) { return s * 100 + r + i / 1000.0; }
  static int position(int r) { return 100 * (r + 1); }
};

QStringList zeiss_lines(const zeiss_measurement& m);
QByteArray zeiss_bytes(const zeiss_measurement& m);
QByteArray zeiss_bytes(const QStringList& lines);

}  // namespace test_support
