#include "scanner_site.h"

#include "platform/env.h"
#include "support/system_entries.h"

namespace test_support {

scanner_site::scanner_site() : use_fault_(&fault) {
  tree.make_folder(QStringLiteral("prog"));
  tree.make_folder(QStringLiteral("user"));
  fault.set_program_file_path(
      program_file(program_file_name(QStringLiteral("DORNIK_spectrum_scanner"))));
  fault.set_roaming_app_data_folder(path(QStringLiteral("user")));
}

QString scanner_site::folder(const QString& relative) const {
  return platform::with_delimiter(path(relative));
}

QString scanner_site::program_file(const QString& name) const {
  return folder(QStringLiteral("prog")) + name;
}

void scanner_site::write_program_file(const QString& name, const QStringList& lines) const {
  QByteArray bytes;
  for (const QString& line : lines) bytes += line.toLatin1() + "\r\n";
  tree.write(QStringLiteral("prog/") + name, bytes);
}

QByteArray scanner_site::program_file_bytes(const QString& name) const {
  return tree.read(QStringLiteral("prog/") + name);
}

void scanner_site::make_vellic_tree(const QString& product, const QString& lumor_name) const {
  tree.write(QStringLiteral("v/database/current_product/") + product, QByteArray());
  tree.make_folder(
      QStringLiteral("v/database/products/%1/measurements/%2/new").arg(product, lumor_name));
  tree.make_folder(QStringLiteral("in"));
  write_program_file(QStringLiteral("vellic_path.ini"), {path(QStringLiteral("v"))});
  write_program_file(QStringLiteral("vellic_scanner.ini"),
                     {path(QStringLiteral("in")), lumor_name});
}

}  // namespace test_support
