#include "scanner/settings_file.h"

#include "basics/error.h"
#include "basics/files.h"
#include "basics/password_file.h"
#include "basics/text_file.h"
#include "basics/vellic_tree.h"
#include "platform/operator_prompts.h"

namespace scanner {

namespace {

const QString kVellicScannerIni = QStringLiteral("vellic_scanner.ini");

void tell_operator(const QString& text) {
  platform::prompts().show_message(text);
}

}  // namespace

settings_file load_settings_file(const QString& path) {
  if (!basics::file_exists(path)) return {};
  try {
    return {settings_file::state::loaded, basics::read_lines(path)};
  } catch (const basics::error& failure) {
    tell_operator(failure.text());
    return {settings_file::state::unreadable, {}};
  }
}

QString insufficient_information(const QString& file_name) {
  return QStringLiteral("Error: ") + file_name +
         QStringLiteral(" does not contain sufficient information!");
}

scanner_ini read_scanner_ini() {
  const settings_file file = load_settings_file(basics::program_folder_file(kVellicScannerIni));
  scanner_ini read;
  if (file.status == settings_file::state::missing) return read;
  if (file.status == settings_file::state::unreadable) {
    read.status = scanner_ini::state::unreadable;
    return read;
  }
  if (file.lines.size() < 2) {
    tell_operator(insufficient_information(kVellicScannerIni));
    read.status = scanner_ini::state::too_short;
    return read;
  }
  QStringList refused;
  read.settings = basics::read_vellic_scanner_ini(file.lines, &refused);
  for (const QString& message : refused) tell_operator(message);
  read.status = scanner_ini::state::read;
  read.lines = file.lines;
  return read;
}

void write_scanner_ini(const QStringList& lines) {
  const QString path = basics::program_folder_file(kVellicScannerIni);
  if (!basics::file_is_read_only(path)) basics::write_settings_lines(path, lines);
}

QString read_vellic_path_ini() {
  const QString name = QStringLiteral("vellic_path.ini");
  const settings_file file = load_settings_file(basics::program_folder_file(name));
  if (file.loaded() && file.lines.value(0).isEmpty()) tell_operator(insufficient_information(name));
  return basics::vellic_base_folder(file.lines);
}

QStringList read_vellic_postbake_path_ini() {
  const QString name = QStringLiteral("vellic_postbake_path.ini");
  const settings_file file = load_settings_file(basics::program_folder_file(name));
  if (file.loaded() && file.lines.isEmpty()) tell_operator(insufficient_information(name));
  return file.lines;
}

void read_operator_password(QString& password) {
  const QString path = basics::program_folder_file(QStringLiteral("vellic_pswd.bin"));
  if (!basics::file_exists(path)) return;
  try {
    basics::read_password_file(password, path, tell_operator);
  } catch (...) {
    tell_operator(QStringLiteral("Error reading password file!"));
  }
}

}  // namespace scanner
