#include "database/line_speed_file.h"

#include "basics/files.h"
#include "platform/env.h"

namespace database {

QString line_speed_folder(const QString& inline_input_folder) {
  // Without an inline input folder there is no line-speed folder; a relative
  // one would point into whatever the working folder happens to be.
  if (inline_input_folder.isEmpty()) return QString();
  return platform::with_delimiter(inline_input_folder) + QStringLiteral("line_speed") +
         platform::kDelimiter;
}

bool publish_line_speed_file(const QString& folder, qint32 line_speed, QString* tried) {
  QString name;
  basics::first_file(folder, QStringLiteral("*.txt"), name);
  const QString published = QString::number(line_speed) + QStringLiteral(".txt");
  // The same speed as last time: the file already has its name.
  if (!name.isEmpty() && name == published) return true;
  *tried = folder + name;
  return !name.isEmpty() && platform::env().rename_file(folder + name, folder + published).ok();
}

}  // namespace database
