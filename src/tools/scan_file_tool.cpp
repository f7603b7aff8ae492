// scan_file_tool: inspects scan files (.scn) and converts exsitu measurement
// files into scan files the way the scanner does, without its window.
//
//   scan_file_tool dump FILE.scn
//       prints the header, a blank line and the values as CSV; see kUsageText.
//   scan_file_tool convert-exsitu OUTPUT_FOLDER FILE.csv...
//       converts the files in the order given into OUTPUT_FOLDER/<plate>.scn,
//       all points selected, one scan record carried from file to file.
//   scan_file_tool convert-insitu OUTPUT_FOLDER FILE.csv...
//       converts insitu files into the inline files OUTPUT_FOLDER/<plate>___T.csv.
//   scan_file_tool convert-tulmen OUTPUT_FOLDER FILE.csv...
//       converts TULMEN traverse files into OUTPUT_FOLDER/<base>.scn.
//   scan_file_tool convert-zeiss OUTPUT_FOLDER FILE.csv...
//       converts Zeiss plate files into OUTPUT_FOLDER/<plate>.scn.
//
// Exit codes: 0 done, 1 a file could not be read, converted or written,
// 2 wrong arguments.

#include "basics/error.h"
#include "basics/exsitu_file.h"
#include "basics/files.h"
#include "basics/insitu_file.h"
#include "basics/ole_date.h"
#include "basics/scan_data.h"
#include "basics/text_file.h"
#include "basics/tulmen_file.h"
#include "basics/zeiss_file.h"
#include "conversion/insitu_conversion.h"
#include "conversion/tulmen_conversion.h"
#include "conversion/zeiss_conversion.h"
#include "platform/env.h"
#include "program/command_line.h"
#include "tools/tool_output.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QtEndian>

#include <charconv>
#include <functional>

