#include "basics/live_signal.h"

#include "basics/error.h"
#include "basics/files.h"
#include "platform/env.h"

namespace basics {
namespace {

// Removes the spare temporary file `temp` and throws `failure` (when not
// empty), adding that the spare could not be removed: it must not pile up
// unnoticed in the measurement system's folder.
void discard_spare(const QString& temp, QString failure) {
  if (file_exists(temp)) {
    const platform::Status removed = platform::env().delete_file(temp);
    if (!removed.ok())
      failure += (failure.isEmpty() ? QString() : QStringLiteral(" ")) + removed.message();
  }
  if (!failure.isEmpty()) throw error(failure);
}

}  // namespace

QString live_signal_file(const QString& base) {
  if (base.isEmpty()) return QString();
  return base + QStringLiteral("live_signals") + platform::kDelimiter + program_base_name() +
         QStringLiteral(".alv");
}

void write_live_signal(const QString& file) {
  QString folder = platform::folder_of(file);
  folder.chop(1);
  // A folder that cannot be created shows as the write's failure below.
  ensure_folder(folder);
  const QString temp = random_temp_name(folder);
  const platform::Status written = platform::env().write_file(temp, QByteArray());
  if (!written.ok()) discard_spare(temp, written.message());
  if (!platform::env().rename_file(temp, file).ok()) discard_spare(temp, QString());
}

void renew_live_signal(const QString& file) {
  if (!file.isEmpty() && !file_exists(file)) write_live_signal(file);
}

}  // namespace basics
