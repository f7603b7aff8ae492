#include "platform/windows_support.h"

#include <QDir>

#include <algorithm>

#include "platform/file_error.h"

namespace platform::windows_support {

std::wstring native(const QString& path) {
  if (path.isEmpty()) return std::wstring();
  const std::wstring given = QDir::toNativeSeparators(path).toStdWString();
  if (given.rfind(L"\\\\?\\", 0) == 0) return given;
  // GetFullPathNameW resolves "." and "..", which "\\?\" paths must not hold.
  const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return given;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return given;
  full.resize(length);
  if (full.rfind(L"\\\\.\\", 0) == 0) return full;  // a device
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

QString error_text(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD length = FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0) {
    length =
        FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  }
  if (length == 0) return QStringLiteral("System error %1").arg(error);
  QString message = QString::fromWCharArray(text, int(length)).trimmed();
  LocalFree(text);
  // The messages end with a full stop; ours go on after them.
  if (message.endsWith(QLatin1Char('.'))) message.chop(1);
  return message;
}

Status::Kind kind_of(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
      return Status::Kind::busy;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return Status::Kind::exists;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
      return Status::Kind::not_found;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
      return Status::Kind::denied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_CRC:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_IO_DEVICE:
      return Status::Kind::io;
    default:
      return Status::Kind::other;
  }
}

Status win_error(const QString& action, const QString& path, DWORD error) {
  return file_error(kind_of(error), action, path, error_text(error));
}

Status win_error(const QString& action, const QString& from, const QString& to, DWORD error) {
  return file_error(kind_of(error), action, from, to, error_text(error));
}

Status io_error(const QString& action, const QString& path, DWORD error) {
  return file_error(Status::Kind::io, action, path, error_text(error));
}

unique_handle open_file(const QString& path, DWORD access, DWORD share, DWORD disposition,
                        DWORD flags) {
  return unique_handle(
      CreateFileW(native(path).c_str(), access, share, nullptr, disposition, flags, nullptr));
}

bool write_all(HANDLE file, const char* data, qint64 size) {
  while (size > 0) {
    const DWORD chunk = DWORD(std::min<qint64>(size, qint64(1) << 30));
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace platform::windows_support
