#include "platform/session.h"

#include "platform/journal.h"
#include "platform/windows_support.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QStringList>

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <cstdio>

namespace platform {
namespace {

using windows_support::native;

std::function<void()> termination_handler;
// Set once the handler has run on the main thread: the settings are written.
HANDLE termination_done = nullptr;

// Runs the handler on the main thread, from the event loop, and marks it done.
void queue_termination() {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [] {
        if (termination_handler) termination_handler();
        SetEvent(termination_done);
      },
      Qt::QueuedConnection);
}

// How long a console close, log-off or shutdown waits for the settings to
// be written: Windows ends the process once the handler returns, and gives
// it about five seconds in all.
constexpr DWORD kEndingWaitMs = 4500;

// Runs on a thread of the console, not the main thread.
BOOL WINAPI note_console_event(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      queue_termination();
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      queue_termination();
      WaitForSingleObject(termination_done, kEndingWaitMs);
      return TRUE;
    default:
      return FALSE;
  }
}

// A hidden top-level window of the main thread: only such a window hears of
// log-off and shutdown (WM_ENDSESSION), console or not. The message comes
// through the event loop's own dispatch, so the handler runs at once and
// the settings are written before the window procedure returns, after which
// Windows may end the process.
LRESULT CALLBACK session_window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_QUERYENDSESSION) return TRUE;
  // "taskkill /PID" without /F asks so: the Windows form of SIGTERM.
  if (message == WM_CLOSE) {
    if (termination_handler) termination_handler();
    return 0;
  }
  if (message == WM_ENDSESSION) {
    if (w && termination_handler) termination_handler();
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

bool create_session_window() {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = session_window_procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"DornikScannerSession";
  if (!RegisterClassW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  return CreateWindowExW(0, window_class.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                         nullptr, window_class.hInstance, nullptr) != nullptr;
}

// Whether the process's window station is one a user sees: not so for a
// service or a task that runs whether anyone is logged on or not.
bool desktop_visible() {
  USEROBJECTFLAGS flags{};
  const HWINSTA station = GetProcessWindowStation();
  if (station == nullptr ||
      !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
    return true;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

bool headless_session() {
  return !desktop_visible() && chosen_platform_draws_nowhere();
}

// LockFileEx on the whole file: released by the system when the process
// ends, however it ends.
Status hold_instance_lock(const QString& lock_file) {
  // Kept open on purpose: closing it would release the lock.
  const HANDLE held = CreateFileW(native(lock_file).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return Status::Error(windows_support::kind_of(error) == Status::Kind::denied
                             ? Status::Kind::denied
                             : Status::Kind::other,
                         QStringLiteral("Cannot open \"%1\": %2")
                             .arg(lock_file, windows_support::error_text(error)));
  }
  OVERLAPPED whole{};
  if (LockFileEx(held, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                 &whole)) {
    return Status::Ok();
  }
  const DWORD error = GetLastError();
  CloseHandle(held);
  return Status::Error(
      error == ERROR_LOCK_VIOLATION ? Status::Kind::busy : Status::Kind::other,
      QStringLiteral("Cannot lock \"%1\": %2").arg(lock_file, windows_support::error_text(error)));
}

QString shared_lock_file(const QString& folder, const QString& name) {
  const windows_support::unique_handle handle = windows_support::open_file(
      folder, 0, windows_support::kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (!handle.valid()) return QString();
  BY_HANDLE_FILE_INFORMATION identity{};
  if (!GetFileInformationByHandle(handle.get(), &identity)) return QString();
  const quint64 index = (quint64(identity.nFileIndexHigh) << 32) | identity.nFileIndexLow;
  return with_delimiter(env().temp_folder()) + name +
         QStringLiteral("_%1_%2")
             .arg(qulonglong(identity.dwVolumeSerialNumber), 0, 16)
             .arg(qulonglong(index), 0, 16);
}

Status on_termination_request(std::function<void()> handler) {
  termination_handler = std::move(handler);
  termination_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // Without a console (a window program started from the desktop) no console
  // event comes; the session window still hears of log-off.
  if (!termination_done || !SetConsoleCtrlHandler(note_console_event, TRUE) ||
      !create_session_window()) {
    return Status::Error(QStringLiteral("Cannot watch for termination requests: ") +
                         windows_support::error_text(GetLastError()));
  }
  return Status::Ok();
}

// Windows has no journal stream; the lines stay plain.
bool stderr_is_journal() {
  return false;
}

bool send_to_system_journal(const journal_line&, const journal_fields&) {
  return false;
}

bool stderr_is_terminal() {
  return _isatty(_fileno(stderr)) != 0;
}

void use_binary_standard_streams() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

QStringList layout_font_files() {
  return {};
}

// A Windows service would report through the service control manager; the
// scanner runs as a program there.
void tell_service_manager_ready() {}

int service_alive_interval_ms() {
  return 0;
}

void tell_service_manager_alive() {}

}  // namespace platform
