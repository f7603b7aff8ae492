// scan_file_tool: inspects scan files (.scn) and converts measurement files
// into scan and inline files the way the scanner does, without its window,
// in batches (archives of many thousand files).
//
//   scan_file_tool dump [--json] FILE.scn
//   scan_file_tool convert-exsitu|convert-insitu|convert-tulmen|convert-zeiss
//       [--fresh-record] [--no-clobber] OUTPUT_FOLDER FILE...
//
// kUsageText says what each does and gives the exit codes.

#include "basics/error.h"
#include "basics/exsitu_file.h"
#include "basics/files.h"
#include "basics/insitu_file.h"
#include "basics/ole_date.h"
#include "basics/scan_data.h"
#include "basics/text_file.h"
#include "basics/tulmen_file.h"
#include "basics/zeiss_file.h"
#include "command_line/command_line.h"
#include "conversion/insitu_conversion.h"
#include "conversion/tulmen_conversion.h"
#include "conversion/zeiss_conversion.h"
#include "platform/env.h"
#include "tools/batch_output.h"
#include "tools/parallel.h"
#include "tools/tool_output.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QtEndian>

#include <charconv>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

namespace {

using tools::kFailed;
using tools::kUsage;
using tools::print_error;
using tools::write_stdout;

const char kUsageText[] =
    "Usage: scan_file_tool dump [--json] FILE.scn\n"
    "       scan_file_tool convert-exsitu [OPTIONS] OUTPUT_FOLDER FILE.csv...\n"
    "       scan_file_tool convert-insitu [OPTIONS] OUTPUT_FOLDER FILE.csv...\n"
    "       scan_file_tool convert-tulmen [OPTIONS] OUTPUT_FOLDER FILE.csv...\n"
    "       scan_file_tool convert-zeiss [OPTIONS] OUTPUT_FOLDER FILE.csv...\n"
    "\n"
    "dump prints the header of the scan file, one item a line (version,\n"
    "counts, positions, sheet resistances, the axis of each spectrum, the time\n"
    "of measurement as local date and time and as OLE date), a blank line, and\n"
    "then the values as CSV: a title line, then one line per position and\n"
    "spectrum, position-major: index,position,spectrum,slot 0,...,slot M-1\n"
    "(all M slots, also those beyond the spectrum's points).\n"
    "dump --json prints the same as one JSON object for scripts: version,\n"
    "positions, sheet_resistances, spectra (first, last, points), slots,\n"
    "time_of_measurement (ole, local) and values[position][spectrum][slot];\n"
    "what the file does not store, and values that are not finite, are null.\n"
    "\n"
    "convert-exsitu converts exsitu measurement files, in the order given,\n"
    "into OUTPUT_FOLDER/<plate>.scn as the scanner does (all points selected,\n"
    "a value that does not convert keeps the previous file's value) and prints\n"
    "the name of each scan file written. Messages go to standard error, each\n"
    "after the name of its file. A file too short or with too many positions\n"
    "is reported and skipped; the others are still converted.\n"
    "\n"
    "convert-insitu converts insitu measurement files, in the order given,\n"
    "into the inline files OUTPUT_FOLDER/<plate>___T.csv as the scanner does,\n"
    "and prints the name of each inline file written with the probe head the\n"
    "file names (the scanner would put it into that probe head's measurement\n"
    "folder). Messages go to standard error as above; a file too short or\n"
    "without a \"Wave length [nm]\" table is reported and skipped.\n"
    "\n"
    "convert-tulmen converts TULMEN traverse files, in the order given, into\n"
    "OUTPUT_FOLDER/<base>.scn as the scanner does with one scan file per\n"
    "measurement and no product identification; <base> is the file's name\n"
    "less its last eleven characters (A123_export.csv gives A123.scn), or\n"
    "less \".csv\" when it is not that long. Messages go to standard error as\n"
    "above; a file of 500 lines or fewer, one that ends before line 820 and\n"
    "one with more than 40 positions are reported and skipped.\n"
    "\n"
    "convert-zeiss converts Zeiss plate files, in the order given, into\n"
    "OUTPUT_FOLDER/<plate>.scn as the scanner does with one scan file per\n"
    "measurement, every file taken for a production plate (no maintenance or\n"
    "postbake classes, no product switch): for re-converting archived files.\n"
    "<plate> is the plate text as the file writes it. Messages go to standard\n"
    "error as above; a file of 10 lines or fewer, one without a stamp line,\n"
    "one that lacks lines its format promises and one whose plate text cannot\n"
    "name a file are reported and skipped.\n"
    "\n"
    "The convert commands publish their outputs in groups: a name is printed\n"
    "only once its file is complete on disk for good; a power cut leaves the\n"
    "old file or the complete new one. Exsitu files are read on every core and\n"
    "the carried values applied in the order given: the bytes are those of a\n"
    "conversion one file after the other.\n"
    "Options of the convert commands (before OUTPUT_FOLDER):\n"
    "  --fresh-record  each file starts from a new record, so no value is\n"
    "                  carried from the file before: outputs do not depend on\n"
    "                  the order of the files.\n"
    "  --no-clobber    an output that exists already, on disk or from an\n"
    "                  earlier file of the run, is not replaced (exit code 3).\n"
    "Two files of one run that write the same output are reported with a\n"
    "warning; the later one is kept.\n"
    "\n"
    "Exit codes (the first that applies): 3 an output could not be written\n"
    "(or was not, by --no-clobber); 1 a file could not be read or was refused;\n"
    "4 two files wrote the same output; 0 done (messages about single values\n"
    "included). 2 wrong arguments.";

// The shortest text that reads back as the same float or double.
template <typename Number>
QString shortest_text(Number value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString float_text(float value) {
  return shortest_text(value);
}

template <typename T, typename Text>
QString joined(const QVector<T>& values, qint32 count, Text text) {
  QStringList parts;
  for (qint32 i = 0; i < count; ++i) parts << text(values[i]);
  return parts.join(u',');
}

QString int_text(qint32 value) {
  return QString::number(value);
}

QString time_text(double days) {
  const QDateTime time = basics::date_time_from_ole(days);
  const QString readable = time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                                          : QStringLiteral("not a valid date");
  return readable + QStringLiteral(" (OLE date ") + shortest_text(days) + QStringLiteral(")");
}

// The header lines of a scan file of `version` read into `record`; `bytes`
// is the whole file.
QStringList header_lines(const basics::scan_data& record, float version, const QByteArray& bytes) {
  QStringList out;
  const QString bits =
      QString::number(qFromLittleEndian<quint32>(bytes.constData()), 16).rightJustified(8, u'0');
  out << QStringLiteral("version: %1 (%2)").arg(float_text(version), bits.toUpper());
  const qint32 n = record.no_positions;
  out << QStringLiteral("positions: %1").arg(n);
  out << QStringLiteral("spectra: %1").arg(record.no_spectra);
  out << QStringLiteral("points: %1").arg(record.max_no_points);
  out << QStringLiteral("position values: ") + joined(record.positions, n, int_text);
  out << (basics::has_sheet_resistances(version)
              ? QStringLiteral("sheet resistances: ") +
                    joined(record.sheet_resistance, n, float_text)
              : QStringLiteral("sheet resistances: none (version below 1.2)"));
  for (qint32 s = 0; s < record.no_spectra; ++s) {
    out << QStringLiteral("spectrum %1: first %2, last %3, points %4")
               .arg(s)
               .arg(float_text(record.x_min[s]), float_text(record.x_max[s]))
               .arg(record.no_points[s]);
  }
  // The bytes the record takes with its time tell whether the file stored one.
  const qint64 with_time = basics::scan_file_bytes(record).size();
  if (!basics::has_time_of_measurement(version)) {
    out << QStringLiteral("time of measurement: none (version below 1.1)");
  } else if (bytes.size() < with_time) {
    out << QStringLiteral("time of measurement: none (a partial scan file)");
  } else {
    out << QStringLiteral("time of measurement: ") + time_text(record.time_of_measurement);
  }
  if (bytes.size() > with_time) {
    out << QStringLiteral("note: %1 bytes after the time of measurement are not read")
               .arg(bytes.size() - with_time);
  }
  return out;
}

QStringList value_lines(const basics::scan_data& record) {
  QStringList out;
  QString title = QStringLiteral("index,position,spectrum");
  for (qint32 w = 0; w < record.max_no_points; ++w) title += QStringLiteral(",slot %1").arg(w);
  out << title;
  for (qint32 p = 0; p < record.no_positions; ++p) {
    for (qint32 s = 0; s < record.no_spectra; ++s) {
      QString line = QStringLiteral("%1,%2,%3").arg(p).arg(record.positions[p]).arg(s);
      const qint32 first = record.the_index(p, s, 0);
      for (qint32 w = 0; w < record.max_no_points; ++w) {
        line += u',' + float_text(record.spectral_data[first + w]);
      }
      out << line;
    }
  }
  return out;
}

// ---- dump --json ------------------------------------------------------------

// A float as JSON: its shortest text, null for what JSON cannot hold.
QString json_number(float value) {
  return std::isfinite(value) ? float_text(value) : QStringLiteral("null");
}

template <typename T, typename Text>
QString json_array(const QVector<T>& values, qint32 count, Text text) {
  return u'[' + joined(values, count, text) + u']';
}

QString json_float_array(const float* values, qint32 count) {
  QStringList parts;
  for (qint32 i = 0; i < count; ++i) parts << json_number(values[i]);
  return u'[' + parts.join(u',') + u']';
}

// The scan file as one JSON object, for scripts: the header items of the
// text dump and "values", position by position, spectrum by spectrum, all M
// slots; what the file does not store is null.
QString json_dump(const basics::scan_data& record, float version, const QByteArray& bytes) {
  const qint32 n = record.no_positions;
  QStringList items;
  const auto item = [&](const char* key, const QString& value) {
    items << QStringLiteral("\"%1\":%2").arg(QLatin1String(key), value);
  };
  item("version", json_number(version));
  item("positions", json_array(record.positions, n, int_text));
  item("sheet_resistances", basics::has_sheet_resistances(version)
                                ? json_array(record.sheet_resistance, n, json_number)
                                : QStringLiteral("null"));
  QStringList axes;
  for (qint32 s = 0; s < record.no_spectra; ++s) {
    axes << QStringLiteral("{\"first\":%1,\"last\":%2,\"points\":%3}")
                .arg(json_number(record.x_min[s]), json_number(record.x_max[s]))
                .arg(record.no_points[s]);
  }
  item("spectra", u'[' + axes.join(u',') + u']');
  item("slots", QString::number(record.max_no_points));
  const qint64 with_time = basics::scan_file_bytes(record).size();
  const bool has_time = basics::has_time_of_measurement(version) && bytes.size() >= with_time;
  const QDateTime time = basics::date_time_from_ole(record.time_of_measurement);
  item("time_of_measurement",
       !has_time
           ? QStringLiteral("null")
           : QStringLiteral("{\"ole\":%1,\"local\":%2}")
                 .arg(std::isfinite(record.time_of_measurement)
                          ? shortest_text(record.time_of_measurement)
                          : QStringLiteral("null"),
                      time.isValid()
                          ? u'"' + time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + u'"'
                          : QStringLiteral("null")));
  QStringList positions;
  for (qint32 p = 0; p < n; ++p) {
    QStringList spectra;
    for (qint32 s = 0; s < record.no_spectra; ++s) {
      spectra << json_float_array(record.spectral_data.constData() + record.the_index(p, s, 0),
                                  record.max_no_points);
    }
    positions << u'[' + spectra.join(u',') + u']';
  }
  item("values", u'[' + positions.join(u',') + u']');
  return u'{' + items.join(u',') + QStringLiteral("}\n");
}

int dump(const QString& scan_file, bool json) {
  const auto not_read = [&](const QString& reason) {
    print_error(
        QStringLiteral("Error: The scan file %1 cannot be read. %2").arg(scan_file, reason));
    return kFailed;
  };
  QByteArray bytes;
  const platform::Status status = platform::env().read_file(scan_file, &bytes);
  if (!status.ok()) return not_read(status.message());
  basics::scan_data record;
  try {
    // No load time: the header tells from the file's size whether it stored one.
    basics::read_scan_file_bytes(bytes, 0.0, record);
  } catch (const basics::error& e) {
    return not_read(e.text());
  }
  // The reader has checked the header is there; it keeps the version out
  // of the record, so the dump takes it from the bytes.
  const float version = qFromLittleEndian<float>(bytes.constData());
  record.file_format = version;
  const QString text =
      json ? json_dump(record, version, bytes)
           : (header_lines(record, version, bytes) + QStringList{QString()} + value_lines(record))
                     .join(u'\n') +
                 u'\n';
  if (!write_stdout(text.toUtf8())) {
    print_error(QStringLiteral("Error: could not write to standard output."));
    return kFailed;
  }
  return 0;
}

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
  std::function<void(qsizetype index, tools::batch_output& out)> convert;
};

int run_batch(const QString& folder, const QStringList& files, const tools::batch_options& options,
              const conversion_run& run) {
  if (!basics::folder_exists(folder)) {
    print_error(QStringLiteral("Error: the output folder %1 does not exist.").arg(folder));
    return tools::kNotWritten;
  }
  tools::batch_output out(options);
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
    }
    out.commit();
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

exsitu_reading read_exsitu(const QString& file) {
  exsitu_reading reading;
  const basics::message_sink collect = [&](const QString& m) { reading.messages << m; };
  try {
    const QStringList lines = basics::read_measurement_lines(file, basics::kLargestExsituFile);
    reading.refusal = basics::exsitu_refusal(lines, file, QFileInfo(file).fileName());
    if (reading.refusal) return reading;
    basics::shape_exsitu_record(reading.record);
    basics::read_exsitu_lines(
        lines, platform::env().last_modified(file), [](int) { return true; }, reading.record,
        reading.plate, collect, &reading.written);
  } catch (const basics::error& e) {
    reading.refusal = e.text();
  }
  return reading;
}

int convert_exsitu(const QString& folder, const QStringList& files,
                   const tools::batch_options& options) {
  basics::scan_data record;
  basics::shape_exsitu_record(record);
  std::vector<exsitu_reading> readings(files.size());
  conversion_run run;
  run.prepare = [&](qsizetype first, qsizetype end) {
    tools::for_each_parallel(end - first, [&](std::size_t i) {
      readings[first + i] = read_exsitu(files[first + qsizetype(i)]);
    });
  };
  run.convert = [&](qsizetype index, tools::batch_output& out) {
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
    out.add(
        files[index],
        platform::with_delimiter(folder) + QString::number(reading.plate) + QStringLiteral(".scn"),
        basics::scan_file_bytes(record));
  };
  return run_batch(folder, files, options, run);
}

// ---- insitu, TULMEN, Zeiss: one after the other -------------------------------

int convert_insitu(const QString& folder, const QStringList& files,
                   const tools::batch_options& options) {
  qint32 plate = 0;
  conversion_run run;
  run.convert = [&](qsizetype index, tools::batch_output& out) {
    const QString& file = files[index];
    const basics::message_sink report = reporter(file);
    const QStringList lines = basics::read_measurement_lines(file, basics::kLargestInsituFile);
    if (options.fresh_record) plate = 0;
    const auto pairs = conversion::read_insitu_measurement(lines, file, plate, report);
    if (!pairs) {
      // A file too short has been reported already.
      if (!basics::insitu_length_refusal(lines, file)) {
        report(QStringLiteral("no \"Wave length [nm]\" table; no inline file written."));
      }
      out.input_refused();
      return;
    }
    out.add(file,
            platform::with_delimiter(folder) + QString::number(plate) + QStringLiteral("___T.csv"),
            basics::bytes_from_lines(*pairs),
            QStringLiteral(" for the probe head ") + basics::insitu_probe_head(lines));
  };
  return run_batch(folder, files, options, run);
}

// A conversion context whose scan files go to `out` as outputs of `file`.
conversion::context batch_context(const QString& folder, const QString& file,
                                  tools::batch_output& out) {
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

int convert_tulmen(const QString& folder, const QStringList& files,
                   const tools::batch_options& options) {
  basics::scan_data record;
  basics::shape_tulmen_record(record);
  basics::tulmen_wavelengths wavelengths{};
  conversion_run run;
  run.convert = [&](qsizetype index, tools::batch_output& out) {
    const QString& file = files[index];
    conversion::context ctx = batch_context(folder, file, out);
    const QStringList lines = basics::read_measurement_lines(file, basics::kLargestTulmenFile);
    const auto refusal = !basics::tulmen_has_measurement(lines)
                             ? std::optional<QString>(QStringLiteral(
                                   "500 lines or fewer: no measurement; no scan file written."))
                             : basics::tulmen_refusal(lines, file);
    if (refusal) {
      ctx.board(*refusal);
      out.input_refused();
      return;
    }
    if (options.fresh_record) {
      basics::shape_tulmen_record(record);
      wavelengths = {};
    }
    conversion::convert_tulmen_lines(ctx, lines, QFileInfo(file).fileName(),
                                     platform::env().last_modified(file), record, wavelengths,
                                     conversion::tulmen_options());
  };
  return run_batch(folder, files, options, run);
}

int convert_zeiss(const QString& folder, const QStringList& files,
                  const tools::batch_options& options) {
  basics::scan_data record;
  basics::shape_zeiss_record(record);
  conversion::zeiss_carried carried;
  conversion::zeiss_options zeiss;
  zeiss.classify = false;  // every file a production plate: no database here
  zeiss.no_scan_files = 1;
  conversion_run run;
  run.convert = [&](qsizetype index, tools::batch_output& out) {
    const QString& file = files[index];
    conversion::context ctx = batch_context(folder, file, out);
    zeiss.message_box = ctx.board;
    const QStringList lines = basics::read_measurement_lines(file, basics::kLargestZeissFile);
    const QString name = QFileInfo(file).fileName();
    if (!basics::zeiss_has_measurement(lines)) {
      ctx.board(QStringLiteral("10 lines or fewer: no measurement; no scan file written."));
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
        ctx, lines, name, platform::env().last_modified(file), record, carried, zeiss);
    if (written.isEmpty()) {
      ctx.board(QStringLiteral("no plate text; no scan file written."));
      out.input_refused();
    }
  };
  return run_batch(folder, files, options, run);
}

// The options a command takes before its arguments ("--" ends them); the
// others are left in `args`. Empty when an option is not one of `known`.
std::optional<QStringList> take_options(QStringList& args, const QStringList& known) {
  QStringList taken;
  while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
    const QString option = args.takeFirst();
    if (option == QLatin1String("--")) break;
    if (!known.contains(option)) {
      print_error(QStringLiteral("Unknown option %1.").arg(option));
      return std::nullopt;
    }
    taken << option;
  }
  return taken;
}

using converter = int (*)(const QString& folder, const QStringList& files,
                          const tools::batch_options& options);

struct command {
  const char* name;
  converter convert;
};
constexpr command kConverters[] = {{"convert-exsitu", convert_exsitu},
                                   {"convert-insitu", convert_insitu},
                                   {"convert-tulmen", convert_tulmen},
                                   {"convert-zeiss", convert_zeiss}};

// Runs the command `args` names; empty when it names none or its options
// or arguments are wrong.
std::optional<int> run_command(QStringList args) {
  if (args.isEmpty()) return std::nullopt;
  const QString name = args.takeFirst();
  if (name == QLatin1String("dump")) {
    const auto options = take_options(args, {QStringLiteral("--json")});
    if (!options || args.size() != 1) return std::nullopt;
    return dump(args[0], options->contains(QStringLiteral("--json")));
  }
  for (const command& c : kConverters) {
    if (name != QLatin1String(c.name)) continue;
    const auto options =
        take_options(args, {QStringLiteral("--fresh-record"), QStringLiteral("--no-clobber")});
    if (!options || args.size() < 2) return std::nullopt;
    tools::batch_options batch;
    batch.fresh_record = options->contains(QStringLiteral("--fresh-record"));
    batch.no_clobber = options->contains(QStringLiteral("--no-clobber"));
    return c.convert(args[0], args.mid(1), batch);
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  const program::command_line command = program::parse_command_line(
      argc, argv,
      program::tool_usage(QStringLiteral("Dumps scan files and converts measurement files into "
                                         "scan and inline files as the scanner does."),
                          QString::fromLatin1(kUsageText)));
  if (command.exit_code) return *command.exit_code;
  QCoreApplication app(argc, argv);
  try {
    if (const auto exit_code = run_command(command.arguments)) return *exit_code;
  } catch (const basics::error& e) {
    print_error(e.text());
    return tools::kInputRefused;
  }
  print_error(QString::fromLatin1(kUsageText));
  return kUsage;
}
