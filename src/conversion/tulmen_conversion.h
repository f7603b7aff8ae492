#pragma once

// The TULMEN conversion: a complete TULMEN traverse file is copied into the
// dated archive first, then converted into the scan file (or the partial
// scan files) <base>.scn in the context's output folder, and deleted. A file
// of 500 lines or fewer carries no measurement and is only archived; a file
// that cannot be converted is refused on the status line and archived. A
// file whose archive copy could not be made is still converted, then kept
// aside, never deleted: nothing else would hold its measurement. A file
// larger than any TULMEN measurement is kept aside unread. The TULMEN and base windows have no
// message board: everything goes to the plain status line.
//
// The scan record and the wavelengths are carried from file to file in a
// tulmen_state.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "basics/scan_data.h"
#include "basics/tulmen_file.h"
#include "conversion/claim_journal.h"
#include "conversion/context.h"

namespace conversion {

// The input files of the TULMEN scan.
inline constexpr char kTulmenMask[] = "*.csv";

// What the TULMEN scan carries from file to file: a value a file does not
// give keeps the previous file's.
struct tulmen_state {
  // The window's scan record, shaped for TULMEN files.
  basics::scan_data& record;
  basics::tulmen_wavelengths wavelengths{};
};

struct tulmen_options {
  // How many scan files a measurement is split into: 1 gives <base>.scn,
  // 2 to 4 the partial files <base>.sc1 ...; any other count writes none.
  qint32 no_scan_files = 1;
  // The product identification, off when empty: given the file's largest
  // first-position value in the product window, it sets the product the
  // line runs and puts its product and output folder into the context.
  std::function<void(float largest, context& ctx)> identify_product;
};

// The name of the scan files of the TULMEN file `name`, without extension:
// `name` less its last eleven characters ("A123_export.csv" gives "A123").
// A name of eleven characters or fewer would leave nothing, so it gives its
// name less the ".csv" of the mask instead, and a name that is nothing but
// that extension gives itself: never an empty name.
QString tulmen_scan_base(const QString& name);

// Writes `record` into ctx.output_folder as the scan files of `base`, as
// `no_scan_files` says, through ctx.publish_scan_file; returns their paths.
// Throws basics::error when one cannot be written.
QStringList save_tulmen_scan(const context& ctx, const basics::scan_data& record,
                             const QString& base, qint32 no_scan_files);

// Why the TULMEN file whose lines are `lines` (read from `path`) gives no
// scan file: it carries no measurement, or basics::tulmen_refusal says why;
// nothing when it is converted. The scan step only archives a file without
// a measurement, and says nothing of it.
std::optional<QString> tulmen_lines_refusal(const QStringList& lines, const QString& path);

// Reads the lines of the TULMEN file `name` (written at `last_modified`)
// into the state's record, identifies the product when the options say so,
// and writes the scan files into ctx.output_folder; returns their paths. The
// lines must carry a measurement and pass basics::tulmen_refusal. Number
// problems go to the plain status line, the text of a well-formed header's
// end to `header_end` (basics::tulmen_sinks). Throws basics::error when a
// scan file cannot be written.
QStringList convert_tulmen_lines(context& ctx, const QStringList& lines, const QString& name,
                                 const QDateTime& last_modified, tulmen_state& state,
                                 const tulmen_options& options,
                                 const basics::message_sink& header_end);

// The TULMEN scan step: each complete TULMEN file of the input folder, at
// most 31, is archived, converted and deleted (kept aside where it would be
// lost); a file still open ends the step on the status line. The context
// follows a product the identification set.
void handle_tulmen(const context& ctx, tulmen_state& state, const tulmen_options& options);

}  // namespace conversion
