#include "conversion/renamable_files.h"

#include "basics/files.h"
#include "conversion/claim_journal.h"
#include "conversion/file_keeping.h"
#include "conversion/input_queue.h"
#include "conversion/memory_shortage.h"
#include "platform/env.h"

namespace conversion {

QString input_file(const context& ctx, const QString& name) {
  return platform::with_delimiter(ctx.input_folder) + name;
}

void keep_aside(platform::Env& system, const basics::message_sink& say, const QString& path,
                const QString& name, const QString& reason) {
  say(set_aside_file(system, path, name, reason, left_under::own_name));
}

void keep_aside(handled_file& file, const basics::message_sink& say, const QString& path,
                const QString& reason) {
  file.note_result(basics::history_result::set_aside);
  keep_aside(file.ctx().system(), say, path, file.name(), reason);
}

archived archive_in_place(const context& ctx, const QString& path, const QString& name,
                          const QDateTime& measured, QString* copy) {
  archive_request request;
  request.leaf = ctx.lumor_name;
  request.name = name;
  request.measured = measured;
  request.reuse_identical = true;
  request.when_taken = [&ctx](const QString& wanted, const QString& target) {
    ctx.plain_status(wanted + QStringLiteral(" is taken; the archive copy is kept as ") + target);
  };
  return archive_copy(ctx, path, request, copy);
}

void delete_when_kept(handled_file& file, const basics::message_sink& say, const QString& path,
                      archived copy, const QStringList& written) {
  if (copy == archived::failed) {
    keep_aside(file, say, path, QStringLiteral("The archive copy could not be written."));
    return;
  }
  if (copy == archived::switched_off && written.isEmpty()) {
    keep_aside(file, say, path,
               QStringLiteral("No scan file was written and there is no archive to keep it in."));
    return;
  }
  file.tell();
  const platform::Status deleted = file.ctx().system().delete_file(path);
  if (!deleted.ok()) keep_aside(file, say, path, deleted.message());
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
  if (!ctx.system().rename_file(temp, path).ok()) return false;
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
  const QStringList waiting = waiting_files(ctx.system(), ctx.input_folder, mask, ctx.plain_status);
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
    if (still_settling(ctx.system(), path, ctx.settle_seconds)) return;
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

void convert_in_place(const context& ctx, const QString& mask, basics::message_sink context::*say,
                      const in_place_conversion& convert) {
  // An identified product holds for the files after it.
  context current = ctx;
  scan_renamable_files(
      ctx, mask,
      [](const QString& path) {
        return path + QStringLiteral(" could not be copied - the file is open");
      },
      [&](const QString& name, claim_note& note) {
        // Nothing names the file's temporary copy: the status line is
        // cleared before each conversion.
        current.plain_status(QString());
        handled_file file(current, name);
        const handled_file::noting_in noting(file, current);
        const std::optional<QString> shortage =
            ran_out_of_memory([&] { convert(file, current, note); });
        // Still under its own name, it would run short again at every tick.
        const QString path = input_file(current, name);
        if (shortage && basics::file_exists(path)) {
          keep_aside(file, current.*say, path, *shortage);
        }
        note.remove();
        file.tell();
      });
}

}  // namespace conversion
