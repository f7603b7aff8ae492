#include "scanner/settings_file.h"

#include "basics/error.h"
#include "basics/files.h"
#include "basics/text_file.h"
#include "platform/operator_prompts.h"

namespace scanner {

settings_file load_settings_file(const QString& path) {
  if (!basics::file_exists(path)) return {};
  try {
    return {settings_file::state::loaded, basics::read_lines(path)};
  } catch (const basics::error& failure) {
    platform::prompts().show_message(failure.text());
    return {settings_file::state::unreadable, {}};
  }
}

QString insufficient_information(const QString& file_name) {
  return QStringLiteral("Error: ") + file_name +
         QStringLiteral(" does not contain sufficient information!");
}

}  // namespace scanner
