#pragma once

// Locating the program's folders, listing, claiming and deleting files.
// All paths use the native delimiter (platform::kDelimiter) wherever the
// scanner's conventions speak of a backslash.

#include <QString>

#include "basics/message_sink.h"

namespace basics {

// ---- Program and per-user locations ---------------------------------------

// The program file's name without folder and without its last four
// characters, a-z turned into A-Z. (On Linux the name has no extension, so
// nothing is dropped there; see design notes.)
QString application_name();

// The program file's name without folder and without its last four
// characters (no extension on Linux), letters unchanged: the heartbeat name.
QString program_base_name();

QString user_app_data_folder();              // no trailing delimiter; may be empty
QString app_data_file(const QString& name);  // user_app_data_folder/APPNAME/name
QString undo_history_folder();               // .../APPNAME/undo_history/

// Deletes the files (not the subfolders) of undo_history_folder(); files in
// use or otherwise undeletable are skipped.
void clear_undo_history();

QString program_folder_file(const QString& name);  // program folder + delimiter + name

// ---- Files and folders ------------------------------------------------------

// True if the folder exists; otherwise creates this one folder (not its
// parents) and returns whether that worked.
bool ensure_folder(const QString& path);
// True if the folder exists; otherwise creates it together with every
// missing folder above it (a new account has no data folder yet) and
// returns whether that worked.
bool ensure_folder_path(const QString& path);
bool file_or_folder_exists(const QString& path);  // path may hold wildcards
bool folder_exists(const QString& path);          // a folder (not a file) is there
bool file_exists(const QString& path);            // a file (not a folder) is there

struct file_attribute_set {
  bool read_only = false;
  bool hidden = false;
  bool system = false;
  bool volume_label = false;
  bool directory = false;
  bool archive = false;
  bool any = false;  // the entry has any attribute at all
  bool empty() const { return !any && !directory; }
};
// The flags of the first entry matching `path` (wildcards allowed); the
// empty set when nothing matches.
file_attribute_set file_attributes(const QString& path);
bool file_is_read_only(const QString& path);  // false when nothing is there

// `path` made absolute against the working folder and cleaned of "." and
// "..", so a name given on the command line still names the same file
// when a dialog or a later save starts from it.
QString absolute_path(const QString& path);

// The listing helpers take folder + mask (a delimiter is added to the folder
// when it lacks one; an empty folder lists nothing) and count only files
// (a link to one included), hidden ones included, never folders, FIFOs or
// links to nothing.
int count_files(const QString& folder, const QString& mask);
// The count as count_files; `name` gets the first file's name, without folder,
// in listing order (empty if none).
int first_file(const QString& folder, const QString& mask, QString& name);
// Deletes every matching file, skipping those that cannot be deleted. False
// when the folder is empty ("") or exists but cannot be listed.
bool delete_files(const QString& folder, const QString& mask);

// A folder setting with the delimiter at its end; an empty one stays empty:
// a setting left empty is not configured, never the file system's root.
QString folder_setting(const QString& text);

// Whether `name` is one plain file or folder name on Windows and Linux alike:
// not empty, not "." or "..", no path separator, drive colon, control
// character or any of <>"|?*. A name from a file's content must be one
// before it names anything on disk, or it could lead out of its folder.
bool is_plain_name(const QString& name);

// folder + delimiter (unless it ends with one) + "r1_r2_r3.tmp", each r a
// random number 0..999999. Nothing is created or checked.
QString random_temp_name(const QString& folder);

// The test whether a writer has finished with a file: renames it to a random
// temporary name in its own folder and back. False when the first rename
// fails; if only the second one fails, the file stays under the temporary
// name.
bool file_is_renamable(const QString& path);

// A new empty file "sco..." in the system's temporary folder; its path, or
// "" after the message "Warning - creation of temporary file failed".
QString temporary_file_name(const message_sink& message);

}  // namespace basics
