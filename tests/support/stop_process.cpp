#include "support/stop_process.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/types.h>
#endif

namespace test_support {

#ifdef _WIN32
namespace {

BOOL CALLBACK close_window_of(HWND window, LPARAM process_id) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == DWORD(process_id)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

void close_windows_of(const QProcess& process, void* desktop) {
  EnumDesktopWindows(static_cast<HDESK>(desktop), close_window_of,
                     LPARAM(DWORD(process.processId())));
}

void send_stop(const QProcess& process, int signal) {
  const DWORD id = DWORD(process.processId());
  if (signal == SIGKILL) {
    const HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, id);
    if (handle != nullptr) {
      TerminateProcess(handle, 9);
      CloseHandle(handle);
    }
    return;
  }
  close_windows_of(process);
}
#else
void send_stop(const QProcess& process, int signal) {
  ::kill(static_cast<pid_t>(process.processId()), signal);
}
#endif

}  // namespace test_support
