#include "database/line_queries.h"

#include <QLocale>

#include "basics/error.h"
#include "basics/text.h"

namespace database {
namespace {

// The locale's short date, one space and its long time; the time is left out
// at exactly midnight.
QString date_text(const QDateTime& moment) {
  if (!moment.isValid()) {
    throw basics::error(QStringLiteral("The time of the pane id query is no valid date."));
  }
  const QLocale locale = QLocale::system();
  const QString date = locale.toString(moment.date(), QLocale::ShortFormat);
  if (moment.time() == QTime(0, 0)) return date;
  return date + QLatin1Char(' ') + basics::long_time_text(locale, moment.time());
}

}  // namespace

bool is_blank_query(const QString& configured) {
  return basics::trimmed(configured).isEmpty();
}

QString query_date(const QDateTime& moment, const QString& fixed_date, int test_mode) {
  if (!fixed_date.isEmpty()) return fixed_date;
  if (test_mode == 1) return kTestModeDate;
  return date_text(moment);
}

QString with_date_literal(const QString& configured, const QString& date) {
  return configured + QLatin1Char('\'') + date + QLatin1Char('\'');
}

bool pane_id_queries::complete() const {
  return !is_blank_query(high) && !is_blank_query(low);
}

qint64 pane_id(qint32 high, qint32 low) {
  return qint64(high) * 65536 + low;
}

qint64 ask_pane_id(const pane_id_queries& queries, const QString& date, const QString& column,
                   const query_function& query, const trace_function& trace) {
  const QString high_text = with_date_literal(queries.high, date);
  trace(high_text);
  const qint32 high = query(high_text, column);
  trace(QStringLiteral("High ") + QString::number(high));

  const QString low_text = with_date_literal(queries.low, date);
  trace(low_text);
  const qint32 low = query(low_text, column);
  trace(QStringLiteral("Low ") + QString::number(low));

  return pane_id(high, low);
}

qint32 next_simulated_pane_id(qint32 previous) {
  return qint32(quint32(previous) + 1u);
}

}  // namespace database
