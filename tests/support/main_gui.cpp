#include <QApplication>

#include <gtest/gtest.h>

#include "support/c_locale.h"

int main(int argc, char** argv) {
  test_support::pin_c_locale();
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
