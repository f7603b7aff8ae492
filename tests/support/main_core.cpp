#include <QCoreApplication>

#include <gtest/gtest.h>

#include "support/c_locale.h"

int main(int argc, char** argv) {
  test_support::pin_c_locale();
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
