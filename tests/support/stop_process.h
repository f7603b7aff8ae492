#pragma once

// Asking a started program to end, as the system asks it: SIGTERM or SIGINT
// on Linux, WM_CLOSE to its windows on Windows (what "taskkill /PID" sends);
// SIGKILL on both ends it at once, as a power cut or TerminateProcess would.

#include <QProcess>

#include <csignal>

#ifndef SIGKILL
#define SIGKILL 9  // not named on Windows; here it means TerminateProcess
#endif

namespace test_support {

void send_stop(const QProcess& process, int signal);

#ifdef _WIN32
// Posts WM_CLOSE to the top-level windows of `process` on `desktop` (an
// HDESK; null: the caller's own desktop).
void close_windows_of(const QProcess& process, void* desktop = nullptr);
#endif

}  // namespace test_support
