#include "conversion/halvik_conversion.h"

#include "basics/files.h"
#include "basics/halvik_file.h"
#include "conversion/exsitu_conversion.h"
#include "conversion/insitu_conversion.h"
#include "conversion/scan_file_conversion.h"
#include "platform/env.h"

namespace conversion {

QString halvik_exsitu_rename_failure() {
  return QStringLiteral("   Could not rename exsitu data.csv");
}

void convert_halvik_exsitu_file(claimed_file& file, basics::scan_data& record, qint32& plate) {
  const std::optional<QStringList> lines = file.load(basics::kLargestHalvikExsituFile);
  if (!lines) return;
  const context& ctx = file.ctx();
  if (const auto refusal =
          basics::halvik_exsitu_refusal(*lines, file.path(), file.name(), ctx.point_selected)) {
    file.refuse(*refusal, ctx.lumor_name);
    return;
  }
  const auto read = [&] {
    basics::read_halvik_exsitu_lines(*lines, platform::env().last_modified(file.path()),
                                     ctx.point_selected, record, plate, ctx.board);
  };
  write_scan_file(file, read, record, plate, ctx.output_folder,
                  [&file](qint32 p, const QDateTime& measured) {
                    return archive_halvik_exsitu_file(file, p, measured);
                  });
}

bool archive_halvik_exsitu_file(claimed_file& file, qint32 plate, const QDateTime& measured) {
  return archive_as_plate(file, QStringLiteral("exsitu_"), plate, measured);
}

void handle_halvik_exsitu_data(const context& ctx, basics::scan_data& record, qint32& plate) {
  claim_files(
      ctx, exsitu_action(), [](const QString&) { return halvik_exsitu_rename_failure(); },
      [&](claimed_file& file) { convert_halvik_exsitu_file(file, record, plate); });
}

void convert_halvik_insitu_file(claimed_file& file, basics::scan_data& record, qint32& plate) {
  const std::optional<QStringList> lines = file.load(basics::kLargestHalvikInsituFile);
  if (!lines) return;
  const context& ctx = file.ctx();
  if (const auto refusal = basics::halvik_insitu_refusal(*lines, file.path())) {
    file.refuse(*refusal, ctx.lumor_name);
    return;
  }
  if (!basics::folder_exists(ctx.output_folder)) {
    file.set_aside(QStringLiteral("The output folder ") + ctx.output_folder +
                   QStringLiteral(" does not exist; no scan file written."));
    return;
  }
  const auto read = [&] {
    basics::read_halvik_insitu_lines(*lines, platform::env().last_modified(file.path()), record,
                                     plate, ctx.board);
  };
  write_scan_file(file, read, record, plate, ctx.output_folder,
                  [&file](qint32 p, const QDateTime& measured) {
                    return archive_halvik_insitu_file(file, p, measured);
                  });
}

bool archive_halvik_insitu_file(claimed_file& file, qint32 plate, const QDateTime& measured) {
  return archive_as_plate(file, QStringLiteral("insitu_"), plate, measured);
}

void handle_halvik_insitu_data(const context& ctx, basics::scan_data& record, qint32& plate) {
  claim_files(ctx, insitu_action(), could_not_rename,
              [&](claimed_file& file) { convert_halvik_insitu_file(file, record, plate); });
}

}  // namespace conversion