namespace {

using tools::kFailed;
using tools::kUsage;
using tools::print_error;
using tools::write_stdout;

const char kUsageText[] =
    "Usage: scan_file_tool dump FILE.scn\n"
    "       scan_file_tool convert-exsitu OUTPUT_FOLDER FILE.csv...\n"
    "       scan_file_tool convert-insitu OUTPUT_FOLDER FILE.csv...\n"
    "       scan_file_tool convert-tulmen OUTPUT_FOLDER FILE.csv...\n"
    "       scan_file_tool convert-zeiss OUTPUT_FOLDER FILE.csv...\n"
    "\n"
    "dump prints the header of the scan file, one item a line (version,\n"
    "counts, positions, sheet resistances, the axis of each spectrum, the time\n"
    "of measurement as local date and time and as OLE date), a blank line, and\n"
    "then the values as CSV: a title line, then one line per position and\n"
    "spectrum, position-major: index,position,spectrum,slot 0,...,slot M-1\n"
    "(all M slots, also those beyond the spectrum's points).\n"
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
    "Exit codes: 0 every file read or converted (messages about single values\n"
    "included), 1 a file could not be read, was refused or could not be\n"
    "written, 2 wrong arguments.";

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

int dump(const QString& scan_file) {
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
  const QStringList lines =
      header_lines(record, version, bytes) + QStringList{QString()} + value_lines(record);
  if (!write_stdout((lines.join(u'\n') + u'\n').toUtf8())) {
    print_error(QStringLiteral("Error: could not write to standard output."));
    return kFailed;
  }
  return 0;
}

// Says on standard output that `target` was written.
void print_written(const QString& target, const QString& more = QString()) {
  write_stdout((QStringLiteral("wrote ") + target + more + u'\n').toLocal8Bit());
}

// Prints `message` on standard error after the name of `file`.
basics::message_sink reporter(const QString& file) {
  return [file](const QString& message) { print_error(file + QStringLiteral(": ") + message); };
}

// The converters of one file below let a basics::error (a file unreadable,
// an output not written) pass to convert_each, which reports it.

// Converts one exsitu file into `folder`; false when it was not converted.
bool convert_exsitu_one(const QString& file, const QString& folder, basics::scan_data& record,
                        qint32& plate) {
  const basics::message_sink report = reporter(file);
  const QStringList lines = basics::read_lines(file);
  if (const auto refusal = basics::exsitu_refusal(lines, file, QFileInfo(file).fileName())) {
    report(*refusal);
    return false;
  }
  basics::read_exsitu_lines(
      lines, platform::env().last_modified(file), [](int) { return true; }, record, plate, report);
  const QString target =
      platform::with_delimiter(folder) + QString::number(plate) + QStringLiteral(".scn");
  record.savetofile(target);
  print_written(target);
  return true;
}

// Converts one insitu file into `folder`; false when it gave no inline file.
bool convert_insitu_one(const QString& file, const QString& folder, qint32& plate) {
  const basics::message_sink report = reporter(file);
  const QStringList lines = basics::read_lines(file);
  const auto pairs = conversion::read_insitu_measurement(lines, file, plate, report);
  if (!pairs) {
    // A file too short has been reported already.
    if (!basics::insitu_length_refusal(lines, file)) {
      report(QStringLiteral("no \"Wave length [nm]\" table; no inline file written."));
    }
    return false;
  }
  const QString target =
      platform::with_delimiter(folder) + QString::number(plate) + QStringLiteral("___T.csv");
  basics::write_lines(target, *pairs);
  print_written(target, QStringLiteral(" for the probe head ") + basics::insitu_probe_head(lines));
  return true;
}

// Converts one TULMEN file into `folder`; false when it gave no scan file.
bool convert_tulmen_one(const QString& file, const QString& folder, basics::scan_data& record,
                        basics::tulmen_wavelengths& wavelengths) {
  const basics::message_sink report = reporter(file);
  conversion::context ctx;
  ctx.output_folder = folder;
  ctx.plain_status = report;
  const QStringList lines = basics::read_lines(file);
  if (!basics::tulmen_has_measurement(lines)) {
    report(QStringLiteral("500 lines or fewer: no measurement; no scan file written."));
    return false;
  }
  if (const auto refusal = basics::tulmen_refusal(lines, file)) {
    report(*refusal);
    return false;
  }
  const QStringList written = conversion::convert_tulmen_lines(
      ctx, lines, QFileInfo(file).fileName(), platform::env().last_modified(file), record,
      wavelengths, conversion::tulmen_options());
  for (const QString& target : written) {
    print_written(target);
  }
  return true;
}

// Converts `files` in the order given with `convert_one` (false: the file
// gave no output) into the existing `folder`; an error of one file is
// reported after its name and the others are still converted. The exit code.
int convert_each(const QString& folder, const QStringList& files,
                 const std::function<bool(const QString& file)>& convert_one) {
  if (!basics::folder_exists(folder)) {
    print_error(QStringLiteral("Error: the output folder %1 does not exist.").arg(folder));
    return kFailed;
  }
  bool all_converted = true;
  for (const QString& file : files) {
    try {
      if (!convert_one(file)) all_converted = false;
    } catch (const basics::error& e) {
      reporter(file)(e.text());
      all_converted = false;
    }
  }
  return all_converted ? 0 : kFailed;
}

int convert_exsitu(const QString& folder, const QStringList& files) {
  basics::scan_data record;
  basics::shape_exsitu_record(record);
  qint32 plate = 0;
  return convert_each(folder, files, [&](const QString& file) {
    return convert_exsitu_one(file, folder, record, plate);
  });
}

int convert_insitu(const QString& folder, const QStringList& files) {
  qint32 plate = 0;
  return convert_each(folder, files,
                      [&](const QString& file) { return convert_insitu_one(file, folder, plate); });
}

int convert_tulmen(const QString& folder, const QStringList& files) {
  basics::scan_data record;
  basics::shape_tulmen_record(record);
  basics::tulmen_wavelengths wavelengths{};
  return convert_each(folder, files, [&](const QString& file) {
    return convert_tulmen_one(file, folder, record, wavelengths);
  });
}

// Converts one Zeiss file into `folder` as a production plate; false when
// it gave no scan file.
bool convert_zeiss_one(const QString& file, const QString& folder, basics::scan_data& record,
                       conversion::zeiss_carried& carried) {
  const basics::message_sink report = reporter(file);
  conversion::context ctx;
  ctx.output_folder = folder;
  ctx.board = report;
  conversion::zeiss_options options;
  options.classify = false;
  options.no_scan_files = 1;
  options.message_box = report;
  const QStringList lines = basics::read_lines(file);
  if (!basics::zeiss_has_measurement(lines)) {
    report(QStringLiteral("10 lines or fewer: no measurement; no scan file written."));
    return false;
  }
  const QString name = QFileInfo(file).fileName();
  if (const auto refused = conversion::zeiss_refusal(lines, name, options)) {
    // A file without a stamp line has been reported already.
    if (!refused->isEmpty()) report(*refused);
    return false;
  }
  const QStringList written = conversion::convert_zeiss_lines(
      ctx, lines, name, platform::env().last_modified(file), record, carried, options);
  if (written.isEmpty()) report(QStringLiteral("no plate text; no scan file written."));
  for (const QString& target : written) {
    print_written(target);
  }
  return !written.isEmpty();
}

int convert_zeiss(const QString& folder, const QStringList& files) {
  basics::scan_data record;
  basics::shape_zeiss_record(record);
  conversion::zeiss_carried carried;
  return convert_each(folder, files, [&](const QString& file) {
    return convert_zeiss_one(file, folder, record, carried);
  });
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
  const QStringList& args = command.arguments;
  try {
    if (args.size() == 2 && args[0] == QLatin1String("dump")) return dump(args[1]);
    if (args.size() >= 3 && args[0] == QLatin1String("convert-exsitu")) {
      return convert_exsitu(args[1], args.mid(2));
    }
    if (args.size() >= 3 && args[0] == QLatin1String("convert-insitu")) {
      return convert_insitu(args[1], args.mid(2));
    }
    if (args.size() >= 3 && args[0] == QLatin1String("convert-tulmen")) {
      return convert_tulmen(args[1], args.mid(2));
    }
    if (args.size() >= 3 && args[0] == QLatin1String("convert-zeiss")) {
      return convert_zeiss(args[1], args.mid(2));
    }
  } catch (const basics::error& e) {
    print_error(e.text());
    return kFailed;
  }
  print_error(QString::fromLatin1(kUsageText));
  return kUsage;
}
