#include "conversion/claimed_file.h"

#include "basics/error.h"
#include "basics/files.h"
#include "basics/text_file.h"
#include "conversion/file_keeping.h"
#include "conversion/input_queue.h"
#include "conversion/memory_shortage.h"
#include "platform/env.h"

namespace conversion {
namespace {

constexpr int kPassesPerCall = 10;

// Runs `convert` on `file`; an error passes on to the window's error report
// with the file's history record telling of it first. A file memory ran
// short for would fail the same way at every start: it is set aside.
void convert_noted(claimed_file& file, const std::function<void(claimed_file&)>& convert) {
  try {
    const std::optional<QString> shortage = ran_out_of_memory([&] { convert(file); });
    if (shortage && !file.kept()) file.set_aside(*shortage);
  } catch (const basics::error& e) {
    file.note_error(e.text());
    file.tell();
    throw;
  } catch (const std::exception& e) {
    file.note_error(QString::fromLocal8Bit(e.what()));
    file.tell();
    throw;
  }
}

void delete_converted(claimed_file& file) {
  const platform::Status deleted = file.ctx().system().delete_file(file.path());
  // Its measurement is converted and archived; what is left is a spare
  // copy under a name no scan picks up, which the operator should know of.
  if (!deleted.ok()) {
    file.ctx().board(QStringLiteral("Error: ") + deleted.message());
    file.note_error(QString());  // the board line says what
    return;                      // the note stays, so the next start removes the copy
  }
  file.end_claim();
}

}  // namespace

claimed_file::claimed_file(const context& ctx, QString name, QString path, claim_note note)
    : handled_file(ctx, std::move(name)), path_(std::move(path)), note_(std::move(note)) {}

std::optional<QStringList> claimed_file::load(qint64 largest) {
  try {
    return basics::read_measurement_lines(ctx().system(), path_, largest);
  } catch (const basics::error& e) {
    set_aside(e.text());
    return std::nullopt;
  }
}

archived claimed_file::archive_copy(const QString& leaf, const QString& archive_name,
                                    const QDateTime& measured, naming how, QString* copy) {
  archive_request request;
  request.leaf = leaf;
  request.name = archive_name;
  request.measured = measured;
  // The journal names each copy before it is made, so a restart after a
  // crash finds the copy instead of archiving the file twice.
  request.before_each = [this](const QString& target) { note_.mark_archiving(target); };
  if (how == naming::announce_taken) {
    request.when_taken = [this](const QString& wanted, const QString& target) {
      ctx().board(wanted + QStringLiteral(" is taken; the measurement ") + name() +
                  QStringLiteral(" is archived as ") + target + QStringLiteral("."));
    };
  }
  QString target;
  const archived done = conversion::archive_copy(ctx(), path_, request, &target);
  if (done != archived::copied) return done;
  note_archive(target);
  if (copy) *copy = target;
  return done;
}

void claimed_file::set_aside(const QString& reason) {
  kept_ = true;
  note_result(basics::history_result::set_aside);
  QString kept;
  ctx().board(
      set_aside_file(ctx().system(), path_, name(), reason, left_under::temporary_name, &kept));
  if (kept.isEmpty()) return;
  path_ = kept;
  note_.remove();
}

// The board names the archive copy: a refusal text names only the
// temporary file, which is gone after this pass.
void claimed_file::refuse(const QString& message, const QString& leaf) {
  note_result(basics::history_result::refused);
  ctx().board(message);
  QString copy;
  switch (archive_copy(leaf, QStringLiteral("refused_") + name(),
                       ctx().system().last_modified(path_), naming::quiet, &copy)) {
    case archived::copied:
      ctx().board(QStringLiteral("The measurement ") + name() + QStringLiteral(" is archived as ") +
                  copy + QStringLiteral("."));
      break;
    case archived::switched_off:
      // Deleting it would lose the measurement: nothing else holds it.
      set_aside(QStringLiteral("There is no archive folder to keep the refused file in."));
      break;
    case archived::failed:
      set_aside(QStringLiteral("The archive copy could not be written."));
      break;
  }
}

QString could_not_rename(const QString& source) {
  return QStringLiteral("   Could not rename ") + source;
}

void claim_files(const context& ctx, const QString& action,
                 const rename_failure_text& on_rename_failure,
                 const std::function<void(claimed_file&)>& convert) {
  const QString folder = platform::with_delimiter(ctx.input_folder);
  // One listing per call: a backlog of thousands of files must not be
  // listed again for every pass. A file that is still open is tried again
  // in the next pass, as the first of the folder; one gone meanwhile is
  // passed over.
  const QStringList waiting = ctx.listed
                                  ? *ctx.listed
                                  : waiting_files(ctx.system(), ctx.input_folder,
                                                  QString::fromLatin1(kInputMask), ctx.board);
  qsizetype next = 0;
  for (int pass = 0; pass < kPassesPerCall && next < waiting.size(); ++pass) {
    const QString temp = basics::random_temp_name(ctx.input_folder);
    const QString name = waiting.at(next);
    const QString source = folder + name;
    // Its writer may still be at work on a network share.
    if (still_settling(ctx.system(), source, ctx.settle_seconds)) return;
    claim_note note;
    if (const platform::Status claimed = claim_file(ctx, source, temp, &note); !claimed.ok()) {
      if (on_rename_failure) ctx.status(on_rename_failure(source));
      if (claimed.is_not_found()) ++next;
      continue;
    }
    ++next;
    claimed_file file(ctx, name, temp, std::move(note));
    ctx.status(action);
    convert_noted(file, convert);
    file.tell();
    if (!file.kept()) delete_converted(file);
    file.tell();  // a deletion that failed
  }
}

}  // namespace conversion
