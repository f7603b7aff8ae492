#include "basics/point_selection_file.h"

#include "basics/error.h"
#include "basics/key_value.h"
#include "basics/text_file.h"
#include "platform/env.h"

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

std::optional<QString> read_point_selection_if_present(const QString& path,
                                                       QVector<bool>& point_selected) {
  const std::optional<platform::DirEntry> there = platform::env().entry(path);
  if (!there) return std::nullopt;
  if (there->is_folder) return QStringLiteral("it is a folder");
  if (!there->is_file) return QStringLiteral("it is not a file");
  try {
    read_point_selection_file(path, point_selected);
  } catch (const error& failure) {
    return failure.text();
  }
  return std::nullopt;
}

QString unreadable_point_selection(const QString& path, const QString& reason) {
  return QStringLiteral(
             "The point selection file %1 cannot be read (%2); every traverse point "
             "is converted.")
      .arg(path, reason);
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
