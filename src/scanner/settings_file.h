#pragma once

// The scanner's settings files as the window's creation steps read them: a
// missing file is normal (defaults apply), an unreadable one is reported and
// then treated as missing, so no settings file can cut creation short.

#include <QString>
#include <QStringList>

namespace scanner {

struct settings_file {
  enum class state { missing, unreadable, loaded };
  state status = state::missing;
  QStringList lines;

  bool loaded() const { return status == state::loaded; }
};

// Loads the lines of `path`. A file that exists but cannot be read is
// reported to the operator with the reader's error text.
settings_file load_settings_file(const QString& path);

// "Error: <name> does not contain sufficient information!", the report of a
// settings file too short to hold its settings.
QString insufficient_information(const QString& file_name);

}  // namespace scanner
