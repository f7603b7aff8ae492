#include "basics/inline_file.h"

namespace basics {

QList<QPointF> inline_curve(const QStringList& lines) {
  QList<QPointF> points;
  for (const QString& line : lines) {
    const QStringList fields = line.split(QLatin1Char(','));
    if (fields.size() != 2) continue;
    bool x_ok = false;
    bool y_ok = false;
    // Always a point as the decimal separator, whatever the locale.
    const double x = fields[0].trimmed().toDouble(&x_ok);
    const double y = fields[1].trimmed().toDouble(&y_ok);
    if (x_ok && y_ok) points << QPointF(x, y);
  }
  return points;
}

}  // namespace basics
