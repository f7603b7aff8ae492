#include "platform/env.h"

#include "platform/file_error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSet>

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

QString with_delimiter(const QString& folder) {
  return folder.endsWith(kDelimiter) ? folder : folder + kDelimiter;
}

QString folder_of(const QString& path) {
  return path.left(path.lastIndexOf(kDelimiter) + 1);
}

QString name_of(const QString& path) {
  return path.mid(path.lastIndexOf(kDelimiter) + 1);
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

// `failure`, after removing `temporary`. The first failure is what the
// operator must act on; a temporary file left behind is only worth knowing
// about, so it adds to that message.
Status without_temporary(const Status& failure, const QString& temporary) {
  if (env().delete_file(temporary).ok()) return failure;
  return Status::Error(failure.kind(), failure.message() +
                                           QStringLiteral(" (the temporary file %1 could not be removed)")
                                               .arg(quoted(temporary)));
}

// Writes `data` into a new temporary file in `folder`, flushed or not; its
// path in `temporary`.
Status write_temporary(const QString& folder, const QByteArray& data, bool flush,
                       QString* temporary) {
  remove_stale_publish_files_in(folder);
  const Status created = env().create_unique_file(folder, publish_prefix(), temporary);
  if (!created.ok()) return created;
  const Status written = flush ? env().write_file(*temporary, data)
                               : env().write_file_unflushed(*temporary, data);
  return written.ok() ? written : without_temporary(written, *temporary);
}

}  // namespace

void remove_stale_publish_files() {
  removing_stale_publish_files = true;
}

Status publish_file(const QString& target, const QByteArray& data) {
  QString temporary;
  const Status written = write_temporary(folder_of(target), data, /*flush=*/true, &temporary);
  if (!written.ok()) return written;
  const Status replaced = env().replace_file(temporary, target);
  return replaced.ok() ? replaced : without_temporary(replaced, temporary);
}

QList<Status> publish_files(const QList<pending_file>& files) {
  QList<Status> statuses(files.size(), Status::Ok());
  QStringList temporaries(files.size());
  QStringList folders;  // of the files still on their way, in order
  for (qsizetype i = 0; i < files.size(); ++i) {
    const QString folder = folder_of(files[i].target);
    statuses[i] = write_temporary(folder, files[i].data, /*flush=*/false, &temporaries[i]);
    if (statuses[i].ok() && !folders.contains(folder)) folders << folder;
  }
  // Every file of a folder whose flush fails fails with it; `renamed`
  // files are in place already, the others still under their temporary.
  const auto flush_each_folder = [&](bool renamed) {
    for (const QString& folder : folders) {
      const Status flushed = env().flush_file_system(folder);
      if (flushed.ok()) continue;
      for (qsizetype i = 0; i < files.size(); ++i) {
        if (!statuses[i].ok() || folder_of(files[i].target) != folder) continue;
        statuses[i] =
            renamed ? Status::Error(flushed.kind(),
                                    flushed.message() +
                                        QStringLiteral(" (%1 is in place but may not survive a "
                                                       "power cut)")
                                            .arg(quoted(files[i].target)))
                    : without_temporary(flushed, temporaries[i]);
      }
    }
  };
  flush_each_folder(/*renamed=*/false);
  for (qsizetype i = 0; i < files.size(); ++i) {
    if (!statuses[i].ok()) continue;
    const Status replaced = env().replace_file_unflushed(temporaries[i], files[i].target);
    if (!replaced.ok()) statuses[i] = without_temporary(replaced, temporaries[i]);
  }
  flush_each_folder(/*renamed=*/true);
  return statuses;
}

Status copy_file(const QString& from, const QString& to) {
  QByteArray contents;
  const Status status = env().read_file(from, &contents);
  if (!status.ok()) return status;
  return publish_file(to, contents);
}

}  // namespace platform
