#include "basics/vellic_tree.h"

#include <QStringList>

#include "basics/files.h"
#include "platform/env.h"

namespace basics {
namespace {

QString joined(const QStringList& parts) {
  return parts.join(platform::kDelimiter);
}

}  // namespace

QString current_product_folder(const QString& base) {
  return base + joined({QStringLiteral("database"), QStringLiteral("current_product")});
}

QString current_product(const QString& base) {
  QString name;
  first_file(current_product_folder(base), QStringLiteral("*.*"), name);
  return name;
}

QString measurement_folder(const QString& base, const QString& product, const QString& lumor_name) {
  return base + joined({QStringLiteral("database"), QStringLiteral("products"), product,
                        QStringLiteral("measurements"), lumor_name, QStringLiteral("new")});
}

QString archive_root(const QString& base, const QString& external_archive_directory) {
  if (!external_archive_directory.isEmpty()) return external_archive_directory;
  const QString archive = base + QStringLiteral("archive") + platform::kDelimiter;
  return folder_exists(archive) ? archive : QString();
}

}  // namespace basics
