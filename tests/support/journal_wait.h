#pragma once

// Waiting on a program run as a process, from its journal on standard error.

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

#include <functional>

namespace test_support {

// Appends what `process` writes to standard error to `journal` until `done`
// holds; false once the process has ended or after a generous bound, so a
// hanging program fails the test instead of stalling it.
inline bool collect_journal_until(QProcess& process, QString& journal,
                                  const std::function<bool()>& done) {
  const QDeadlineTimer bound(60000);
  while (!done()) {
    if (bound.hasExpired() || process.state() == QProcess::NotRunning) return false;
    process.waitForReadyRead(100);
    journal += QString::fromUtf8(process.readAllStandardError());
  }
  return true;
}

}  // namespace test_support
