#pragma once

// The scanner's settings files as the window's creation steps read them: a
// missing file is normal (defaults apply), an unreadable one is reported and
// then treated as missing, so no settings file can cut creation short. Also
// the settings files of the base window beside the program: read at
// creation, vellic_scanner.ini written back at close.

#include <QString>
#include <QStringList>

#include "basics/vellic_scanner_ini.h"

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

// vellic_scanner.ini as the creation step reads it. A file too short to
// hold its settings is reported, and so is each number it refuses.
struct scanner_ini {
  enum class state { missing, unreadable, too_short, read };
  state status = state::missing;
  basics::vellic_scanner_settings settings;
  // The file's lines, where each window class finds its own settings.
  QStringList lines;
};
scanner_ini read_scanner_ini();

// Writes `lines` as vellic_scanner.ini, unless the operator made that file
// read-only to keep it as it is.
void write_scanner_ini(const QStringList& lines);

// The VELLIC base folder that vellic_path.ini names, the program folder
// without one; a file that names none is reported.
QString read_vellic_path_ini();

// The lines of vellic_postbake_path.ini (line 0 the postbake VELLIC folder,
// line 1 its LUMOR name, then each window class's own); none when there is
// no such file, and a file without lines is reported.
QStringList read_vellic_postbake_path_ini();

// The operator password from vellic_pswd.bin into `password` when that
// file exists; a file that cannot be read is reported and leaves the rest.
void read_operator_password(QString& password);

}  // namespace scanner
