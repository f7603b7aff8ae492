// Points the ODBC driver manager at the drivers registered for the tests
// before any test makes the first ODBC call (the manager reads the
// configuration once).
#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

namespace {

class odbc_environment : public ::testing::Environment {
 public:
  void SetUp() override { qputenv("ODBCSYSINI", QByteArray(TEST_ODBC_SYSINI)); }
};

const ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new odbc_environment);

}  // namespace
