#include "platform/journal.h"

#include <QByteArray>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/env.h"

#include <cstdio>
#include <mutex>

namespace platform {
namespace {

// Every line tells which deployment it comes from.
journal_fields with_program_folder(const journal_fields& fields) {
  journal_fields all = fields;
  all.append({"PROGRAM_FOLDER", QFileInfo(env().program_file_path()).absolutePath()});
  return all;
}

void write_now(const journal_line& line) {
  const bool to_journal = stderr_is_journal();
  if (to_journal && send_to_system_journal(line, with_program_folder(line.fields))) return;
  const QByteArray priority =
      to_journal ? "<" + QByteArray::number(static_cast<int>(line.level)) + ">" : QByteArray();
  // UTF-8 on both systems: on Windows the code page would turn a name it
  // cannot hold into another name, and the history lines are JSON.
  std::fprintf(stderr, "%s%s%s\n", priority.constData(), line.prefix.toUtf8().constData(),
               line.text.toUtf8().constData());
  std::fflush(stderr);
}

// The runs of the one journal, which any thread may write to.
std::mutex runs_mutex;
journal_runs runs;

}  // namespace

QList<journal_line> journal_runs::pass(const journal_line& next) {
  QList<journal_line> lines;
  if (last_ == next) {
    ++run_;
    if (run_ <= kRepeatsWritten) lines << next;
    return lines;
  }
  if (const std::optional<journal_line> count = finish()) lines << *count;
  last_ = next;
  run_ = 1;
  lines << next;
  return lines;
}

std::optional<journal_line> journal_runs::finish() {
  const qint64 counted = run_ - kRepeatsWritten;
  std::optional<journal_line> count;
  if (last_ && counted > 0) {
    count = journal_line{last_->prefix,
                         QStringLiteral("... the last line repeated %1 more %2")
                             .arg(counted)
                             .arg(counted == 1 ? QStringLiteral("time") : QStringLiteral("times")),
                         last_->level, last_->fields};
  }
  last_.reset();
  run_ = 0;
  return count;
}

void write_journal_line(const QString& prefix, const QString& text, severity level,
                        const journal_fields& fields) {
  static const QRegularExpression line_break(QStringLiteral("\r\n|\r|\n"));
  QString one_line = text;
  one_line.replace(line_break, QStringLiteral(" "));
  const std::lock_guard<std::mutex> lock(runs_mutex);
  for (const journal_line& line : runs.pass({prefix, one_line, level, fields})) write_now(line);
}

void finish_journal_run() {
  const std::lock_guard<std::mutex> lock(runs_mutex);
  if (const std::optional<journal_line> count = runs.finish()) write_now(*count);
}

}  // namespace platform
