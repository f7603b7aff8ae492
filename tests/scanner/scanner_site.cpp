#include "scanner_site.h"

#include <gtest/gtest.h>

#include "platform/env.h"

namespace test_support {

platform::Status site_env::read_file(const QString& path, QByteArray* contents) {
  if (refused_read_ && path.contains(*refused_read_)) {
    return platform::Status::Error(
        QStringLiteral("Cannot read \"%1\": Permission denied").arg(path));
  }
  return FaultEnv::read_file(path, contents);
}

scanner_site::scanner_site() : use_fault_(&fault) {
  tree.make_folder(QStringLiteral("prog"));
  tree.make_folder(QStringLiteral("user"));
  fault.set_program_file_path(program_file(QStringLiteral("DORNIK_spectrum_scanner")));
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

QStringList crlf_lines(const QByteArray& bytes) {
  QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
  EXPECT_TRUE(lines.last().isEmpty()) << "the last line has no CR LF";
  lines.removeLast();
  for (const QString& line : lines) {
    EXPECT_FALSE(line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')))
        << "stray line end in " << line.toStdString();
  }
  return lines;
}

}  // namespace test_support
