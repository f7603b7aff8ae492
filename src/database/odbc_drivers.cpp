#include "database/odbc_drivers.h"

#include <QRegularExpression>

#ifdef _WIN32
#include <windows.h>  // the ODBC headers need its types
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <array>

namespace database {

namespace {

const QString newest_microsoft_driver = QStringLiteral("ODBC Driver 18 for SQL Server");

// Older drivers, taken only when no "ODBC Driver N for SQL Server" is there.
const QStringList other_drivers_by_preference = {
    QStringLiteral("FreeTDS"),
    QStringLiteral("SQL Server Native Client 11.0"),
    QStringLiteral("SQL Server"),
};

// The N of "ODBC Driver N for SQL Server", 0 for any other name.
int microsoft_driver_version(const QString& driver) {
  static const QRegularExpression pattern(QStringLiteral("^ODBC Driver (\\d+) for SQL Server$"),
                                          QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch match = pattern.match(driver);
  return match.hasMatch() ? match.captured(1).toInt() : 0;
}

}  // namespace

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "driver names are read as UTF-16");

QStringList installed_odbc_drivers() {
  SQLHENV environment = SQL_NULL_HENV;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))) return {};
  SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);

  QStringList drivers;
  std::array<SQLWCHAR, 256> name{};
  std::array<SQLWCHAR, 2> attributes{};  // not wanted; a short buffer only truncates them
  SQLSMALLINT name_length = 0;
  SQLSMALLINT attributes_length = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (SQL_SUCCEEDED(SQLDriversW(environment, direction, name.data(), SQLSMALLINT(name.size()),
                                   &name_length, attributes.data(), SQLSMALLINT(attributes.size()),
                                   &attributes_length))) {
    const qsizetype length = std::min<qsizetype>(name_length, name.size() - 1);
    drivers << QString::fromUtf16(reinterpret_cast<const char16_t*>(name.data()), length);
    direction = SQL_FETCH_NEXT;
  }
  SQLFreeHandle(SQL_HANDLE_ENV, environment);
  return drivers;
}

QString sql_server_driver(const QStringList& installed_drivers) {
  QString newest;
  for (const QString& driver : installed_drivers) {
    if (microsoft_driver_version(driver) > microsoft_driver_version(newest)) newest = driver;
  }
  if (!newest.isEmpty()) return newest;

  for (const QString& preferred : other_drivers_by_preference) {
    for (const QString& driver : installed_drivers) {
      if (driver.compare(preferred, Qt::CaseInsensitive) == 0) return driver;
    }
  }
  return newest_microsoft_driver;
}

bool is_freetds(const QString& driver) {
  return driver.contains(QStringLiteral("FreeTDS"), Qt::CaseInsensitive);
}

}  // namespace database
