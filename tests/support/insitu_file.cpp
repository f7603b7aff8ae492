#include "support/insitu_file.h"

namespace test_support {

QStringList insitu_measurement::default_data() {
  QStringList lines;
  for (int j = 0; j < 120; ++j) {
    lines << QStringLiteral("%1,%2,%3,%4")
                 .arg(380 + 5 * j)
                 .arg(100 + j % 7)
                 .arg(QString::number(40000.5 + 3 * j, 'f', 1))
                 .arg(QString::number(0.8 + j / 1000.0, 'f', 4));
  }
  return lines;
}

QStringList insitu_lines(const insitu_measurement& m) {
  QStringList lines = {QStringLiteral("Insitu measurement"),
                       QStringLiteral("Line,3"),
                       QStringLiteral("Recipe,Low-E 12"),
                       QStringLiteral("Plate number,") + m.plate,
                       QStringLiteral("Date,2024-03-05"),
                       QStringLiteral("Time,14:07:09"),
                       QStringLiteral("Probe head,1,name,") + m.probe_head};
  while (lines.size() < m.header_line - 1) {
    lines << QStringLiteral("Setting %1,%2").arg(lines.size() + 1).arg(lines.size() * 3);
  }
  if (m.header_line > 0) lines << m.header << m.data << QString();
  while (lines.size() < m.line_count) lines << QStringLiteral("Remark,%1").arg(lines.size() + 1);
  return lines.mid(0, m.line_count);
}

QStringList insitu_pairs(const QStringList& data) {
  const int last = data.value(0).count(QLatin1Char(',')) + 1;
  QStringList pairs;
  for (const QString& line : data) {
    const QStringList fields = line.split(QLatin1Char(','));
    pairs << fields[0].trimmed() + QLatin1Char(',') + fields.value(last - 1).trimmed();
  }
  return pairs;
}

}  // namespace test_support
