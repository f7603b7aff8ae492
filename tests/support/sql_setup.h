#pragma once

// Fills a test database through a plain Qt ODBC connection of its own, so
// the code under test finds the tables and rows already there.

#include <QString>
#include <QStringList>

namespace test_support {

// Runs `statements` in order on the database `connection_string` names; a
// statement that fails fails the test with the driver's text.
void execute_sql(const QString& connection_string, const QStringList& statements);

}  // namespace test_support
