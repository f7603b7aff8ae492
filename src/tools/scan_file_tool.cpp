// scan_file_tool: inspects scan files (.scn) and converts measurement files
// into scan and inline files the way the scanner does, without its window,
// in batches (archives of many thousand files).
//
//   scan_file_tool dump [--json] FILE.scn
//   scan_file_tool convert-exsitu|convert-insitu|convert-halvik-exsitu|
//       convert-halvik-insitu|convert-tulmen|convert-zeiss
//       [--fresh-record] [--no-clobber] OUTPUT_FOLDER FILE...
//
// kUsageText says what each does and gives the exit codes; scan_dump.cpp
// dumps, batch_conversion.cpp converts, this file reads the command line.

#include "basics/error.h"
#include "command_line/command_line.h"
#include "tools/batch_conversion.h"
#include "tools/batch_output.h"
#include "tools/scan_dump.h"
#include "tools/tool_output.h"

#include <QCoreApplication>
#include <QStringList>

#include <optional>

namespace {

using tools::print_error;

// Each command with its arguments, as the usage lines show them.
struct command_syntax {
  const char* name;
  const char* arguments;
};
constexpr command_syntax kSyntax[] = {
    {"dump", "[--json] FILE.scn"},
    {"convert-exsitu", "[OPTIONS] OUTPUT_FOLDER FILE.csv..."},
    {"convert-insitu", "[OPTIONS] OUTPUT_FOLDER FILE.csv..."},
    {"convert-halvik-exsitu", "[OPTIONS] OUTPUT_FOLDER FILE.csv..."},
    {"convert-halvik-insitu", "[OPTIONS] OUTPUT_FOLDER FILE.csv..."},
    {"convert-tulmen", "[OPTIONS] OUTPUT_FOLDER FILE.csv..."},
    {"convert-zeiss", "[OPTIONS] OUTPUT_FOLDER FILE.csv..."},
};

// The usage line of `command` ("Usage: <program> dump [--json] FILE.scn"),
// or of every command when none is named.
QString usage_lines(const QString& program, const QString& command = QString()) {
  QStringList lines;
  for (const command_syntax& c : kSyntax) {
    if (!command.isEmpty() && command != QLatin1String(c.name)) continue;
    lines << QStringLiteral("%1 %2 %3")
                 .arg(program, QLatin1String(c.name), QLatin1String(c.arguments));
  }
  return QStringLiteral("Usage: ") + lines.join(QStringLiteral("\n       "));
}

const char kUsageText[] =
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
    "convert-halvik-exsitu and convert-halvik-insitu convert Halvik exsitu\n"
    "files (all points selected) and Halvik insitu files, in the order given,\n"
    "into OUTPUT_FOLDER/<plate>.scn as the Halvik scanner does. Messages go to\n"
    "standard error as above; a file the scanner refuses (too short, too many\n"
    "positions) is reported and skipped.\n"
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
    "                  carried from the file before (a value that does not\n"
    "                  convert is 0): outputs do not depend on the order of\n"
    "                  the files.\n"
    "  --no-clobber    an output that exists already, on disk or from an\n"
    "                  earlier file of the run, is not replaced (exit code 3).\n"
    "Two files of one run that write the same output are reported with a\n"
    "warning; the later one is kept.\n"
    "\n"
    "Exit codes (the first that applies): 3 an output could not be written\n"
    "(or was not, by --no-clobber), or standard output did not take the names\n"
    "of the outputs written; 1 a file could not be read or was refused;\n"
    "4 two files wrote the same output; 0 done (messages about single values\n"
    "included). 2 wrong arguments: an unknown command or option, or arguments\n"
    "a command does not take.\n"
    "\n"
    "Signals: SIGINT (Ctrl-C) and SIGTERM end it at once. Every output it\n"
    "named is complete on disk; an output not yet named is missing or still\n"
    "the old file, and a hidden temporary .publish_* of it may be left in\n"
    "OUTPUT_FOLDER. On a terminal, standard error shows how many files are\n"
    "done and how many a second, on one line.";

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

struct command {
  const char* name;
  tools::converter convert;
};
constexpr command kConverters[] = {{"convert-exsitu", tools::convert_exsitu},
                                   {"convert-insitu", tools::convert_insitu},
                                   {"convert-halvik-exsitu", tools::convert_halvik_exsitu},
                                   {"convert-halvik-insitu", tools::convert_halvik_insitu},
                                   {"convert-tulmen", tools::convert_tulmen},
                                   {"convert-zeiss", tools::convert_zeiss}};

bool known_command(const QString& name) {
  for (const command_syntax& c : kSyntax) {
    if (name == QLatin1String(c.name)) return true;
  }
  return false;
}

// Runs the command `args` names, whose name is known; empty when its
// options or arguments are wrong.
std::optional<int> run_command(QStringList args) {
  const QString name = args.takeFirst();
  if (name == QLatin1String("dump")) {
    const auto options = take_options(args, {QStringLiteral("--json")});
    if (!options || args.size() != 1) return std::nullopt;
    return tools::dump_scan_file(args[0], options->contains(QStringLiteral("--json")));
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

// What was wrong with the command line, named: the command unknown, or the
// arguments of a known one, with its usage line.
int refuse(const QStringList& arguments, const char* argv0) {
  const QString program = program::program_name(argv0);
  if (arguments.isEmpty()) {
    return program::refuse_command_line(QStringLiteral("No command given."), usage_lines(program),
                                        argv0);
  }
  const QString& name = arguments.first();
  if (!known_command(name)) {
    QStringList names;
    for (const command_syntax& c : kSyntax) names << QLatin1String(c.name);
    return program::refuse_command_line(QStringLiteral("Unknown command '%1'; the commands are %2.")
                                            .arg(name, names.join(QStringLiteral(", "))),
                                        QString(), argv0);
  }
  return program::refuse_command_line(
      QStringLiteral("Wrong arguments for the command %1.").arg(name), usage_lines(program, name),
      argv0);
}

}  // namespace

int main(int argc, char** argv) {
  const program::command_line command = program::parse_command_line(
      argc, argv,
      program::tool_usage(QStringLiteral("Dumps scan files and converts measurement files into "
                                         "scan and inline files as the scanner does."),
                          usage_lines(QStringLiteral("<executable_name>")) +
                              QStringLiteral("\n\n") + QString::fromLatin1(kUsageText)));
  if (command.exit_code) return *command.exit_code;
  if (command.arguments.isEmpty() || !known_command(command.arguments.first())) {
    return refuse(command.arguments, argv[0]);
  }
  QCoreApplication app(argc, argv);
  try {
    if (const auto exit_code = run_command(command.arguments)) return *exit_code;
  } catch (const basics::error& e) {
    print_error(e.text());
    return tools::kInputRefused;
  }
  return refuse(command.arguments, argv[0]);
}
