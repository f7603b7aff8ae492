#include "support/tulmen_file.h"

namespace test_support {

namespace {

QString values(const tulmen_measurement& m, int s, int i) {
  QString text;
  for (int j = 0; j < m.positions.size(); ++j) text += m.value(s, i, j) + QStringLiteral(",");
  if (s == 0 && m.without_last_comma.contains(i)) text.chop(1);
  return text;
}

}  // namespace

QStringList tulmen_lines(const tulmen_measurement& m) {
  QStringList lines;
  for (int number = 1; number <= m.lines; ++number) {
    if (number == 6) {
      lines << QStringLiteral("Position,mm,x,") + m.positions.join(u',');
    } else if (number >= 296 && number <= 556) {
      const int i = number - 296;
      lines << QString::number(tulmen_measurement::wavelength(i)) + QStringLiteral(",a,b,") +
                   values(m, 0, i);
    } else if (number >= 560 && number <= 820) {
      lines << QStringLiteral("c,d,e,") + values(m, 1, number - 560);
    } else {
      lines << QStringLiteral("line %1").arg(number);
    }
  }
  return lines;
}

QByteArray tulmen_bytes(const tulmen_measurement& m) {
  return tulmen_lines(m).join(QStringLiteral("\r\n")).toLatin1() + "\r\n";
}

QStringList tulmen_positions(int count) {
  QStringList positions;
  for (int j = 1; j <= count; ++j) positions << QString::number(100 * j);
  return positions;
}

}  // namespace test_support
