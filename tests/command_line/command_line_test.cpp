// The command line parsed in-process, as the scanners and the tools call it;
// the built programs' answers to it are tested in tests/program.

#include <QDir>

#include <gtest/gtest.h>

#include <vector>

#include "command_line/command_line.h"
#include "platform/env.h"

namespace program {
namespace {

// Parses `arguments` after the program name "prog" for `usage`.
command_line parsed(const QStringList& arguments, const usage& usage) {
  std::vector<QByteArray> bytes{"prog"};
  for (const QString& argument : arguments) bytes.push_back(argument.toLocal8Bit());
  std::vector<char*> argv;
  for (QByteArray& argument : bytes) argv.push_back(argument.data());
  return parse_command_line(int(argv.size()), argv.data(), usage);
}

usage scanner_usage() {
  usage scanner;
  scanner.scanner_options = true;
  return scanner;
}

TEST(ParseCommandLineTest, AScannersOptionsAreInForceWhenTheParseReturns) {
  const command_line command =
      parsed({"--program-folder", "/srv/line 4", "--check-config", "--screenshot", "w.png"},
             scanner_usage());
  EXPECT_FALSE(command.exit_code.has_value());
  EXPECT_TRUE(command.check_config);
  EXPECT_EQ(command.screenshot, "w.png");
  EXPECT_TRUE(command.arguments.isEmpty());
  EXPECT_EQ(platform::in_program_folder("/usr/bin/prog"),
            QDir::toNativeSeparators("/srv/line 4/prog"));
  platform::set_program_folder(QString());

  EXPECT_EQ(parsed({"--program-folder", ""}, scanner_usage()).exit_code, kWrongArguments);
}

TEST(ParseCommandLineTest, AToolTakesWhatFollowsItsCommandAsArguments) {
  const usage tool = tool_usage("Dumps files.", "dump FILE");
  const command_line command = parsed({"dump", "--help", "-x.scn"}, tool);
  EXPECT_FALSE(command.exit_code.has_value());
  EXPECT_EQ(command.arguments, (QStringList{"dump", "--help", "-x.scn"}));
  EXPECT_FALSE(command.check_config);

  for (const char* scanner_option : {"--check-config", "--program-folder"}) {
    EXPECT_EQ(parsed({QString::fromLatin1(scanner_option), "x"}, tool).exit_code, kWrongArguments)
        << scanner_option;
  }
}

TEST(ParseCommandLineTest, TheVersionLineNamesTheProgramFileAndTheProjectsVersion) {
  EXPECT_EQ(version_line("/usr/bin/scan_file_tool"), "scan_file_tool " + version());
  EXPECT_FALSE(version().isEmpty());
}

}  // namespace
}  // namespace program
