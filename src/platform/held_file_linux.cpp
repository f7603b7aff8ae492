#include "platform/held_file.h"

#include <fcntl.h>

#include "platform/linux_support.h"

namespace platform {

struct held_file::descriptor {
  explicit descriptor(int fd) : fd(fd) {}
  linux_support::unique_fd fd;
};

held_file::held_file(const QString& path)
    : fd_(std::make_unique<descriptor>(::open(linux_support::native(path).constData(),
                                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666))) {}

held_file::~held_file() = default;

bool held_file::is_open() const {
  return fd_->fd.valid();
}

void held_file::close() {
  if (is_open()) fd_->fd.close();
}

}  // namespace platform
