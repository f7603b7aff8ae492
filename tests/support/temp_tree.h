#pragma once

// A temporary folder for one test, removed afterwards, with small helpers to
// put files into it and read them back.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace test_support {

class temp_tree {
 public:
  temp_tree();
  // Absolute path of `relative` inside the tree (native delimiter), no
  // trailing delimiter; the tree itself for "".
  QString path(const QString& relative = QString()) const;
  // Creates the folders of `relative` (all levels).
  QString make_folder(const QString& relative) const;
  // Writes `bytes` to `relative`, creating its folders; returns its path.
  QString write(const QString& relative, const QByteArray& bytes) const;
  // Writes `bytes`, then stretches the file to `size` bytes with a hole of
  // zero bytes that takes no room on the disk; returns its path.
  QString write_sparse(const QString& relative, const QByteArray& bytes, qint64 size) const;
  QByteArray read(const QString& relative) const;
  bool exists(const QString& relative) const;

 private:
  QTemporaryDir dir_;
};

// The bytes of a fixture file in tests/data/.
QByteArray fixture(const QString& name);

}  // namespace test_support
