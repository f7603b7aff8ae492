#pragma once

// What the Windows files of the platform layer share: paths as the wide
// Win32 calls take them (long paths included), handles that close
// themselves, and system errors as a Status of the right kind.

#include <QString>

#include <windows.h>

#include <string>
#include <utility>

#include "platform/env.h"

namespace platform::windows_support {

// `path` as the wide calls take it: made absolute (against the working
// folder), "/" turned into "\", and prefixed with "\\?\" ("\\?\UNC\" for a
// share), so a path beyond MAX_PATH works without any setting of the system.
std::wstring native(const QString& path);

// The text of a wide string the system gave.
inline QString from_native(const wchar_t* text) {
  return QString::fromWCharArray(text);
}

// The system's text for `error`, in English where the system has it.
QString error_text(DWORD error);

// The one place that says which kind of failure a system error is.
Status::Kind kind_of(DWORD error);

// `error` defaults to the error of the call that just failed.
Status win_error(const QString& action, const QString& path, DWORD error = GetLastError());
Status win_error(const QString& action, const QString& from, const QString& to,
                 DWORD error = GetLastError());

// Data that did not reach the disk once the file was open is an I/O failure,
// whatever the error code names.
Status io_error(const QString& action, const QString& path, DWORD error = GetLastError());

// Closes its handle when it goes out of scope.
class unique_handle {
 public:
  explicit unique_handle(HANDLE handle) : handle_(handle) {}
  ~unique_handle() {
    if (valid()) CloseHandle(handle_);
  }
  unique_handle(const unique_handle&) = delete;
  unique_handle& operator=(const unique_handle&) = delete;
  unique_handle(unique_handle&& other) noexcept
      : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  // Closes now and reports whether the close worked.
  bool close() { return CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != 0; }

 private:
  HANDLE handle_;
};

// Opens `path` with CreateFileW; `flags` adds to the attributes.
unique_handle open_file(const QString& path, DWORD access, DWORD share, DWORD disposition,
                        DWORD flags = FILE_ATTRIBUTE_NORMAL);

// Every sharing mode: what the scanner opens must never stop another
// program, nor its own claim, from working on the file.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Writes all of `size` bytes at `data`; false on any failure or short write.
bool write_all(HANDLE file, const char* data, qint64 size);

}  // namespace platform::windows_support
