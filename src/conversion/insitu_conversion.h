#pragma once

// The insitu conversion: a claimed probe-head measurement becomes the inline
// file <plate>___T.csv in the measurement folder that the probe heads table
// assigns to its probe head, and is archived under its own name. A file with
// nowhere to go (probe head unknown, measurement folder missing) is set
// aside, so it can be renamed back once the probe head is set up.
//
// The plate number is the caller's and carried from file to file.

#include "conversion/claimed_file.h"

namespace conversion {

// What the insitu conversion carries from file to file, kept where the
// caller keeps it (the window's plate number, shared with its exsitu files).
struct insitu_state {
  qint32& plate;
};

// The probe heads table is the context's.
struct insitu_options {};

// The probe heads table names probe heads in this language, and their
// measurements as nicknames.
inline constexpr int kProbeHeadLanguage = 1;

// The status line while a claimed insitu file is converted.
QString insitu_action();

// The lines of the inline file that the insitu file `lines` at `path` gives,
// with the board lines of a conversion: the refusal of a file too short, the
// plate number. `plate` gets the file's plate. Empty when the file gives no
// inline file (too short, no table).
std::optional<QStringList> read_insitu_measurement(const QStringList& lines, const QString& path,
                                                   qint32& plate,
                                                   const basics::message_sink& board);

// Why an insitu file long enough gives no inline file: it lacks its table.
// The scan step archives such a file as it came; a converter without a
// scan step says this instead.
QString insitu_no_table();

// The inline file's name for `plate`: <plate>___T.csv.
QString inline_file_name(qint32 plate);

// Writes the inline file of the claimed file's lines into the measurement
// folder of its probe head; true when it was written. The file is set aside
// when it has nowhere to go or cannot be written.
bool convert_insitu_file(claimed_file& file, const QStringList& lines, qint32& plate);

// Copies the claimed file into the dated insitu archive under its own name.
archived archive_insitu_file(claimed_file& file);

// Converts and archives one claimed file; one that gave no inline file is
// never deleted without an archive copy.
void process_insitu_file(claimed_file& file, qint32& plate);

// Claims the insitu files waiting in the context's input folder (at most
// ten) and converts each; a file that cannot be claimed yet shows on the
// status line.
void handle_insitu(const context& ctx, insitu_state& state, const insitu_options& options);

}  // namespace conversion
