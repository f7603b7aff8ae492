#pragma once

// The conversion every instrument whose file becomes one scan file of a
// plate shares (exsitu, Halvik exsitu, Halvik insitu): claim the file,
// refuse what the format refuses, fill the record, publish it as
// <plate>.scn, archive the file under its plate's name. Nothing is lost on
// the way: a file that cannot be read, saved or archived is set aside; one
// refused is archived as refused_<name>, or set aside when it cannot be.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "basics/scan_data.h"
#include "conversion/claimed_file.h"

namespace conversion {

// What such a conversion carries from file to file, kept where the caller
// keeps it (a window's scan record and plate number): a value a file does
// not give keeps the previous file's.
struct plate_file_state {
  basics::scan_data& record;
  qint32& plate;
};

// What sets one instrument's files apart.
struct plate_file_format {
  // The largest file of the instrument; a larger one is set aside unread.
  qint64 largest = 0;
  // Why the file `name` at `path` whose lines are `lines` is refused, in
  // the board's words; nothing when it is converted.
  std::function<std::optional<QString>(const QStringList& lines, const QString& path,
                                       const QString& name, const context& ctx)>
      refusal;
  // Fills the record and the plate from `lines`, the file written at
  // `written`; value problems go to ctx.board. May throw basics::error.
  std::function<void(const QStringList& lines, const QDateTime& written, const context& ctx,
                     plate_file_state& state)>
      read;
  // The archive copy's name is this + plate + ".csv".
  QString archive_prefix;
  // The output folder is not checked before the scan step: a missing one
  // sets the file aside, as a scan file has nowhere else to go.
  bool needs_output_folder = false;
  // The status line while a file is converted.
  QString action;
  // What the status line says when a file cannot be claimed yet; nothing
  // when empty.
  rename_failure_text on_rename_failure;
};

// The scan file of `plate` in `folder`: <plate>.scn.
QString plate_scan_file(const QString& folder, qint32 plate);

// Converts the claimed file as `format` says.
void convert_plate_file(claimed_file& file, plate_file_state& state,
                        const plate_file_format& format);

// Claims the files waiting in the context's input folder (at most ten) and
// converts each as `format` says.
void handle_plate_files(const context& ctx, plate_file_state& state,
                        const plate_file_format& format);

}  // namespace conversion
