#include "conversion/claim_journal.h"

#include <QList>

#include <optional>

#include "basics/files.h"
#include "conversion/file_keeping.h"

namespace conversion {
namespace {

constexpr char kNotePrefix[] = "claim_";

// A note is four fields, each ended by a zero byte, which no path holds:
// "claim", the temporary path, the path the file was claimed from, and the
// path of its archive copy once that is being made (else empty).
QByteArray note_content(const QString& temp, const QString& source, const QString& copy) {
  QByteArray content("claim");
  for (const QString& path : {temp, source, copy}) content += '\0' + platform::path_bytes(path);
  return content + '\0';
}

struct note_fields {
  QString temp;
  QString source;
  QString copy;
};

// Empty for a note that was cut short before its claim began.
std::optional<note_fields> parse_note(const QByteArray& content) {
  const QList<QByteArray> fields = content.split('\0');
  if (fields.size() != 5 || fields[0] != "claim" || fields[1].isEmpty() || fields[2].isEmpty() ||
      !fields[4].isEmpty()) {
    return std::nullopt;
  }
  return note_fields{platform::path_from_bytes(fields[1]), platform::path_from_bytes(fields[2]),
                     fields[3].isEmpty() ? QString() : platform::path_from_bytes(fields[3])};
}

// Whether the archive copy the note names is there, byte for byte the file.
bool archived_whole(const note_fields& note) {
  if (note.copy.isEmpty()) return false;
  QByteArray copy, claimed;
  return platform::env().read_file(note.copy, &copy).ok() &&
         platform::env().read_file(note.temp, &claimed).ok() && copy == claimed;
}

// Puts the file of `note` back under its own name, or a free variant of it
// when a new file of that name has arrived meanwhile. False when it stays.
bool put_back(const note_fields& note, const basics::message_sink& say) {
  QString target;
  if (const platform::Status moved =
          rename_to_free_name(platform::env(), note.temp, platform::folder_of(note.source),
                              platform::name_of(note.source), &target);
      !moved.ok()) {
    say(QStringLiteral("Error: ") + sentence(moved.message()) +
        QStringLiteral(" The measurement ") + note.source + QStringLiteral(" stays as ") +
        note.temp + QStringLiteral(" until the next start."));
    return false;
  }
  say(QStringLiteral("The measurement ") + note.source +
      QStringLiteral(" was being converted when the scanner stopped; it is back in its folder") +
      (target == note.source ? QString() : QStringLiteral(" as ") + target) +
      QStringLiteral(" and is converted again."));
  return true;
}

// Its measurement is archived: the temporary file is a spare copy.
bool remove_spare(const note_fields& note, const basics::message_sink& say) {
  if (const platform::Status deleted = platform::env().delete_file(note.temp); !deleted.ok()) {
    say(QStringLiteral("Error: ") + deleted.message());
    return false;
  }
  return true;
}

// A file claimed where it lies is in its folder whatever happened. When its
// archive copy is whole, the run stopped before deleting it.
void tell_converted_again(const note_fields& note, const basics::message_sink& say) {
  if (!archived_whole(note)) return;
  say(QStringLiteral("The measurement ") + note.source +
      QStringLiteral(" was being converted when the scanner stopped; its archive copy ") +
      note.copy + QStringLiteral(" is already there, and it is converted again."));
}

}  // namespace

platform::Status claim_note::write(const QString& journal, const QString& source,
                                   const QString& temp, claim_note* note) {
  *note = claim_note();
  if (journal.isEmpty()) return platform::Status::Ok();
  if (!basics::ensure_folder(journal)) {
    return platform::Status::Error(platform::Status::Kind::not_found,
                                   journal + QStringLiteral(" could not be created!"));
  }
  QString path;
  platform::Status status =
      platform::env().create_unique_file(journal, QString::fromLatin1(kNotePrefix), &path);
  if (!status.ok()) return status;
  status = platform::publish_file(path, note_content(temp, source, QString()));
  if (!status.ok()) {
    // An empty note is one recovery skips; removing it only tidies up.
    static_cast<void>(platform::env().delete_file(path));
    return status;
  }
  note->path_ = path;
  note->temp_ = temp;
  note->source_ = source;
  return status;
}

void claim_note::mark_archiving(const QString& copy) {
  if (path_.isEmpty()) return;
  // Should the mark not reach the disk, a crash after the copy makes the
  // restart convert the file again: a second archive copy, nothing lost.
  static_cast<void>(platform::publish_file(path_, note_content(temp_, source_, copy)));
}

void claim_note::remove() {
  if (path_.isEmpty()) return;
  // A note left behind names a temporary file that is gone by then, which
  // recovery removes without a word.
  static_cast<void>(platform::env().delete_file(path_));
  path_.clear();
}

platform::Status claim_file(const context& ctx, const QString& source, const QString& temp,
                            claim_note* note) {
  if (const platform::Status noted = claim_note::write(ctx.claim_journal, source, temp, note);
      !noted.ok()) {
    ctx.board(QStringLiteral("Error: ") + sentence(noted.message()) +
              QStringLiteral(" A crash while ") + platform::name_of(source) +
              QStringLiteral(" is converted would leave it as ") + temp + QLatin1Char('.'));
  }
  platform::Status claimed = ctx.system().rename_file(source, temp);
  if (!claimed.ok()) note->remove();
  // An open file, one gone meanwhile or a taken temporary name pass with
  // time; anything else does not.
  if (!claimed.ok() && !claimed.is_busy() && !claimed.is_not_found() && !claimed.already_exists()) {
    ctx.claim_refused(source, claimed);
  }
  return claimed;
}

QString claim_journal_folder() {
  return basics::program_folder_file(QStringLiteral(".claims"));
}

void recover_claims(const QString& journal, const basics::message_sink& say) {
  if (journal.isEmpty()) return;
  const QString folder = platform::with_delimiter(journal);
  const auto notes =
      platform::env().list_folder(journal, QString::fromLatin1(kNotePrefix) + QLatin1Char('*'));
  for (const platform::DirEntry& entry : notes.value_or(QList<platform::DirEntry>())) {
    if (!entry.is_file) continue;
    QByteArray content;
    if (!platform::env().read_file(folder + entry.name, &content).ok()) continue;
    const std::optional<note_fields> note = parse_note(content);
    bool done = true;
    if (note && note->temp == note->source) {
      tell_converted_again(*note, say);
    } else if (note && basics::file_exists(note->temp)) {
      done = archived_whole(*note) ? remove_spare(*note, say) : put_back(*note, say);
    }
    if (done) static_cast<void>(platform::env().delete_file(folder + entry.name));
  }
}

}  // namespace conversion
