#include "support/fault_env.h"

#include "platform/file_error.h"

namespace platform {
namespace {

bool applies(const std::optional<QString>& fault, const QString& path,
             const QString& other_path = QString()) {
  return fault && (path.contains(*fault) || (!other_path.isEmpty() && other_path.contains(*fault)));
}

// The texts Linux gives for these failures, so messages read as real ones;
// the kinds are the ones the real failures carry.
const QString kAccessDenied = QStringLiteral("Permission denied");
const QString kDiskFull = QStringLiteral("No space left on device");
const QString kDeviceFailed = QStringLiteral("Input/output error");

}  // namespace

void FaultEnv::fail_writes_after(qsizetype bytes, const QString& path_part) {
  write_limit_ = write_limit{bytes, path_part};
}

void FaultEnv::clear_faults() {
  rename_.reset();
  deny_rename_.reset();
  deny_write_.reset();
  replace_.reset();
  delete_.reset();
  create_folder_.reset();
  list_.reset();
  write_limit_.reset();
  sync_files_.reset();
  sync_folder_.reset();
}

std::optional<QList<DirEntry>> FaultEnv::list_folder(const QString& folder, const QString& mask) {
  if (applies(list_, folder)) return std::nullopt;
  return EnvWrapper::list_folder(folder, mask);
}

Status FaultEnv::create_folder(const QString& path) {
  if (applies(create_folder_, path)) {
    return file_error(Status::Kind::denied, "create folder", path, kAccessDenied);
  }
  return EnvWrapper::create_folder(path);
}

Status FaultEnv::folder_access(const QString& folder, FolderUse use) {
  if (use == FolderUse::read && applies(list_, folder)) {
    return file_error(Status::Kind::denied, "list", folder, kAccessDenied);
  }
  if (use == FolderUse::write && applies(deny_write_, folder)) {
    return file_error(Status::Kind::denied, "write into", folder, kAccessDenied);
  }
  return EnvWrapper::folder_access(folder, use);
}

Status FaultEnv::create_unique_file(const QString& folder, const QString& prefix, QString* path) {
  if (applies(deny_write_, folder)) {
    return file_error(Status::Kind::denied, "create a file in", folder, kAccessDenied);
  }
  return EnvWrapper::create_unique_file(folder, prefix, path);
}

Status FaultEnv::rename_file(const QString& from, const QString& to) {
  if (applies(rename_, from, to)) {
    return file_error(Status::Kind::busy, "rename", from, to, "The file is still open");
  }
  if (applies(deny_rename_, from, to)) {
    return file_error(Status::Kind::denied, "rename", from, to, kAccessDenied);
  }
  return EnvWrapper::rename_file(from, to);
}

Status FaultEnv::replace_file(const QString& from, const QString& to) {
  if (applies(replace_, from, to)) {
    return file_error(Status::Kind::denied, "replace", to, kAccessDenied);
  }
  return EnvWrapper::replace_file(from, to);
}

Status FaultEnv::replace_file_unsynced(const QString& from, const QString& to) {
  if (applies(replace_, from, to)) {
    return file_error(Status::Kind::denied, "replace", to, kAccessDenied);
  }
  return EnvWrapper::replace_file_unsynced(from, to);
}

Status FaultEnv::sync_folder(const QString& folder) {
  if (applies(sync_folder_, folder)) {
    return file_error(Status::Kind::io, "flush folder", folder, kDeviceFailed);
  }
  return EnvWrapper::sync_folder(folder);
}

Status FaultEnv::delete_file(const QString& path) {
  if (applies(delete_, path))
    return file_error(Status::Kind::denied, "delete", path, kAccessDenied);
  return EnvWrapper::delete_file(path);
}

Status FaultEnv::write_file(const QString& path, const QByteArray& data) {
  return limited_write(path, data, true);
}

Status FaultEnv::write_file_unsynced(const QString& path, const QByteArray& data) {
  return limited_write(path, data, false);
}

Status FaultEnv::limited_write(const QString& path, const QByteArray& data, bool flush) {
  const auto write = [&](const QByteArray& bytes) {
    return flush ? EnvWrapper::write_file(path, bytes)
                 : EnvWrapper::write_file_unsynced(path, bytes);
  };
  if (!write_limit_ || !path.contains(write_limit_->path_part) ||
      data.size() <= write_limit_->bytes) {
    return write(data);
  }
  // A file that cannot even be opened fails as it would on any disk.
  const Status first_bytes = write(data.left(write_limit_->bytes));
  if (!first_bytes.ok()) return first_bytes;
  return file_error(Status::Kind::io, "write", path, kDiskFull);
}

Status FaultEnv::sync_files(const QList<QString>& paths) {
  for (const QString& path : paths) {
    if (applies(sync_files_, path))
      return file_error(Status::Kind::io, "flush", path, kDeviceFailed);
  }
  return EnvWrapper::sync_files(paths);
}

QDateTime FaultEnv::now() {
  return now_.isValid() ? now_ : EnvWrapper::now();
}

QString FaultEnv::temp_folder() {
  return temp_folder_.value_or(EnvWrapper::temp_folder());
}

QString FaultEnv::roaming_app_data_folder() {
  return roaming_app_data_folder_.value_or(EnvWrapper::roaming_app_data_folder());
}

QString FaultEnv::program_file_path() {
  return program_file_path_.value_or(EnvWrapper::program_file_path());
}

}  // namespace platform
