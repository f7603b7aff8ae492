#include "basics/ole_date.h"

#include <cmath>

namespace basics {

namespace {

constexpr qint64 kMsecsPerDay = 86'400'000;

// The range the OLE date type itself allows: 1 January 100 up to the end of
// 31 December 9999.
constexpr double kFirstValidDay = -657434.0;
constexpr double kDayAfterLastValid = 2958466.0;

QDate ole_epoch() {
  return QDate(1899, 12, 30);
}

}  // namespace

double ole_date_from(const QDateTime& time) {
  if (!time.isValid()) return 0.0;
  const QDateTime local = time.toLocalTime();
  const qint64 day = ole_epoch().daysTo(local.date());
  const double fraction = double(local.time().msecsSinceStartOfDay()) / kMsecsPerDay;
  // Before the epoch the day counts backwards while the time of day does not.
  return day >= 0 ? double(day) + fraction : double(day) - fraction;
}

QDateTime date_time_from_ole(double days) {
  if (!std::isfinite(days) || days <= kFirstValidDay - 1.0 || days >= kDayAfterLastValid) {
    return QDateTime();
  }
  qint64 day = qint64(std::trunc(days));
  qint64 msecs = std::llround(std::fabs(days - double(day)) * kMsecsPerDay);
  if (msecs == kMsecsPerDay) {  // rounded up to the next midnight
    ++day;
    msecs = 0;
  }
  return QDateTime(ole_epoch().addDays(day), QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

}  // namespace basics
