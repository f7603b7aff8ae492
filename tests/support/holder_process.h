#pragma once

// A real second process that holds a file open, for the claiming tests.

#include <QProcess>
#include <QString>

namespace test_support {

class holder_process {
 public:
  // shared_delete: read, letting others rename or delete the file (Windows;
  // on Linux the same as read).
  enum class mode { read, write, shared_delete };
  // Starts the holder and waits until it has the file open.
  holder_process(const QString& path, mode how);
  ~holder_process();  // closes the file and waits for the process to end
  void release();     // the same, earlier

 private:
  QProcess process_;
};

}  // namespace test_support
