#include "platform/session.h"

#include "platform/journal.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <windows.h>

#include <io.h>
#include <cstdio>

namespace platform {
namespace {

std::function<void()> termination_handler;

// Runs on a thread of the console; the handler itself runs on the main thread.
BOOL WINAPI note_console_event(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), termination_handler,
                            Qt::QueuedConnection);
  return TRUE;
}

}  // namespace

// Windows always offers the desktop to a program that shows a window.
bool headless_session() {
  return false;
}

// A file opened without sharing stays locked until the process ends.
Status hold_instance_lock(const QString& lock_file) {
  const HANDLE held =
      CreateFileW(reinterpret_cast<LPCWSTR>(lock_file.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (held != INVALID_HANDLE_VALUE) return Status::Ok();
  return Status::Error(
      GetLastError() == ERROR_SHARING_VIOLATION ? Status::Kind::busy : Status::Kind::other,
      QStringLiteral("Cannot lock \"%1\"").arg(lock_file));
}

QString shared_lock_file(const QString& folder, const QString& name) {
  const HANDLE handle = CreateFileW(reinterpret_cast<LPCWSTR>(folder.utf16()), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return QString();
  BY_HANDLE_FILE_INFORMATION identity{};
  const bool known = GetFileInformationByHandle(handle, &identity);
  CloseHandle(handle);
  if (!known) return QString();
  const quint64 index = (quint64(identity.nFileIndexHigh) << 32) | identity.nFileIndexLow;
  return with_delimiter(env().temp_folder()) + name +
         QStringLiteral("_%1_%2")
             .arg(qulonglong(identity.dwVolumeSerialNumber), 0, 16)
             .arg(qulonglong(index), 0, 16);
}

Status on_termination_request(std::function<void()> handler) {
  termination_handler = std::move(handler);
  if (!SetConsoleCtrlHandler(note_console_event, TRUE)) {
    return Status::Error(QStringLiteral("Cannot watch for termination requests"));
  }
  return Status::Ok();
}

// A Windows service has no journal stream; its lines stay plain.
bool stderr_is_journal() {
  return false;
}

bool stderr_is_terminal() {
  return _isatty(_fileno(stderr)) != 0;
}

}  // namespace platform
