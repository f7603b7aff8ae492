#include "platform/append_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/file_error.h"
#include "platform/file_pieces.h"

namespace platform {
namespace {

Status append_error(const QString& path, int error) {
  const Status::Kind kind = error == ENOENT                     ? Status::Kind::not_found
                            : error == EACCES || error == EROFS ? Status::Kind::denied
                                                                : Status::Kind::io;
  return file_error(kind, QStringLiteral("append to"), path,
                    QString::fromLocal8Bit(std::strerror(error)));
}

Status read_error(const QString& path, int error) {
  const Status::Kind kind = error == ENOENT   ? Status::Kind::not_found
                            : error == EACCES ? Status::Kind::denied
                                              : Status::Kind::io;
  return file_error(kind, QStringLiteral("read"), path,
                    QString::fromLocal8Bit(std::strerror(error)));
}

// The descriptor of an open file, closed with it.
class open_file {
 public:
  explicit open_file(const QString& path)
      : fd_(::open(path_bytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
  ~open_file() {
    if (fd_ >= 0) ::close(fd_);
  }
  open_file(const open_file&) = delete;
  open_file& operator=(const open_file&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

Status append_to_file(const QString& path, const QByteArray& data) {
  const int fd = ::open(path_bytes(path).constData(),
                        O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return append_error(path, errno);
  const char* next = data.constData();
  qsizetype left = data.size();
  int error = 0;
  while (left > 0 && error == 0) {
    const ssize_t written = ::write(fd, next, size_t(left));
    if (written < 0) {
      if (errno != EINTR) error = errno;
      continue;
    }
    next += written;
    left -= written;
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  return error == 0 ? Status::Ok() : append_error(path, error);
}

Status read_in_pieces(const QString& path,
                      const std::function<void(const char*, qsizetype)>& take) {
  const open_file file(path);
  if (file.fd() < 0) return read_error(path, errno);
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(file.fd(), buffer, sizeof buffer);
    if (got == 0) return Status::Ok();
    if (got < 0) {
      if (errno == EINTR) continue;
      return read_error(path, errno);
    }
    take(buffer, got);
  }
}

bool ends_in_cut_line(const QString& path) {
  const open_file file(path);
  struct stat info {};
  if (file.fd() < 0 || ::fstat(file.fd(), &info) != 0 || info.st_size == 0) return false;
  char last = '\n';
  return ::pread(file.fd(), &last, 1, info.st_size - 1) == 1 && last != '\n';
}

}  // namespace platform
