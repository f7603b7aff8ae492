#include "conversion/exsitu_conversion.h"

#include "basics/exsitu_file.h"
#include "basics/halvik_file.h"

namespace conversion {
namespace {

// The two instruments' traverse files differ only in how they are read
// and refused, and in what the status line says of a file still open.
plate_file_format exsitu_file_format() {
  plate_file_format format;
  format.archive_prefix = QStringLiteral("exsitu_");
  format.action = exsitu_action();
  return format;
}

plate_file_format dornik_exsitu_format() {
  plate_file_format format = exsitu_file_format();
  format.largest = basics::kLargestExsituFile;
  format.refusal = [](const QStringList& lines, const QString& path, const QString& name,
                      const context&) { return basics::exsitu_refusal(lines, path, name); };
  format.read = [](const QStringList& lines, const QDateTime& written, const context& ctx,
                   plate_file_state& state) {
    basics::read_exsitu_lines(lines, written, ctx.point_selected, state.record, state.plate,
                              ctx.board);
  };
  // No rename failure text: a file its writer still holds is simply tried
  // again later.
  return format;
}

plate_file_format halvik_exsitu_format() {
  plate_file_format format = exsitu_file_format();
  format.largest = basics::kLargestHalvikExsituFile;
  format.refusal = [](const QStringList& lines, const QString& path, const QString& name,
                      const context& ctx) {
    return basics::halvik_exsitu_refusal(lines, path, name, ctx.point_selected);
  };
  format.read = [](const QStringList& lines, const QDateTime& written, const context& ctx,
                   plate_file_state& state) {
    basics::read_halvik_exsitu_lines(lines, written, ctx.point_selected, state.record, state.plate,
                                     ctx.board);
  };
  format.on_rename_failure = [](const QString&) { return halvik_exsitu_rename_failure(); };
  return format;
}

}  // namespace

plate_file_format exsitu_format(exsitu_instrument instrument) {
  return instrument == exsitu_instrument::halvik ? halvik_exsitu_format() : dornik_exsitu_format();
}

QString exsitu_action() {
  return QStringLiteral("   Converting exsitu data ...");
}

QString halvik_exsitu_rename_failure() {
  return QStringLiteral("   Could not rename exsitu data.csv");
}

void handle_exsitu(const context& ctx, exsitu_state& state, const exsitu_options& options) {
  handle_plate_files(ctx, state, exsitu_format(options.instrument));
}

}  // namespace conversion
