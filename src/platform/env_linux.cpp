// The Env of Linux: POSIX calls, shaped to behave as the Windows calls the
// scanner was designed around. The rules for names live in name_rules.cpp
// and name_encoding.cpp, the claim in claim_linux.cpp, the flushes in
// durability_linux.cpp; this file puts them together.

#include "platform/env_linux.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>  // NAME_MAX, PATH_MAX
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <utility>

#include "platform/claim_linux.h"
#include "platform/durability_linux.h"
#include "platform/file_error.h"
#include "platform/linux_support.h"
#include "platform/name_encoding.h"
#include "platform/name_rules.h"

namespace platform {

// QDir::separator() as a constant, so that statics elsewhere may compose
// paths with it whatever the order of initialisation.
constinit const QChar kDelimiter = u'/';

namespace {

using linux_support::errno_error;
using linux_support::is_dot_or_dot_dot;
using linux_support::native;
using linux_support::unique_dir;
using linux_support::unique_fd;

DirEntry dir_entry(const QString& name, const struct stat& info) {
  DirEntry entry;
  entry.name = name;
  entry.is_folder = S_ISDIR(info.st_mode);
  entry.is_file = S_ISREG(info.st_mode);
  if (entry.is_file) entry.size = qint64(info.st_size);
  entry.read_only = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  entry.hidden = name.startsWith(QLatin1Char('.'));
  return entry;
}

// stat() that falls back to the link itself for a dangling symbolic link.
bool stat_at(int folder_fd, const char* name, struct stat* info) {
  return ::fstatat(folder_fd, name, info, 0) == 0 ||
         ::fstatat(folder_fd, name, info, AT_SYMLINK_NOFOLLOW) == 0;
}

QString without_trailing_delimiter(QString folder) {
  while (folder.size() > 1 && folder.endsWith(kDelimiter)) folder.chop(1);
  return folder;
}

class LinuxEnv final : public Env {
 public:
  explicit LinuxEnv(const LinuxEnvOptions& options) : options_(options) {}

  std::optional<QList<DirEntry>> list_folder(const QString& folder, const QString& mask) override;
  std::optional<DirEntry> entry(const QString& path) override;
  Status create_folder(const QString& path) override;
  Status folder_access(const QString& folder, FolderUse use) override;
  Status rename_file(const QString& from, const QString& to) override {
    return claim_file(from, to, options_);
  }
  Status replace_file(const QString& from, const QString& to) override;
  Status replace_file_unsynced(const QString& from, const QString& to) override;
  Status sync_folder(const QString& folder) override { return sync_folder_to_disk(folder); }
  Status delete_file(const QString& path) override;
  Status final_target(const QString& path, QString* target) override;
  Status read_file(const QString& path, QByteArray* contents) override;
  Status write_file(const QString& path, const QByteArray& data) override {
    return write_whole_file(path, data, true);
  }
  Status write_file_unsynced(const QString& path, const QByteArray& data) override {
    return write_whole_file(path, data, false);
  }
  Status sync_files(const QList<QString>& paths) override {
    return sync_files_to_disk(paths, options_.use_syncfs);
  }
  Status create_unique_file(const QString& folder, const QString& prefix, QString* path) override;
  QDateTime last_modified(const QString& path) override;
  Status set_last_modified(const QString& path, const QDateTime& time) override;
  QDateTime now() override { return QDateTime::currentDateTime(); }
  QString temp_folder() override;
  QString roaming_app_data_folder() override;
  QString program_file_path() override;

