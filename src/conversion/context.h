#pragma once

// What a conversion needs to know of its window, filled afresh for each scan
// step: the folders of the current product, the archive rule, the point
// selection, the probe heads table, and where its messages go. A conversion
// is a function of this context and of the record it is given, so windows,
// tools and tests share it.

#include <QString>
#include <QStringList>

#include <optional>

#include "basics/exsitu_file.h"
#include "basics/history_file.h"
#include "basics/measurement_file.h"
#include "basics/scan_data.h"
#include "platform/env.h"

namespace basics {
class sprachen;
}

namespace conversion {

struct context {
  // The system the conversion works through: files, folders and the clock.
  // None means the process's own (platform::env(), which a test may
  // replace); a test may give a FaultEnv, a tool's worker thread its own.
  // The shared helpers below the conversions that take no Env (publishing,
  // folder checks, the claim journal) still use the process's.
  platform::Env* env = nullptr;
  platform::Env& system() const { return env ? *env : platform::env(); }

  // The folder files are claimed from.
  QString input_folder;
  // The input files the scan step has just listed there (by waiting_files,
  // with the input mask), so a backlog of thousands is listed once a step;
  // none: the conversion lists the folder itself.
  std::optional<QStringList> listed;
  // Where exsitu scan files go, without a trailing delimiter.
  QString output_folder;
  // The base folder of the measurement system, ending with the delimiter:
  // insitu files go to its measurement folders.
  QString vellic_path;
  QString product;
  // The exsitu measurement's name; its archive copies go into a folder of
  // this name.
  QString lumor_name;
  // Ends with the delimiter; empty switches archiving off.
  QString archive_root;
  // Archive under the date of measurement instead of today's.
  bool archive_by_date_of_measurement = false;
  // A file is claimed only once its last modification is this old.
  double settle_seconds = 0;
  basics::point_predicate point_selected = [](int) { return true; };
  // The folder of the notes that let a restart recover files claimed when
  // the program stopped; empty: claims are not noted (tools, tests).
  QString claim_journal;
  // The probe heads table of the insitu conversion; none means empty.
  const basics::sprachen* probe_heads = nullptr;

  // Publishes finished scan files; a batch tool collects them instead, to
  // publish many at once.
  basics::file_publisher publish_scan_file = platform::publish_file;

  // A line on the message board.
  basics::message_sink board = [](const QString&) {};
  // A new status line, shown with the date and time in front.
  basics::message_sink status = [](const QString&) {};
  // A new status line, shown as it is.
  basics::message_sink plain_status = [](const QString&) {};
  // A message the operator has to acknowledge; the window shows it in a box.
  basics::message_sink box = [](const QString&) {};
  // Told of each file the conversion has finished with, before its input
  // is deleted: what became of it, for the history the operator reads; a
  // second time when the deletion then fails.
  std::function<void(const basics::history_record&)> handled = [](const basics::history_record&) {};
  // Told when a file of the input folder, at `path`, cannot be claimed for
  // a reason other than its writer still being at work (no permission, a
  // read-only folder): waiting will not help, the operator has to.
  std::function<void(const QString& path, const platform::Status& refused)> claim_refused =
      [](const QString&, const platform::Status&) {};
  // Run by a scan between two files, with no file half done: a window keeps
  // itself responsive here.
  std::function<void()> between_files = [] {};
};

}  // namespace conversion
