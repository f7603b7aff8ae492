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

QString vellic_base_folder(const QStringList& lines) {
  const QString named = folder_setting(lines.value(0));
  return named.isEmpty() ? program_folder_file(QString()) : named;
}

QString current_product_folder(const QString& base) {
  return base + joined({QStringLiteral("database"), QStringLiteral("current_product")});
}

QString current_product(const QString& base) {
  return readable_current_product(base).value_or(QString());
}

std::optional<QString> readable_current_product(const QString& base) {
  const std::optional<QStringList> files = current_product_files(base);
  if (!files) return std::nullopt;
  return files->value(0);
}

std::optional<QStringList> current_product_files(const QString& base) {
  // Without a base there is no tree, never one below the working folder.
  if (base.isEmpty()) return QStringList();
  const QString folder = current_product_folder(base);
  const std::optional<QList<platform::DirEntry>> entries =
      platform::env().list_folder(folder, QStringLiteral("*.*"));
  // A missing folder names no product; one that is there but cannot be
  // listed hides it.
  if (!entries) return folder_exists(folder) ? std::nullopt : std::optional(QStringList());
  QStringList files;
  for (const platform::DirEntry& entry : *entries) {
    if (!entry.is_folder) files << entry.name;
  }
  return files;
}

QString unreadable_product_folder(const QString& folder) {
  return QStringLiteral(
             "Error: The current product folder %1 cannot be read; no measurement goes into "
             "this VELLIC system until it can.")
      .arg(folder);
}

QString product_folder_readable_again(const QString& folder) {
  return QStringLiteral("The current product folder %1 can be read again.").arg(folder);
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
