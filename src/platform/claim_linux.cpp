#include "platform/claim_linux.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>  // renameat2
#include <cstdlib>
#include <mutex>

#include "platform/file_error.h"
#include "platform/linux_support.h"

namespace platform {
namespace {

using linux_support::errno_error;
using linux_support::native;
using linux_support::unique_dir;
using linux_support::unique_fd;

// A lease holder is sent SIGIO when another process opens the file, and
// SIGIO's default action ends the process. Our leases last only for one
// rename, so the signal carries nothing we need.
void ignore_lease_break_signal() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (::sigaction(SIGIO, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      ::signal(SIGIO, SIG_IGN);
    }
  });
}

enum class lease_result { taken, file_is_open, refused };

// A write lease is granted only when no other descriptor, in any process,
// has the file open; `probe` must be our only, read-only descriptor.
lease_result take_write_lease(int probe) {
  ignore_lease_break_signal();
  if (::fcntl(probe, F_SETLEASE, F_WRLCK) == 0) return lease_result::taken;
  return errno == EAGAIN || errno == EBUSY ? lease_result::file_is_open : lease_result::refused;
}

void release_lease(int probe) {
  ::fcntl(probe, F_SETLEASE, F_UNLCK);
}

bool is_number(const char* text) {
  if (*text == '\0') return false;
  for (; *text; ++text) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

bool is_same_file(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `fds_folder` (a /proc/<pid>/fd) holds a descriptor on `file`,
// other than `ignored_fd` (-1: none).
bool holds_descriptor(const QByteArray& fds_folder, const struct stat& file, int ignored_fd) {
  const unique_dir fds(::opendir(fds_folder.constData()));
  if (!fds) return false;  // the process ended, or it is not ours to inspect
  while (const dirent* fd_entry = ::readdir(fds.get())) {
    if (!is_number(fd_entry->d_name) || std::atoi(fd_entry->d_name) == ignored_fd) continue;
    struct stat target {};
    if (::fstatat(::dirfd(fds.get()), fd_entry->d_name, &target, 0) == 0 &&
        is_same_file(target, file)) {
      return true;
    }
  }
  return false;
}

// The fallback where leases are refused: looks through every process's
// descriptors for one on `file`, skipping our own `probe`. A process whose
// descriptors we may not read goes unseen; the settle time covers that case.
bool open_in_any_process(const struct stat& file, int probe) {
  const unique_dir processes(::opendir("/proc"));
  if (!processes) return false;
  const QByteArray own_pid = QByteArray::number(::getpid());
  while (const dirent* process = ::readdir(processes.get())) {
    if (!is_number(process->d_name)) continue;
    const bool own = own_pid == process->d_name;
    if (holds_descriptor("/proc/" + QByteArray(process->d_name) + "/fd", file, own ? probe : -1)) {
      return true;
    }
  }
  return false;
}

Status not_a_file(const QString& from, const QString& to) {
  return file_error(Status::Kind::other, "rename", from, to, "Not a file");
}

Status still_open(const QString& from, const QString& to) {
  return file_error(Status::Kind::busy, "rename", from, to, "The file is still open");
}

// One claim, with the fallbacks `options` allows.
class claim {
 public:
  claim(const QString& from, const QString& to, const LinuxEnvOptions& options)
      : from_(from), to_(to), options_(options) {}

  Status run();

 private:
  Status refuse_if_open(int probe, const struct stat& file, bool* leased);
  Status rename_unreadable();
  Status rename_no_replace();
  Status rename_by_link();

  const QString& from_;
  const QString& to_;
  const LinuxEnvOptions& options_;
};

Status claim::run() {
  // O_NONBLOCK: a FIFO that happens to match a mask must not stall the scan.
  const unique_fd probe(::open(native(from_).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!probe.valid()) {
    // MoveFile claims a file its caller may not read; so do we, and reading
    // it then fails with its own message, instead of the file blocking the
    // queue for good.
    if (errno == EACCES) return rename_unreadable();
    return errno_error("rename", from_, to_);
  }
  struct stat file {};
  if (::fstat(probe.get(), &file) != 0) return errno_error("rename", from_, to_);
  if (!S_ISREG(file.st_mode)) return not_a_file(from_, to_);

  bool leased = false;
  Status status = refuse_if_open(probe.get(), file, &leased);
  // Renaming while the lease is held: no writer can open the file in between.
  if (status.ok()) status = rename_no_replace();
  if (leased) release_lease(probe.get());
  return status;
}

// Without a descriptor there is no lease: only the look through every
// process's descriptors tells whether a writer still has the file open.
Status claim::rename_unreadable() {
  struct stat file {};
  if (::stat(native(from_).constData(), &file) != 0) return errno_error("rename", from_, to_);
  if (!S_ISREG(file.st_mode)) return not_a_file(from_, to_);
  if (open_in_any_process(file, -1)) return still_open(from_, to_);
  return rename_no_replace();
}

Status claim::refuse_if_open(int probe, const struct stat& file, bool* leased) {
  bool open_elsewhere = false;
  const lease_result lease = options_.use_leases ? take_write_lease(probe) : lease_result::refused;
  *leased = lease == lease_result::taken;
  if (lease == lease_result::file_is_open) open_elsewhere = true;
  if (lease == lease_result::refused) open_elsewhere = open_in_any_process(file, probe);
  if (open_elsewhere) return still_open(from_, to_);
  return Status::Ok();
}

Status claim::rename_no_replace() {
  if (options_.use_rename_noreplace) {
    if (::renameat2(AT_FDCWD, native(from_).constData(), AT_FDCWD, native(to_).constData(),
                    RENAME_NOREPLACE) == 0) {
      return Status::Ok();
    }
    if (errno != EINVAL && errno != ENOSYS) return errno_error("rename", from_, to_);
  }
  return rename_by_link();
}

// link() refuses an existing target, so it claims as atomically as
// RENAME_NOREPLACE; the second name is then removed.
Status claim::rename_by_link() {
  const QByteArray native_from = native(from_);
  const QByteArray native_to = native(to_);
  if (::link(native_from.constData(), native_to.constData()) != 0) {
    if (errno != EPERM && errno != EOPNOTSUPP) return errno_error("rename", from_, to_);
    // No hard links here (FAT, some shares): check, then rename. Only a
    // writer racing to create this very target could be overwritten, and
    // claim targets are fresh random names.
    struct stat existing {};
    if (::lstat(native_to.constData(), &existing) == 0) {
      return errno_error("rename", from_, to_, EEXIST);
    }
    if (::rename(native_from.constData(), native_to.constData()) != 0) {
      return errno_error("rename", from_, to_);
    }
    return Status::Ok();
  }
  if (::unlink(native_from.constData()) != 0) {
    const Status failed = errno_error("rename", from_, to_);
    // Undoes the link; should that fail as well, the file merely keeps a
    // second name, and the failure above is what the caller must hear.
    static_cast<void>(::unlink(native_to.constData()));
    return failed;
  }
  return Status::Ok();
}

}  // namespace

Status claim_file(const QString& from, const QString& to, const LinuxEnvOptions& options) {
  return claim(from, to, options).run();
}

}  // namespace platform
