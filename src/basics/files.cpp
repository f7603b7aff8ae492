#include "basics/files.h"

#include "basics/listing_census.h"
#include "basics/text.h"
#include "platform/env.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStringList>

#include <optional>

namespace basics {

namespace {

using platform::DirEntry;
using platform::env;
using platform::kDelimiter;

// Windows program files end in ".exe"; Linux executables carry no extension,
// so there the whole file name is the program's name.
#ifdef Q_OS_WIN
constexpr int kProgramExtensionLength = 4;
#else
constexpr int kProgramExtensionLength = 0;
#endif

bool has_wildcards(const QString& name) {
  return name.contains(u'*') || name.contains(u'?');
}

// Every entry matching `pattern`, a folder and a mask joined into one path.
// A pattern without a folder matches nothing: an empty folder setting must
// not make a scan pick up files wherever the program was started.
QList<DirEntry> matching_entries(const QString& pattern) {
  return env()
      .list_folder(platform::folder_of(pattern), platform::name_of(pattern))
      .value_or(QList<DirEntry>());
}

std::optional<DirEntry> first_match(const QString& path) {
  if (!has_wildcards(platform::name_of(path))) return env().entry(path);
  const QList<DirEntry> entries = matching_entries(path);
  if (entries.isEmpty()) return std::nullopt;
  return entries.first();
}

// A folder given to the listing helpers gets its delimiter, except an empty
// one, which then lists nothing.
QString listing_prefix(const QString& folder) {
  return folder.isEmpty() ? folder : platform::with_delimiter(folder);
}

QString random_part() {
  constexpr int kLargestPart = 999999;
  return QString::number(QRandomGenerator::global()->bounded(kLargestPart + 1));
}

}  // namespace

// ---- Program and per-user locations ---------------------------------------

QString application_name() {
  return ascii_upper(program_base_name());
}

QString program_base_name() {
  QString name = platform::name_of(env().program_file_path());
  name.chop(kProgramExtensionLength);
  return name;
}

QString user_app_data_folder() {
  return env().roaming_app_data_folder();
}

QString app_data_file(const QString& name) {
  return user_app_data_folder() + kDelimiter + application_name() + kDelimiter + name;
}

QString undo_history_folder() {
  return app_data_file(QStringLiteral("undo_history")) + kDelimiter;
}

void clear_undo_history() {
  delete_files(undo_history_folder(), QStringLiteral("*.*"));
}

QString program_folder_file(const QString& name) {
  return platform::folder_of(env().program_file_path()) + name;
}

// ---- Files and folders ------------------------------------------------------

bool ensure_folder(const QString& path) {
  return folder_exists(path) || env().create_folder(path).ok();
}

bool ensure_folder_path(const QString& path) {
  QString folder = path;
  while (folder.size() > 1 && folder.endsWith(kDelimiter)) folder.chop(1);
  if (folder.isEmpty()) return false;
  if (folder_exists(folder)) return true;
  // Looked at with its delimiter, the only form in which a root or a drive
  // is a folder.
  const QString parent = platform::folder_of(folder);
  if (!parent.isEmpty() && parent != folder && !folder_exists(parent) &&
      !ensure_folder_path(parent)) {
    return false;
  }
  // Another program may have made it meanwhile.
  return env().create_folder(folder).ok() || folder_exists(folder);
}

bool file_or_folder_exists(const QString& path) {
  return first_match(path).has_value();
}

bool folder_exists(const QString& path) {
  const std::optional<DirEntry> found = env().entry(path);
  return found && found->is_folder;
}

bool file_exists(const QString& path) {
  const std::optional<DirEntry> found = env().entry(path);
  return found && !found->is_folder;
}

file_attribute_set file_attributes(const QString& path) {
  const std::optional<DirEntry> found = first_match(path);
  if (!found) return {};
  file_attribute_set flags;
  flags.read_only = found->read_only;
  flags.hidden = found->hidden;
  flags.system = found->system;
  flags.directory = found->is_folder;
  flags.any = true;  // every entry the system lists carries at least one attribute
  return flags;
}

bool file_is_read_only(const QString& path) {
  return file_attributes(path).read_only;
}

QString absolute_path(const QString& path) {
  if (path.isEmpty()) return path;
  return QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
}

int count_files(const QString& folder, const QString& mask) {
  QString ignored;
  return first_file(folder, mask, ignored);
}

int first_file(const QString& folder, const QString& mask, QString& name) {
  name.clear();
  QStringList files;
  for (const DirEntry& entry : matching_entries(listing_prefix(folder) + mask)) {
    if (entry.is_file) files << entry.name;
  }
  if (!files.isEmpty()) name = files.first();
  // The operator's view of waiting files reuses what the scan has listed.
  note_listing(folder, mask, files);
  return int(files.size());
}

bool delete_files(const QString& folder, const QString& mask) {
  if (folder.isEmpty()) return false;
  const QString pattern = platform::with_delimiter(folder) + mask;
  const QString pattern_folder = platform::folder_of(pattern);
  const std::optional<QList<DirEntry>> entries =
      env().list_folder(pattern_folder, platform::name_of(pattern));
  // A missing folder holds nothing to delete; one that cannot be listed is
  // a failed listing.
  if (!entries) return !folder_exists(pattern_folder);
  for (const DirEntry& entry : *entries) {
    if (entry.is_folder) continue;
    // Failures skipped: a file that stays (held open, read-only) is no reason
    // to keep the others, and the result only reports whether the folder
    // could be listed.
    static_cast<void>(env().delete_file(pattern_folder + entry.name));
  }
  return true;
}

QString folder_setting(const QString& text) {
  return text.isEmpty() ? QString() : platform::with_delimiter(text);
}

bool is_plain_name(const QString& name) {
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
  for (const QChar c : name) {
    if (c.unicode() < 32 || QStringView(u"/\\:<>\"|?*").contains(c)) return false;
  }
  return true;
}

QString random_temp_name(const QString& folder) {
  return platform::with_delimiter(folder) + random_part() + u'_' + random_part() + u'_' +
         random_part() + QStringLiteral(".tmp");
}

bool file_is_renamable(const QString& path) {
  // A bare file name lies in the current folder, and so must its stand-in.
  const QString folder = platform::folder_of(path);
  const QString temp = random_temp_name(folder.isEmpty() ? QStringLiteral(".") : folder);
  if (!env().rename_file(path, temp).ok()) return false;
  return env().rename_file(temp, path).ok();
}

QString temporary_file_name(const message_sink& message) {
  QString path;
  if (!env().create_unique_file(env().temp_folder(), QStringLiteral("sco"), &path).ok()) {
    message(QStringLiteral("Warning - creation of temporary file failed"));
    return {};
  }
  return path;
}

}  // namespace basics
