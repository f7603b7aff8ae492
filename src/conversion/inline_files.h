#pragma once

// The inline spectrometer step of the SELMAR line: one text file per tick is
// claimed from the spectrometer's folder and published, unchanged, into the
// "new" folder of its channel's LUMOR measurement as <pane id>___T.xy.
//
// A file that cannot be placed for good (no channel, no LUMOR name or
// output folder for it, a target already there, a copy that fails, memory
// running short) is set aside as <name>.failed with a board line, so it
// never blocks the files behind it. A file still open, or a pane id query
// that fails, leaves the file under its own name, and behind the other
// waiting files, so that one failing channel never holds up the others. The
// input is deleted only once its copy is in place.

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

#include "conversion/context.h"

namespace conversion {

// The spectrometer's files.
inline constexpr char kInlineMask[] = "*.txt";
inline constexpr int kInlineChannels = 5;

struct inline_options {
  // The LUMOR measurement of each channel; empty when the channel has none.
  std::array<QString, kInlineChannels> lumor_names;
  // The pane id under `channel` at `when` (days since 30 December 1899) as
  // text; may throw basics::error for a database fault.
  std::function<QString(int channel, double when)> pane_id;
  // Above 0: a file time that cannot be read shows a message box.
  qint32 test_mode = 0;
  std::function<void(const QString& text)> message_box;
};

// What the inline step keeps from tick to tick: the files that failed for a
// passing reason, and the last error that passed on to the operator.
struct inline_state {
  // Waiting behind the other files, the one that failed longest ago first.
  QStringList behind;
  // The error the operator saw in its message box; the same error again is
  // only counted on the board.
  QString last_error;
  int times = 0;
};

// The channel a file name starts with ("Channel 0" ... "Channel 4", case
// counts), or nothing.
std::optional<int> inline_channel(const QString& name);

// The output folder of the file's channel, ending with the delimiter: the
// "new" folder of the channel's LUMOR measurement of the context's product.
// Empty when the name has no channel or the channel no LUMOR name.
QString inline_channel_folder(const context& ctx, const inline_options& options,
                              const QString& name);

// Moves one waiting file of ctx.input_folder, if any: the first in listing
// order that is not behind, else the first behind. A file whose pane id
// query fails goes behind the others (in `retries`) and its error passes
// on as basics::error, unless it is the error passed on last, which is
// counted on the board instead until another one comes or every file
// behind has been moved.
void handle_inline(const context& ctx, inline_state& state, const inline_options& options);

}  // namespace conversion
