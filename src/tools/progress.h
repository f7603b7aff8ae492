#pragma once

// The progress of a long batch for the engineer watching it: how many inputs
// are done of how many, and how many a second, on one line of standard
// error redrawn in place. Only on a terminal: a log or a pipe gets nothing.

#include <QElapsedTimer>
#include <QtGlobal>

namespace tools {

class progress_line {
 public:
  explicit progress_line(qsizetype total);
  // Wipes the line: the batch's last words stand alone.
  ~progress_line();
  progress_line(const progress_line&) = delete;
  progress_line& operator=(const progress_line&) = delete;

  // `done` inputs are done; the line is redrawn a few times a second at
  // most, and at once when `now` is set (after other output wiped it).
  void advance(qsizetype done, bool now = false);

 private:
  bool on_terminal_;
  qsizetype total_;
  QElapsedTimer started_;
  qint64 drawn_at_ms_ = -1;
};

}  // namespace tools
