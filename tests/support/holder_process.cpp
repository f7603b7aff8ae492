#include "support/holder_process.h"

#include <gtest/gtest.h>

namespace test_support {

holder_process::holder_process(const QString& path, mode how) {
  const QString letter = how == mode::write           ? QStringLiteral("w")
                         : how == mode::shared_delete ? QStringLiteral("d")
                                                      : QStringLiteral("r");
  process_.start(QStringLiteral(HOLD_FILE_OPEN_EXE), {path, letter});
  EXPECT_TRUE(process_.waitForStarted(10000)) << "hold_file_open did not start";
  EXPECT_TRUE(process_.waitForReadyRead(10000))
      << "hold_file_open did not open " << path.toStdString();
}

holder_process::~holder_process() {
  release();
}

void holder_process::release() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.closeWriteChannel();
  if (!process_.waitForFinished(10000)) process_.kill();
}

}  // namespace test_support
