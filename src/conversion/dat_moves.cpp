#include "conversion/dat_moves.h"

#include <QScopeGuard>

#include "basics/files.h"
#include "conversion/claim_journal.h"
#include "conversion/claimed_file.h"
#include "conversion/file_keeping.h"
#include "conversion/handled_file.h"
#include "conversion/renamable_files.h"
#include "platform/env.h"

namespace conversion {
namespace {

// Moves the complete .dat file `name` of ctx.input_folder.
void move_dat_file(const context& given, const QString& name, const naming_rule& new_name) {
  handled_file file(given, name);
  const context& ctx = file.ctx();
  const QString source = input_file(ctx, name);
  const QString temp = basics::random_temp_name(ctx.input_folder);
  claim_note note;
  if (!claim_file(ctx, source, temp, &note).ok()) {
    ctx.plain_status(source + QStringLiteral(" could not be renamed"));
    return;
  }
  // Every way on ends the claim: moved, kept aside, or left as said.
  const auto claim_ended = qScopeGuard([&note] { note.remove(); });
  // Published complete under its final name, replacing an earlier file of
  // that name in one step.
  const QString target = platform::with_delimiter(ctx.output_folder) + new_name(name);
  if (const platform::Status copied = platform::copy_file(temp, target); !copied.ok()) {
    // Under its temporary name no scan would ever find it again.
    const QString kept = move_aside(ctx.system(), temp, name);
    ctx.plain_status(source + QStringLiteral(" could not be copied") +
                     (kept.isEmpty() ? QStringLiteral("; it stays as ") + temp
                                     : QStringLiteral("; it is kept as ") + kept) +
                     QStringLiteral(". ") + copied.message());
    file.note_result(basics::history_result::set_aside);
    file.tell();
    return;
  }
  file.note_output(target);
  file.tell();
  if (ctx.system().delete_file(temp).ok()) {
    ctx.plain_status(name + QStringLiteral(" has been moved"));
  } else {
    file.note_error(temp + QStringLiteral(" could not be deleted."));
    file.tell();
    ctx.box(temp + QStringLiteral(" could not be deleted."));
    return;
  }
  file.tell();
}

}  // namespace

void handle_dat_moves(const context& ctx, dat_moves_state&, const dat_moves_options& options) {
  // A file its writer still holds is simply tried again later.
  scan_renamable_files(
      ctx, QString::fromLatin1(kDatMask), {},
      [&](const QString& name, claim_note&) { move_dat_file(ctx, name, options.new_name); });
}

}  // namespace conversion
