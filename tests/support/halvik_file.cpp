#include "support/halvik_file.h"

namespace test_support {

halvik_exsitu halvik_exsitu_with(int positions, const QString& plate) {
  halvik_exsitu f;
  f.plate = plate;
  for (int i = 0; i < positions; ++i) f.positions << QString::number(100 * (i + 1));
  return f;
}

QStringList halvik_exsitu_lines(const halvik_exsitu& f) {
  QStringList lines;
  const int written = qMax(f.line_count, 541);
  for (int n = 1; n <= written; ++n) lines << QStringLiteral("filler %1").arg(n);
  lines[3] = QStringLiteral("Plate number,") + f.plate;
  lines[5] = QStringLiteral("Position,mm,x,") + f.positions.join(u',');
  const int first_lines[] = {32, 203, 374};
  for (int s = 0; s < 3; ++s) {
    for (int j = 0; j < 168; ++j) {
      QStringList fields = {QString::number(305 + 5 * j), "nm", "x"};
      for (int i = 0; i < f.positions.size(); ++i) fields << f.value(s, i, j);
      lines[first_lines[s] + j - 1] = fields.join(u',');
    }
  }
  return lines.mid(0, f.line_count);
}

QStringList halvik_insitu_lines(const halvik_insitu& f) {
  QStringList lines;
  const int written = qMax(f.line_count, 139);
  for (int n = 1; n <= written; ++n) lines << QStringLiteral("filler %1").arg(n);
  lines[5] = QStringLiteral("Plate,number,") + f.plate;
  for (int w = 0; w < 121; ++w) {
    QStringList fields = {QString::number(380 + 5 * w), "nm"};
    for (int i = 0; i < 9; ++i) fields << f.value(i, w);
    lines[18 + w] = fields.join(u',');
  }
  return lines.mid(0, f.line_count);
}

}  // namespace test_support
