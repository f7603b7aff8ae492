#pragma once

// The "SQL connection string" of the settings comes in the OLE DB form of the
// older installations (Provider=SQLNCLI.1;Data Source=server\instance;...) or
// in the ODBC form (Driver={...};Server=...;...). Qt reaches SQL Server through
// ODBC only, so the OLE DB form is translated here; README.md ("Database
// connection") lists the translation of every key.

#include <QString>
#include <QStringList>

namespace database {

// The ODBC connection string for `connection_string`, for the SQL Server
// driver chosen from `installed_drivers` (see sql_server_driver):
// - OLE DB form: each key translated, provider-only keys dropped, keys of no
//   known meaning passed on; Driver= first unless the string names its own
//   Driver, DSN or FileDSN.
// - ODBC form (a Driver, DSN or FileDSN key and no Provider): unchanged.
// In both forms Database=`default_database` is appended when the string names
// no database (Initial Catalog or Database) and `default_database` is not
// empty, and TDS_Version=7.4 when the driver is FreeTDS and the string sets no
// TDS_Version. A blank string gives an empty one.
// Throws basics::error when the string is no list of name=value pairs.
QString odbc_connection_string(const QString& connection_string, const QString& default_database,
                               const QStringList& installed_drivers);

// The same for the drivers installed on this machine.
QString odbc_connection_string(const QString& connection_string, const QString& default_database);

// The "SQL connection string" used when the settings file has no such key:
// the OLE DB options of the original installations, the local server, no
// fixed workstation identity.
QString default_connection_string();

}  // namespace database
