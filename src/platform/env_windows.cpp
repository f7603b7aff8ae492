// The Env of Windows: the wide-character Win32 calls the scanner was
// designed around. The claim is MoveFileW itself, which refuses a file that
// another process holds open without sharing its deletion, and never
// replaces a target. The rules for names live in name_rules.cpp.

#include <QCoreApplication>
#include <QDir>

#include <windows.h>
// After windows.h, whose types it needs.
#include <shlobj.h>

#include <optional>
#include <utility>

#include "platform/env.h"
#include "platform/file_error.h"
#include "platform/name_rules.h"
#include "platform/windows_support.h"

namespace platform {

constinit const QChar kDelimiter = u'\\';

namespace {

using windows_support::from_native;
using windows_support::kShareAll;
using windows_support::native;
using windows_support::open_file;
using windows_support::unique_handle;
using windows_support::win_error;

// The longest name of one file that NTFS takes, in UTF-16 units.
constexpr qsizetype kLongestName = 255;

// 100-nanosecond ticks from 1601 to 1970.
constexpr qint64 kEpochTicks = 116444736000000000LL;

qint64 msecs_of(const FILETIME& time) {
  const qint64 ticks = (qint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return (ticks - kEpochTicks) / 10000;
}

FILETIME filetime_of(qint64 msecs) {
  const quint64 ticks = quint64(msecs * 10000 + kEpochTicks);
  return FILETIME{DWORD(ticks & 0xFFFFFFFFu), DWORD(ticks >> 32)};
}

DirEntry dir_entry(const QString& name, DWORD attributes, DWORD size_high, DWORD size_low) {
  DirEntry entry;
  entry.name = name;
  entry.is_folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.is_file = !entry.is_folder && (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
  if (entry.is_file) entry.size = (qint64(size_high) << 32) | size_low;
  entry.read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  entry.hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  entry.system = (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
  return entry;
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes_of(const QString& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.isEmpty() || !GetFileAttributesExW(native(path).c_str(), GetFileExInfoStandard, &data)) {
    return std::nullopt;
  }
  return data;
}

bool is_folder(const QString& path) {
  const auto data = attributes_of(path);
  return data && (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

QString without_trailing_delimiter(QString folder) {
  while (folder.size() > 3 && folder.endsWith(kDelimiter)) folder.chop(1);
  return folder;
}

// Errors by which a folder handle says it cannot be flushed (FAT, shares,
// a folder we may only read): each rename was already written through.
bool flush_unsupported(DWORD error) {
  return error == ERROR_INVALID_FUNCTION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED;
}

class WindowsEnv final : public Env {
 public:
  std::optional<QList<DirEntry>> list_folder(const QString& folder, const QString& mask) override;
  std::optional<DirEntry> entry(const QString& path) override;
  Status create_folder(const QString& path) override;
  Status folder_access(const QString& folder, FolderUse use) override;
  Status rename_file(const QString& from, const QString& to) override;
  Status replace_file(const QString& from, const QString& to) override {
    return move_replacing(from, to);
  }
  Status replace_file_unsynced(const QString& from, const QString& to) override {
    return move_replacing(from, to);
  }
  Status sync_folder(const QString& folder) override;
  Status delete_file(const QString& path) override;
  Status final_target(const QString& path, QString* target) override;
  Status read_file(const QString& path, QByteArray* contents) override;
  Status write_file(const QString& path, const QByteArray& data) override {
    return write_whole_file(path, data, true);
  }
  Status write_file_unsynced(const QString& path, const QByteArray& data) override {
    return write_whole_file(path, data, false);
  }
  Status sync_files(const QList<QString>& paths) override;
  Status create_unique_file(const QString& folder, const QString& prefix, QString* path) override;
  QDateTime last_modified(const QString& path) override;
  Status set_last_modified(const QString& path, const QDateTime& time) override;
  QDateTime now() override { return QDateTime::currentDateTime(); }
  QString temp_folder() override;
  QString roaming_app_data_folder() override;
  QString program_file_path() override;

 private:
  static Status move_replacing(const QString& from, const QString& to);
  static Status write_whole_file(const QString& path, const QByteArray& data, bool flush);
};

std::optional<QList<DirEntry>> WindowsEnv::list_folder(const QString& folder, const QString& mask) {
  // An empty folder name is not taken as the working folder: a mistyped
  // setting must not make a scan (or a delete) run where the program started.
  if (folder.isEmpty() || !is_folder(folder)) return std::nullopt;
  QList<DirEntry> entries;
  if (mask.isEmpty()) return entries;  // matches no name, as on Linux
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = native(with_delimiter(folder) + mask);
  const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
    return std::nullopt;
  }
  // The system also matches the short 8.3 aliases ("*.htm" finds "a.html"
  // through "A~1.HTM"); the shared rule keeps only what the long name matches.
  const name_mask long_names(mask);
  do {
    const QString name = from_native(found.cFileName);
    if (name == QLatin1String(".") || name == QLatin1String("..")) continue;
    if (!long_names.matches(name)) continue;
    entries.append(
        dir_entry(name, found.dwFileAttributes, found.nFileSizeHigh, found.nFileSizeLow));
  } while (FindNextFileW(search, &found));
  const DWORD ended = GetLastError();
  FindClose(search);
  if (ended != ERROR_NO_MORE_FILES) return std::nullopt;
  sort_as_listed(entries);
  return entries;
}

std::optional<DirEntry> WindowsEnv::entry(const QString& path) {
  const auto data = attributes_of(path);
  if (!data) return std::nullopt;
  QString trimmed = QDir::toNativeSeparators(path);
  while (trimmed.size() > 1 && trimmed.endsWith(kDelimiter)) trimmed.chop(1);
  return dir_entry(name_of(trimmed), data->dwFileAttributes, data->nFileSizeHigh,
                   data->nFileSizeLow);
}

Status WindowsEnv::create_folder(const QString& path) {
  if (!CreateDirectoryW(native(path).c_str(), nullptr)) return win_error("create folder", path);
  return Status::Ok();
}

Status WindowsEnv::folder_access(const QString& folder, FolderUse use) {
  // The write rights are in access lists: check_folder_writable's test
  // create finds them out.
  if (use == FolderUse::write) return Status::Ok();
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = native(with_delimiter(folder) + QStringLiteral("*"));
  const HANDLE search =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return win_error("list", folder);
  FindClose(search);
  return Status::Ok();
}

Status WindowsEnv::rename_file(const QString& from, const QString& to) {
  // MoveFileW renames folders too; a claim is for files only.
  if (is_folder(from)) return file_error(Status::Kind::other, "rename", from, to, "Not a file");
  if (!MoveFileExW(native(from).c_str(), native(to).c_str(), 0)) {
    const DWORD error = GetLastError();
    // The operator reads what it means for the scan, as on Linux.
    if (error == ERROR_SHARING_VIOLATION) {
      return file_error(Status::Kind::busy, "rename", from, to, "The file is still open");
    }
    return win_error("rename", from, to, error);
  }
  return Status::Ok();
}

Status WindowsEnv::move_replacing(const QString& from, const QString& to) {
  // Written through: the rename is on the disk when the call returns.
  if (!MoveFileExW(native(from).c_str(), native(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return win_error("replace", to);
  }
  return Status::Ok();
}

Status WindowsEnv::sync_folder(const QString& folder) {
  const unique_handle handle =
      open_file(folder, GENERIC_WRITE, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (!handle.valid()) {
    const DWORD error = GetLastError();
    return flush_unsupported(error) ? Status::Ok() : win_error("flush the folder", folder, error);
  }
  if (!FlushFileBuffers(handle.get())) {
    const DWORD error = GetLastError();
    if (!flush_unsupported(error))
      return windows_support::io_error("flush the folder", folder, error);
  }
  return Status::Ok();
}

Status WindowsEnv::delete_file(const QString& path) {
  if (!DeleteFileW(native(path).c_str())) return win_error("delete", path);
  return Status::Ok();
}

Status WindowsEnv::final_target(const QString& path, QString* target) {
  *target = path;
  const auto data = attributes_of(path);
  if (!data || (data->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return Status::Ok();
  // A link: the system follows every link on the way when it opens it.
  const unique_handle handle =
      open_file(path, 0, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (!handle.valid()) return Status::Ok();  // a link to nothing: writing there says why
  wchar_t buffer[32768];
  const DWORD length = GetFinalPathNameByHandleW(handle.get(), buffer, 32768, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= 32768) return win_error("follow the link", path);
  QString final_path = QString::fromWCharArray(buffer, int(length));
  if (final_path.startsWith(QLatin1String("\\\\?\\UNC\\"))) {
    final_path = QStringLiteral("\\\\") + final_path.mid(8);
  } else if (final_path.startsWith(QLatin1String("\\\\?\\"))) {
    final_path = final_path.mid(4);
  }
  *target = final_path;
  return Status::Ok();
}

Status WindowsEnv::read_file(const QString& path, QByteArray* contents) {
  contents->clear();
  if (is_folder(path)) return file_error(Status::Kind::other, "read", path, "Not a file");
  const unique_handle file = open_file(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
  if (!file.valid()) return win_error("read", path);
  LARGE_INTEGER size{};
  QByteArray data;
  // The size is only a hint: a writer may still be appending.
  if (GetFileSizeEx(file.get(), &size)) data.reserve(qsizetype(size.QuadPart));
  char buffer[64 * 1024];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return win_error("read", path);
    if (got == 0) break;
    data.append(buffer, got);
  }
  *contents = std::move(data);
  return Status::Ok();
}

Status WindowsEnv::write_whole_file(const QString& path, const QByteArray& data, bool flush) {
  unique_handle file = open_file(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  if (!file.valid()) return win_error("write", path);
  if (!windows_support::write_all(file.get(), data.constData(), data.size())) {
    return windows_support::io_error("write", path);
  }
  if (flush && !FlushFileBuffers(file.get())) return windows_support::io_error("write", path);
  if (!file.close()) return windows_support::io_error("write", path);
  return Status::Ok();
}

Status WindowsEnv::sync_files(const QList<QString>& paths) {
  // Flushing a whole volume needs an administrator; each file is flushed.
  for (const QString& path : paths) {
    const unique_handle file = open_file(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING);
    if (!file.valid()) return win_error("flush", path);
    if (!FlushFileBuffers(file.get())) return windows_support::io_error("flush", path);
  }
  return Status::Ok();
}

// Not GetTempFileNameW: it keeps only three characters of a prefix, and
// publishing names its temporaries by a longer one.
Status WindowsEnv::create_unique_file(const QString& folder, const QString& prefix, QString* path) {
  const QString start = (folder.isEmpty() ? QString() : with_delimiter(folder)) + prefix;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QString candidate = start + unique_tail();
    const unique_handle file = open_file(candidate, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW);
    if (file.valid()) {
      *path = candidate;
      return Status::Ok();
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      return win_error("create a temporary file in", folder, error);
    }
  }
  return win_error("create a temporary file in", folder, ERROR_FILE_EXISTS);
}

QDateTime WindowsEnv::last_modified(const QString& path) {
  const auto data = attributes_of(path);
  if (!data) return {};
  return QDateTime::fromMSecsSinceEpoch(msecs_of(data->ftLastWriteTime), Qt::LocalTime);
}

Status WindowsEnv::set_last_modified(const QString& path, const QDateTime& time) {
  if (!time.isValid()) {
    return file_error(Status::Kind::other, "set the time of", path, "Invalid time");
  }
  const unique_handle file =
      open_file(path, FILE_WRITE_ATTRIBUTES, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  const FILETIME written = filetime_of(time.toMSecsSinceEpoch());
  if (!file.valid() || !SetFileTime(file.get(), nullptr, nullptr, &written)) {
    return win_error("set the time of", path);
  }
  return Status::Ok();
}

QString WindowsEnv::temp_folder() {
  wchar_t buffer[MAX_PATH + 2];
  const DWORD length = GetTempPathW(MAX_PATH + 2, buffer);
  if (length == 0 || length > MAX_PATH + 1) {
    return without_trailing_delimiter(QDir::toNativeSeparators(QDir::tempPath()));
  }
  return without_trailing_delimiter(QString::fromWCharArray(buffer, int(length)));
}

// %APPDATA% as the process has it, so that a service account or a test can
// name another; the shell's known folder when it is not set.
QString WindowsEnv::roaming_app_data_folder() {
  const QString given = QDir::toNativeSeparators(qEnvironmentVariable("APPDATA"));
  if (QDir::isAbsolutePath(given)) return without_trailing_delimiter(given);
  wchar_t* folder = nullptr;
  QString result;
  if (SUCCEEDED(
          SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY, nullptr, &folder))) {
    result = without_trailing_delimiter(from_native(folder));
  }
  CoTaskMemFree(folder);
  return result;
}

QString WindowsEnv::program_file_path() {
  if (QCoreApplication::instance()) {
    return in_program_folder(QDir::toNativeSeparators(QCoreApplication::applicationFilePath()));
  }
  wchar_t buffer[32768];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
  return in_program_folder(QString::fromWCharArray(buffer, int(length)));
}

qsizetype utf16_length(const QString& name) {
  return name.size();
}

}  // namespace

// Names are UTF-16 on Windows: every name the system gives is text already.
QByteArray path_bytes(const QString& path) {
  return path.toUtf8();
}

QString path_from_bytes(const QByteArray& bytes) {
  return QString::fromUtf8(bytes);
}

QString portable_name(const QString& name) {
  return name;
}

QString name_that_fits(const QString& stem, const QString& ending) {
  return cut_to_fit(stem, ending, kLongestName, utf16_length);
}

Env& system_env() {
  static WindowsEnv instance;
  return instance;
}

}  // namespace platform
