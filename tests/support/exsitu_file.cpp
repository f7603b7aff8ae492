#include "support/exsitu_file.h"

#include <QDate>
#include <QtEndian>

namespace test_support {

namespace {

template <class T>
void append(QByteArray& bytes, T value) {
  char raw[sizeof(T)];
  qToLittleEndian(value, raw);
  bytes.append(raw, sizeof(T));
}

}  // namespace

exsitu_plate plate_with(int positions, const QString& plate) {
  exsitu_plate p;
  p.plate = plate;
  for (int i = 0; i < positions; ++i) {
    p.positions << QString::number(10 * (i + 1));
    p.resistances << QString::number(1.5 + i * 0.25);
  }
  return p;
}

QStringList exsitu_lines(const exsitu_plate& p) {
  QStringList lines;
  const int written = qMax(p.line_count, 404);
  for (int n = 1; n <= written; ++n) lines << QStringLiteral("filler %1").arg(n);
  lines[3] = QStringLiteral("Plate number,") + p.plate;
  lines[7] = QStringLiteral("Position,mm,x,") + p.positions.join(u',');
  if (p.marker) {
    lines[9] = QStringLiteral("  Sheet resistance ");
    lines[10] = QStringLiteral("R,Ohm,x,") + p.resistances.join(u',');
  }
  const int first_lines[] = {36, 160, 284};
  for (int s = 0; s < 3; ++s) {
    for (int j = 0; j < 121; ++j) {
      QStringList fields = {QString::number(380 + 5 * j), "nm", "x"};
      for (int i = 0; i < p.positions.size(); ++i) fields << p.value(s, i, j);
      lines[first_lines[s] + j - 1] = fields.join(u',');
    }
  }
  return lines.mid(0, p.line_count);
}

double ole_days(const QDateTime& time) {
  return QDate(1899, 12, 30).daysTo(time.date()) + time.time().msecsSinceStartOfDay() / 86400000.0;
}

QByteArray expected_scan_file(const exsitu_plate& p, const QDateTime& time) {
  QByteArray bytes;
  const int n = p.positions.size();
  append(bytes, 1.2f);
  append<qint32>(bytes, n);
  append<qint32>(bytes, 3);
  append<qint32>(bytes, 121);
  for (const QString& position : p.positions) append<qint32>(bytes, position.toInt());
  for (const QString& r : p.resistances) append(bytes, r.toFloat());
  for (int s = 0; s < 3; ++s) {
    append(bytes, 380.0f);
    append(bytes, 980.0f);
    append<qint32>(bytes, 121);
  }
  for (int i = 0; i < n; ++i)
    for (int s = 0; s < 3; ++s)
      for (int j = 0; j < 121; ++j) append(bytes, float(exsitu_plate::spectral_value(s, i, j)));
  append(bytes, ole_days(time));
  return bytes;
}

}  // namespace test_support
