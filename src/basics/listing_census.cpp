#include "basics/listing_census.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QSet>

#include <mutex>

#include "platform/env.h"

namespace basics {
namespace {

struct noted_listing {
  qint64 noted_ms = -1;  // never listed by the scan
  QStringList files;
  // The times read so far, by name; names gone are dropped.
  QHash<QString, QDateTime> times;
};

// The scan notes its listings wherever it runs; the panel reads them on
// the main thread.
std::mutex listings_mutex;

QHash<QString, noted_listing>& listings() {
  static QHash<QString, noted_listing> noted;
  return noted;
}

qint64 monotonic_ms() {
  static const QElapsedTimer started = [] {
    QElapsedTimer timer;
    timer.start();
    return timer;
  }();
  return started.elapsed();
}

// Windows takes "/" between folders too: "C:/in/" names the folder the
// scan listed as "C:\in\".
QString key_of(const QString& folder, const QString& mask) {
  return QDir::toNativeSeparators(platform::with_delimiter(folder)) + QChar(0) + mask;
}

// Linear in the folder's size: a backlog of many thousand files is listed
// after every handled file.
void keep_files(noted_listing& listing, const QStringList& files) {
  if (listing.files == files) return;  // the common case: nothing came or went
  listing.files = files;
  if (listing.times.isEmpty()) return;
  const QSet<QString> present(files.cbegin(), files.cend());
  listing.times.removeIf([&present](const auto& time) { return !present.contains(time.key()); });
}

}  // namespace

void note_listing(const QString& folder, const QString& mask, const QStringList& files) {
  if (folder.isEmpty()) return;
  const std::lock_guard<std::mutex> lock(listings_mutex);
  noted_listing& listing = listings()[key_of(folder, mask)];
  listing.noted_ms = monotonic_ms();
  keep_files(listing, files);
}

waiting_summary waiting_in(const QString& folder, const QString& mask, qint64 fresh_ms) {
  if (folder.isEmpty()) return {};
  const QString key = key_of(folder, mask);
  const std::lock_guard<std::mutex> lock(listings_mutex);
  noted_listing& listing = listings()[key];
  // A listing of its own does not count as the scan's: it is made again
  // next time, until the scan lists the folder once more.
  if (listing.noted_ms < 0 || monotonic_ms() - listing.noted_ms >= fresh_ms) {
    QStringList files;
    for (const platform::DirEntry& entry :
         platform::env().list_folder(folder, mask).value_or(QList<platform::DirEntry>())) {
      if (entry.is_file) files << entry.name;
    }
    keep_files(listing, files);
  }
  waiting_summary summary;
  summary.count = int(listing.files.size());
  const QString prefix = platform::with_delimiter(folder);
  for (const QString& name : listing.files) {
    auto time = listing.times.find(name);
    if (time == listing.times.end()) {
      time = listing.times.insert(name, platform::env().last_modified(prefix + name));
    }
    if (time->isValid() && (!summary.oldest.isValid() || *time < summary.oldest)) {
      summary.oldest = *time;
    }
  }
  return summary;
}

void forget_listings() {
  const std::lock_guard<std::mutex> lock(listings_mutex);
  listings().clear();
}

}  // namespace basics
