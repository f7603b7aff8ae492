#pragma once

// The window's one database connection: open it from the "SQL connection
// string" and "SQL database" settings, ask it for one integer at a time.
// Every failure is a basics::error whose text is the driver's own.

#include "database/connection_string.h"

#include <QString>

namespace database {

// An unreachable server keeps the window waiting no longer than this while
// connecting (the driver's login and connection timeouts).
inline constexpr int login_timeout_seconds = 5;

// One Qt SQL connection through the ODBC driver, under a name of its own so
// that several can live side by side; closed and removed on destruction.
class connection {
 public:
  connection();
  ~connection();
  connection(const connection&) = delete;
  connection& operator=(const connection&) = delete;

  // Opens (or reopens) with `connection_string` in either form and
  // `default_database` for a string that names no database. Throws
  // basics::error with the driver's text when that fails; the connection is
  // then closed.
  void open(const QString& connection_string, const QString& default_database);

  bool is_open() const;

  // Runs `query` and returns the value of its column `field` (any case) in
  // the first row: 0 when there is no row or the value is null. A real
  // number, or a text holding a number, is rounded to the nearest integer
  // (halves away from zero). Throws
  // basics::error when the connection is not open, the database reports an
  // error (with the driver's text), the result has no such column, or the
  // value is no 32-bit integer.
  int query_integer(const QString& query, const QString& field);

 private:
  QString name_;
};

}  // namespace database
