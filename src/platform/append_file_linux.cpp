#include "platform/append_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

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

// Collects one line from the pieces read; a line past `longest` bytes is
// dropped as it comes, so it never grows beyond that.
class line_collector {
 public:
  explicit line_collector(qsizetype longest) : longest_(longest) {}
  void add(const char* bytes, qsizetype count) {
    if (too_long_) return;
    if (line_.size() + count > longest_) {
      too_long_ = true;
      line_ = QByteArray();
      return;
    }
    line_.append(bytes, count);
  }
  bool holds_something() const { return !line_.isEmpty() || too_long_; }
  void hand_to(const std::function<void(QByteArrayView, bool)>& take) {
    take(line_, too_long_);
    line_.resize(0);
    too_long_ = false;
  }

 private:
  qsizetype longest_;
  QByteArray line_;
  bool too_long_ = false;
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

Status read_log_lines(const QString& path, qsizetype longest,
                      const std::function<void(QByteArrayView line, bool too_long)>& take) {
  const open_file file(path);
  if (file.fd() < 0) return read_error(path, errno);
  line_collector line(longest);
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(file.fd(), buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return read_error(path, errno);
    }
    const char* next = buffer;
    const char* const end = buffer + got;
    while (next < end) {
      const auto* line_break =
          static_cast<const char*>(std::memchr(next, '\n', size_t(end - next)));
      line.add(next, (line_break ? line_break : end) - next);
      if (!line_break) break;
      line.hand_to(take);
      next = line_break + 1;
    }
  }
  if (line.holds_something()) line.hand_to(take);
  return Status::Ok();
}

bool ends_in_cut_line(const QString& path) {
  const open_file file(path);
  struct stat info {};
  if (file.fd() < 0 || ::fstat(file.fd(), &info) != 0 || info.st_size == 0) return false;
  char last = '\n';
  return ::pread(file.fd(), &last, 1, info.st_size - 1) == 1 && last != '\n';
}

}  // namespace platform
