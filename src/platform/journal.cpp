#include "platform/journal.h"

#include <QRegularExpression>

#include <cstdio>

namespace platform {

void write_journal_line(const QString& prefix, const QString& text) {
  static const QRegularExpression line_break(QStringLiteral("\r\n|\r|\n"));
  QString line = text;
  line.replace(line_break, QStringLiteral(" "));
  std::fprintf(stderr, "%s%s\n", prefix.toLocal8Bit().constData(), line.toLocal8Bit().constData());
  std::fflush(stderr);
}

}  // namespace platform
