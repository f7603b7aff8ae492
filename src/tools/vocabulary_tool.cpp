// vocabulary_tool: inspects, checks and makes vocabulary files (.bin) such as
// the probe-heads table DORNIK_probeheads.bin.
//
//   vocabulary_tool dump FILE.bin
//       prints the table as tab-separated text: one line per row, row 0 (the
//       column names) first; UTF-8 with a byte-order mark, so that the output
//       can be imported again without losing a character.
//   vocabulary_tool check FILE [--strict]
//       checks a vocabulary file (FILE.bin) or a tab-separated text file (any
//       other name) for the mistakes basics/vocabulary_check finds, printing
//       each on standard error with the file and line. --strict lets
//       warnings fail as errors do.
//   vocabulary_tool import [--strict] IN.txt OUT.bin
//       checks IN.txt the same way and only when it passes makes OUT.bin from
//       it; otherwise nothing is written and an existing OUT.bin stays.
//
// Exit codes: 0 done (warnings allowed without --strict), 1 an error found (a
// warning with --strict) or a file could not be read, written or understood,
// 2 wrong arguments.

#include "basics/error.h"
#include "basics/sprachen.h"
#include "basics/vocabulary_check.h"
#include "command_line/command_line.h"
#include "tools/tool_output.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

using basics::vocabulary_finding;
using basics::vocabulary_findings;
using tools::kFailed;
using tools::kUsage;
using tools::print_error;
using tools::print_stdout;

// %1: the program's name as it was started.
const char kSynopsis[] =
    "Usage: %1 dump FILE.bin\n"
    "       %1 check FILE [--strict]\n"
    "       %1 import [--strict] IN.txt OUT.bin";

// The program as it was started, for its usage lines.
QString program_file_name;

QString synopsis() {
  return QString::fromLatin1(kSynopsis).arg(program_file_name);
}

const char kUsageText[] =
    "\n\n"
    "  dump FILE.bin     prints the table as tab-separated text (UTF-8 with a\n"
    "                    byte-order mark), the header row first.\n"
    "  check FILE        checks a vocabulary file (FILE.bin) or a tab-separated\n"
    "                    text file (any other name) and prints each finding on\n"
    "                    standard error as \"Error: FILE line N: ...\" or\n"
    "                    \"Warning: FILE line N: ...\" (lines counted from 1).\n"
    "  import IN.txt OUT.bin\n"
    "                    checks IN.txt as check does and makes OUT.bin from it\n"
    "                    only when the check passes; otherwise nothing is\n"
    "                    written and an existing OUT.bin stays as it was.\n"
    "  --strict          (check, import) warnings fail as errors do.\n"
    "\n"
    "Text files: one line per row, the cells separated by tabs, the first line\n"
    "naming the columns (the nickname column first). UTF-8 or UTF-16 with a\n"
    "byte-order mark; without one UTF-8 when the bytes are valid UTF-8,\n"
    "otherwise Windows-1252.\n"
    "\n"
    "Errors: a row with another number of columns than the header row (such as\n"
    "cells separated by spaces), a nickname on two rows, a blank header row.\n"
    "Warnings: a blank row, a word on two rows of one language column, blanks at\n"
    "the start or end of a cell, UTF-8 text without a byte-order mark.\n"
    "\n"
    "Exit codes: 0 done, no error (warnings allowed without --strict); 1 an\n"
    "error found (or a warning with --strict), or a file could not be read,\n"
    "written or understood; 2 wrong arguments.\n"
    "\n"
    "Signals: SIGINT (Ctrl-C) and SIGTERM end it at once; OUT.bin is then the\n"
    "old file or the complete new one.";

const QString kStrict = QStringLiteral("--strict");

// The command, its files and whether --strict stood anywhere after it.
struct command_arguments {
  QString command;
  QStringList files;
  bool strict = false;
};

command_arguments split_arguments(const QStringList& args) {
  command_arguments result;
  if (args.isEmpty()) return result;
  result.command = args.first();
  for (const QString& arg : args.mid(1)) {
    if (arg == kStrict && !result.strict)
      result.strict = true;
    else
      result.files << arg;
  }
  return result;
}

basics::sprachen load_vocabulary_file(const QString& bin_file) {
  basics::sprachen table;
  if (!table.load_from_file(bin_file))
    throw basics::error(
        QStringLiteral("Error: %1 is too short to be a vocabulary file (11 bytes or less).")
            .arg(bin_file));
  return table;
}

bool is_vocabulary_file(const QString& file) {
  return file.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive);
}

void print_findings(const QString& file, const vocabulary_findings& findings) {
  for (const vocabulary_finding& f : findings) {
    const QString kind = f.level == vocabulary_finding::severity::error ? QStringLiteral("Error")
                                                                        : QStringLiteral("Warning");
    print_error(QStringLiteral("%1: %2 line %3: %4.").arg(kind, file).arg(f.line).arg(f.text));
  }
}

bool passes(const vocabulary_findings& findings, bool strict) {
  return strict ? findings.isEmpty() : !basics::has_error(findings);
}

int dump(const QString& bin_file) {
  QByteArray out = QByteArrayLiteral("\xEF\xBB\xBF");
  for (const QString& line : load_vocabulary_file(bin_file).text_lines())
    out += line.toUtf8() + '\n';
  return print_stdout(out) ? 0 : kFailed;
}

int check(const QString& file, bool strict) {
  const vocabulary_findings findings =
      is_vocabulary_file(file)
          ? basics::check_vocabulary_rows(load_vocabulary_file(file).meine_liste())
          : basics::check_vocabulary_text(basics::read_text_table(file));
  print_findings(file, findings);
  return passes(findings, strict) ? 0 : kFailed;
}

int import(const QString& text_file, const QString& bin_file, bool strict) {
  const basics::decoded_lines text = basics::read_text_table(text_file);
  const vocabulary_findings findings = basics::check_vocabulary_text(text);
  print_findings(text_file, findings);
  if (!passes(findings, strict)) {
    print_error(QStringLiteral("Error: %1 did not pass the check; %2 was not written.")
                    .arg(text_file, bin_file));
    return kFailed;
  }
  basics::sprachen table;
  table.import_from_lines(text_file, text.lines);
  table.save_to_file(bin_file);
  return 0;
}

int run(const command_arguments& c) {
  const qsizetype files = c.files.size();
  if (c.command == QLatin1String("dump") && files == 1 && !c.strict) return dump(c.files[0]);
  if (c.command == QLatin1String("check") && files == 1) return check(c.files[0], c.strict);
  if (c.command == QLatin1String("import") && files == 2)
    return import(c.files[0], c.files[1], c.strict);
  print_error(synopsis());
  return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  const program::command_line command = program::parse_command_line(
      argc, argv,
      program::tool_usage(QStringLiteral("Dumps vocabulary files such as DORNIK_probeheads.bin as "
                                         "tab-separated text, checks them and such text for "
                                         "mistakes, and makes them from such text."),
                          QString::fromLatin1(kSynopsis).arg(QStringLiteral("<executable_name>")) +
                              QString::fromLatin1(kUsageText)));
  if (command.exit_code) return *command.exit_code;
  program_file_name = program::program_name(argv[0]);
  QCoreApplication app(argc, argv);
  try {
    return run(split_arguments(command.arguments));
  } catch (const basics::error& e) {
    print_error(e.text());
    return kFailed;
  }
}
