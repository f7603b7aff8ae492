#include "conversion/file_keeping.h"

#include <QFileInfo>
#include <QHash>

#include <optional>

#include "basics/files.h"
#include "platform/env.h"

namespace conversion {
namespace {

// A name as free_name varies it: every variant is the base, perhaps a
// "_<n>", and the extension (with its dot; empty when there is none).
struct name_parts {
  QString base;
  QString suffix;
};

name_parts parts_of(const QString& name) {
  const QFileInfo info(name);
  return {info.completeBaseName(),
          info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix()};
}

}  // namespace

QString free_name(const QString& folder, const QString& name) {
  const auto [base, suffix] = parts_of(name);
  // A name too long for the system loses the end of its base, never its
  // extension: the file must land somewhere, and ".failed" keeps it out of
  // every scan.
  QString candidate = folder + platform::name_that_fits(base, suffix);
  for (int n = 2; basics::file_or_folder_exists(candidate); ++n) {
    candidate = folder + platform::name_that_fits(base, QStringLiteral("_%1").arg(n) + suffix);
  }
  return candidate;
}

platform::Status place_under_free_name(
    const QString& folder, const QString& name,
    const std::function<platform::Status(const QString& target)>& place, QString* placed) {
  // Each lost race costs one more name; a folder where every try loses is
  // no longer a race but a fault, reported as the last refusal.
  constexpr int kMostTries = 100;
  platform::Status status;
  for (int tried = 0; tried < kMostTries; ++tried) {
    const QString target = free_name(folder, name);
    status = place(target);
    if (status.ok()) *placed = target;
    if (!status.already_exists()) return status;
  }
  return status;
}

platform::Status copy_under_free_name(
    platform::Env& system, const QString& path, const QString& folder, const QString& name,
    QString* placed, const std::function<void(const QString& target)>& before_each) {
  QByteArray contents;
  if (const platform::Status read = system.read_file(path, &contents); !read.ok()) {
    return read;
  }
  return place_under_free_name(
      folder, name,
      [&](const QString& target) {
        if (before_each) before_each(target);
        return platform::publish_new_file(target, contents);
      },
      placed);
}

platform::Status rename_to_free_name(platform::Env& system, const QString& path,
                                     const QString& folder, const QString& name, QString* placed) {
  return place_under_free_name(
      folder, name, [&](const QString& target) { return system.rename_file(path, target); },
      placed);
}

namespace {

// A file not settled yet, as the scanner last saw it: its size and time,
// and when it first saw them so, by the scanner's own clock.
struct sighting {
  qint64 size = 0;
  QDateTime written;
  QDateTime first_seen;
};

QHash<QString, sighting>& sightings() {
  static QHash<QString, sighting> seen;
  return seen;
}

// A scan watches only the first files of its folders, so few are noted; the
// notes of files that went elsewhere are dropped once they pile up.
void forget_old_sightings(const QDateTime& now, qint64 settle_ms) {
  constexpr qsizetype kMostSightings = 1000;
  QHash<QString, sighting>& seen = sightings();
  if (seen.size() < kMostSightings) return;
  seen.removeIf(
      [&](const auto& noted) { return noted.value().first_seen.msecsTo(now) > 2 * settle_ms; });
}

}  // namespace

bool still_settling(platform::Env& system, const QString& path, double settle_seconds) {
  if (settle_seconds <= 0) return false;
  const std::optional<platform::DirEntry> entry = system.entry(path);
  const QDateTime written = system.last_modified(path);
  if (!entry || !written.isValid()) return false;
  const QDateTime now = system.now();
  const qint64 settle_ms = qint64(settle_seconds * 1000);
  QHash<QString, sighting>& seen = sightings();
  if (written.msecsTo(now) >= settle_ms) {
    seen.remove(path);
    return false;
  }
  const auto noted = seen.constFind(path);
  const bool unchanged = noted != seen.cend() && noted->size == entry->size &&
                         noted->written == written && noted->first_seen <= now;
  if (!unchanged) {
    forget_old_sightings(now, settle_ms);
    seen.insert(path, {entry->size, written, now});
    return true;
  }
  if (noted->first_seen.msecsTo(now) < settle_ms) return true;
  seen.remove(path);
  return false;
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
      ctx.archive_by_date_of_measurement ? measured.date() : ctx.system().now().date();
  for (const QString& part : {QString::number(date.year()), QString::number(date.month()),
                              QString::number(date.day()), leaf}) {
    folder += platform::kDelimiter + part;
    ensure();
  }
  return folder + platform::kDelimiter;
}

archived archive_copy(const context& ctx, const QString& path, const archive_request& request,
                      QString* copy) {
  const QString folder = dated_archive_folder(ctx, request.leaf, request.measured);
  if (folder.isEmpty()) return archived::switched_off;
  const QString name = platform::portable_name(request.name);
  if (request.reuse_identical) {
    if (const QString earlier = identical_copy(ctx.system(), path, folder, name);
        !earlier.isEmpty()) {
      if (copy) *copy = earlier;
      return archived::copied;
    }
  }
  QString target;
  if (!copy_under_free_name(ctx.system(), path, folder, name, &target, request.before_each).ok()) {
    return archived::failed;
  }
  if (copy) *copy = target;
  if (target != folder + name && request.when_taken) request.when_taken(folder + name, target);
  return archived::copied;
}

QString identical_copy(platform::Env& system, const QString& path, const QString& folder,
                       const QString& name) {
  const std::optional<platform::DirEntry> input = system.entry(path);
  if (!input) return QString();
  // Every variant free_name gives starts with the base and ends with the
  // extension; a mask finds them all in one listing.
  const name_parts parts = parts_of(name);
  const auto listed = system.list_folder(folder, parts.base + QLatin1Char('*') + parts.suffix);
  QByteArray bytes;
  for (const platform::DirEntry& entry : listed.value_or(QList<platform::DirEntry>())) {
    if (!entry.is_file || entry.size != input->size) continue;
    if (bytes.isNull() && !system.read_file(path, &bytes).ok()) return QString();
    QByteArray other;
    if (system.read_file(folder + entry.name, &other).ok() && other == bytes) {
      return folder + entry.name;
    }
  }
  return QString();
}

QString sentence(const QString& text) {
  const bool ended = text.endsWith(u'.') || text.endsWith(u'!') || text.endsWith(u'?');
  return ended ? text : text + QLatin1Char('.');
}

QString move_aside(platform::Env& system, const QString& path, const QString& name) {
  QString kept;
  if (!rename_to_free_name(system, path, platform::folder_of(path),
                           name + QStringLiteral(".failed"), &kept)
           .ok()) {
    return QString();
  }
  return kept;
}

QString set_aside_file(platform::Env& system, const QString& path, const QString& name,
                       const QString& reason, left_under left, QString* kept) {
  const QString moved = move_aside(system, path, name);
  if (kept) *kept = moved;
  const QString where = !moved.isEmpty() ? QStringLiteral(" is kept as ") + moved
                        : left == left_under::temporary_name
                            ? QStringLiteral(" is kept under the temporary name ") + path
                            : QStringLiteral(" stays as ") + path;
  return QStringLiteral("Error: ") + sentence(reason) + QStringLiteral(" The measurement ") + name +
         where + QStringLiteral(".");
}

}  // namespace conversion
