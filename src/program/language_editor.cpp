// The language editor as a program of its own, for opening, checking and
// editing a probe-heads table or any other word list on the line PC:
//   language_editor [FILE.bin]
// Closing the window asks whether to save, as the editor always does.

#include <QLabel>
#include <QStringList>

#include "command_line/command_line.h"
#include "dialogs/language_editor_unit.h"
#include "platform/journal.h"
#include "program/window_session.h"

int main(int argc, char** argv) {
  program::usage usage;
  usage.description = QStringLiteral(
      "The language editor: opens, checks and edits a word list such as the probe-heads table "
      "DORNIK_probeheads.bin.");
  usage.arguments_syntax = QStringLiteral("[FILE.bin]");
  usage.arguments_description = QStringLiteral("The word list to open.");
  usage.most_arguments = 1;
  const program::command_line command = program::parse_command_line(argc, argv, usage);
  if (command.exit_code) return *command.exit_code;
  // Without a display the window opens on the offscreen platform, and every
  // box goes to standard error and is answered at once with No or Cancel.
  program::window_session session(argc, argv);

  int exit_code = 0;
  {
    Tlanguage_editor_form editor;
    if (!command.arguments.isEmpty()) editor.load_file(command.arguments.first());
    editor.refresh_display();
    editor.show();
    // Stopping the program closes the editor as the operator would, so the
    // save question still comes.
    session.close_on_termination(editor);
    // Without a display the journal says which word list is open, and that
    // the editor is up.
    if (session.headless()) {
      const QString file = editor.file_label->text();
      platform::write_journal_line(QStringLiteral("status: "),
                                   file.isEmpty() ? QStringLiteral("Editing a new word list")
                                                  : QStringLiteral("Editing ") + file);
    }
    exit_code = session.exec();
  }
  return exit_code;
}
