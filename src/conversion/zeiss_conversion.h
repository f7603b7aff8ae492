#pragma once

// The Zeiss conversion of the SELMAR line: a complete Zeiss plate file is
// read, classified by its number of positions (production, maintenance or a
// postbake class), written as scan files into the production or the
// postbake system, archived in that system and deleted.
//
// A file that cannot be converted (10 lines or fewer, no stamp line, lines
// the format promises missing, a plate text that cannot name its scan file)
// gets no output and never switches the product; it is archived in the
// production system, dated by its own modification time, and deleted. A
// file that can be neither converted nor archived is kept aside, never
// deleted.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "basics/scan_data.h"
#include "basics/zeiss_file.h"
#include "conversion/context.h"

namespace conversion {

// The input files of the Zeiss scan.
inline constexpr char kZeissMask[] = "*.csv";

// What the Zeiss scan carries from file to file, kept where the caller
// keeps it (the window's fields of these names).
struct zeiss_state {
  // The scan record, shaped for Zeiss files.
  basics::scan_data& record;
  // Points read per spectrum (basics::kZeissInitialPoints at first); a file
  // with a proper axis sets it.
  qint32& no_spectral_positions;
  qint32& zeiss_plate;
  // -1 for production or maintenance, 0 ... 3 for a postbake class.
  qint32& postbake_mode;
};

// The values a Zeiss scan starts from, for a caller that keeps them nowhere
// else (a tool, a test).
struct zeiss_carried {
  qint32 no_spectral_positions = basics::kZeissInitialPoints;
  qint32 zeiss_plate = 0;
  qint32 postbake_mode = 0;
};

// The state of a scan carrying `record` and `carried`.
inline zeiss_state zeiss_state_of(basics::scan_data& record, zeiss_carried& carried) {
  return {record, carried.no_spectral_positions, carried.zeiss_plate, carried.postbake_mode};
}

struct zeiss_options {
  // How many scan files a production measurement is split into (1 ... 4).
  qint32 no_scan_files = 1;
  // Off: every file is a production measurement of the context's product
  // (re-converting archived files).
  bool classify = true;
  // The postbake system: its output folder, product and archive root; the
  // rest of the context is not used.
  context postbake;
  basics::postbake_offsets offsets = basics::kDefaultPostbakeOffsets;
  // Makes `product` the production system's product for a file of class
  // `postbake_mode`, and puts the product and output folder it then holds
  // into the context.
  std::function<void(const QString& product, qint32 postbake_mode, context& ctx)> switch_product;
  // Empties the message board before a file's identification lines.
  std::function<void()> clear_board;
  // Shows the message box of the first spectral value of a file that does
  // not convert.
  std::function<void(const QString& text)> message_box;
};

// Why the file `name` whose lines are `lines` gets no output, in the board's
// words, or nothing when it is converted. The text is empty for a file of 10
// lines or fewer, and for one without a stamp line, which is told through
// options.message_box instead. A plate text that cannot name a file refuses
// only a file whose scan file it would name: a postbake sample's is named
// from its plate number. A file without a stamp line is still read as far as
// the scan step reads every file before it looks for the stamp: its axes,
// measured at `measured`, go into `state` and leave the record with no
// positions.
std::optional<QString> zeiss_refusal(const QStringList& lines, const QString& name,
                                     const QDateTime& measured, zeiss_state& state,
                                     const zeiss_options& options);

// What a converter without a scan step says of a Zeiss file without a
// measurement (10 lines or fewer), which the scan step only archives.
QString zeiss_no_measurement();
// The same of a converted file without a plate text, which has no scan file
// to name.
QString zeiss_no_plate_text();

// Reads, identifies and writes the Zeiss file `name` of ctx.input_folder
// whose lines are `lines` (more than 10, with the parts the format
// promises); returns the paths written. Throws basics::error when a scan
// file cannot be written.
QStringList convert_zeiss_lines(context& ctx, const QStringList& lines, const QString& name,
                                const QDateTime& last_modified, zeiss_state& state,
                                const zeiss_options& options);

// The Zeiss scan step: each complete Zeiss file of the input folder, at most
// 31, is converted, archived and deleted; a file still open ends the step
// on the status line. The context's settle time does not apply: a file is
// taken once it can be renamed. The context follows a product the
// identification set. A file larger than any Zeiss measurement is kept aside unread, and
// one that memory runs short for is kept aside with the reason.
void handle_zeiss(const context& ctx, zeiss_state& state, const zeiss_options& options);

}  // namespace conversion
