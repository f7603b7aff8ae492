#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include "support/c_locale.h"

namespace {

// Under Wine a test program runs all its cases in one process (on Linux
// each case has a process of its own), so what one case leaves must not
// reach the next: a request to leave the application's loop made while no
// loop ran (a termination request, the last window closed) would end the
// next case's dialog at once. One short turn of the application's loop
// takes such a request and leaves the loop state fresh.
class fresh_loop_after_each_case : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo& /*case*/) override {
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QApplication::exec();
  }
};

}  // namespace

int main(int argc, char** argv) {
  test_support::pin_c_locale();
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new fresh_loop_after_each_case);
  return RUN_ALL_TESTS();
}
