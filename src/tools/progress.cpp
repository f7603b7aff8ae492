#include "tools/progress.h"

#include <QString>

#include <cstdio>

#include "platform/journal.h"
#include "tools/tool_output.h"

namespace tools {
namespace {

// Often enough to look alive, seldom enough to cost nothing.
constexpr qint64 kRedrawMs = 200;

}  // namespace

progress_line::progress_line(qsizetype total)
    : on_terminal_(platform::stderr_is_terminal()), total_(total) {
  started_.start();
}

progress_line::~progress_line() {
  wipe_progress();
}

void progress_line::advance(qsizetype done, bool now) {
  if (!on_terminal_) return;
  const qint64 elapsed = started_.elapsed();
  if (!now && drawn_at_ms_ >= 0 && elapsed - drawn_at_ms_ < kRedrawMs) return;
  drawn_at_ms_ = elapsed;
  const double rate = elapsed > 0 ? double(done) * 1000.0 / double(elapsed) : 0.0;
  const QString line = QStringLiteral("\r%1/%2 files, %3 files/s\033[K")
                           .arg(done)
                           .arg(total_)
                           .arg(rate, 0, 'f', rate < 10 ? 1 : 0);
  std::fputs(line.toLocal8Bit().constData(), stderr);
  std::fflush(stderr);
  progress_shown = true;
}

}  // namespace tools
