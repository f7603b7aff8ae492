#pragma once

// The questions the SELMAR window asks the line's database, as rules apart
// from any window or connection: which date literal a query carries, how a
// pane id is put together from its two halves, and what stands in for an
// answer without a database. The query itself is a function the caller
// passes in (connection::query_integer in the window, a table in tests).
//
// Every query is the configured text followed by a quoted date literal; the
// configured text ends where that literal belongs.

#include <QDateTime>
#include <QString>

#include <functional>

namespace database {

// Runs the query `text` and gives the integer of its column `column` in the
// first row; throws basics::error when the database refuses.
using query_function = std::function<int(const QString& text, const QString& column)>;

// Receives each query text and each answer as the pane id is asked, for the
// window's test output.
using trace_function = std::function<void(const QString& line)>;

// The moment every query names in test mode 1, whatever the clock says.
inline const QString kTestModeDate = QStringLiteral("5/10/2013 2:30:01 PM");
// The moment of the "Historic ID" test button's question.
inline const QString kFixedPaneIdDate = QStringLiteral("5/13/2013 4:59:00 PM");

// Line speed without a database, and in place of an answer of 0.
inline constexpr qint32 kLineSpeedWithoutDatabase = 600;
inline constexpr qint32 kDefaultLineSpeed = 500;

// Whether a configured query is blank: it is then not run (it would be a
// syntax error).
bool is_blank_query(const QString& configured);

// The date a query carries: `fixed_date` when there is one, else the test
// mode 1 date, else `moment` in the system locale's short date, one space
// and its long time (the time left out at exactly midnight). Throws
// basics::error when `moment` is needed and is no valid date.
QString query_date(const QDateTime& moment, const QString& fixed_date, int test_mode);

// `configured` followed by `date` in single quotes.
QString with_date_literal(const QString& configured, const QString& date);

// The two queries whose answers make one channel's pane id.
struct pane_id_queries {
  QString high;
  QString low;

  // Both configured; a channel missing either has pane id 0 and asks nothing.
  bool complete() const;
};

// The pane id is high × 65536 + low. A low half beyond 16 bits carries into
// the high half; the sum is kept whole in 64 bits, so a large high half
// gives the true number instead of a wrapped one that would name the wrong
// pane.
qint64 pane_id(qint32 high, qint32 low);

// Asks the high query, then the low one, each with the date literal `date`,
// reading `column`; `trace` sees each query text and then "High <n>" or
// "Low <n>". A query's error passes to the caller.
qint64 ask_pane_id(const pane_id_queries& queries, const QString& date, const QString& column,
                   const query_function& query, const trace_function& trace);

// The pane id counted without a database after `previous`: counts on for
// the window's whole life, wrapping rather than overflowing.
qint32 next_simulated_pane_id(qint32 previous);

}  // namespace database
