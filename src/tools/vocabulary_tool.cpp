// vocabulary_tool: inspects and makes vocabulary files (.bin) such as the
// probe-heads table DORNIK_probeheads.bin.
//
//   vocabulary_tool dump FILE.bin
//       prints the table as tab-separated text: one line per row, row 0 (the
//       column names) first; UTF-8 with a byte-order mark, so that the output
//       can be imported again without losing a character.
//   vocabulary_tool import IN.txt OUT.bin
//       makes a vocabulary file from a tab-separated text file.
//
// Exit codes: 0 done, 1 a file could not be read, written or understood,
// 2 wrong arguments.

#include "basics/error.h"
#include "basics/sprachen.h"
#include "program/command_line.h"
#include "tools/tool_output.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

using tools::kFailed;
using tools::kUsage;
using tools::print_error;
using tools::write_stdout;

const char kUsageText[] =
    "Usage: vocabulary_tool dump FILE.bin\n"
    "       vocabulary_tool import IN.txt OUT.bin";

int dump(const QString& bin_file) {
  basics::sprachen table;
  if (!table.load_from_file(bin_file)) {
    print_error(QStringLiteral("Error: %1 is too short to be a vocabulary file (11 bytes or less).")
                    .arg(bin_file));
    return kFailed;
  }
  QByteArray out = QByteArrayLiteral("\xEF\xBB\xBF");
  for (const QString& line : table.text_lines()) out += line.toUtf8() + '\n';
  if (!write_stdout(out)) {
    print_error(QStringLiteral("Error: could not write to standard output."));
    return kFailed;
  }
  return 0;
}

int import(const QString& text_file, const QString& bin_file) {
  basics::sprachen table;
  table.import_from_textfile(text_file);
  table.save_to_file(bin_file);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const program::command_line command = program::parse_command_line(
      argc, argv,
      program::tool_usage(QStringLiteral("Dumps vocabulary files such as DORNIK_probeheads.bin as "
                                         "tab-separated text and makes them from such text."),
                          QString::fromLatin1(kUsageText)));
  if (command.exit_code) return *command.exit_code;
  QCoreApplication app(argc, argv);
  const QStringList& args = command.arguments;
  try {
    if (args.size() == 2 && args[0] == QLatin1String("dump")) return dump(args[1]);
    if (args.size() == 3 && args[0] == QLatin1String("import")) return import(args[1], args[2]);
  } catch (const basics::error& e) {
    print_error(e.text());
    return kFailed;
  }
  print_error(QString::fromLatin1(kUsageText));
  return kUsage;
}
