#pragma once

// Start-up and shut-down of the shared unit: the per-user folders, the
// per-user defaults, the workbook question of vcf132.ini and the undo history.
// Runs on the main thread before the main window exists and after it closed.

#include <QStringList>

#include <functional>

namespace basics {

// The historic workbook component's flags from vcf132.ini. This program has
// no workbook; the flags are read because the file may ask the operator.
struct workbook_flags {
  bool never_use = false;
  bool ask_for = false;
};

// A question for the operator: caption, text; true for Yes.
using yes_no_question = std::function<bool(const QString& caption, const QString& text)>;

// What start_basics() read; valid until stop_basics().
struct shared_settings {
  // The lines of the per-user default_values.ini, kept as read: they hold
  // display and window defaults for features this program does not have.
  QStringList default_values;
  workbook_flags workbook;
};

// Creates the per-user folder and its downloads, uploads and undo_history
// subfolders (failures ignored), reads default_values.ini and vcf132.ini,
// asks the workbook question through `ask` when vcf132.ini requests it,
// empties the undo history and sets read_file_version to 0. Never throws: an
// unreadable settings file counts as a missing one.
void start_basics(const yes_no_question& ask);

// Empties the undo history again and drops what start_basics() read.
void stop_basics();

const shared_settings& basics_settings();

}  // namespace basics
