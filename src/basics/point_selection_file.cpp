#include "basics/point_selection_file.h"

#include "basics/key_value.h"
#include "basics/text_file.h"

#include <QStringList>

namespace basics {
namespace {

QString point_key(int n) {
  return QStringLiteral("Point ") + QString::number(n);
}

}  // namespace

void read_point_selection_file(const QString& path, QVector<bool>& point_selected) {
  const QStringList lines = read_lines(path);
  if (point_selected.size() < kTraversePointCount + 1) {
    point_selected.resize(kTraversePointCount + 1);
  }
  for (int n = 1; n <= kTraversePointCount; ++n) {
    point_selected[n] = ini_read_integer(point_key(n), lines, 0) == 1;
  }
}

void write_point_selection_file(const QString& path, const QVector<bool>& point_selected) {
  QStringList lines;
  for (int n = 1; n <= kTraversePointCount; ++n) {
    const bool selected = n < point_selected.size() && point_selected[n];
    lines << point_key(n) << (selected ? QStringLiteral("1") : QStringLiteral("0"));
  }
  write_settings_lines(path, lines);
}

}  // namespace basics
