#include "support/no_display.h"

#include <gtest/gtest.h>

#include "support/stop_process.h"

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#endif

namespace test_support {

#ifdef _WIN32
// Without WSF_VISIBLE in its flags, as only the interactive station has it.
no_display::no_display() {
  static std::atomic<int> made{0};
  const std::wstring station_name =
      L"no_display_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(made++);
  const HWINSTA station = CreateWindowStationW(station_name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
  EXPECT_NE(station, nullptr) << "CreateWindowStation: " << GetLastError();
  station_ = station;
  // A desktop is made in the process's own station: this one, for a moment.
  const HWINSTA own = GetProcessWindowStation();
  if (station != nullptr && SetProcessWindowStation(station)) {
    desktop_ = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(own);
  }
  EXPECT_NE(desktop_, nullptr) << "CreateDesktop: " << GetLastError();
  desktop_name_ = station_name + L"\\Default";
}

no_display::~no_display() {
  if (desktop_ != nullptr) CloseDesktop(static_cast<HDESK>(desktop_));
  if (station_ != nullptr) CloseWindowStation(static_cast<HWINSTA>(station_));
}

void no_display::start(QProcess& process, const QString& program, const QStringList& arguments,
                       QProcessEnvironment environment) {
  process.setProcessEnvironment(environment);
  process.setCreateProcessArgumentsModifier([this](QProcess::CreateProcessArguments* created) {
    created->startupInfo->lpDesktop = desktop_name_.data();
  });
  process.start(program, arguments);
}

void no_display::send_stop(const QProcess& process, int signal) const {
  if (signal == SIGKILL) {
    test_support::send_stop(process, signal);
  } else {
    close_windows_of(process, desktop_);
  }
}
#else
no_display::no_display() = default;
no_display::~no_display() = default;

void no_display::start(QProcess& process, const QString& program, const QStringList& arguments,
                       QProcessEnvironment environment) {
  for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    environment.remove(QString::fromLatin1(display));
  }
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
}

void no_display::send_stop(const QProcess& process, int signal) const {
  test_support::send_stop(process, signal);
}
#endif

}  // namespace test_support
