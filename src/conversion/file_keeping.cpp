#include "conversion/file_keeping.h"

#include <QFileInfo>

#include "basics/files.h"
#include "platform/env.h"

namespace conversion {

QString free_name(const QString& folder, const QString& name) {
  const QFileInfo info(name);
  const QString base = info.completeBaseName();
  const QString suffix = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
  // A name too long for the system loses the end of its base, never its
  // extension: the file must land somewhere, and ".failed" keeps it out of
  // every scan.
  QString candidate = folder + platform::name_that_fits(base, suffix);
  for (int n = 2; basics::file_or_folder_exists(candidate); ++n) {
    candidate = folder + platform::name_that_fits(base, QStringLiteral("_%1").arg(n) + suffix);
  }
  return candidate;
}

bool still_settling(const QString& path, double settle_seconds) {
  const QDateTime written = platform::env().last_modified(path);
  if (!written.isValid()) return false;
  const qint64 age = written.msecsTo(platform::env().now());
  return age >= 0 && age < qint64(settle_seconds * 1000);
}

QString dated_archive_folder(const context& ctx, const QString& leaf, const QDateTime& measured) {
  if (ctx.archive_root.isEmpty()) return QString();
  QString folder = ctx.archive_root + ctx.product;
  const auto ensure = [&ctx, &folder] {
    if (!basics::ensure_folder(folder)) {
      ctx.plain_status(folder + QStringLiteral(" could not be created!"));
    }
  };
  ensure();
  const QDate date =
      ctx.archive_by_date_of_measurement ? measured.date() : platform::env().now().date();
  for (const QString& part : {QString::number(date.year()), QString::number(date.month()),
                              QString::number(date.day()), leaf}) {
    folder += platform::kDelimiter + part;
    ensure();
  }
  return folder + platform::kDelimiter;
}

archived archive_input_copy(const context& ctx, const QString& path, const QString& input_name,
                            const QDateTime& measured, QString* copy) {
  const QString folder = dated_archive_folder(ctx, ctx.lumor_name, measured);
  if (folder.isEmpty()) return archived::switched_off;
  // The archive may lie on a share that takes only names that are text.
  const QString name = platform::portable_name(input_name);
  if (const QString earlier = identical_copy(path, folder, name); !earlier.isEmpty()) {
    if (copy) *copy = earlier;
    return archived::copied;
  }
  const QString target = free_name(folder, name);
  if (!platform::copy_file(path, target).ok()) return archived::failed;
  if (copy) *copy = target;
  if (target != folder + name) {
    ctx.plain_status(folder + name + QStringLiteral(" is taken; the archive copy is kept as ") +
                     target);
  }
  return archived::copied;
}

QString identical_copy(const QString& path, const QString& folder, const QString& name) {
  const std::optional<platform::DirEntry> input = platform::env().entry(path);
  if (!input) return QString();
  // Every variant free_name gives starts with the base and ends with the
  // extension; a mask finds them all in one listing.
  const QFileInfo info(name);
  const QString suffix = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
  const auto listed =
      platform::env().list_folder(folder, info.completeBaseName() + QLatin1Char('*') + suffix);
  QByteArray bytes;
  for (const platform::DirEntry& entry : listed.value_or(QList<platform::DirEntry>())) {
    if (!entry.is_file || entry.size != input->size) continue;
    if (bytes.isNull() && !platform::env().read_file(path, &bytes).ok()) return QString();
    QByteArray other;
    if (platform::env().read_file(folder + entry.name, &other).ok() && other == bytes) {
      return folder + entry.name;
    }
  }
  return QString();
}

QString sentence(const QString& text) {
  const bool ended = text.endsWith(u'.') || text.endsWith(u'!') || text.endsWith(u'?');
  return ended ? text : text + QLatin1Char('.');
}

QString move_aside(const QString& path, const QString& name) {
  const QString kept = free_name(platform::folder_of(path), name + QStringLiteral(".failed"));
  if (!platform::env().rename_file(path, kept).ok()) return QString();
  return kept;
}

}  // namespace conversion
