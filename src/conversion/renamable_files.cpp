#include "conversion/renamable_files.h"

#include "basics/files.h"
#include "conversion/claim_journal.h"
#include "conversion/file_keeping.h"
#include "conversion/input_queue.h"
#include "platform/env.h"

namespace conversion {

QString input_file(const context& ctx, const QString& name) {
  return platform::with_delimiter(ctx.input_folder) + name;
}

void keep_aside(const context& ctx, const QString& path, const QString& name,
                const QString& reason) {
  keep_aside(ctx.plain_status, path, name, reason);
}

void keep_aside(const basics::message_sink& say, const QString& path, const QString& name,
                const QString& reason) {
  const QString kept = move_aside(path, name);
  say(QStringLiteral("Error: ") + sentence(reason) + QStringLiteral(" The measurement ") + name +
      (kept.isEmpty() ? QStringLiteral(" stays as ") + path
                      : QStringLiteral(" is kept as ") + kept) +
      QStringLiteral("."));
}

void keep_aside(handled_file& file, const basics::message_sink& say, const QString& path,
                const QString& reason) {
  file.note_result(basics::history_result::set_aside);
  keep_aside(say, path, file.name(), reason);
}

namespace {

// Whether the writer has finished: the file can be renamed away and back.
// Noted as any claim is, so that a crash between the two renames leaves a
// file the next start puts back. Should only the way back fail, the note
// stays for the same reason. Once back, `note` stays with the file, claimed
// where it lies.
bool renames_away_and_back(const context& ctx, const QString& path, claim_note* note) {
  const QString temp = basics::random_temp_name(platform::folder_of(path));
  if (!claim_file(ctx, path, temp, note).ok()) return false;
  if (!platform::env().rename_file(temp, path).ok()) return false;
  note->claimed_in_place();
  return true;
}

}  // namespace

void scan_renamable_files(
    const context& ctx, const QString& mask, const rename_failure_text& on_open,
    const std::function<void(const QString& name, claim_note& note)>& handle) {
  if (!basics::folder_exists(ctx.input_folder) || !basics::folder_exists(ctx.output_folder)) return;
  // Listed once per call: a backlog of thousands of files must not be
  // listed again after every handled file.
  const QStringList waiting = waiting_files(ctx.input_folder, mask, ctx.plain_status);
  if (waiting.isEmpty()) {
    ctx.plain_status(QStringLiteral("No files to process ..."));
    return;
  }
  ctx.plain_status(QStringLiteral("Number of files to process: ") +
                   QString::number(waiting.size()));
  for (qsizetype done = 0; done < waiting.size() && done < kRenamableFilesPerCall; ++done) {
    const QString& name = waiting.at(done);
    ctx.plain_status(name);
    const QString path = input_file(ctx, name);
    // Its writer may still be at work on a network share.
    if (still_settling(path, ctx.settle_seconds)) return;
    claim_note note;
    if (!renames_away_and_back(ctx, path, &note)) {
      if (on_open) ctx.plain_status(on_open(path));
      return;
    }
    handle(name, note);
    note.remove();
    ctx.between_files();
  }
}

}  // namespace conversion
