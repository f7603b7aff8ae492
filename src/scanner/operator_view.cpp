#include "scanner/operator_view.h"

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <limits>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/inline_file.h"
#include "basics/listing_census.h"
#include "basics/scan_data.h"
#include "basics/text_file.h"
#include "platform/file_error.h"
#include "scanner/operator_panel.h"
#include "scanner/tray_lamp.h"

namespace scanner {

namespace {

// A listing the scan made this long ago still tells what waits: a step
// lists its folders about once a second.
constexpr qint64 kFreshListingMs = 1500;
// During a step, the step's own listing is the one to show, however long
// the step has taken: the panel never lists a backlog again per file.
constexpr qint64 kAnyAgeMs = std::numeric_limits<qint64>::max();

// Why the scan cannot list `folder` or claim files in it, with the user's
// own rights; empty when it can. Creates nothing: it runs every second.
QString input_folder_problem(const QString& folder) {
  const platform::Status readable =
      platform::env().folder_access(folder, platform::FolderUse::read);
  if (!readable.ok()) {
    return QStringLiteral("cannot be read (%1)").arg(platform::failure_reason(readable));
  }
  const platform::Status writable =
      platform::env().folder_access(folder, platform::FolderUse::write);
  if (!writable.ok()) {
    return QStringLiteral("cannot be written into (%1)").arg(platform::failure_reason(writable));
  }
  return QString();
}

}  // namespace

operator_view::operator_view(QWidget* window, const QRect& area) : QObject(window) {
  panel_ = new operator_panel(window);
  panel_->setGeometry(area);
  // The face of an ordinary window, so the panel reads as an addition to
  // the layout, not a part of it.
  QPalette face = panel_->palette();
  face.setColor(QPalette::Window, QColor(236, 236, 236));
  panel_->setPalette(face);
  panel_->setAutoFillBackground(true);
  tray_ = new tray_lamp(window);
  // Not a step of the scan: it only reads what the scan left.
  panel_timer_ = new QTimer(this);
  panel_timer_->setObjectName(QStringLiteral("panel_timer"));
  panel_timer_->setInterval(1000);
  connect(panel_timer_, &QTimer::timeout, this, &operator_view::looked_again);
}

QString operator_view::history_folder() {
  return basics::app_data_file(QStringLiteral("history"));
}

void operator_view::greet_new_day() {
  const QDate today = platform::env().now().date();
  if (today == history_kept_on_) return;
  history_kept_on_ = today;
  // Yesterday's rows now need their date.
  panel_->date_history(today);
  basics::remove_old_history(history_folder(), today);
}

void operator_view::start() {
  load_history();
  started_ = true;
  run_panel_timer();
}

void operator_view::stop() {
  started_ = false;
  run_panel_timer();
}

void operator_view::follow_scan(bool ticking) {
  scan_ticking_ = ticking;
  run_panel_timer();
}

void operator_view::run_panel_timer() {
  if (started_ && !scan_ticking_) {
    if (!panel_timer_->isActive()) panel_timer_->start();
  } else {
    panel_timer_->stop();
  }
}

platform::Status operator_view::keep_in_history(const basics::history_record& record) {
  if (!history_) history_.emplace(history_folder());
  return history_->append(record);
}

QList<needed_folder> operator_view::look_at(const QList<watched_folder>& folders,
                                            const QDateTime& now, bool during_step) {
  // The day files of a scanner that runs for months.
  greet_new_day();
  QList<needed_folder> needed;
  QList<waiting_line> waiting;
  for (const watched_folder& folder : folders) {
    const bool present = !folder.path.isEmpty() && basics::folder_exists(folder.path);
    needed.append({folder.role, folder.path, present, {}});
    if (folder.mask.isEmpty()) continue;
    if (present) needed.last().problem = input_folder_problem(folder.path);
    waiting.append({folder.role, folder.path,
                    present ? basics::waiting_in(folder.path, folder.mask,
                                                 during_step ? kAnyAgeMs : kFreshListingMs)
                            : basics::waiting_summary()});
  }
  panel_->show_waiting(waiting, now);
  return needed;
}

void operator_view::notify(const tray_notice& notice) {
  tray_->notify(notice);
}

void operator_view::show_lamp(const lamp& current) {
  panel_->show_lamp(current);
  tray_->show_lamp(current);
}

void operator_view::show_handled(const basics::history_record& record) {
  panel_->add_history(record, platform::env().now().date());
  show_last_spectra(record);
  // An error passes on to the general error report, which notifies.
  if (record.result != basics::history_result::set_aside) return;
  if (const std::optional<tray_notice> notice = notice_for(record)) tray_->notify(*notice);
}

void operator_view::load_history() {
  greet_new_day();
  const QList<basics::history_record> newest_first =
      basics::read_history(history_folder(), operator_panel::kHistoryRows);
  const QDate today = platform::env().now().date();
  for (auto it = newest_first.crbegin(); it != newest_first.crend(); ++it) {
    panel_->add_history(*it, today);
  }
  // The spectra of the last conversion, while its output is still there.
  for (const basics::history_record& record : newest_first) {
    if (record.result != basics::history_result::converted || record.output.isEmpty()) continue;
    show_last_spectra(record);
    break;
  }
}

void operator_view::show_last_spectra(const basics::history_record& record) {
  if (record.result != basics::history_result::converted || record.output.isEmpty()) return;
  const QString title =
      (record.plate ? QStringLiteral("Plate %1").arg(*record.plate) : QStringLiteral("File")) +
      QStringLiteral(" (") + record.input + QStringLiteral(")");
  // The output as the analysis programs read it; one that is gone or
  // damaged leaves the last spectra shown.
  try {
    if (record.output.endsWith(QStringLiteral(".scn"))) {
      basics::scan_data scanned;
      scanned.loadfromfile(record.output);
      panel_->show_scan_record(scanned, title);
    } else if (record.output.endsWith(QStringLiteral(".csv"))) {
      panel_->show_curve(basics::inline_curve(basics::read_lines(record.output)), title);
    }
  } catch (const basics::error&) {
  }
}

}  // namespace scanner
