#include "database/connection_string.h"

#include "basics/error.h"
#include "database/odbc_drivers.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace database {

namespace {

struct option {
  QString key;    // as written, without surrounding spaces
  QString value;  // without its quotes or braces
};
using options = QList<option>;

// Keys compare without regard to case or runs of spaces: " data  SOURCE" is "Data Source".
QString normalized(const QString& key) {
  return key.simplified().toLower();
}

bool has_key(const options& list, const QStringList& normalized_keys) {
  return std::any_of(list.begin(), list.end(),
                     [&](const option& o) { return normalized_keys.contains(normalized(o.key)); });
}

QString value_of(const options& list, const QString& normalized_key) {
  for (const option& o : list) {
    if (normalized(o.key) == normalized_key) return o.value;
  }
  return {};
}

// --- Reading name=value pairs -------------------------------------------------------------------

[[noreturn]] void throw_not_pairs() {
  throw basics::error(QStringLiteral(
      "The SQL connection string is not a list of name=value pairs separated by \";\"."));
}

// Reads a value enclosed in `text[at]` (one of { " ') up to its closing character, a doubled
// closing character standing for itself; returns the position after it.
qsizetype read_enclosed_value(const QString& text, qsizetype at, option& o) {
  const QChar opening = text[at];
  const QChar closing = opening == u'{' ? u'}' : opening;
  for (++at; at < text.size(); ++at) {
    if (text[at] != closing) {
      o.value += text[at];
    } else if (at + 1 < text.size() && text[at + 1] == closing) {
      o.value += closing;
      ++at;
    } else {
      return at + 1;
    }
  }
  throw basics::error(QStringLiteral("The value of \"%1\" in the SQL connection string lacks its "
                                     "closing %2.")
                          .arg(o.key, closing));
}

// Reads the value that starts at `at` into `o`; returns the position of the ";" after it or the
// end of `text`.
qsizetype read_value(const QString& text, qsizetype at, option& o) {
  while (at < text.size() && text[at].isSpace()) ++at;
  if (at < text.size() && (text[at] == u'{' || text[at] == u'"' || text[at] == u'\'')) {
    at = read_enclosed_value(text, at, o);
    while (at < text.size() && text[at].isSpace()) ++at;
    if (at < text.size() && text[at] != u';') throw_not_pairs();
    return at;
  }
  qsizetype end = text.indexOf(u';', at);
  if (end < 0) end = text.size();
  o.value = text.sliced(at, end - at).trimmed();
  return end;
}

options read_options(const QString& text) {
  options result;
  qsizetype at = 0;
  while (at < text.size()) {
    if (text[at] == u';' || text[at].isSpace()) {
      ++at;
      continue;
    }
    const qsizetype equals = text.indexOf(u'=', at);
    const qsizetype semicolon = text.indexOf(u';', at);
    if (equals < 0 || (semicolon >= 0 && semicolon < equals)) throw_not_pairs();
    option o{text.sliced(at, equals - at).trimmed(), {}};
    if (o.key.isEmpty()) throw_not_pairs();
    at = read_value(text, equals + 1, o);
    result << o;
  }
  return result;
}

// --- Writing an ODBC string ---------------------------------------------------------------------

// Braces keep ";", braces and outer spaces inside a value; the driver name always gets them, as
// drivers are usually written.
QString odbc_pair(const option& o) {
  static const QRegularExpression needs_braces(QStringLiteral("[;{}]|^\\s|\\s$"));
  if (o.key != QLatin1String("Driver") && !o.value.contains(needs_braces)) {
    return o.key + u'=' + o.value;
  }
  return o.key + QStringLiteral("={") + QString(o.value).replace(u'}', QStringLiteral("}}")) + u'}';
}

QString odbc_string(const options& list) {
  QStringList pairs;
  for (const option& o : list) pairs << odbc_pair(o);
  return pairs.join(u';');
}

// --- Translating OLE DB keys --------------------------------------------------------------------

enum class meaning {
  server,
  database,
  user,
  password,
  integrated_security,
  encryption,
  trust_server_certificate,
  mars,
  workstation,
  application,
  language,
  provider_only,
};

const QHash<QString, meaning>& ole_db_keys() {
  static const QHash<QString, meaning> keys = {
      {QStringLiteral("data source"), meaning::server},
      {QStringLiteral("server"), meaning::server},
      {QStringLiteral("address"), meaning::server},
      {QStringLiteral("addr"), meaning::server},
      {QStringLiteral("network address"), meaning::server},
      {QStringLiteral("initial catalog"), meaning::database},
      {QStringLiteral("database"), meaning::database},
      {QStringLiteral("user id"), meaning::user},
      {QStringLiteral("uid"), meaning::user},
      {QStringLiteral("password"), meaning::password},
      {QStringLiteral("pwd"), meaning::password},
      {QStringLiteral("integrated security"), meaning::integrated_security},
      {QStringLiteral("trusted_connection"), meaning::integrated_security},
      {QStringLiteral("use encryption for data"), meaning::encryption},
      {QStringLiteral("encrypt"), meaning::encryption},
      {QStringLiteral("trust server certificate"), meaning::trust_server_certificate},
      {QStringLiteral("trustservercertificate"), meaning::trust_server_certificate},
      {QStringLiteral("mars connection"), meaning::mars},
      {QStringLiteral("mars_connection"), meaning::mars},
      {QStringLiteral("workstation id"), meaning::workstation},
      {QStringLiteral("wsid"), meaning::workstation},
      {QStringLiteral("application name"), meaning::application},
      {QStringLiteral("app"), meaning::application},
      {QStringLiteral("current language"), meaning::language},
      {QStringLiteral("language"), meaning::language},
      // Settings of the OLE DB layer itself, or with no ODBC counterpart; the drivers' defaults
      // apply (SQL Server's packet size is 4096 bytes already).
      {QStringLiteral("provider"), meaning::provider_only},
      {QStringLiteral("packet size"), meaning::provider_only},
      {QStringLiteral("tag with column collation when possible"), meaning::provider_only},
      {QStringLiteral("datatypecompatibility"), meaning::provider_only},
      {QStringLiteral("persist security info"), meaning::provider_only},
      {QStringLiteral("auto translate"), meaning::provider_only},
      {QStringLiteral("use procedure for prepare"), meaning::provider_only},
      {QStringLiteral("locale identifier"), meaning::provider_only},
      {QStringLiteral("connect timeout"), meaning::provider_only},
      {QStringLiteral("general timeout"), meaning::provider_only},
      {QStringLiteral("network library"), meaning::provider_only},
      {QStringLiteral("ole db services"), meaning::provider_only},
      {QStringLiteral("prompt"), meaning::provider_only},
      {QStringLiteral("extended properties"), meaning::provider_only},
  };
  return keys;
}

bool is_one_of(const QString& value, const QStringList& words) {
  return words.contains(value.trimmed(), Qt::CaseInsensitive);
}

bool means_yes(const QString& value) {
  return is_one_of(value, {QStringLiteral("true"), QStringLiteral("yes")});
}

bool means_no(const QString& value) {
  return is_one_of(value, {QStringLiteral("false"), QStringLiteral("no")});
}

// OLE DB's True/False as ODBC's yes/no; any other word is left for the driver to judge.
QString yes_no(const QString& value) {
  if (means_yes(value)) return QStringLiteral("yes");
  if (means_no(value)) return QStringLiteral("no");
  return value;
}

options integrated_security(const QString& value) {
  if (means_yes(value) || is_one_of(value, {QStringLiteral("sspi")})) {
    return {{QStringLiteral("Trusted_Connection"), QStringLiteral("yes")}};
  }
  return {};
}

// FreeTDS takes no port after a comma in Server; it has a Port key instead.
options freetds_server(const QString& value) {
  static const QRegularExpression host_comma_port(QStringLiteral("^(.*\\S)\\s*,\\s*(\\d+)$"));
  const QRegularExpressionMatch match = host_comma_port.match(value);
  if (!match.hasMatch()) return {{QStringLiteral("Server"), value}};
  return {{QStringLiteral("Server"), match.captured(1)},
          {QStringLiteral("Port"), match.captured(2)}};
}

// FreeTDS names its encryption levels itself: "request" encrypts when the server can (what an
// unrequired encryption amounts to), "require" refuses a server that cannot.
options freetds_encryption(const QString& value) {
  QString level = value;
  if (means_yes(value) || is_one_of(value, {QStringLiteral("mandatory")})) {
    level = QStringLiteral("require");
  } else if (means_no(value) || is_one_of(value, {QStringLiteral("optional")})) {
    level = QStringLiteral("request");
  }
  return {{QStringLiteral("Encryption"), level}};
}

options translated(const option& o, bool freetds) {
  const auto found = ole_db_keys().constFind(normalized(o.key));
  if (found == ole_db_keys().constEnd()) return {o};  // no known meaning: the driver judges it
  if (o.value.isEmpty()) return {};                   // an empty value sets nothing in OLE DB

  switch (*found) {
    case meaning::server:
      return freetds ? freetds_server(o.value) : options{{QStringLiteral("Server"), o.value}};
    case meaning::database:
      return {{QStringLiteral("Database"), o.value}};
    case meaning::user:
      return {{QStringLiteral("UID"), o.value}};
    case meaning::password:
      return {{QStringLiteral("PWD"), o.value}};
    case meaning::integrated_security:
      return integrated_security(o.value);
    case meaning::encryption:
      return freetds ? freetds_encryption(o.value)
                     : options{{QStringLiteral("Encrypt"), yes_no(o.value)}};
    case meaning::trust_server_certificate:
      // FreeTDS checks no certificate unless told to in its own configuration.
      return freetds ? options{}
                     : options{{QStringLiteral("TrustServerCertificate"), yes_no(o.value)}};
    case meaning::mars:
      return {{QStringLiteral("MARS_Connection"), yes_no(o.value)}};
    case meaning::workstation:
      return {{QStringLiteral("WSID"), o.value}};
    case meaning::application:
      return {{QStringLiteral("APP"), o.value}};
    case meaning::language:
      return {{QStringLiteral("Language"), o.value}};
    case meaning::provider_only:
      return {};
  }
  return {};
}

const QStringList data_source_keys = {QStringLiteral("driver"), QStringLiteral("dsn"),
                                      QStringLiteral("filedsn")};

bool is_odbc_form(const options& given) {
  return has_key(given, data_source_keys) && !has_key(given, {QStringLiteral("provider")});
}

bool names_database(const options& list) {
  return has_key(list, {QStringLiteral("database"), QStringLiteral("initial catalog")});
}

// What a string leaves out that the connection needs: the default database, and for FreeTDS the
// protocol version of SQL Server. Left to guess, FreeTDS falls back to Sybase's protocol after a
// login that timed out, and that attempt can hang for good on a server that does not answer.
options missing_options(const options& list, const QString& driver,
                        const QString& default_database) {
  options missing;
  if (!default_database.isEmpty() && !names_database(list)) {
    missing << option{QStringLiteral("Database"), default_database};
  }
  if (is_freetds(driver) && !has_key(list, {QStringLiteral("tds_version")})) {
    missing << option{QStringLiteral("TDS_Version"), QStringLiteral("7.4")};
  }
  return missing;
}

QString completed_odbc_form(const QString& connection_string, const options& given,
                            const QString& default_database) {
  const options missing =
      missing_options(given, value_of(given, QStringLiteral("driver")), default_database);
  if (missing.isEmpty()) return connection_string;
  QString result = connection_string.trimmed();
  if (!result.endsWith(u';')) result += u';';
  return result + odbc_string(missing);
}

QString translated_ole_db_form(const options& given, const QString& default_database,
                               const QStringList& installed_drivers) {
  const bool names_own_source = has_key(given, data_source_keys);
  const QString driver = names_own_source ? value_of(given, QStringLiteral("driver"))
                                          : sql_server_driver(installed_drivers);

  options result;
  if (!names_own_source) result << option{QStringLiteral("Driver"), driver};
  for (const option& o : given) result << translated(o, is_freetds(driver));
  result << missing_options(result, driver, default_database);
  return odbc_string(result);
}

}  // namespace

QString odbc_connection_string(const QString& connection_string, const QString& default_database,
                               const QStringList& installed_drivers) {
  if (connection_string.trimmed().isEmpty()) return {};
  const options given = read_options(connection_string);
  if (is_odbc_form(given)) {
    return completed_odbc_form(connection_string, given, default_database);
  }
  return translated_ole_db_form(given, default_database, installed_drivers);
}

QString odbc_connection_string(const QString& connection_string, const QString& default_database) {
  return odbc_connection_string(connection_string, default_database, installed_odbc_drivers());
}

QString default_connection_string() {
  return QStringLiteral(
      "Provider=SQLNCLI.1;Data Source=localhost;Packet Size=4096;Use Encryption for Data=False;"
      "Tag with column collation when possible=False;MARS Connection=False;"
      "DataTypeCompatibility=0;Trust Server Certificate=False;");
}

}  // namespace database
