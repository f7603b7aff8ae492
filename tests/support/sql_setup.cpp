#include "support/sql_setup.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace test_support {

namespace {

const QString kSetupConnection = QStringLiteral("test_support_setup");

void execute_on_open_connection(const QString& connection_string, const QStringList& statements) {
  QSqlDatabase setup = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), kSetupConnection);
  setup.setDatabaseName(connection_string);
  ASSERT_TRUE(setup.open()) << setup.lastError().text().toStdString();
  for (const QString& statement : statements) {
    QSqlQuery query(setup);
    ASSERT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
  }
}

}  // namespace

void execute_sql(const QString& connection_string, const QStringList& statements) {
  execute_on_open_connection(connection_string, statements);
  // Qt removes a connection only once no QSqlDatabase handle is left.
  QSqlDatabase::removeDatabase(kSetupConnection);
}

}  // namespace test_support
