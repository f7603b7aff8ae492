#include "platform/append_file.h"

#include "platform/file_error.h"
#include "platform/file_pieces.h"
#include "platform/windows_support.h"

namespace platform {
namespace {

using windows_support::kind_of;
using windows_support::open_file;
using windows_support::unique_handle;

// Failures once the file is open lost data: I/O, whatever the code says.
Status append_error(const QString& path, DWORD error) {
  const Status::Kind kind = kind_of(error);
  return file_error(
      kind == Status::Kind::not_found || kind == Status::Kind::denied ? kind : Status::Kind::io,
      QStringLiteral("append to"), path, windows_support::error_text(error));
}

}  // namespace

Status append_to_file(const QString& path, const QByteArray& data) {
  // FILE_APPEND_DATA alone: every write goes to the end, as O_APPEND does.
  const unique_handle file =
      open_file(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
  if (!file.valid()) return append_error(path, GetLastError());
  if (!windows_support::write_all(file.get(), data.constData(), data.size()) ||
      !FlushFileBuffers(file.get())) {
    return append_error(path, GetLastError());
  }
  return Status::Ok();
}

Status read_in_pieces(const QString& path,
                      const std::function<void(const char*, qsizetype)>& take) {
  const unique_handle file =
      open_file(path, GENERIC_READ, windows_support::kShareAll, OPEN_EXISTING);
  if (!file.valid()) return windows_support::win_error("read", path);
  char buffer[64 * 1024];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      return windows_support::win_error("read", path);
    }
    if (got == 0) return Status::Ok();
    take(buffer, got);
  }
}

bool ends_in_cut_line(const QString& path) {
  const unique_handle file =
      open_file(path, GENERIC_READ, windows_support::kShareAll, OPEN_EXISTING);
  LARGE_INTEGER size{};
  if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart == 0) return false;
  LARGE_INTEGER last{};
  last.QuadPart = size.QuadPart - 1;
  char byte = '\n';
  DWORD got = 0;
  return SetFilePointerEx(file.get(), last, nullptr, FILE_BEGIN) &&
         ReadFile(file.get(), &byte, 1, &got, nullptr) && got == 1 && byte != '\n';
}

}  // namespace platform
