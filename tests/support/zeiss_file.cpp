#include "support/zeiss_file.h"

namespace test_support {

QStringList zeiss_lines(const zeiss_measurement& m) {
  QStringList lines{"Zeiss MCS export;", "Operator;line 2;", ""};
  lines << (m.stamp ? "Stamp;Plate;Date;Position" : "Plate;Date;Position");
  for (int r = 0; r < m.positions; ++r) {
    lines << QStringLiteral("%1;%2;2024-03-05;%3").arg(r + 1).arg(m.plate).arg(m.position(r));
  }
  lines << "End of positions;;;";
  for (int s = 0; s < 3; ++s) {
    lines << QStringLiteral("Spectrum %1;R").arg(s + 1);
    if (m.header[s]) {
      lines << ";nm;";
      QStringList axis;
      for (int i = 0; i < m.points; ++i) {
        axis << (m.micrometres ? QString::number((380 + 5 * i) / 1000.0, 'f', 3)
                               : QString::number(380 + 5 * i));
      }
      lines << axis.join(';') + ";";
      lines << ";%;";
    }
    for (int r = 0; r < m.positions; ++r) {
      QStringList values;
      for (int i = 0; i < m.points; ++i) values << m.value(s, r, i);
      lines << values.join(';');
    }
  }
  return lines;
}

QByteArray zeiss_bytes(const QStringList& lines) {
  return (lines.join("\r\n") + "\r\n").toLatin1();
}

QByteArray zeiss_bytes(const zeiss_measurement& m) {
  return zeiss_bytes(zeiss_lines(m));
}

}  // namespace test_support
