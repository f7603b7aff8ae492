#pragma once

// What the Linux files of the platform layer share: paths as the system
// takes them, descriptors that close themselves, and system errors as a
// Status of the right kind.
//
// Thread-safe: every helper may run on several threads at once; a descriptor
// belongs to the thread that opened it.

#include <QByteArray>
#include <QString>

#include <dirent.h>

#include <cerrno>
#include <memory>
#include <utility>

#include "platform/env.h"
#include "platform/name_encoding.h"

namespace platform::linux_support {

// `path` as the bytes the system calls take.
inline QByteArray native(const QString& path) {
  return encoded_name(path);
}

// `error` defaults to the errno of the call that just failed.
Status errno_error(const QString& action, const QString& path, int error = errno);
Status errno_error(const QString& action, const QString& from, const QString& to,
                   int error = errno);

// Data that did not reach the disk once the file was open (a failed write,
// fsync or close) is an I/O failure, whatever errno names.
Status io_error(const QString& action, const QString& path, int error = errno);

// Closes its descriptor when it goes out of scope.
class unique_fd {
 public:
  explicit unique_fd(int fd) : fd_(fd) {}
  ~unique_fd();
  unique_fd(const unique_fd&) = delete;
  unique_fd& operator=(const unique_fd&) = delete;
  unique_fd(unique_fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports whether the close worked (a deferred write error
  // can surface here).
  bool close();

 private:
  int fd_;
};

// Closes a DIR* when it goes out of scope.
struct dir_closer {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using unique_dir = std::unique_ptr<DIR, dir_closer>;

inline bool is_dot_or_dot_dot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace platform::linux_support
