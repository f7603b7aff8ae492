#include "tools/batch_conversion.h"

#include "basics/error.h"
#include "basics/exsitu_file.h"
#include "basics/files.h"
#include "basics/halvik_file.h"
#include "basics/insitu_file.h"
#include "basics/scan_data.h"
#include "basics/text_file.h"
#include "basics/tulmen_file.h"
#include "basics/zeiss_file.h"
#include "conversion/exsitu_conversion.h"
#include "conversion/halvik_conversion.h"
#include "conversion/insitu_conversion.h"
#include "conversion/tulmen_conversion.h"
#include "conversion/zeiss_conversion.h"
#include "platform/env.h"
#include "tools/parallel.h"
#include "tools/progress.h"
#include "tools/tool_output.h"

#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tools {
namespace {

// Prints `message` on standard error after the name of `file`.
basics::message_sink reporter(const QString& file) {
  return [file](const QString& message) { print_error(file + QStringLiteral(": ") + message); };
}

// Inputs converted between two commits: bounds the memory the waiting
// outputs take, while each commit still flushes many files at once.
constexpr qsizetype kInputsPerCommit = 256;

// What a command does with its inputs: `convert` converts the input at an
// index in order, adding its outputs to `out`; `prepare` (when given) does
// the work that does not depend on earlier inputs for a run of them first,
// on every core. Inputs that cannot be read are reported, and the others
// still converted. The exit code.
struct conversion_run {
  std::function<void(qsizetype first, qsizetype end)> prepare;
  std::function<void(qsizetype index, batch_output& out)> convert;
};

int run_batch(const QString& folder, const QStringList& files, const batch_options& options,
              const conversion_run& run) {
  if (!basics::folder_exists(folder)) {
    print_error(QStringLiteral("Error: the output folder %1 does not exist.").arg(folder));
    return kNotWritten;
  }
  batch_output out(options);
  progress_line progress(files.size());
  for (qsizetype first = 0; first < files.size(); first += kInputsPerCommit) {
    const qsizetype end = std::min(files.size(), first + kInputsPerCommit);
    if (run.prepare) run.prepare(first, end);
    for (qsizetype i = first; i < end; ++i) {
      try {
        run.convert(i, out);
      } catch (const basics::error& e) {
        reporter(files[i])(e.text());
        out.input_refused();
      }
      progress.advance(i + 1);
    }
    out.commit();
    progress.advance(end, true);
  }
  return out.exit_code();
}

// ---- exsitu: read on every core, carried over in order ------------------------

// One exsitu file read into a record of its own, with the slots it wrote,
// so that the carry from file to file can be applied in order afterwards.
struct exsitu_reading {
  QStringList messages;
  std::optional<QString> refusal;  // or the reason it could not be read
  basics::scan_data record;
  basics::written_slots written;
  qint32 plate = 0;
};

// Runs on a worker thread, which reaches the system through `ctx` only.
exsitu_reading read_exsitu(const conversion::context& ctx, const QString& file) {
  exsitu_reading reading;
  const basics::message_sink collect = [&](const QString& m) { reading.messages << m; };
  try {
    const QStringList lines =
        basics::read_measurement_lines(ctx.system(), file, basics::kLargestExsituFile);
    reading.refusal = basics::exsitu_refusal(lines, file, QFileInfo(file).fileName());
    if (reading.refusal) return reading;
    basics::shape_exsitu_record(reading.record);
    basics::read_exsitu_lines(lines, ctx.system().last_modified(file), ctx.point_selected,
                              reading.record, reading.plate, collect, &reading.written);
  } catch (const basics::error& e) {
    reading.refusal = e.text();
  }
  return reading;
}

// A conversion context whose scan files go to `out` as outputs of `file`.
conversion::context batch_context(const QString& folder, const QString& file, batch_output& out) {
  conversion::context ctx;
  ctx.output_folder = folder;
  ctx.plain_status = reporter(file);
  ctx.board = reporter(file);
  ctx.publish_scan_file = [&out, file](const QString& target, const QByteArray& bytes) {
    out.add(file, target, bytes);
    return platform::Status::Ok();
  };
  return ctx;
}

}  // namespace

int convert_exsitu(const QString& folder, const QStringList& files, const batch_options& options) {
  basics::scan_data record;
  basics::shape_exsitu_record(record);
  std::vector<exsitu_reading> readings(files.size());
  // Every point is converted: there is no point selection here.
  const conversion::context reading_context;
  conversion_run run;
  run.prepare = [&](qsizetype first, qsizetype end) {
    for_each_parallel(end - first, [&](std::size_t i) {
      readings[first + i] = read_exsitu(reading_context, files[first + qsizetype(i)]);
    });
  };
  run.convert = [&](qsizetype index, batch_output& out) {
    exsitu_reading reading = std::exchange(readings[index], {});
    const basics::message_sink report = reporter(files[index]);
    for (const QString& message : reading.messages) report(message);
    if (reading.refusal) {
      report(*reading.refusal);
      out.input_refused();
      return;
    }
    if (options.fresh_record) basics::shape_exsitu_record(record);
    basics::carry_written(reading.record, reading.written, record);
    out.add(files[index], conversion::plate_scan_file(folder, reading.plate),
            basics::scan_file_bytes(record));
  };
  return run_batch(folder, files, options, run);
}

