#pragma once

// The conversions of the Halvik instruments: an exsitu file of up to 51
// positions and a nine-position insitu file, each into a scan file
// <plate>.scn in the context's output folder, archived as exsitu_<plate>.csv
// or insitu_<plate>.csv into the folder of the context's measurement. A file
// that cannot be converted is archived as refused_<name>, and one that
// cannot be kept that way is set aside.
//
// The scan records and the plate number are the caller's, carried from file
// to file; the plate is shared by both kinds of files.

#include "basics/scan_data.h"
#include "conversion/claimed_file.h"

namespace conversion {

// What the status line says when an exsitu file cannot be claimed yet,
// whatever its name.
QString halvik_exsitu_rename_failure();

void convert_halvik_exsitu_file(claimed_file& file, basics::scan_data& record, qint32& plate);
bool archive_halvik_exsitu_file(claimed_file& file, qint32 plate, const QDateTime& measured);
void handle_halvik_exsitu_data(const context& ctx, basics::scan_data& record, qint32& plate);

// The output folder must exist: the insitu folder is not checked before the
// scan step, and a scan file has nowhere else to go.
void convert_halvik_insitu_file(claimed_file& file, basics::scan_data& record, qint32& plate);
bool archive_halvik_insitu_file(claimed_file& file, qint32 plate, const QDateTime& measured);
void handle_halvik_insitu_data(const context& ctx, basics::scan_data& record, qint32& plate);

}  // namespace conversion
