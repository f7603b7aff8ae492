#include "platform/session.h"

#include "platform/journal.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace platform {
namespace {

// The self-pipe: the signal handler only writes a byte, the event loop reads
// it and runs the program's handler outside the signal's context.
int signal_pipe[2] = {-1, -1};

void note_signal(int) {
  const int saved_errno = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(signal_pipe[1], &byte, 1);
  errno = saved_errno;
}

void drain_signal_pipe() {
  char bytes[64];
  while (::read(signal_pipe[0], bytes, sizeof bytes) > 0) {
  }
}

}  // namespace

bool headless_session() {
  return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
         qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

Status on_termination_request(std::function<void()> handler) {
  if (::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    return Status::Error(QStringLiteral("Cannot watch for termination requests: ") +
                         QString::fromLocal8Bit(std::strerror(errno)));
  }
  auto* notifier =
      new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler = std::move(handler)] {
    drain_signal_pipe();
    handler();
  });

  struct sigaction action {};
  action.sa_handler = note_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  return Status::Ok();
}

bool stderr_is_journal() {
  const QList<QByteArray> parts = qgetenv("JOURNAL_STREAM").split(':');
  if (parts.size() != 2) return false;
  bool device_ok = false;
  bool inode_ok = false;
  const qulonglong device = parts[0].toULongLong(&device_ok);
  const qulonglong inode = parts[1].toULongLong(&inode_ok);
  if (!device_ok || !inode_ok) return false;
  struct stat status {};
  if (::fstat(2, &status) != 0) return false;
  return static_cast<qulonglong>(status.st_dev) == device &&
         static_cast<qulonglong>(status.st_ino) == inode;
}

}  // namespace platform
