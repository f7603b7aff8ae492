#include "platform/session.h"

#include "platform/journal.h"
#include "platform/name_encoding.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QList>
#include <QSocketNotifier>
#include <QStringList>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <systemd/sd-daemon.h>
#include <systemd/sd-journal.h>
#include <unistd.h>
#include <algorithm>
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
  if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    return false;
  return chosen_platform_draws_nowhere();
}

Status hold_instance_lock(const QString& lock_file) {
  const QByteArray name = encoded_name(lock_file);
  // Kept open on purpose: closing it would release the lock.
  int held = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  // Another user's lock file (in a shared temporary folder) may be opened
  // for reading only; flock takes it all the same.
  if (held < 0 && errno == EACCES) held = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
  if (held < 0) {
    return Status::Error(errno == EACCES || errno == EPERM || errno == EROFS ? Status::Kind::denied
                                                                             : Status::Kind::other,
                         QStringLiteral("Cannot open \"%1\": %2")
                             .arg(lock_file, QString::fromLocal8Bit(std::strerror(errno))));
  }
  if (::flock(held, LOCK_EX | LOCK_NB) == 0) return Status::Ok();
  const int error = errno;
  ::close(held);
  return Status::Error(error == EWOULDBLOCK ? Status::Kind::busy : Status::Kind::other,
                       QStringLiteral("Cannot lock \"%1\": %2")
                           .arg(lock_file, QString::fromLocal8Bit(std::strerror(error))));
}

QString shared_lock_file(const QString& folder, const QString& name) {
  struct stat identity {};
  if (::stat(encoded_name(folder).constData(), &identity) != 0) return QString();
  return with_delimiter(env().temp_folder()) + name +
         QStringLiteral("_%1_%2")
             .arg(qulonglong(identity.st_dev), 0, 16)
             .arg(qulonglong(identity.st_ino), 0, 16);
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

bool send_to_system_journal(const journal_line& line, const journal_fields& fields) {
  // Without journald's socket, sd_journal_sendv drops the message and still
  // answers success.
  if (::access("/run/systemd/journal/socket", W_OK) != 0) return false;
  QList<QByteArray> entries{"MESSAGE=" + (line.prefix + line.text).toUtf8(),
                            "PRIORITY=" + QByteArray::number(static_cast<int>(line.level)),
                            QByteArray("SYSLOG_IDENTIFIER=") + program_invocation_short_name};
  for (const auto& [name, value] : fields) entries << name + '=' + value.toUtf8();
  QList<iovec> pieces;
  for (QByteArray& entry : entries) pieces.append({entry.data(), size_t(entry.size())});
  return ::sd_journal_sendv(pieces.data(), int(pieces.size())) == 0;
}

bool stderr_is_terminal() {
  return ::isatty(2) == 1;
}

// Linux streams never translate line ends.
void use_binary_standard_streams() {}

QStringList layout_font_files() {
  QStringList files;
  for (const char* name : {"tahoma.ttf", "tahomabd.ttf"}) {
    const QString file = QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(name);
    if (QFileInfo::exists(file)) files << file;
  }
  return files;
}

void tell_service_manager_ready() {
  ::sd_notify(0, "READY=1");
}

int service_alive_interval_ms() {
  uint64_t watchdog_usec = 0;
  if (::sd_watchdog_enabled(0, &watchdog_usec) <= 0) return 0;
  return int(std::max<uint64_t>(watchdog_usec / 2000, 1));
}

void tell_service_manager_alive() {
  ::sd_notify(0, "WATCHDOG=1");
}

}  // namespace platform
