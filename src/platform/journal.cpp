#include "platform/journal.h"

#include <QByteArray>
#include <QRegularExpression>

#include <cstdio>

namespace platform {

void write_journal_line(const QString& prefix, const QString& text, severity level) {
  static const QRegularExpression line_break(QStringLiteral("\r\n|\r|\n"));
  const bool to_journal = stderr_is_journal();
  QString line = text;
  line.replace(line_break, QStringLiteral(" "));
  const QByteArray priority =
      to_journal ? "<" + QByteArray::number(static_cast<int>(level)) + ">" : QByteArray();
  std::fprintf(stderr, "%s%s%s\n", priority.constData(), prefix.toLocal8Bit().constData(),
               line.toLocal8Bit().constData());
  std::fflush(stderr);
}

}  // namespace platform
