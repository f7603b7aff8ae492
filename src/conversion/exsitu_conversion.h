#pragma once

// The exsitu conversion: a claimed traverse measurement becomes the scan
// file <plate>.scn in the context's output folder and is archived as
// exsitu_<plate>.csv; a file that cannot be converted is archived as
// refused_<name>, and one that cannot be kept that way is set aside.
//
// The scan record and the plate number are the caller's and carried from
// file to file: a value a file does not give keeps the previous file's.

#include "basics/scan_data.h"
#include "conversion/claimed_file.h"

namespace conversion {

// The status line while a claimed exsitu file is converted.
QString exsitu_action();

// Converts the claimed file into a scan file and archives it as
// exsitu_<plate>.csv.
void convert_exsitu_file(claimed_file& file, basics::scan_data& record, qint32& plate);

// Copies the claimed file of `plate` into the dated archive as
// exsitu_<plate>.csv; false when the copy could not be made (archiving
// switched off counts as done).
bool archive_exsitu_file(claimed_file& file, qint32 plate, const QDateTime& measured);

// Claims the exsitu files waiting in the context's input folder (at most
// ten) and converts each; a file its writer still holds waits silently.
void handle_exsitu_data(const context& ctx, basics::scan_data& record, qint32& plate);

}  // namespace conversion
