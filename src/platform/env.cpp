#include "platform/env.h"

#include "platform/file_error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSet>

#include <algorithm>
#include <functional>

namespace platform {
namespace {

Env* installed_env = nullptr;
QString program_folder;

QString quoted(const QString& path) {
  return QLatin1Char('"') + path + QLatin1Char('"');
}

}  // namespace

Status file_error(Status::Kind kind, const QString& action, const QString& path,
                  const QString& reason) {
  return Status::Error(kind, QStringLiteral("Cannot %1 %2: %3").arg(action, quoted(path), reason));
}

Status file_error(Status::Kind kind, const QString& action, const QString& from, const QString& to,
                  const QString& reason) {
  return Status::Error(
      kind, QStringLiteral("Cannot %1 %2 to %3: %4").arg(action, quoted(from), quoted(to), reason));
}

QString failure_reason(const Status& status) {
  // The reason follows the last quoted path.
  const QString& message = status.message();
  const qsizetype after_paths = message.lastIndexOf(QStringLiteral("\": "));
  return after_paths < 0 ? message : message.mid(after_paths + 3);
}

Env& env() {
  return installed_env ? *installed_env : system_env();
}

ScopedEnv::ScopedEnv(Env* replacement) : previous_(installed_env) {
  installed_env = replacement;
}

ScopedEnv::~ScopedEnv() {
  installed_env = previous_;
}

void set_program_folder(const QString& folder) {
  program_folder =
      folder.isEmpty() ? QString() : QDir::toNativeSeparators(QDir(folder).absolutePath());
}

QString in_program_folder(const QString& executable) {
  if (program_folder.isEmpty()) return executable;
  return with_delimiter(program_folder) + name_of(executable);
}

// Windows also takes "/" between folders, and a path typed into a settings
// file may hold it; on Linux it is the delimiter anyway.
bool is_delimiter(QChar c) {
  return c == kDelimiter || c == u'/';
}

qsizetype last_delimiter(const QString& path) {
  return std::max(path.lastIndexOf(kDelimiter), path.lastIndexOf(u'/'));
}

QString with_delimiter(const QString& folder) {
  return !folder.isEmpty() && is_delimiter(folder.back()) ? folder : folder + kDelimiter;
}

QString folder_of(const QString& path) {
  return path.left(last_delimiter(path) + 1);
}

QString name_of(const QString& path) {
  return path.mid(last_delimiter(path) + 1);
}

namespace {

// The start of this program's publish temporaries: hidden, so that no scan
// mask ("*.csv", "*.scn") picks one up while its data is on the way, and
// tagged with the program file, so that a run finds what an earlier run of
// the same program left, and never takes another program's.
QString publish_prefix() {
  const QByteArray digest =
      QCryptographicHash::hash(path_bytes(env().program_file_path()), QCryptographicHash::Md5);
  return QStringLiteral(".publish_") + QString::fromLatin1(digest.left(4).toHex()) +
         QLatin1Char('_');
}

bool removing_stale_publish_files = false;

// A killed run leaves its temporaries behind in the folders it published
// to; the first publish of this run into a folder removes them.
void remove_stale_publish_files_in(const QString& folder) {
  static QSet<QString> cleaned;
  if (!removing_stale_publish_files || cleaned.contains(folder)) return;
  cleaned.insert(folder);
  const QString mask = publish_prefix() + QStringLiteral("??????");
  for (const DirEntry& entry : env().list_folder(folder, mask).value_or(QList<DirEntry>())) {
    // One that stays is tried again at the next start.
    if (entry.is_file) static_cast<void>(env().delete_file(with_delimiter(folder) + entry.name));
  }
}

}  // namespace

void remove_stale_publish_files() {
  removing_stale_publish_files = true;
}

namespace {

// Removes a temporary that will not be published. The first failure is what
// the operator must act on; a temporary file left behind is only worth
// knowing about, so it adds to that message.
Status discarded(const QString& temporary, const Status& failure) {
  if (env().delete_file(temporary).ok()) return failure;
  return Status::Error(
      failure.kind(),
      failure.message() +
          QStringLiteral(" (the temporary file %1 could not be removed)").arg(quoted(temporary)));
}

// One file of a batch on its way: its outcome so far and, once written, its
// temporary file.
struct batch_file {
  Status status;
  QString temporary;
  bool on_the_way() const { return status.ok() && !temporary.isEmpty(); }
};

// Of the files with the same target, the last one wins; the earlier ones
// fail before anything is written for them.
void fail_superseded(const QList<pending_file>& files, QList<batch_file>& batch) {
  QSet<QString> later_targets;
  for (qsizetype i = files.size() - 1; i >= 0; --i) {
    if (later_targets.contains(files[i].target)) {
      batch[i].status = file_error(Status::Kind::other, "publish", files[i].target,
                                   "A later file of the same batch replaces it");
    }
    later_targets.insert(files[i].target);
  }
}

// A new temporary beside `file.target` holding its data, not yet flushed.
void write_temporary(const pending_file& file, batch_file& out) {
  const QString folder = folder_of(file.target);
  remove_stale_publish_files_in(folder);
  QString temporary;
  Status status = env().create_unique_file(folder, publish_prefix(), &temporary);
  if (!status.ok()) {
    out.status = status;
    return;
  }
  status = env().write_file_unsynced(temporary, file.data);
  if (status.ok()) {
    out.temporary = temporary;
  } else {
    out.status = discarded(temporary, status);
  }
}

// Flushes the data of every temporary on its way at once; on failure none of
// them is published.
void sync_temporaries(QList<batch_file>& batch) {
  QList<QString> temporaries;
  for (const batch_file& file : batch) {
    if (file.on_the_way()) temporaries.append(file.temporary);
  }
  if (temporaries.isEmpty()) return;
  const Status synced = env().sync_files(temporaries);
  if (synced.ok()) return;
  for (batch_file& file : batch) {
    if (file.on_the_way()) file.status = discarded(file.temporary, synced);
  }
}

// Renames each temporary on its way over its target; returns the indices of
// the renamed files by folder, in the order the folders first came.
QList<std::pair<QString, QList<qsizetype>>> rename_temporaries(const QList<pending_file>& files,
                                                               QList<batch_file>& batch) {
  QList<std::pair<QString, QList<qsizetype>>> renamed;
  for (qsizetype i = 0; i < files.size(); ++i) {
    if (!batch[i].on_the_way()) continue;
    const Status status = env().replace_file_unsynced(batch[i].temporary, files[i].target);
    if (!status.ok()) {
      batch[i].status = discarded(batch[i].temporary, status);
      continue;
    }
    const QString folder = folder_of(files[i].target);
    auto same_folder = std::find_if(renamed.begin(), renamed.end(),
                                    [&](const auto& entry) { return entry.first == folder; });
    if (same_folder == renamed.end()) {
      renamed.append({folder, {i}});
    } else {
      same_folder->second.append(i);
    }
  }
  return renamed;
}

// Makes the renames durable, one flush per folder. A file whose folder
// cannot be flushed is already in place, but a power cut may still bring
// the old one back: it fails, and its message says so.
void sync_target_folders(const QList<std::pair<QString, QList<qsizetype>>>& renamed,
                         const QList<pending_file>& files, QList<batch_file>& batch) {
  for (const auto& [folder, indices] : renamed) {
    const Status synced = env().sync_folder(folder);
    if (synced.ok()) continue;
    for (const qsizetype i : indices) {
      batch[i].status = Status::Error(
          synced.kind(),
          synced.message() + QStringLiteral(" (the new %1 is in place but may not survive a "
                                            "power cut)")
                                 .arg(quoted(files[i].target)));
    }
  }
}

// Writes `data` to a new temporary beside `target`, flushed, and puts it in
// place with `place`; on any failure the temporary is removed.
Status publish_through(const QString& target, const QByteArray& data,
                       const std::function<Status(const QString& temporary)>& place) {
  const QString folder = folder_of(target);
  remove_stale_publish_files_in(folder);
  QString temporary;
  Status status = env().create_unique_file(folder, publish_prefix(), &temporary);
  if (!status.ok()) return status;
  status = env().write_file(temporary, data);
  if (status.ok()) status = place(temporary);
  if (status.ok()) return status;
  return discarded(temporary, status);
}

}  // namespace

Status publish_file(const QString& target, const QByteArray& data) {
  return publish_through(target, data, [&target](const QString& temporary) {
    return env().replace_file(temporary, target);
  });
}

Status publish_file_through_links(const QString& path, const QByteArray& data) {
  QString target;
  const Status found = env().final_target(path, &target);
  if (!found.ok()) return found;
  return publish_file(target, data);
}

QList<Status> publish_files(const QList<pending_file>& files) {
  QList<batch_file> batch(files.size());
  fail_superseded(files, batch);
  for (qsizetype i = 0; i < files.size(); ++i) {
    if (batch[i].status.ok()) write_temporary(files[i], batch[i]);
  }
  sync_temporaries(batch);
  sync_target_folders(rename_temporaries(files, batch), files, batch);
  QList<Status> statuses;
  statuses.reserve(batch.size());
  for (const batch_file& file : batch) statuses.append(file.status);
  return statuses;
}

Status publish_new_file(const QString& target, const QByteArray& data) {
  // The claiming rename refuses a taken target, as MoveFile does.
  const Status placed = publish_through(target, data, [&target](const QString& temporary) {
    return env().rename_file(temporary, target);
  });
  if (!placed.ok()) return placed;
  return env().sync_folder(folder_of(target));
}

Status check_folder_writable(const QString& folder) {
  const Status allowed = env().folder_access(folder, FolderUse::write);
  if (!allowed.ok()) return allowed;
  const QDateTime before = env().last_modified(folder);
  QString test_file;
  const Status created =
      env().create_unique_file(folder, QStringLiteral(".write_test_"), &test_file);
  if (!created.ok()) return created;
  const Status removed = env().delete_file(test_file);
  // The folder's time as it was, so the check leaves no trace; where the
  // system will not set it, the check has still answered.
  if (before.isValid()) static_cast<void>(env().set_last_modified(folder, before));
  return removed;
}

Status copy_file(const QString& from, const QString& to) {
  QByteArray contents;
  const Status status = env().read_file(from, &contents);
  if (!status.ok()) return status;
  return publish_file(to, contents);
}

Status copy_new_file(const QString& from, const QString& to) {
  QByteArray contents;
  const Status status = env().read_file(from, &contents);
  if (!status.ok()) return status;
  return publish_new_file(to, contents);
}

}  // namespace platform