 private:
  LinuxEnvOptions options_;
};

std::optional<QList<DirEntry>> LinuxEnv::list_folder(const QString& folder, const QString& mask) {
  // An empty folder name is not taken as the working folder: a mistyped
  // setting must not make a scan (or a delete) run where the program started.
  if (folder.isEmpty()) return std::nullopt;
  const unique_dir dir(::opendir(native(folder).constData()));
  if (!dir) return std::nullopt;
  const name_mask matcher(mask);
  QList<DirEntry> entries;
  errno = 0;
  while (const dirent* found = ::readdir(dir.get())) {
    if (is_dot_or_dot_dot(found->d_name)) continue;
    const QString name = decoded_name(found->d_name);
    struct stat info {};
    // An entry that vanished between readdir and stat is simply not listed.
    if (matcher.matches(name) && stat_at(::dirfd(dir.get()), found->d_name, &info)) {
      entries.append(dir_entry(name, info));
    }
    errno = 0;
  }
  if (errno != 0) return std::nullopt;
  sort_as_listed(entries);
  return entries;
}

std::optional<DirEntry> LinuxEnv::entry(const QString& path) {
  struct stat info {};
  if (path.isEmpty() || !stat_at(AT_FDCWD, native(path).constData(), &info)) return std::nullopt;
  QString trimmed = path;
  while (trimmed.size() > 1 && trimmed.endsWith(kDelimiter)) trimmed.chop(1);
  return dir_entry(name_of(trimmed), info);
}

Status LinuxEnv::create_folder(const QString& path) {
  if (::mkdir(native(path).constData(), 0777) != 0) return errno_error("create folder", path);
  return Status::Ok();
}

Status LinuxEnv::folder_access(const QString& folder, FolderUse use) {
  // Entering the folder is part of either use.
  const bool reading = use == FolderUse::read;
  if (::access(native(folder).constData(), (reading ? R_OK : W_OK) | X_OK) != 0) {
    return errno_error(reading ? "list" : "write into", folder);
  }
  return Status::Ok();
}

namespace {

// Renames `from` over `to`, giving `from` the permission bits of the file it
// replaces first.
Status rename_keeping_mode(const QString& from, const QString& to) {
  struct stat replaced {};
  if (::stat(native(to).constData(), &replaced) == 0 && S_ISREG(replaced.st_mode) &&
      ::chmod(native(from).constData(), replaced.st_mode & 0777) != 0) {
    return errno_error("replace", to);
  }
  if (::rename(native(from).constData(), native(to).constData()) != 0) {
    return errno_error("replace", to);
  }
  return Status::Ok();
}

}  // namespace

Status LinuxEnv::replace_file(const QString& from, const QString& to) {
  const Status renamed = rename_keeping_mode(from, to);
  if (!renamed.ok()) return renamed;
  return sync_folder(folder_of(to));
}

Status LinuxEnv::replace_file_unsynced(const QString& from, const QString& to) {
  return rename_keeping_mode(from, to);
}

Status LinuxEnv::delete_file(const QString& path) {
  if (::unlink(native(path).constData()) != 0) return errno_error("delete", path);
  return Status::Ok();
}

Status LinuxEnv::final_target(const QString& path, QString* target) {
  // As many links as the kernel follows when it opens a path (MAXSYMLINKS).
  constexpr int kMostLinks = 40;
  QString current = path;
  for (int followed = 0; followed <= kMostLinks; ++followed) {
    struct stat info {};
    // Nothing there (or a folder on the way that cannot be searched) ends
    // the chain; writing there reports what is wrong.
    if (::lstat(native(current).constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *target = current;
      return Status::Ok();
    }
    QByteArray link(PATH_MAX, Qt::Uninitialized);
    const ssize_t length =
        ::readlink(native(current).constData(), link.data(), size_t(link.size()));
    if (length < 0) return errno_error("follow the link", current);
    if (length >= link.size()) return errno_error("follow the link", current, ENAMETOOLONG);
    link.truncate(length);
    const QString next = QFile::decodeName(link);
    current = next.startsWith(kDelimiter) ? next : folder_of(current) + next;
  }
  return errno_error("follow the link", path, ELOOP);
}

Status LinuxEnv::read_file(const QString& path, QByteArray* contents) {
  contents->clear();
  const unique_fd file(::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0) return errno_error("read", path);
  if (!S_ISREG(info.st_mode)) return file_error(Status::Kind::other, "read", path, "Not a file");
  // The size is only a hint: a writer may still be appending.
  QByteArray data;
  data.reserve(qsizetype(info.st_size));
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno_error("read", path);
    }
    data.append(buffer, got);
  }
  *contents = std::move(data);
  return Status::Ok();
}

// Not mkstemp: its files are private to the owner (0600), and a published
// file must be readable by the programs that read our output, as any file
// this program writes (0666 less the umask).
Status LinuxEnv::create_unique_file(const QString& folder, const QString& prefix, QString* path) {
  const QString start = (folder.isEmpty() ? QString() : with_delimiter(folder)) + prefix;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QString candidate = start + unique_tail();
    const int fd =
        ::open(native(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      *path = candidate;
      return Status::Ok();
    }
    if (errno != EEXIST) return errno_error("create a temporary file in", folder);
  }
  return errno_error("create a temporary file in", folder, EEXIST);
}

QDateTime LinuxEnv::last_modified(const QString& path) {
  struct stat info {};
  if (path.isEmpty() || ::stat(native(path).constData(), &info) != 0) return {};
  const qint64 msecs = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
  return QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
}

Status LinuxEnv::set_last_modified(const QString& path, const QDateTime& time) {
  if (!time.isValid()) {
    return file_error(Status::Kind::other, "set the time of", path, "Invalid time");
  }
  const qint64 msecs = time.toMSecsSinceEpoch();
  struct timespec times[2] = {};
  times[0].tv_nsec = UTIME_OMIT;  // access time stays
  times[1].tv_sec = time_t(msecs / 1000);
  times[1].tv_nsec = long(msecs % 1000) * 1000000;
  if (times[1].tv_nsec < 0) {  // before 1970
    times[1].tv_sec -= 1;
    times[1].tv_nsec += 1000000000;
  }
  if (::utimensat(AT_FDCWD, native(path).constData(), times, 0) != 0) {
    return errno_error("set the time of", path);
  }
  return Status::Ok();
}

QString LinuxEnv::temp_folder() {
  return without_trailing_delimiter(QDir::toNativeSeparators(QDir::tempPath()));
}

QString LinuxEnv::roaming_app_data_folder() {
  // The XDG rules ignore a relative $XDG_DATA_HOME.
  const QString data_home = qEnvironmentVariable("XDG_DATA_HOME");
  if (QDir::isAbsolutePath(data_home)) return without_trailing_delimiter(data_home);
  const QString home = qEnvironmentVariable("HOME");
  if (home.isEmpty()) return QString();
  return with_delimiter(home) + QStringLiteral(".local/share");
}

QString LinuxEnv::program_file_path() {
  if (QCoreApplication::instance()) {
    return in_program_folder(QCoreApplication::applicationFilePath());
  }
  return in_program_folder(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
}

// The length Linux limits: bytes, not characters.
qsizetype byte_length(const QString& name) {
  return native(name).size();
}

}  // namespace

QByteArray path_bytes(const QString& path) {
  return encoded_name(path);
}

QString path_from_bytes(const QByteArray& bytes) {
  return decoded_name(bytes.constData());
}

QString portable_name(const QString& name) {
  return unescaped_name(name);
}

QString name_that_fits(const QString& stem, const QString& ending) {
  return cut_to_fit(stem, ending, NAME_MAX, byte_length);
}

std::unique_ptr<Env> new_linux_env(const LinuxEnvOptions& options) {
  return std::make_unique<LinuxEnv>(options);
}

Env& system_env() {
  static LinuxEnv instance{LinuxEnvOptions{}};
  return instance;
}

}  // namespace platform
