#pragma once

// The steps every conversion into a scan file ends with, whatever the
// instrument: fill the record from the claimed file, publish it as
// <plate>.scn, archive the file under its plate's name. Nothing is lost on
// the way: a file that cannot be read, saved or archived is set aside.

#include <QDateTime>
#include <QString>

#include <functional>

#include "basics/scan_data.h"
#include "conversion/claimed_file.h"

namespace conversion {

// Archives a converted file of `plate` measured at `measured`; false when
// the copy could not be made.
using plate_archiver = std::function<bool(qint32 plate, const QDateTime& measured)>;

// Runs `read` (which fills `record` and `plate` and may throw
// basics::error), publishes the record as <plate>.scn in `folder`, then
// archives the file with `archive`, dated by the record's time of
// measurement.
void write_scan_file(claimed_file& file, const std::function<void()>& read,
                     const basics::scan_data& record, const qint32& plate, const QString& folder,
                     const plate_archiver& archive);

// Copies the claimed file as `prefix` + plate + ".csv" into the dated
// archive folder of the context's measurement (a plate measured twice a day
// keeps both copies, the second under a free name, said on the board);
// false when the copy could not be made (archiving switched off counts as
// done).
bool archive_as_plate(claimed_file& file, const QString& prefix, qint32 plate,
                      const QDateTime& measured);

}  // namespace conversion
