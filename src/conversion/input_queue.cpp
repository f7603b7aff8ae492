#include "conversion/input_queue.h"

#include <QSet>

#include "basics/listing_census.h"
#include "platform/env.h"

namespace conversion {
namespace {

// The entries reported so far, by path: a scan runs every second, and the
// board and the journal must name each one once, not every second.
QSet<QString>& reported_entries() {
  static QSet<QString> reported;
  return reported;
}

void report_once(const QString& path, const basics::message_sink& say) {
  if (reported_entries().contains(path)) return;
  reported_entries().insert(path);
  say(QStringLiteral("Error: ") + path +
      QStringLiteral(" is not a file the scanner can claim (a pipe, a device or a link to "
                     "nothing); it is left where it is, and the files behind it are handled."));
}

// Forgets the reported entries of `folder` that are gone, so an entry that
// comes back is named again.
void forget_gone(const QString& folder, const QSet<QString>& present) {
  QSet<QString>& reported = reported_entries();
  for (auto it = reported.begin(); it != reported.end();) {
    if (platform::folder_of(*it) == folder && !present.contains(*it)) {
      it = reported.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace

QStringList waiting_files(platform::Env& system, const QString& folder, const QString& mask,
                          const basics::message_sink& say) {
  if (folder.isEmpty()) return {};
  const QString prefix = platform::with_delimiter(folder);
  QStringList files;
  QSet<QString> unclaimable;
  for (const platform::DirEntry& entry :
       system.list_folder(folder, mask).value_or(QList<platform::DirEntry>())) {
    if (entry.is_file) {
      files << entry.name;
    } else if (!entry.is_folder) {
      unclaimable.insert(prefix + entry.name);
      report_once(prefix + entry.name, say);
    }
  }
  forget_gone(prefix, unclaimable);
  basics::note_listing(folder, mask, files);
  return files;
}

}  // namespace conversion
