#include "scanner/vellic_tree.h"

#include <QStringList>

#include "basics/files.h"
#include "platform/env.h"

namespace scanner {
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
  basics::first_file(current_product_folder(base), QStringLiteral("*.*"), name);
  return name;
}

QString measurement_folder(const QString& base, const QString& product, const QString& lumor_name) {
  return base + joined({QStringLiteral("database"), QStringLiteral("products"), product,
                        QStringLiteral("measurements"), lumor_name, QStringLiteral("new")});
}

}  // namespace scanner
