#include "conversion/halvik_conversion.h"

#include "basics/halvik_file.h"
#include "conversion/insitu_conversion.h"

namespace conversion {

plate_file_format halvik_insitu_format() {
  plate_file_format format;
  format.largest = basics::kLargestHalvikInsituFile;
  format.refusal = [](const QStringList& lines, const QString& path, const QString&,
                      const context&) { return basics::halvik_insitu_refusal(lines, path); };
  format.read = [](const QStringList& lines, const QDateTime& written, const context& ctx,
                   plate_file_state& state) {
    basics::read_halvik_insitu_lines(lines, written, state.record, state.plate, ctx.board);
  };
  format.archive_prefix = QStringLiteral("insitu_");
  format.needs_output_folder = true;
  format.action = insitu_action();
  format.on_rename_failure = could_not_rename;
  return format;
}

void handle_halvik_insitu(const context& ctx, halvik_insitu_state& state,
                          const halvik_insitu_options&) {
  handle_plate_files(ctx, state, halvik_insitu_format());
}

}  // namespace conversion
