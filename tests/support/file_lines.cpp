#include "support/file_lines.h"

#include <QDir>

#include <gtest/gtest.h>

namespace test_support {

QStringList lines_of(const QString& board_text) {
  return board_text.isEmpty() ? QStringList() : board_text.split(u'\n');
}

QStringList files_in(const QString& folder) {
  return QDir(folder).entryList(QDir::Files, QDir::Name);
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