// ---- Halvik, insitu, TULMEN, Zeiss: one after the other ------------------------

// Converts files of `format` into scan files, into a record shaped by
// `shape`, refused and read by the very rules of the scan step.
int convert_plate_files(const QString& folder, const QStringList& files,
                        const batch_options& options, const conversion::plate_file_format& format,
                        void (*shape)(basics::scan_data&)) {
  basics::scan_data record;
  shape(record);
  qint32 plate = 0;
  conversion::plate_file_state state{record, plate};
  conversion_run run;
  run.convert = [&](qsizetype index, batch_output& out) {
    const QString& file = files[index];
    const conversion::context ctx = batch_context(folder, file, out);
    const QStringList lines = basics::read_measurement_lines(ctx.system(), file, format.largest);
    if (const auto refusal = format.refusal(lines, file, QFileInfo(file).fileName(), ctx)) {
      ctx.board(*refusal);
      out.input_refused();
      return;
    }
    if (options.fresh_record) {
      shape(record);
      plate = 0;
    }
    format.read(lines, ctx.system().last_modified(file), ctx, state);
    out.add(file, conversion::plate_scan_file(folder, plate), basics::scan_file_bytes(record));
  };
  return run_batch(folder, files, options, run);
}

int convert_halvik_exsitu(const QString& folder, const QStringList& files,
                          const batch_options& options) {
  return convert_plate_files(folder, files, options,
                             conversion::exsitu_format(conversion::exsitu_instrument::halvik),
                             basics::shape_halvik_exsitu_record);
}

int convert_halvik_insitu(const QString& folder, const QStringList& files,
                          const batch_options& options) {
  return convert_plate_files(folder, files, options, conversion::halvik_insitu_format(),
                             basics::shape_halvik_insitu_record);
}

int convert_insitu(const QString& folder, const QStringList& files, const batch_options& options) {
  qint32 plate = 0;
  conversion_run run;
  run.convert = [&](qsizetype index, batch_output& out) {
    const QString& file = files[index];
    const basics::message_sink report = reporter(file);
    const QStringList lines = basics::read_measurement_lines(file, basics::kLargestInsituFile);
    if (options.fresh_record) plate = 0;
    const auto pairs = conversion::read_insitu_measurement(lines, file, plate, report);
    if (!pairs) {
      // A file too short has been reported already.
      if (!basics::insitu_length_refusal(lines, file)) report(conversion::insitu_no_table());
      out.input_refused();
      return;
    }
    out.add(file, platform::with_delimiter(folder) + conversion::inline_file_name(plate),
            basics::bytes_from_lines(*pairs),
            QStringLiteral(" for the probe head ") + basics::insitu_probe_head(lines));
  };
  return run_batch(folder, files, options, run);
}

int convert_tulmen(const QString& folder, const QStringList& files, const batch_options& options) {
  basics::scan_data record;
  basics::shape_tulmen_record(record);
  conversion::tulmen_state state{record};
  conversion_run run;
  run.convert = [&](qsizetype index, batch_output& out) {
    const QString& file = files[index];
    conversion::context ctx = batch_context(folder, file, out);
    const QStringList lines =
        basics::read_measurement_lines(ctx.system(), file, basics::kLargestTulmenFile);
    if (const auto refusal = conversion::tulmen_lines_refusal(lines, file)) {
      ctx.board(*refusal);
      out.input_refused();
      return;
    }
    if (options.fresh_record) {
      basics::shape_tulmen_record(record);
      state.wavelengths = {};
    }
    conversion::convert_tulmen_lines(ctx, lines, QFileInfo(file).fileName(),
                                     ctx.system().last_modified(file), state,
                                     conversion::tulmen_options(), ctx.plain_status);
  };
  return run_batch(folder, files, options, run);
}

int convert_zeiss(const QString& folder, const QStringList& files, const batch_options& options) {
  basics::scan_data record;
  basics::shape_zeiss_record(record);
  conversion::zeiss_carried carried;
  conversion::zeiss_state state = conversion::zeiss_state_of(record, carried);
  conversion::zeiss_options zeiss;
  zeiss.classify = false;  // every file a production plate: no database here
  zeiss.no_scan_files = 1;
  conversion_run run;
  run.convert = [&](qsizetype index, batch_output& out) {
    const QString& file = files[index];
    conversion::context ctx = batch_context(folder, file, out);
    zeiss.message_box = ctx.board;
    const QStringList lines =
        basics::read_measurement_lines(ctx.system(), file, basics::kLargestZeissFile);
    const QString name = QFileInfo(file).fileName();
    if (!basics::zeiss_has_measurement(lines)) {
      ctx.board(conversion::zeiss_no_measurement());
      out.input_refused();
      return;
    }
    if (const auto refused = conversion::zeiss_refusal(lines, name, zeiss)) {
      // A file without a stamp line has been reported already.
      if (!refused->isEmpty()) ctx.board(*refused);
      out.input_refused();
      return;
    }
    if (options.fresh_record) {
      basics::shape_zeiss_record(record);
      carried = {};
    }
    const QStringList written = conversion::convert_zeiss_lines(
        ctx, lines, name, ctx.system().last_modified(file), state, zeiss);
    if (written.isEmpty()) {
      ctx.board(conversion::zeiss_no_plate_text());
      out.input_refused();
    }
  };
  return run_batch(folder, files, options, run);
}

}  // namespace tools
