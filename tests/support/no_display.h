#pragma once

// Starting a program where no display is, as a service manager starts it,
// and asking it to end as the system then does. On Linux: without DISPLAY
// and WAYLAND_DISPLAY. On Windows: in a window station of its own, whose
// desktop no user sees, as a service or a task run whether the user is
// logged on or not gets one; asked to end with WM_CLOSE to its windows
// there (what "taskkill /PID" sends).

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>

namespace test_support {

class no_display {
 public:
  no_display();
  ~no_display();
  no_display(const no_display&) = delete;
  no_display& operator=(const no_display&) = delete;

  // Starts `program` with `arguments` in `process`, with `environment` less
  // the display variables.
  void start(QProcess& process, const QString& program, const QStringList& arguments,
             QProcessEnvironment environment);
  // As send_stop() does, for a program started here.
  void send_stop(const QProcess& process, int signal) const;

 private:
#ifdef _WIN32
  void* station_ = nullptr;
  void* desktop_ = nullptr;
  std::wstring desktop_name_;  // "station\desktop", as CreateProcess takes it
#endif
};

}  // namespace test_support
