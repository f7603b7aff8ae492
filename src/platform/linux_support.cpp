#include "platform/linux_support.h"

#include <unistd.h>

#include <system_error>

#include "platform/file_error.h"

namespace platform::linux_support {
namespace {

QString error_text(int error) {
  return QString::fromStdString(std::system_category().message(error));
}

// The one place that says which kind of failure a system error is.
Status::Kind kind_of(int error) {
  switch (error) {
    case EAGAIN:  // also EWOULDBLOCK
    case EBUSY:
    case ETXTBSY:
      return Status::Kind::busy;
    case EEXIST:
      return Status::Kind::exists;
    case ENOENT:
    case ENOTDIR:
      return Status::Kind::not_found;
    case EACCES:
    case EPERM:
    case EROFS:
      return Status::Kind::denied;
    case EIO:
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return Status::Kind::io;
    default:
      return Status::Kind::other;
  }
}

}  // namespace

Status errno_error(const QString& action, const QString& path, int error) {
  return file_error(kind_of(error), action, path, error_text(error));
}

Status errno_error(const QString& action, const QString& from, const QString& to, int error) {
  return file_error(kind_of(error), action, from, to, error_text(error));
}

Status io_error(const QString& action, const QString& path, int error) {
  return file_error(Status::Kind::io, action, path, error_text(error));
}

unique_fd::~unique_fd() {
  if (fd_ >= 0) ::close(fd_);
}

bool unique_fd::close() {
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0;
}

}  // namespace platform::linux_support
