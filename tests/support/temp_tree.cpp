#include "support/temp_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace test_support {

temp_tree::temp_tree() {
  EXPECT_TRUE(dir_.isValid());
}

QString temp_tree::path(const QString& relative) const {
  const QString full = relative.isEmpty() ? dir_.path() : dir_.filePath(relative);
  return QDir::toNativeSeparators(QDir::cleanPath(full));
}

QString temp_tree::make_folder(const QString& relative) const {
  QDir().mkpath(path(relative));
  return path(relative);
}

QString temp_tree::write(const QString& relative, const QByteArray& bytes) const {
  const QString full = path(relative);
  QDir().mkpath(QFileInfo(full).absolutePath());
  QFile file(full);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << full.toStdString();
  file.write(bytes);
  return full;
}

QString temp_tree::write_sparse(const QString& relative, const QByteArray& bytes,
                                qint64 size) const {
  const QString full = write(relative, bytes);
  EXPECT_TRUE(QFile::resize(full, size)) << full.toStdString();
  return full;
}

QByteArray temp_tree::read(const QString& relative) const {
  QFile file(path(relative));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

bool temp_tree::exists(const QString& relative) const {
  return QFileInfo::exists(path(relative));
}

QByteArray fixture(const QString& name) {
  QFile file(QStringLiteral(TEST_DATA_DIR "/") + name);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "missing fixture " << name.toStdString();
  return file.readAll();
}

}  // namespace test_support
