#pragma once

// Which ODBC driver speaks to SQL Server on this machine.

#include <QString>
#include <QStringList>

namespace database {

// The names of the ODBC drivers registered with the driver manager
// (odbcinst.ini, or the registry on Windows); empty when it cannot be asked.
QStringList installed_odbc_drivers();

// The SQL Server driver to use, in this order of preference: the newest
// "ODBC Driver N for SQL Server", "FreeTDS", "SQL Server Native Client 11.0",
// "SQL Server". With none of them installed, "ODBC Driver 18 for SQL Server",
// so that opening fails with the driver manager's own message naming it.
QString sql_server_driver(const QStringList& installed_drivers);

// Whether `driver` is FreeTDS, whose keys differ from Microsoft's drivers.
bool is_freetds(const QString& driver);

}  // namespace database
