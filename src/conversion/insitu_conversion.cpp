#include "conversion/insitu_conversion.h"

#include "basics/error.h"
#include "basics/files.h"
#include "basics/insitu_file.h"
#include "basics/sprachen.h"
#include "basics/text_file.h"
#include "basics/vellic_tree.h"
#include "platform/env.h"

namespace conversion {
namespace {

// The measurement name of `probe_head`; empty, with the file set aside,
// when the table does not name one.
QString measurement_name(claimed_file& file, const QString& probe_head) {
  const basics::sprachen* table = file.ctx().probe_heads;
  const QString name = table ? table->nickname(probe_head, kProbeHeadLanguage) : QString();
  if (basics::is_plain_name(name)) return name;
  if (!name.isEmpty()) {
    // A row such as "../x" would write outside the measurement system.
    file.set_aside(
        QStringLiteral("The measurement name ") + name + QStringLiteral(" of the probe head ") +
        probe_head +
        QStringLiteral(" in the probe heads table is no folder name; no output written."));
    return QString();
  }
  const bool listed = table && table->get_index(probe_head, kProbeHeadLanguage) >= 0;
  file.set_aside(QStringLiteral("The probe head ") + probe_head +
                 (listed ? QStringLiteral(" has no measurement name in the probe heads table; no "
                                          "output written.")
                         : QStringLiteral(" is not in the probe heads table; no output written.")));
  return QString();
}

// The inline file of `plate` for `probe_head`; sets the file aside and
// returns empty when the probe head is not in the table or its measurement
// folder is missing. The measurement folder belongs to the measurement
// system and is never created here: a missing one means the probe head is
// not set up there yet.
QString inline_file(claimed_file& file, const QString& probe_head, qint32 plate) {
  const QString name = measurement_name(file, probe_head);
  if (name.isEmpty()) return QString();
  const context& ctx = file.ctx();
  const QString folder = basics::measurement_folder(ctx.vellic_path, ctx.product, name);
  if (!basics::folder_exists(folder)) {
    file.set_aside(QStringLiteral("The measurement folder ") + folder +
                   QStringLiteral(" of the probe head ") + probe_head +
                   QStringLiteral(" does not exist; no output written."));
    return QString();
  }
  return folder + platform::kDelimiter + inline_file_name(plate);
}

}  // namespace

QString insitu_action() {
  return QStringLiteral("   Converting insitu data ...");
}

QString insitu_no_table() {
  return QStringLiteral("no \"Wave length [nm]\" table; no inline file written.");
}

QString inline_file_name(qint32 plate) {
  return QString::number(plate) + QStringLiteral("___T.csv");
}

std::optional<QStringList> read_insitu_measurement(const QStringList& lines, const QString& path,
                                                   qint32& plate,
                                                   const basics::message_sink& board) {
  if (const auto refusal = basics::insitu_length_refusal(lines, path)) {
    board(*refusal);
    return std::nullopt;
  }
  plate = basics::plate_number_of(lines, board);
  board(QStringLiteral("Insitu data: Plate number ") + QString::number(plate));
  return basics::insitu_inline_lines(lines);
}

bool convert_insitu_file(claimed_file& file, const QStringList& lines, qint32& plate) {
  const context& ctx = file.ctx();
  const std::optional<QStringList> pairs =
      read_insitu_measurement(lines, file.path(), plate, ctx.board);
  if (!pairs) return false;  // nothing to convert; the file is archived as it came
  file.note_plate(plate);
  const QString target = inline_file(file, basics::insitu_probe_head(lines), plate);
  if (target.isEmpty()) return false;
  try {
    basics::write_lines(target, *pairs);
  } catch (const basics::error& e) {
    file.set_aside(e.text());
    return false;
  }
  file.note_output(target);
  ctx.board(target);
  return true;
}

// The file carries no date of measurement of its own; its last modification
// is when the probe head wrote it.
archived archive_insitu_file(claimed_file& file) {
  return file.archive_copy(QStringLiteral("insitu"), file.name(),
                           file.ctx().system().last_modified(file.path()),
                           claimed_file::naming::announce_taken);
}

void process_insitu_file(claimed_file& file, qint32& plate) {
  const std::optional<QStringList> lines = file.load(basics::kLargestInsituFile);
  if (!lines) return;
  const bool written = convert_insitu_file(file, *lines, plate);
  if (file.kept()) return;
  // No inline file, and the file is archived as it came.
  if (!written) file.note_result(basics::history_result::refused);
  switch (archive_insitu_file(file)) {
    case archived::copied:
      break;
    case archived::switched_off:
      if (!written) {
        file.set_aside(
            QStringLiteral("There is no archive folder to keep the file in, and it "
                           "gave no inline file."));
      }
      break;
    case archived::failed:
      file.set_aside(QStringLiteral("The archive copy could not be written."));
      break;
  }
}

void handle_insitu(const context& ctx, insitu_state& state, const insitu_options&) {
  claim_files(ctx, insitu_action(), could_not_rename,
              [&state](claimed_file& file) { process_insitu_file(file, state.plate); });
}

}  // namespace conversion
