#include "conversion/zeiss_conversion.h"

#include "basics/error.h"
#include "basics/files.h"
#include "basics/measurement_file.h"
#include "basics/ole_date.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "conversion/file_keeping.h"
#include "conversion/handled_file.h"
#include "conversion/memory_shortage.h"
#include "conversion/renamable_files.h"
#include "conversion/tulmen_conversion.h"
#include "platform/env.h"

namespace conversion {
namespace {

// The input file's name less its ".csv".
constexpr int kExtensionLength = 4;

bool is_postbake(qint32 postbake_mode) {
  return postbake_mode >= 0;
}

// Whether a plate of `positions` is taken for a postbake sample, whose scan
// file is named from its plate number, never from its plate text.
bool is_postbake_sample(int positions, const zeiss_options& options) {
  return options.classify && positions < basics::kProductionPositions;
}

// Classifies the plate by its number of positions, switches the production
// system's product when the class asks for another one, and says on the
// board what the plate was taken for.
void identify_product(context& ctx, zeiss_state& state, int positions,
                      const zeiss_options& options) {
  state.postbake_mode = -1;
  QString text = basics::base_product_name(ctx.product);
  if (positions == basics::kMaintenancePositions) {
    text += QStringLiteral(" maintenance");
  } else if (is_postbake_sample(positions, options)) {
    state.postbake_mode = basics::postbake_piece(state.zeiss_plate);
  }
  if (basics::trimmed(text) != basics::trimmed(ctx.product) && options.switch_product) {
    options.switch_product(text, state.postbake_mode, ctx);
  }
  if (options.clear_board) options.clear_board();
  ctx.board(QStringLiteral("Product identification: ") + QString::number(state.zeiss_plate));
  if (!is_postbake(state.postbake_mode)) {
    ctx.board(ctx.product);
    return;
  }
  ctx.board(options.postbake.product + QStringLiteral(" ") +
            basics::postbake_type(state.postbake_mode) + QStringLiteral("   Original plate:") +
            QString::number(basics::original_plate_number(state.zeiss_plate)));
}

// Reads the spectra; only the first value that does not convert gets a
// message box, so a damaged file cannot hold an unattended scanner with
// thousands of them. The others are counted on the board.
void read_spectra(const context& ctx, const QStringList& lines, const basics::zeiss_layout& layout,
                  const basics::zeiss_axes& axes, const QString& name, basics::scan_data& record,
                  const zeiss_state& state, const zeiss_options& options) {
  int bad_values = 0;
  basics::read_zeiss_spectra(
      lines, layout, axes, state.no_spectral_positions, record, [&](const QString& field) {
        if (bad_values++ == 0 && options.message_box) {
          options.message_box(QStringLiteral("Error reading spectral value: ") + field);
        }
      });
  if (bad_values > 1) {
    ctx.board(QStringLiteral("Error: %1 more spectral values of %2 could not be read.")
                  .arg(bad_values - 1)
                  .arg(name));
  }
}

QStringList save_postbake_scan(const basics::scan_data& record, const QString& name,
                               const QString& plate_text, const zeiss_state& state,
                               const zeiss_options& options) {
  const QString& folder = options.postbake.output_folder;
  // Without a postbake system the sample would land in the drive's root.
  if (folder.isEmpty() || !basics::folder_exists(folder)) {
    throw basics::error(QStringLiteral("The postbake output folder ") + folder +
                        QStringLiteral(" does not exist."));
  }
  const QString file_name =
      plate_text.isEmpty()
          ? name.left(qMax(0, name.size() - kExtensionLength)) + QStringLiteral(".scn")
          : QString::number(basics::original_plate_number(state.zeiss_plate)) +
                basics::postbake_suffix(state.postbake_mode);
  const QString target = platform::with_delimiter(folder) + file_name;
  record.savetofile(target);
  return {target};
}

// What the scan step reads of a file without a stamp line before it looks
// for the stamp: its time, its axes (which may set the points per
// spectrum) and the record sized to no positions. A file whose blocks
// cannot be found changes nothing.
void read_up_to_the_stamp(const QStringList& lines, const QDateTime& measured, zeiss_state& state) {
  const std::optional<basics::zeiss_layout> layout = basics::locate_zeiss_axes(lines);
  if (!layout) return;
  basics::read_zeiss_axes(lines, *layout, state.no_spectral_positions);
  basics::read_zeiss_positions(lines, *layout, state.no_spectral_positions, state.record);
  state.record.time_of_measurement = basics::ole_date_from(basics::two_second_time(measured));
}

// The context of the system whose archive keeps the file.
context archive_context(const context& ctx, const zeiss_state& state,
                        const zeiss_options& options) {
  if (!options.classify || !is_postbake(state.postbake_mode)) return ctx;
  context postbake = ctx;
  postbake.archive_root = options.postbake.archive_root;
  postbake.product = options.postbake.product;
  return postbake;
}

// Archives the input file and deletes it, or keeps it aside where it would
// be lost; the copy is dated by `measured` when archiving by date of
// measurement.
void archive_and_delete(handled_file& file, const context& archive, const context& ctx,
                        const QString& path, const QDateTime& measured,
                        const QStringList& written) {
  QString copy_path;
  const archived copy = archive_in_place(archive, path, file.name(), measured, &copy_path);
  file.note_archive(copy_path);
  delete_when_kept(file, ctx.board, path, copy, written);
}

}  // namespace

std::optional<QString> zeiss_refusal(const QStringList& lines, const QString& name,
                                     const QDateTime& measured, zeiss_state& state,
                                     const zeiss_options& options) {
  if (!basics::zeiss_has_measurement(lines)) return QString();
  if (basics::zeiss_stamp_line(lines) == 0) {
    read_up_to_the_stamp(lines, measured, state);
    if (options.message_box) {
      options.message_box(QStringLiteral("Error - no unique identification of positions!"));
    }
    return QString();
  }
  const basics::zeiss_reading reading = basics::locate_zeiss_parts(lines);
  if (!reading.layout) {
    return QStringLiteral("Error: ") + name + QStringLiteral(" is refused: it lacks ") +
           reading.missing + QStringLiteral(".");
  }
  if (is_postbake_sample(reading.layout->positions, options)) return std::nullopt;
  const QString plate_text = basics::zeiss_plate_text(lines, *reading.layout);
  if (const auto why = basics::plate_text_refusal(plate_text)) {
    return QStringLiteral("Error: ") + name + QStringLiteral(" is refused: its plate text \"") +
           plate_text + QStringLiteral("\" cannot name a file: ") + *why + QStringLiteral(".");
  }
  return std::nullopt;
}

QString zeiss_no_measurement() {
  return QStringLiteral("10 lines or fewer: no measurement; no scan file written.");
}

QString zeiss_no_plate_text() {
  return QStringLiteral("no plate text; no scan file written.");
}

QStringList convert_zeiss_lines(context& ctx, const QStringList& lines, const QString& name,
                                const QDateTime& last_modified, zeiss_state& state,
                                const zeiss_options& options) {
  basics::scan_data& record = state.record;
  const basics::zeiss_layout layout = *basics::locate_zeiss_parts(lines).layout;
  const basics::zeiss_axes axes =
      basics::read_zeiss_axes(lines, layout, state.no_spectral_positions);
  basics::read_zeiss_positions(lines, layout, state.no_spectral_positions, record);
  record.time_of_measurement = basics::ole_date_from(basics::two_second_time(last_modified));
  const QString plate_text = basics::zeiss_plate_text(lines, layout);
  state.zeiss_plate = basics::plate_number(plate_text, ctx.board);
  if (options.classify) {
    identify_product(ctx, state, layout.positions, options);
  } else {
    state.postbake_mode = -1;
  }
  read_spectra(ctx, lines, layout, axes, name, record, state, options);
  if (is_postbake(state.postbake_mode)) {
    basics::add_postbake_offsets(state.postbake_mode, options.offsets, record);
    return save_postbake_scan(record, name, plate_text, state, options);
  }
  if (plate_text.isEmpty()) return {};
  return save_tulmen_scan(ctx, record, plate_text, options.no_scan_files);
}

namespace {

// Converts, archives and deletes the complete Zeiss file of `file`.
void convert_zeiss_file(handled_file& file, context& ctx, zeiss_state& state,
                        const zeiss_options& options) {
  const QString& name = file.name();
  const QString path = input_file(ctx, name);
  const QDateTime measured = basics::two_second_time(ctx.system().last_modified(path));
  QStringList written;
  bool identified = false;
  try {
    const QStringList lines =
        basics::read_measurement_lines(ctx.system(), path, basics::kLargestZeissFile);
    if (const auto refused = zeiss_refusal(lines, name, measured, state, options)) {
      if (!refused->isEmpty()) ctx.board(*refused);
    } else {
      identified = true;
      written = convert_zeiss_lines(ctx, lines, name, measured, state, options);
      file.note_plate(state.zeiss_plate);
    }
  } catch (const basics::error& e) {
    keep_aside(file, ctx.board, path, e.text());
    return;
  }
  for (const QString& target : written) file.note_output(target);
  // A file that was never identified belongs to the production system,
  // whichever class the file before it had.
  const context archive = identified ? archive_context(ctx, state, options) : ctx;
  archive_and_delete(file, archive, ctx, path, measured, written);
}

}  // namespace

void handle_zeiss(const context& ctx, zeiss_state& state, const zeiss_options& options) {
  // A Zeiss file is taken as soon as it can be renamed away and back: the
  // settle time is the other scans' rule, and a file just written must not
  // hold back the older files behind it.
  context unsettled = ctx;
  unsettled.settle_seconds = 0;
  convert_in_place(unsettled, QString::fromLatin1(kZeissMask), &context::board,
                   [&](handled_file& file, context& current, claim_note&) {
                     convert_zeiss_file(file, current, state, options);
                   });
}

}  // namespace conversion
