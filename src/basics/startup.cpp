#include "basics/startup.h"

#include "basics/error.h"
#include "basics/files.h"
#include "basics/key_value.h"
#include "basics/string_record.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "platform/env.h"

#include <optional>

namespace basics {

namespace {

shared_settings settings;

void ensure_user_folders() {
  const QString user_folder = user_app_data_folder() + platform::kDelimiter + application_name();
  // A new account, a service user among them, has no data folder yet.
  ensure_folder_path(user_folder);
  for (const char* sub : {"downloads", "uploads", "undo_history"}) {
    ensure_folder(user_folder + platform::kDelimiter + QLatin1String(sub));
  }
}

// The lines of a settings file, or nothing when it is missing or unreadable:
// start-up goes on with the built-in defaults either way.
std::optional<QStringList> optional_settings_file(const QString& path) {
  if (!file_exists(path)) return std::nullopt;
  try {
    return read_lines(path);
  } catch (const error&) {
    return std::nullopt;
  }
}

std::optional<QStringList> workbook_settings_file() {
  const QString name = QStringLiteral("vcf132.ini");
  if (file_exists(app_data_file(name))) return optional_settings_file(app_data_file(name));
  return optional_settings_file(program_folder_file(name));
}

// Only the exact word counts, in any letter case; surrounding spaces do not.
bool is_true(const QString& value) {
  return ascii_lower(value) == QLatin1String("true");
}

workbook_flags read_workbook_flags(const yes_no_question& ask) {
  workbook_flags flags;
  const std::optional<QStringList> lines = workbook_settings_file();
  if (!lines) return flags;
  flags.never_use = is_true(ini_read_string(QStringLiteral("never use f1book"), *lines, {}));
  flags.ask_for = is_true(ini_read_string(QStringLiteral("ask for f1book"), *lines, {}));
  if (!flags.never_use && flags.ask_for) {
    const bool wanted =
        ask(QStringLiteral("Optional setting"),
            QStringLiteral("Generate \"historic\" workbook component to be able to load old "
                           "configurations (version<3.20) including workbook data?"));
    if (!wanted) flags.never_use = true;
  }
  return flags;
}

}  // namespace

void start_basics(const yes_no_question& ask) {
  read_file_version = 0.0f;
  ensure_user_folders();
  settings.default_values =
      optional_settings_file(app_data_file(QStringLiteral("default_values.ini")))
          .value_or(QStringList());
  settings.workbook = read_workbook_flags(ask);
  clear_undo_history();
}

void stop_basics() {
  clear_undo_history();
  settings = shared_settings();
}

const shared_settings& basics_settings() {
  return settings;
}

}  // namespace basics
