#include "platform/append_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_error.h"

namespace platform {
namespace {

Status append_error(const QString& path, int error) {
  const Status::Kind kind = error == ENOENT                     ? Status::Kind::not_found
                            : error == EACCES || error == EROFS ? Status::Kind::denied
                                                                : Status::Kind::io;
  return file_error(kind, QStringLiteral("append to"), path,
                    QString::fromLocal8Bit(std::strerror(error)));
}

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

}  // namespace platform
