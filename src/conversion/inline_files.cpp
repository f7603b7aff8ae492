#include "conversion/inline_files.h"

#include <QScopeGuard>
#include <QSet>

#include "basics/error.h"
#include "basics/files.h"
#include "basics/ole_date.h"
#include "basics/vellic_tree.h"
#include "conversion/claim_journal.h"
#include "conversion/file_keeping.h"
#include "conversion/handled_file.h"
#include "conversion/input_queue.h"
#include "conversion/memory_shortage.h"
#include "conversion/renamable_files.h"
#include "platform/env.h"

namespace conversion {
namespace {

const QString kChannelPrefix = QStringLiteral("Channel ");
const QString kInlineSuffix = QStringLiteral("___T.xy");

// The file's time as the pane id query wants it; 0 (30 December 1899) when
// it cannot be read.
double file_time(const context& ctx, const QString& folder, const QString& name,
                 const inline_options& options) {
  const QDateTime written = ctx.system().last_modified(folder + name);
  if (written.isValid()) return basics::ole_date_from(written);
  if (options.test_mode > 0 && options.message_box) {
    options.message_box(QStringLiteral("Fileage fails for ") + folder + name);
  }
  return 0.0;
}

// Why the claimed file cannot go to its channel's folder for good, or
// nothing when it can.
std::optional<QString> lasting_fault(const context& ctx, const inline_options& options,
                                     const QString& name) {
  const std::optional<int> channel = inline_channel(name);
  if (!channel) return name + QStringLiteral(" names no inline channel");
  if (options.lumor_names[*channel].isEmpty()) {
    return QStringLiteral("Inline channel %1 has no LUMOR name").arg(*channel);
  }
  const QString folder = inline_channel_folder(ctx, options, name);
  if (!basics::folder_exists(folder)) {
    return QStringLiteral("The folder ") + folder + QStringLiteral(" of inline channel ") +
           QString::number(*channel) + QStringLiteral(" does not exist");
  }
  return std::nullopt;
}

// Puts the claimed file back under its own name, for the next tick; aside
// when the name has been taken meanwhile.
void give_back(const context& ctx, const QString& claimed, const QString& name) {
  const QString own = platform::with_delimiter(ctx.input_folder) + name;
  if (ctx.system().rename_file(claimed, own).ok()) return;
  keep_aside(ctx.system(), ctx.board, claimed, name,
             own + QStringLiteral(" could not be restored"));
}

}  // namespace

std::optional<int> inline_channel(const QString& name) {
  for (int channel = 0; channel < kInlineChannels; ++channel) {
    if (name.startsWith(kChannelPrefix + QString::number(channel))) return channel;
  }
  return std::nullopt;
}

QString inline_channel_folder(const context& ctx, const inline_options& options,
                              const QString& name) {
  const std::optional<int> channel = inline_channel(name);
  if (!channel || options.lumor_names[*channel].isEmpty()) return QString();
  return basics::measurement_folder(ctx.vellic_path, ctx.product, options.lumor_names[*channel]) +
         platform::kDelimiter;
}

namespace {

// Claims the inline file of `file` and publishes it into its channel's
// folder; false when the file stays for a later tick. A pane id query that
// fails gives the file back and passes its error on.
bool move_inline_file(handled_file& file, const inline_options& options) {
  const context& ctx = file.ctx();
  const QString& name = file.name();
  const QString folder = platform::with_delimiter(ctx.input_folder);
  const double when = file_time(ctx, folder, name, options);
  const QString claimed = basics::random_temp_name(folder);
  claim_note note;
  if (!claim_file(ctx, folder + name, claimed, &note).ok()) {
    ctx.board(QStringLiteral("Rename failed for file\n\r") + folder + name);
    return false;
  }
  // Every way on ends the claim: published, kept aside or given back.
  const auto claim_ended = qScopeGuard([&note] { note.remove(); });
  if (const auto fault = lasting_fault(ctx, options, name)) {
    keep_aside(file, ctx.board, claimed, *fault);
    return true;
  }
  QString pane_id;
  try {
    pane_id = options.pane_id(*inline_channel(name), when);
  } catch (const basics::error&) {
    // A database fault passes; the file waits for a later tick.
    give_back(ctx, claimed, name);
    throw;
  }
  const QString target = inline_channel_folder(ctx, options, name) + pane_id + kInlineSuffix;
  // Never over another pane's file, also not one that appears meanwhile.
  platform::Status copied;
  if (const auto shortage =
          ran_out_of_memory([&] { copied = platform::copy_new_file(claimed, target); })) {
    keep_aside(file, ctx.board, claimed, *shortage);
    return true;
  }
  if (!copied.ok()) {
    keep_aside(file, ctx.board, claimed,
               copied.already_exists()
                   ? target + QStringLiteral(" is already there")
                   : target + QStringLiteral(" could not be written: ") + copied.message());
    return true;
  }
  file.note_output(target);
  ctx.board(target);
  file.tell();
  if (const platform::Status deleted = ctx.system().delete_file(claimed); !deleted.ok()) {
    keep_aside(file, ctx.board, claimed, deleted.message());
  }
  return true;
}

// The file to try now: the first in listing order that has not failed, or,
// when all have, the one that failed longest ago. Files gone are forgotten.
QString next_inline_file(const QStringList& waiting, inline_state& retries) {
  const QSet<QString> present(waiting.begin(), waiting.end());
  retries.behind.removeIf([&present](const QString& name) { return !present.contains(name); });
  const QSet<QString> behind(retries.behind.begin(), retries.behind.end());
  for (const QString& name : waiting) {
    if (!behind.contains(name)) return name;
  }
  return retries.behind.first();
}

void put_behind(inline_state& retries, const QString& name) {
  retries.behind.removeAll(name);
  retries.behind.append(name);
}

// Once no file waits behind, the trouble is over: the next error is news.
void done_with(inline_state& retries, const QString& name) {
  retries.behind.removeAll(name);
  if (retries.behind.isEmpty()) retries.last_error.clear();
}

// The operator sees an error in its message box once; the same error at
// every later tick would only stack up boxes, so it is counted on the board.
void pass_on(handled_file& file, const context& ctx, inline_state& retries,
             const basics::error& e) {
  if (e.text() != retries.last_error) {
    retries.last_error = e.text();
    retries.times = 1;
    file.note_error(e.text());
    file.tell();
    throw e;
  }
  ++retries.times;
  ctx.board(QStringLiteral("Error again (%1 times): ").arg(retries.times) + sentence(e.text()) +
            QStringLiteral(" ") + file.name() + QStringLiteral(" waits for a later tick."));
}

}  // namespace

void handle_inline(const context& ctx, inline_state& retries, const inline_options& options) {
  const QStringList waiting =
      waiting_files(ctx.system(), ctx.input_folder, QString::fromLatin1(kInlineMask), ctx.board);
  if (waiting.isEmpty()) return;
  const QString name = next_inline_file(waiting, retries);
  handled_file file(ctx, name);
  try {
    if (!move_inline_file(file, options)) {
      put_behind(retries, name);  // still open
      return;
    }
  } catch (const basics::error& e) {
    put_behind(retries, name);
    pass_on(file, ctx, retries, e);
    return;
  }
  done_with(retries, name);
  file.tell();
}

}  // namespace conversion
