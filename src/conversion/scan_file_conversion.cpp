#include "conversion/scan_file_conversion.h"

#include "basics/error.h"
#include "basics/files.h"
#include "basics/ole_date.h"
#include "platform/env.h"

namespace conversion {
namespace {

// Copies the claimed file as `prefix` + plate + ".csv" into the dated
// archive folder of the context's measurement (a plate measured twice a day
// keeps both copies, the second under a free name, said on the board);
// false when the copy could not be made (archiving switched off counts as
// done).
bool archive_as_plate(claimed_file& file, const QString& prefix, qint32 plate,
                      const QDateTime& measured) {
  return file.archive_copy(file.ctx().lumor_name,
                           prefix + QString::number(plate) + QStringLiteral(".csv"), measured,
                           claimed_file::naming::announce_taken) != archived::failed;
}

}  // namespace

QString plate_scan_file(const QString& folder, qint32 plate) {
  return folder + platform::kDelimiter + QString::number(plate) + QStringLiteral(".scn");
}

void convert_plate_file(claimed_file& file, plate_file_state& state,
                        const plate_file_format& format) {
  const std::optional<QStringList> lines = file.load(format.largest);
  if (!lines) return;
  const context& ctx = file.ctx();
  if (const auto refusal = format.refusal(*lines, file.path(), file.name(), ctx)) {
    file.refuse(*refusal, ctx.lumor_name);
    return;
  }
  if (format.needs_output_folder && !basics::folder_exists(ctx.output_folder)) {
    file.set_aside(QStringLiteral("The output folder ") + ctx.output_folder +
                   QStringLiteral(" does not exist; no scan file written."));
    return;
  }
  try {
    format.read(*lines, ctx.system().last_modified(file.path()), ctx, state);
    file.note_plate(state.plate);
    const QString target = plate_scan_file(ctx.output_folder, state.plate);
    state.record.savetofile(target);
    file.note_output(target);
  } catch (const basics::error& e) {
    file.set_aside(e.text());
    return;
  }
  const QDateTime measured = basics::date_time_from_ole(state.record.time_of_measurement);
  if (!archive_as_plate(file, format.archive_prefix, state.plate, measured)) {
    file.set_aside(QStringLiteral("The archive copy could not be written."));
  }
}

void handle_plate_files(const context& ctx, plate_file_state& state,
                        const plate_file_format& format) {
  claim_files(ctx, format.action, format.on_rename_failure,
              [&](claimed_file& file) { convert_plate_file(file, state, format); });
}

}  // namespace conversion
