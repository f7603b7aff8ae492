#include "platform/held_file.h"

#include "platform/windows_support.h"

namespace platform {

struct held_file::descriptor {
  explicit descriptor(HANDLE handle) : handle(handle) {}
  windows_support::unique_handle handle;
};

// Shared for reading only, as a writing instrument opens its file: no claim
// can rename it while it is held.
held_file::held_file(const QString& path)
    : fd_(std::make_unique<descriptor>(
          CreateFileW(windows_support::native(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))) {}

held_file::~held_file() = default;

bool held_file::is_open() const {
  return fd_->handle.valid();
}

void held_file::close() {
  if (is_open()) fd_->handle.close();
}

}  // namespace platform
