#include "command_line/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdio>

#include "platform/env.h"

namespace program {
namespace {

const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");
const QString kProgramFolder = QStringLiteral("program-folder");
const QString kCheckConfig = QStringLiteral("check-config");
const QString kScreenshot = QStringLiteral("screenshot");
const QString kHeadless = QStringLiteral("headless");

void print(FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
  std::fflush(stream);
}

QString program_name(const char* argv0) {
  return argv0 ? platform::name_of(QString::fromLocal8Bit(argv0)) : QString();
}

// Qt's addHelpOption() also offers --help-all, which lists Qt's own options;
// these programs take none of them, so help and version are plain options.
void add_options(QCommandLineParser& parser, const usage& usage) {
  parser.setApplicationDescription(usage.description);
  parser.addOption({{QStringLiteral("h"), kHelp}, QStringLiteral("Shows this help and ends.")});
  parser.addOption(
      {{QStringLiteral("v"), kVersion}, QStringLiteral("Shows the program's version and ends.")});
  if (usage.scanner_options) {
    parser.addOption({kProgramFolder,
                      QStringLiteral("The folder of the settings files (vellic_scanner.ini, "
                                     "vellic_path.ini, ...); default: the program's own folder."),
                      QStringLiteral("DIR")});
    parser.addOption(
        {kCheckConfig, QStringLiteral("Shows the folders and files the program would use and "
                                      "whether they exist, then ends: 0 when all is usable, 1 "
                                      "otherwise. Starts no window and changes no file.")});
    parser.addOption(
        {kHeadless, QStringLiteral("Runs without a window, as without a display: the status "
                                   "line, the message board and every message box go to "
                                   "standard error (for a service or a scheduled task).")});
    parser.addOption({kScreenshot,
                      QStringLiteral("Saves a picture of the window as FILE (PNG) after its "
                                     "first seconds of work, then ends as if closed (for the "
                                     "demo's screenshot)."),
                      QStringLiteral("FILE")});
  }
  if (!usage.arguments_syntax.isEmpty()) {
    // Listed by its first word, so the list's narrow name column keeps it whole.
    parser.addPositionalArgument(usage.arguments_syntax.section(QLatin1Char(' '), 0, 0),
                                 usage.arguments_description, usage.arguments_syntax);
  }
  // A tool's file may begin with a dash once its command has been named.
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
}

QString help_text(const QCommandLineParser& parser, const usage& usage, const char* argv0) {
  QString text = parser.helpText();
  text.replace(QStringLiteral("<executable_name>"), program_name(argv0));
  if (!usage.details.isEmpty()) text += QLatin1Char('\n') + usage.details + QLatin1Char('\n');
  return text;
}

command_line wrong_arguments(const QString& why, const char* argv0) {
  print(stderr, QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(program_name(argv0), why));
  return {kWrongArguments, false, false, {}, {}};
}

}  // namespace

command_line parse_command_line(int argc, char** argv, const usage& usage) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const char* argv0 = argc > 0 ? argv[0] : nullptr;

  QCommandLineParser parser;
  add_options(parser, usage);
  if (!parser.parse(arguments)) return wrong_arguments(parser.errorText(), argv0);
  if (parser.isSet(kHelp)) {
    print(stdout, help_text(parser, usage, argv0));
    return {0, false, false, {}, {}};
  }
  if (parser.isSet(kVersion)) {
    print(stdout, version_line(argv0) + QLatin1Char('\n'));
    return {0, false, false, {}, {}};
  }
  const QStringList positional = parser.positionalArguments();
  if (usage.most_arguments >= 0 && positional.size() > usage.most_arguments) {
    return wrong_arguments(
        QStringLiteral("Unexpected argument '%1'.").arg(positional.at(usage.most_arguments)),
        argv0);
  }
  if (usage.scanner_options && parser.isSet(kProgramFolder)) {
    const QString folder = parser.value(kProgramFolder);
    if (folder.isEmpty()) {
      return wrong_arguments(QStringLiteral("The program folder is empty."), argv0);
    }
    platform::set_program_folder(folder);
  }
  command_line result{std::nullopt,
                      usage.scanner_options && parser.isSet(kCheckConfig),
                      usage.scanner_options && parser.isSet(kHeadless),
                      positional,
                      {}};
  if (usage.scanner_options) result.screenshot = parser.value(kScreenshot);
  return result;
}

usage tool_usage(const QString& description, const QString& commands) {
  usage result;
  result.description = description;
  result.arguments_syntax = QStringLiteral("COMMAND ARGUMENTS...");
  result.arguments_description = QStringLiteral("A command and its arguments, as below.");
  result.details = commands;
  result.most_arguments = -1;
  return result;
}

QString version() {
  return QStringLiteral(PROGRAM_VERSION);
}

QString version_line(const char* argv0) {
  return program_name(argv0) + QLatin1Char(' ') + version();
}

}  // namespace program
