// The Env of Linux: POSIX calls, shaped to behave as the Windows calls the
// scanner was designed around (case-insensitive masks, NTFS listing order,
// MoveFile's refusal to rename a file that is still open).

#include "platform/env_linux.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>  // NAME_MAX
#include <linux/magic.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>  // renameat2
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/file_error.h"

namespace platform {

// QDir::separator() as a constant, so that statics elsewhere may compose
// paths with it whatever the order of initialisation.
constinit const QChar kDelimiter = u'/';

namespace {

// ---- Small tools ----------------------------------------------------------

// Names are bytes on Linux, not text. Valid UTF-8 is decoded as such; each
// byte outside a valid sequence becomes one of the lone surrogates
// U+DC80..U+DCFF, which decoded UTF-8 never holds, so that native() gives
// the very same bytes back and such a file can be claimed, read and renamed.
constexpr char16_t kEscapedByte = 0xDC00;

bool is_escaped_byte(QStringView text, qsizetype i) {
  const char16_t unit = text[i].unicode();
  const bool second_of_pair = i > 0 && QChar::isHighSurrogate(text[i - 1].unicode());
  return unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF && !second_of_pair;
}

QByteArray native(const QString& path) {
  QByteArray bytes;
  qsizetype run = 0;
  for (qsizetype i = 0; i < path.size(); ++i) {
    if (!is_escaped_byte(path, i)) continue;
    bytes += QStringView(path).sliced(run, i - run).toUtf8();
    bytes += char(path[i].unicode() - kEscapedByte);
    run = i + 1;
  }
  bytes += QStringView(path).sliced(run).toUtf8();
  return bytes;
}

// The length of the valid UTF-8 sequence at `at`, 0 when there is none.
int utf8_sequence_length(const unsigned char* at, qsizetype left) {
  const unsigned char lead = at[0];
  if (lead < 0x80) return 1;
  int length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (left < length || at[1] < low || at[1] > high) return 0;
  for (int i = 2; i < length; ++i) {
    if ((at[i] & 0xC0) != 0x80) return 0;
  }
  return length;
}

QString decoded_name(const char* bytes) {
  const QByteArray raw(bytes);
  QString name = QString::fromUtf8(raw);
  if (name.toUtf8() == raw && !name.contains(QChar(QChar::ReplacementCharacter))) return name;
  name.clear();
  const auto* at = reinterpret_cast<const unsigned char*>(raw.constData());
  for (qsizetype i = 0; i < raw.size();) {
    const int length = utf8_sequence_length(at + i, raw.size() - i);
    if (length == 0) {
      name += QChar(char16_t(kEscapedByte + at[i]));
      ++i;
    } else {
      name += QString::fromUtf8(raw.constData() + i, length);
      i += length;
    }
  }
  return name;
}

QString error_text(int error) {
  return QString::fromStdString(std::system_category().message(error));
}

// The one place that says which kind of failure a system error is.
Status::Kind kind_of(int error) {
  switch (error) {
    case EAGAIN:  // also EWOULDBLOCK
    case EBUSY:
    case ETXTBSY:
      return Status::Kind::busy;
    case EEXIST:
      return Status::Kind::exists;
    case ENOENT:
    case ENOTDIR:
      return Status::Kind::not_found;
    case EACCES:
    case EPERM:
    case EROFS:
      return Status::Kind::denied;
    case EIO:
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return Status::Kind::io;
    default:
      return Status::Kind::other;
  }
}

// `error` defaults to the errno of the call that just failed.
Status errno_error(const QString& action, const QString& path, int error = errno) {
  return file_error(kind_of(error), action, path, error_text(error));
}

Status errno_error(const QString& action, const QString& from, const QString& to,
                   int error = errno) {
  return file_error(kind_of(error), action, from, to, error_text(error));
}

// Data that did not reach the disk once the file was open (a failed write,
// fsync or close) is an I/O failure, whatever errno names.
Status io_error(const QString& action, const QString& path, int error = errno) {
  return file_error(Status::Kind::io, action, path, error_text(error));
}

// Closes its descriptor when it goes out of scope.
class unique_fd {
 public:
  explicit unique_fd(int fd) : fd_(fd) {}
  ~unique_fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  unique_fd(const unique_fd&) = delete;
  unique_fd& operator=(const unique_fd&) = delete;
  unique_fd(unique_fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports whether the close worked (a deferred write error
  // can surface here).
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Closes a DIR* when it goes out of scope.
struct dir_closer {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using unique_dir = std::unique_ptr<DIR, dir_closer>;

bool is_dot_or_dot_dot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// ---- Listing ----------------------------------------------------------------

// NTFS compares names by upper-casing each UTF-16 unit on its own (no
// expansions such as "ß" to "SS"); matching and ordering both follow it.
char16_t upcased(QChar unit) {
  return char16_t(QChar::toUpper(char32_t(unit.unicode())));
}

QString upcased(QStringView text) {
  QString result(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) result[i] = QChar(upcased(text[i]));
  return result;
}

// A Windows wildcard mask: "*" any run of characters, "?" one character,
// everything else literal ("[" included), compared case-insensitively. As on
// Windows, a trailing ".*" also matches names without a dot, so "*.*"
// matches every name.
class name_mask {
 public:
  explicit name_mask(const QString& mask) : mask_(upcased(mask)) {
    if (mask_.endsWith(QLatin1String(".*"))) without_dot_star_ = mask_.chopped(2);
  }

  bool matches(const QString& name) const {
    const QString upper = upcased(name);
    return wildcard_match(mask_, upper) ||
           (without_dot_star_ && wildcard_match(*without_dot_star_, upper));
  }

 private:
  // Greedy matching that backtracks only to the last "*": linear for the
  // masks the scanner uses.
  static bool wildcard_match(QStringView mask, QStringView name) {
    qsizetype m = 0, n = 0;
    qsizetype star = -1, resume = 0;
    while (n < name.size()) {
      if (m < mask.size() && (mask[m] == u'?' || mask[m] == name[n])) {
        ++m;
        ++n;
      } else if (m < mask.size() && mask[m] == u'*') {
        star = m++;
        resume = n;
      } else if (star >= 0) {
        m = star + 1;
        n = ++resume;
      } else {
        return false;
      }
    }
    while (m < mask.size() && mask[m] == u'*') ++m;
    return m == mask.size();
  }

  QString mask_;
  std::optional<QString> without_dot_star_;
};

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

int compare_upcased(QStringView a, QStringView b) {
  const qsizetype common = std::min(a.size(), b.size());
  for (qsizetype i = 0; i < common; ++i) {
    const char16_t x = upcased(a[i]), y = upcased(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// NTFS lists names in upper-cased order ("Z" before "_", unlike a
// lower-casing compare); names that differ only in case (possible on Linux)
// are then ordered case-sensitively, so every listing comes out the same.
void sort_as_ntfs(QList<DirEntry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) {
    const int upper = compare_upcased(a.name, b.name);
    return upper != 0 ? upper < 0 : a.name < b.name;
  });
}

// ---- Claiming ---------------------------------------------------------------

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

// ---- The Env ----------------------------------------------------------------

class LinuxEnv final : public Env {
 public:
  explicit LinuxEnv(const LinuxEnvOptions& options) : options_(options) {}

  std::optional<QList<DirEntry>> list_folder(const QString& folder, const QString& mask) override;
  std::optional<DirEntry> entry(const QString& path) override;
  Status create_folder(const QString& path) override;
  Status rename_file(const QString& from, const QString& to) override;
  Status replace_file(const QString& from, const QString& to) override;
  Status replace_file_unsynced(const QString& from, const QString& to) override;
  Status sync_folder(const QString& folder) override;
  Status delete_file(const QString& path) override;
  Status final_target(const QString& path, QString* target) override;
  Status read_file(const QString& path, QByteArray* contents) override;
  Status write_file(const QString& path, const QByteArray& data) override;
  Status write_file_unsynced(const QString& path, const QByteArray& data) override;
  Status sync_files(const QList<QString>& paths) override;
  Status create_unique_file(const QString& folder, const QString& prefix, QString* path) override;
  QDateTime last_modified(const QString& path) override;
  Status set_last_modified(const QString& path, const QDateTime& time) override;
  QDateTime now() override { return QDateTime::currentDateTime(); }
  QString temp_folder() override;
  QString roaming_app_data_folder() override;
  QString program_file_path() override;

 private:
  Status refuse_if_open(int probe, const struct stat& file, const QString& from, const QString& to,
                        bool* leased);
  Status rename_unreadable(const QString& from, const QString& to);
  Status rename_no_replace(const QString& from, const QString& to);
  Status rename_by_link(const QString& from, const QString& to);

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
  sort_as_ntfs(entries);
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

Status LinuxEnv::rename_file(const QString& from, const QString& to) {
  // O_NONBLOCK: a FIFO that happens to match a mask must not stall the scan.
  const unique_fd probe(::open(native(from).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!probe.valid()) {
    // MoveFile claims a file its caller may not read; so do we, and reading
    // it then fails with its own message, instead of the file blocking the
    // queue for good.
    if (errno == EACCES) return rename_unreadable(from, to);
    return errno_error("rename", from, to);
  }
  struct stat file {};
  if (::fstat(probe.get(), &file) != 0) return errno_error("rename", from, to);
  if (!S_ISREG(file.st_mode)) {
    return file_error(Status::Kind::other, "rename", from, to, "Not a file");
  }

  bool leased = false;
  Status status = refuse_if_open(probe.get(), file, from, to, &leased);
  // Renaming while the lease is held: no writer can open the file in between.
  if (status.ok()) status = rename_no_replace(from, to);
  if (leased) release_lease(probe.get());
  return status;
}

// Without a descriptor there is no lease: only the look through every
// process's descriptors tells whether a writer still has the file open.
Status LinuxEnv::rename_unreadable(const QString& from, const QString& to) {
  struct stat file {};
  if (::stat(native(from).constData(), &file) != 0) return errno_error("rename", from, to);
  if (!S_ISREG(file.st_mode)) {
    return file_error(Status::Kind::other, "rename", from, to, "Not a file");
  }
  if (open_in_any_process(file, -1)) {
    return file_error(Status::Kind::busy, "rename", from, to, "The file is still open");
  }
  return rename_no_replace(from, to);
}

Status LinuxEnv::refuse_if_open(int probe, const struct stat& file, const QString& from,
                                const QString& to, bool* leased) {
  bool open_elsewhere = false;
  const lease_result lease = options_.use_leases ? take_write_lease(probe) : lease_result::refused;
  *leased = lease == lease_result::taken;
  if (lease == lease_result::file_is_open) open_elsewhere = true;
  if (lease == lease_result::refused) open_elsewhere = open_in_any_process(file, probe);
  if (open_elsewhere) {
    return file_error(Status::Kind::busy, "rename", from, to, "The file is still open");
  }
  return Status::Ok();
}

Status LinuxEnv::rename_no_replace(const QString& from, const QString& to) {
  if (options_.use_rename_noreplace) {
    if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(),
                    RENAME_NOREPLACE) == 0) {
      return Status::Ok();
    }
    if (errno != EINVAL && errno != ENOSYS) return errno_error("rename", from, to);
  }
  return rename_by_link(from, to);
}

// link() refuses an existing target, so it claims as atomically as
// RENAME_NOREPLACE; the second name is then removed.
Status LinuxEnv::rename_by_link(const QString& from, const QString& to) {
  const QByteArray native_from = native(from);
  const QByteArray native_to = native(to);
  if (::link(native_from.constData(), native_to.constData()) != 0) {
    if (errno != EPERM && errno != EOPNOTSUPP) return errno_error("rename", from, to);
    // No hard links here (FAT, some shares): check, then rename. Only a
    // writer racing to create this very target could be overwritten, and
    // claim targets are fresh random names.
    struct stat existing {};
    if (::lstat(native_to.constData(), &existing) == 0)
      return errno_error("rename", from, to, EEXIST);
    if (::rename(native_from.constData(), native_to.constData()) != 0) {
      return errno_error("rename", from, to);
    }
    return Status::Ok();
  }
  if (::unlink(native_from.constData()) != 0) {
    const Status failed = errno_error("rename", from, to);
    // Undoes the link; should that fail as well, the file merely keeps a
    // second name, and the failure above is what the caller must hear.
    static_cast<void>(::unlink(native_to.constData()));
    return failed;
  }
  return Status::Ok();
}

Status LinuxEnv::sync_folder(const QString& folder) {
  const QString name = folder.isEmpty() ? QStringLiteral(".") : folder;
  const unique_fd dir(::open(native(name).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.valid()) return errno_error("flush folder", name);
  if (::fsync(dir.get()) != 0) return io_error("flush folder", name);
  return Status::Ok();
}

Status LinuxEnv::replace_file(const QString& from, const QString& to) {
  if (::rename(native(from).constData(), native(to).constData()) != 0) {
    return errno_error("replace", to);
  }
  return sync_folder(folder_of(to));
}

Status LinuxEnv::replace_file_unsynced(const QString& from, const QString& to) {
  if (::rename(native(from).constData(), native(to).constData()) != 0) {
    return errno_error("replace", to);
  }
  return Status::Ok();
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

Status LinuxEnv::write_file(const QString& path, const QByteArray& data) {
  return write_whole_file(path, data, true);
}

Status LinuxEnv::write_file_unsynced(const QString& path, const QByteArray& data) {
  return write_whole_file(path, data, false);
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

Status LinuxEnv::sync_files(const QList<QString>& paths) {
  const bool may_use_syncfs = options_.use_syncfs && syncfs_reports_errors();
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

// A random tail of six letters and digits, as mkstemp makes.
QString unique_tail() {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  QString tail;
  for (int i = 0; i < 6; ++i) {
    tail += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
  }
  return tail;
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

QString without_trailing_delimiter(QString folder) {
  while (folder.size() > 1 && folder.endsWith(kDelimiter)) folder.chop(1);
  return folder;
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

}  // namespace

QByteArray path_bytes(const QString& path) {
  return native(path);
}

QString path_from_bytes(const QByteArray& bytes) {
  return decoded_name(bytes.constData());
}

QString portable_name(const QString& name) {
  QString result = name;
  for (qsizetype i = 0; i < result.size(); ++i) {
    if (is_escaped_byte(name, i)) result[i] = QChar(char16_t(name[i].unicode() - kEscapedByte));
  }
  return result;
}

QString name_that_fits(const QString& stem, const QString& ending) {
  constexpr qsizetype kLongestName = NAME_MAX;  // bytes
  QString cut = stem;
  const qsizetype room = kLongestName - native(ending).size();
  while (!cut.isEmpty() && native(cut).size() > room) {
    const bool pair =
        cut.size() > 1 && cut.back().isLowSurrogate() && cut[cut.size() - 2].isHighSurrogate();
    cut.chop(pair ? 2 : 1);
  }
  return cut + ending;
}

std::unique_ptr<Env> new_linux_env(const LinuxEnvOptions& options) {
  return std::make_unique<LinuxEnv>(options);
}

Env& system_env() {
  static LinuxEnv instance{LinuxEnvOptions{}};
  return instance;
}

}  // namespace platform
