#include "database/connection.h"

#include "basics/error.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <atomic>
#include <cmath>
#include <limits>
#include <optional>

namespace database {

namespace {

QString unique_name() {
  static std::atomic<quint64> count{0};
  return QStringLiteral("database::connection %1").arg(++count);
}

QString timeout_options() {
  return QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1")
      .arg(login_timeout_seconds);
}

// Qt's ODBC driver puts its own summary ("Unable to connect") into driverText and the ODBC
// diagnostics, the words that say what went wrong, into databaseText.
QString error_text(const QSqlError& error) {
  const QString summary = error.driverText().trimmed();
  const QString diagnostics = error.databaseText().trimmed();
  if (summary.isEmpty()) return diagnostics;
  if (diagnostics.isEmpty()) return summary;
  return summary + QStringLiteral(": ") + diagnostics;
}

// Rounded to the nearest whole number (halves away from zero); nothing beyond 64 bits or NaN.
std::optional<qint64> rounded(double number) {
  const double whole = std::round(number);
  if (!(std::abs(whole) < 9.0e18)) return {};
  return qint64(whole);
}

// Drivers differ in which numbers they hand over as text (decimals, for one).
std::optional<qint64> number_in_text(const QString& text) {
  bool ok = false;
  const qint64 integer = text.toLongLong(&ok);
  if (ok) return integer;
  const double real = text.toDouble(&ok);
  return ok ? rounded(real) : std::nullopt;
}

// The value as a whole number, or nothing when it is no number.
std::optional<qint64> whole_number(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
      return rounded(value.toDouble());
    case QMetaType::QString:
    case QMetaType::QByteArray:
      return number_in_text(value.toString().trimmed());
    case QMetaType::ULongLong: {
      const quint64 number = value.toULongLong();
      if (number > quint64(std::numeric_limits<qint64>::max())) return {};
      return qint64(number);
    }
    default: {  // the other integer types and booleans; dates, bytes and the like fail
      bool ok = false;
      const qint64 number = value.toLongLong(&ok);
      return ok ? std::optional(number) : std::nullopt;
    }
  }
}

// A number out of range is refused rather than cut to 32 bits: a wrapped line speed or pane id
// would look valid and be wrong.
int integer_value(const QVariant& value, const QString& field) {
  if (value.isNull()) return 0;
  const std::optional<qint64> number = whole_number(value);
  if (!number || *number < std::numeric_limits<int>::min() ||
      *number > std::numeric_limits<int>::max()) {
    throw basics::error(QStringLiteral("The column \"%1\" of the query result holds \"%2\", which "
                                       "is no 32-bit integer.")
                            .arg(field, value.toString()));
  }
  return int(*number);
}

}  // namespace

connection::connection() : name_(unique_name()) {
  QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name_);
}

connection::~connection() {
  QSqlDatabase::database(name_, false).close();
  QSqlDatabase::removeDatabase(name_);
}

void connection::open(const QString& connection_string, const QString& default_database) {
  QSqlDatabase database = QSqlDatabase::database(name_, false);
  database.close();
  if (!database.isValid()) {
    throw basics::error(QStringLiteral("The ODBC driver of Qt SQL (QODBC) is not installed."));
  }
  const QString odbc = odbc_connection_string(connection_string, default_database);
  if (odbc.isEmpty()) throw basics::error(QStringLiteral("The SQL connection string is empty."));

  database.setDatabaseName(odbc);
  database.setConnectOptions(timeout_options());
  if (!database.open()) throw basics::error(error_text(database.lastError()));
}

bool connection::is_open() const {
  return QSqlDatabase::database(name_, false).isOpen();
}

int connection::query_integer(const QString& query, const QString& field) {
  const QSqlDatabase database = QSqlDatabase::database(name_, false);
  if (!database.isOpen()) {
    throw basics::error(QStringLiteral("The database connection is not open."));
  }
  QSqlQuery result(database);
  result.setForwardOnly(true);
  if (!result.exec(query)) throw basics::error(error_text(result.lastError()));

  const int column = result.record().indexOf(field);
  if (column < 0) {
    throw basics::error(QStringLiteral("The query result has no column \"%1\".").arg(field));
  }
  if (!result.next()) {
    if (result.lastError().isValid()) throw basics::error(error_text(result.lastError()));
    return 0;
  }
  return integer_value(result.value(column), field);
}

}  // namespace database
