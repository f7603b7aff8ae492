#include "conversion/exsitu_conversion.h"

#include "basics/error.h"
#include "basics/exsitu_file.h"
#include "basics/ole_date.h"
#include "platform/env.h"

namespace conversion {
namespace {

// The board names the archive copy: the refusal text itself names only the
// temporary file, which is gone after this pass.
void refuse_exsitu_file(claimed_file& file, const QString& message) {
  const context& ctx = file.ctx();
  ctx.board(message);
  QString copy;
  switch (file.archive_copy(ctx.lumor_name, QStringLiteral("refused_") + file.name(),
                            platform::env().last_modified(file.path()),
                            claimed_file::naming::keep_existing, &copy)) {
    case claimed_file::archived::copied:
      ctx.board(QStringLiteral("The measurement ") + file.name() +
                QStringLiteral(" is archived as ") + copy + QStringLiteral("."));
      break;
    case claimed_file::archived::switched_off:
      // Deleting it would lose the measurement: nothing else holds it.
      file.set_aside(QStringLiteral("There is no archive folder to keep the refused file in."));
      break;
    case claimed_file::archived::failed:
      file.set_aside(QStringLiteral("The archive copy could not be written."));
      break;
  }
}

}  // namespace

QString exsitu_action() {
  return QStringLiteral("   Converting exsitu data ...");
}

void convert_exsitu_file(claimed_file& file, basics::scan_data& record, qint32& plate) {
  const std::optional<QStringList> lines = file.load();
  if (!lines) return;
  if (const auto refusal = basics::exsitu_refusal(*lines, file.path(), file.name())) {
    refuse_exsitu_file(file, *refusal);
    return;
  }
  const context& ctx = file.ctx();
  try {
    basics::read_exsitu_lines(*lines, platform::env().last_modified(file.path()),
                              ctx.point_selected, record, plate, ctx.board);
    record.savetofile(ctx.output_folder + platform::kDelimiter + QString::number(plate) +
                      QStringLiteral(".scn"));
  } catch (const basics::error& e) {
    file.set_aside(e.text());
    return;
  }
  if (!archive_exsitu_file(file, plate, basics::date_time_from_ole(record.time_of_measurement))) {
    file.set_aside(QStringLiteral("The archive copy could not be written."));
  }
}

bool archive_exsitu_file(claimed_file& file, qint32 plate, const QDateTime& measured) {
  return file.archive_copy(file.ctx().lumor_name, QStringLiteral("exsitu_%1.csv").arg(plate),
                           measured,
                           claimed_file::naming::replace) != claimed_file::archived::failed;
}

void handle_exsitu_data(const context& ctx, basics::scan_data& record, qint32& plate) {
  // A file its writer still holds is simply tried again later.
  claim_files(ctx, exsitu_action(), rename_failure::silent,
              [&](claimed_file& file) { convert_exsitu_file(file, record, plate); });
}

}  // namespace conversion
