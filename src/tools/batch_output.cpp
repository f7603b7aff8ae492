#include "tools/batch_output.h"

#include "platform/env.h"
#include "tools/tool_output.h"

namespace tools {

namespace {

// How bad each exit code is: an output not written outweighs a refused
// input, which outweighs a replaced output.
int severity(int code) {
  switch (code) {
    case kNotWritten:
      return 3;
    case kInputRefused:
      return 2;
    case kSameOutput:
      return 1;
    default:
      return 0;
  }
}

void print_about(const QString& source, const QString& text) {
  print_error(source + QStringLiteral(": ") + text);
}

}  // namespace

void batch_output::note_outcome(int code) {
  if (severity(code) > severity(exit_code_)) exit_code_ = code;
}

bool batch_output::may_write(const QString& source, const QString& target) {
  const auto earlier = written_by_.constFind(target);
  // The disk is asked only when the answer matters.
  if (options_.no_clobber && (earlier != written_by_.constEnd() || platform::env().entry(target))) {
    print_about(source,
                QStringLiteral("Error: %1 exists; not replaced (--no-clobber).").arg(target));
    note_outcome(kNotWritten);
    return false;
  }
  if (earlier != written_by_.constEnd()) {
    print_about(source,
                QStringLiteral("Warning: %1 replaces the output of %2.").arg(target, *earlier));
    note_outcome(kSameOutput);
  }
  written_by_.insert(target, source);
  return true;
}

void batch_output::add(const QString& source, const QString& target, const QByteArray& bytes,
                       const QString& note) {
  if (!may_write(source, target)) return;
  // A later input for the same output replaces the one still waiting.
  for (pending& waiting : pending_) {
    if (waiting.target == target) {
      waiting = {source, target, bytes, note};
      return;
    }
  }
  pending_.append({source, target, bytes, note});
}

void batch_output::commit() {
  QList<platform::pending_file> files;
  files.reserve(pending_.size());
  for (const pending& waiting : pending_) files.append({waiting.target, waiting.bytes});
  const QList<platform::Status> published = platform::publish_files(files);
  QByteArray report;
  for (qsizetype i = 0; i < pending_.size(); ++i) {
    const pending& waiting = pending_[i];
    if (published[i].ok()) {
      report += (QStringLiteral("wrote ") + waiting.target + waiting.note + u'\n').toLocal8Bit();
    } else {
      print_about(waiting.source, QStringLiteral("Error: %1 was not written. %2")
                                      .arg(waiting.target, published[i].message()));
      note_outcome(kNotWritten);
    }
  }
  // The names are the report a script reads: without them it would miss
  // outputs, so the run fails as for an output not written. Said once.
  if (!report_lost_ && !print_stdout(report)) {
    report_lost_ = true;
    note_outcome(kNotWritten);
  }
  pending_.clear();
}

}  // namespace tools
