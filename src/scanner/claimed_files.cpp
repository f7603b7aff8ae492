// What the main window's conversions share: claiming the waiting measurement
// files, filing them in the dated archive and setting aside the ones that
// cannot be finished, so no measurement is ever lost.

#include <QDateTime>
#include <QFileInfo>
#include <QLabel>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "platform/env.h"
#include "scanner/DORNIK_scanner_unit.h"
#include "scanner/window_controls.h"

namespace {

constexpr int kPassesPerCall = 10;

using platform::folder_of;
using platform::with_delimiter;

// `folder` + `name`, or with "_2", "_3"... before the extension when taken.
QString free_name(const QString& folder, const QString& name) {
  const QFileInfo info(name);
  const QString base = info.completeBaseName();
  const QString suffix = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
  QString candidate = folder + name;
  for (int n = 2; basics::file_or_folder_exists(candidate); ++n) {
    candidate = folder + base + QStringLiteral("_%1").arg(n) + suffix;
  }
  return candidate;
}

}  // namespace

void TDORNIK_scanner_main::claim_and_convert(const QString& folder, const QString& action,
                                             rename_failure on_rename_failure,
                                             const std::function<void(const QString&)>& convert) {
  const QString mask = QStringLiteral("*.csv");
  for (int pass = 0; pass < kPassesPerCall && basics::count_files(folder, mask) >= 1; ++pass) {
    const QString temp = basics::random_temp_name(folder);
    QString name;
    basics::first_file(folder, mask, name);
    const QString source = with_delimiter(folder) + name;
    if (still_settling(source)) return;  // its writer may still be at work on a network share
    if (!platform::env().rename_file(source, temp).ok()) {
      if (on_rename_failure == rename_failure::reported) {
        show_stamped_action(QStringLiteral("   Could not rename ") + source);
      }
      continue;
    }
    claimed_name = name;
    claimed_file_kept = false;
    show_stamped_action(action);
    convert(temp);
    if (!claimed_file_kept) platform::env().delete_file(temp);
  }
}

// A time ahead of the clock (another machine's clock) counts as settled, so
// a skewed share never holds the queue up for good.
bool TDORNIK_scanner_main::still_settling(const QString& path) {
  const QDateTime written = platform::env().last_modified(path);
  if (!written.isValid()) return false;
  const qint64 age = written.msecsTo(platform::env().now());
  return age >= 0 && age < qint64(process_file_delay_time_in_seconds * 1000);
}

TDORNIK_scanner_main::archived TDORNIK_scanner_main::archive_copy(
    const QString& path, const QString& leaf, const QString& archive_name,
    const QDateTime& measured, archive_naming naming, QString* copy) {
  if (!prepare_archive_folder(leaf, measured)) return archived::switched_off;
  const QString folder = archive_path + platform::kDelimiter;
  const QString target =
      naming == archive_naming::replace ? folder + archive_name : free_name(folder, archive_name);
  if (!platform::copy_file(path, target).ok()) return archived::failed;
  if (copy) *copy = target;
  return archived::copied;
}

bool TDORNIK_scanner_main::prepare_archive_folder(const QString& leaf, const QDateTime& measured) {
  archive_path = compute_archive_path();
  if (archive_path.isEmpty()) return false;
  const auto ensure = [this] {
    if (!basics::ensure_folder(archive_path)) {
      scanner::show_text(action_label, archive_path + QStringLiteral(" could not be created!"));
    }
  };
  archive_path += product;
  ensure();
  const QDate date =
      archive_using_date_of_measurement ? measured.date() : platform::env().now().date();
  this_year = quint16(date.year());
  this_month = quint16(date.month());
  this_day = quint16(date.day());
  for (const QString& part :
       {QString::number(this_year), QString::number(this_month), QString::number(this_day), leaf}) {
    archive_path += platform::kDelimiter + part;
    ensure();
  }
  return true;
}

bool TDORNIK_scanner_main::load_claimed_file(const QString& path) {
  try {
    my_file_content = basics::read_lines(path);
    return true;
  } catch (const basics::error& e) {
    set_aside(path, e.text());
    return false;
  }
}

void TDORNIK_scanner_main::set_aside(const QString& path, const QString& reason) {
  claimed_file_kept = true;
  const QString folder = folder_of(path);
  const QString kept = free_name(folder, claimed_name + QStringLiteral(".failed"));
  const bool moved = platform::env().rename_file(path, kept).ok();
  add_message(QStringLiteral("Error: ") + reason + QStringLiteral(" The measurement ") +
              claimed_name +
              (moved ? QStringLiteral(" is kept as ") + kept
                     : QStringLiteral(" is kept under the temporary name ") + path) +
              QStringLiteral("."));
}
