#pragma once

// What every command-line tool prints and returns: errors on standard error
// in the local encoding, data on standard output checked for a full write.

#include <QByteArray>
#include <QString>

#include <cstdio>

namespace tools {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

// Whether a progress line stands on the terminal now (progress_line); any
// other text first wipes it, so the two never run into each other.
inline bool progress_shown = false;

inline void wipe_progress() {
  if (!progress_shown) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  progress_shown = false;
}

inline void print_error(const QString& text) {
  wipe_progress();
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// False when standard output took less than all of `bytes` (a full disk or
// a closed pipe), so the tool can fail instead of leaving a cut dump.
inline bool write_stdout(const QByteArray& bytes) {
  wipe_progress();
  return std::fwrite(bytes.constData(), 1, bytes.size(), stdout) ==
             static_cast<size_t>(bytes.size()) &&
         std::fflush(stdout) == 0;
}

// write_stdout, saying on standard error when it failed.
inline bool print_stdout(const QByteArray& bytes) {
  if (write_stdout(bytes)) return true;
  print_error(QStringLiteral("Error: could not write to standard output."));
  return false;
}

}  // namespace tools
