#pragma once

// OLE Automation dates: days since 30 December 1899, 00:00, in local wall
// clock time, the fraction being the time of day (0.5 is noon). Scan files
// store the time of measurement this way.
//
// Before the epoch the whole days count backwards but the fraction still
// counts forwards from midnight: -1.25 is 29 December 1899, 06:00.
//
// Thread-safe: both functions may run on several threads at once.

#include <QDateTime>

namespace basics {

// The date of `time`'s local date and time, to the millisecond. An invalid
// `time` gives 0.0, the epoch.
double ole_date_from(const QDateTime& time);

// The local date and time of `days`, rounded to the millisecond. Invalid for
// a value that is not finite or lies outside the years 100 to 9999.
QDateTime date_time_from_ole(double days);

}  // namespace basics
