#include "conversion/exsitu_conversion.h"

#include "basics/exsitu_file.h"
#include "conversion/scan_file_conversion.h"
#include "platform/env.h"

namespace conversion {

QString exsitu_action() {
  return QStringLiteral("   Converting exsitu data ...");
}

void convert_exsitu_file(claimed_file& file, basics::scan_data& record, qint32& plate) {
  const std::optional<QStringList> lines = file.load(basics::kLargestExsituFile);
  if (!lines) return;
  const context& ctx = file.ctx();
  if (const auto refusal = basics::exsitu_refusal(*lines, file.path(), file.name())) {
    file.refuse(*refusal, ctx.lumor_name);
    return;
  }
  const auto read = [&] {
    basics::read_exsitu_lines(*lines, platform::env().last_modified(file.path()),
                              ctx.point_selected, record, plate, ctx.board);
  };
  write_scan_file(file, read, record, plate, ctx.output_folder,
                  [&file](qint32 p, const QDateTime& measured) {
                    return archive_exsitu_file(file, p, measured);
                  });
}

bool archive_exsitu_file(claimed_file& file, qint32 plate, const QDateTime& measured) {
  return archive_as_plate(file, QStringLiteral("exsitu_"), plate, measured);
}

void handle_exsitu_data(const context& ctx, basics::scan_data& record, qint32& plate) {
  // A file its writer still holds is simply tried again later.
  claim_files(ctx, exsitu_action(), {},
              [&](claimed_file& file) { convert_exsitu_file(file, record, plate); });
}

}  // namespace conversion
