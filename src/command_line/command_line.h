#pragma once

// The command line every program of the family understands, in one place:
// each main() passes its arguments here first, before it creates anything,
// so a program ends at once on --help, --version or a wrong argument. Started
// without arguments, a program goes on exactly as it always did.
//
//   --help, -h               usage on standard output, exit code 0
//   --version, -v            "<program> <version>" on standard output, exit 0
//   --program-folder DIR     (scanners) the folder of the settings files
//   --check-config           (scanners) report the configuration and end
//   --headless               (scanners) no window even where there is a
//                            desktop: the journal goes to standard error
//   --screenshot FILE        (scanners) save a picture of the window to FILE
//                            after its first seconds of work, then end (demos)
//   --init FOLDER            (scanners) make a new deployment in FOLDER, the
//                            program folder from then on, and end
//
// An unknown option, a missing value or an argument too many is reported on
// standard error with exit code 2.
//
// The scanner programs and the tools both use it, so it lies below both and
// rests on the platform layer alone; its namespace names a program of the
// family, a tool being one too.

#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace program {

inline constexpr int kWrongArguments = 2;
// A scanner found another one running on its program folder.
inline constexpr int kAnotherInstance = 3;
// A scanner could not take the lock that keeps it the only one on its
// program folder.
inline constexpr int kNoInstanceLock = 4;

// What a program tells about itself for its --help.
struct usage {
  // What the program does, shown under the usage line.
  QString description;
  // Whether it takes the scanners' options (--program-folder, --check-config).
  bool scanner_options = false;
  // Its positional arguments as the usage line shows them ("[FILE.bin]",
  // "COMMAND ARGS...") and what they are; empty when it takes none.
  QString arguments_syntax;
  QString arguments_description;
  // Text shown as it is after the options, such as a tool's commands with
  // their line breaks.
  QString details;
  // The most positional arguments it takes; -1 for any number (a tool checks
  // them itself).
  int most_arguments = 0;
};

struct command_line {
  // Set when the program ends here, with this exit code: help or version
  // shown, or a wrong argument reported.
  std::optional<int> exit_code;
  bool check_config = false;
  // Asked to run without a window, whatever the desktop.
  bool headless = false;
  QStringList arguments;  // the positional ones, in order
  // Where to save the window's picture; empty: no picture.
  QString screenshot;
  // Make a new deployment in the program folder (the one --init named).
  bool init = false;
};

// The usage of a tool that takes a command and its arguments, each command
// checking its own; `commands` describes them.
usage tool_usage(const QString& description, const QString& commands);

// Parses the program's arguments. A --program-folder is in force as the
// program folder (the platform layer's) when this returns.
command_line parse_command_line(int argc, char** argv, const usage& usage);

// Writes `text` to `stream` (standard output or error) in the local
// encoding, at once.
void print(std::FILE* stream, const QString& text);

// The program's file name as it was started ("dornik-scan-file-tool"),
// for its messages.
QString program_name(const char* argv0);

// Reports a wrong command line on standard error as parse_command_line
// does: "<program>: <why>", then `usage` when given, then "Try '<program>
// --help'.". Returns kWrongArguments.
int refuse_command_line(const QString& why, const QString& usage, const char* argv0);

// The project's version, as the build gives it ("3.99.1").
QString version();

// "<program file name> <version>", as --version prints it.
QString version_line(const char* argv0);

}  // namespace program
