#include "command_line/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdio>

#include "platform/env.h"
#include "platform/journal.h"

namespace program {
namespace {

const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");
const QString kProgramFolder = QStringLiteral("program-folder");
const QString kCheckConfig = QStringLiteral("check-config");
const QString kScreenshot = QStringLiteral("screenshot");
const QString kInit = QStringLiteral("init");
const QString kHeadless = QStringLiteral("headless");

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
    parser.addOption({kInit,
                      QStringLiteral("Makes a new deployment in FOLDER, which must be missing or "
                                     "empty: every settings file at its default with a guide to "
                                     "its lines, a VELLIC tree with one product, the input "
                                     "folders and the archive; says what to edit next, then "
                                     "ends: 0 made, 1 not (a folder that is not empty is left "
                                     "untouched)."),
                      QStringLiteral("FOLDER")});
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
  if (!usage.details.isEmpty()) text += QLatin1Char('\n') + usage.details + QLatin1Char('\n');
  // The details name the program as it was started too (a tool is
  // installed under another name than it is built with).
  text.replace(QStringLiteral("<executable_name>"), program_name(argv0));
  return text;
}

command_line wrong_arguments(const QString& why, const char* argv0) {
  command_line refused;
  refused.exit_code = refuse_command_line(why, QString(), argv0);
  return refused;
}

}  // namespace

command_line parse_command_line(int argc, char** argv, const usage& usage) {
  // Every program comes here first, before it prints anything.
  platform::use_binary_standard_streams();
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const char* argv0 = argc > 0 ? argv[0] : nullptr;

  QCommandLineParser parser;
  add_options(parser, usage);
  if (!parser.parse(arguments)) return wrong_arguments(parser.errorText(), argv0);
  if (parser.isSet(kHelp)) {
    print(stdout, help_text(parser, usage, argv0));
    return command_line{0};
  }
  if (parser.isSet(kVersion)) {
    print(stdout, version_line(argv0) + QLatin1Char('\n'));
    return command_line{0};
  }
  const QStringList positional = parser.positionalArguments();
  if (usage.most_arguments >= 0 && positional.size() > usage.most_arguments) {
    return wrong_arguments(
        QStringLiteral("Unexpected argument '%1'.").arg(positional.at(usage.most_arguments)),
        argv0);
  }
  if (!usage.scanner_options) {
    command_line result;
    result.arguments = positional;
    return result;
  }

  const bool init = parser.isSet(kInit);
  // A new deployment is made alone: the folder it is made in is the program
  // folder, and nothing is there yet to check or show.
  if (init &&
      (parser.isSet(kProgramFolder) || parser.isSet(kCheckConfig) || parser.isSet(kScreenshot))) {
    return wrong_arguments(QStringLiteral("--init takes no other option."), argv0);
  }
  const QString& folder_option = init ? kInit : kProgramFolder;
  if (parser.isSet(folder_option)) {
    const QString folder = parser.value(folder_option);
    if (folder.isEmpty()) {
      return wrong_arguments(QStringLiteral("The program folder is empty."), argv0);
    }
    platform::set_program_folder(folder);
  }
  command_line result;
  result.check_config = parser.isSet(kCheckConfig);
  result.headless = parser.isSet(kHeadless);
  result.arguments = positional;
  result.screenshot = parser.value(kScreenshot);
  result.init = init;
  return result;
}

void print(std::FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
  std::fflush(stream);
}

QString program_name(const char* argv0) {
  return argv0 ? platform::name_of(QString::fromLocal8Bit(argv0)) : QString();
}

int refuse_command_line(const QString& why, const QString& usage, const char* argv0) {
  QString text = QStringLiteral("%1: %2\n").arg(program_name(argv0), why);
  if (!usage.isEmpty()) text += usage + QLatin1Char('\n');
  print(stderr, text + QStringLiteral("Try '%1 --help'.\n").arg(program_name(argv0)));
  return kWrongArguments;
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
