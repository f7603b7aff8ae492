#include "platform/durability_linux.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/linux_support.h"

namespace platform {
namespace {

using linux_support::errno_error;
using linux_support::io_error;
using linux_support::native;
using linux_support::unique_fd;

// Writes every byte of `data`; 0, or the errno of the write that failed.
int write_all(int fd, const QByteArray& data) {
  const char* next = data.constData();
  qsizetype left = data.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, next, size_t(left));
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    next += written;
    left -= written;
  }
  return 0;
}

// syncfs() reports the write errors it meets only from Linux 5.8 on; before,
// it succeeds whatever happened to the data.
bool syncfs_reports_errors() {
  static const bool reports = [] {
    struct utsname name {};
    if (::uname(&name) != 0) return false;
    int major = 0, minor = 0;
    if (std::sscanf(name.release, "%d.%d", &major, &minor) != 2) return false;
    return major > 5 || (major == 5 && minor >= 8);
  }();
  return reports;
}

// Whether the file system of `fd` flushes its data through to the disk that
// keeps it on syncfs(). Network and FUSE file systems may only pass the data
// to a server or a daemon, where fdatasync() asks for more.
bool syncfs_reaches_the_disk(int fd) {
  struct statfs info {};
  if (::fstatfs(fd, &info) != 0) return false;
  switch (static_cast<unsigned long>(info.f_type)) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case CIFS_SUPER_MAGIC:
    case SMB2_SUPER_MAGIC:
    case FUSE_SUPER_MAGIC:
    case CEPH_SUPER_MAGIC:
    case CODA_SUPER_MAGIC:
    case AFS_FS_MAGIC:
    case V9FS_MAGIC:
      return false;
    default:
      return true;
  }
}

// One file system that sync_files flushes as a whole, by a descriptor on the
// first of the files that lies on it.
struct whole_file_system {
  dev_t device;
  QString first_path;
  unique_fd fd;
};

}  // namespace

Status write_whole_file(const QString& path, const QByteArray& data, bool flush) {
  unique_fd file(::open(native(path).constData(),
                        O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666));
  if (!file.valid()) return errno_error("write", path);
  if (const int error = write_all(file.get(), data); error != 0) {
    return io_error("write", path, error);
  }
  if ((flush && ::fsync(file.get()) != 0) || !file.close()) return io_error("write", path);
  return Status::Ok();
}

Status sync_folder_to_disk(const QString& folder) {
  const QString name = folder.isEmpty() ? QStringLiteral(".") : folder;
  const unique_fd dir(::open(native(name).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.valid()) return errno_error("flush folder", name);
  if (::fsync(dir.get()) != 0) return io_error("flush folder", name);
  return Status::Ok();
}

Status sync_files_to_disk(const QList<QString>& paths, bool use_syncfs) {
  const bool may_use_syncfs = use_syncfs && syncfs_reports_errors();
  std::vector<whole_file_system> file_systems;
  for (const QString& path : paths) {
    unique_fd file(::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0) return errno_error("flush", path);
    const bool flushed_whole = std::any_of(file_systems.begin(), file_systems.end(),
                                           [&](const auto& s) { return s.device == info.st_dev; });
    if (flushed_whole) continue;
    if (may_use_syncfs && syncfs_reaches_the_disk(file.get())) {
      file_systems.push_back({info.st_dev, path, std::move(file)});
    } else if (::fdatasync(file.get()) != 0) {
      return io_error("flush", path);
    }
  }
  for (const whole_file_system& file_system : file_systems) {
    if (::syncfs(file_system.fd.get()) != 0) return io_error("flush", file_system.first_path);
  }
  return Status::Ok();
}

}  // namespace platform
