#pragma once

// The life cycle of a measurement file: claimed from its input folder under a
// temporary name once its writer has finished, read, copied into the dated
// archive, and deleted, or set aside where the scan no longer picks it up
// when it cannot be finished. No measurement is ever lost on the way.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "conversion/claim_journal.h"
#include "conversion/context.h"
#include "conversion/file_keeping.h"
#include "conversion/handled_file.h"

namespace conversion {

class claimed_file : public handled_file {
 public:
  claimed_file(const context& ctx, QString name, QString path, claim_note note = {});

  // The temporary path it is claimed under.
  const QString& path() const { return path_; }
  // Set aside: it must not be deleted.
  bool kept() const { return kept_; }
  // The claim has ended with the file deleted.
  void end_claim() { note_.remove(); }

  // The file's lines; a file that cannot be read, or that holds more than
  // `largest` bytes (then not read at all), is set aside.
  std::optional<QStringList> load(qint64 largest);

  // Whether the board says so when the archive name is taken; a caller that
  // names the copy on the board itself says nothing more.
  enum class naming { announce_taken, quiet };
  // Copies the file as `archive_name` into the dated archive folder `leaf`,
  // as conversion::archive_copy does, the journal naming each copy before it
  // is made. `measured` dates the folders when archiving by date of
  // measurement; `copy`, when given, receives the copy's path.
  archived archive_copy(const QString& leaf, const QString& archive_name, const QDateTime& measured,
                        naming how, QString* copy = nullptr);

  // Moves the file back into its folder under its own name + ".failed", out
  // of the scan's reach, and says so on the board after `reason`.
  void set_aside(const QString& reason);

  // Refuses the file with `message` on the board: no output; archived as
  // refused_<name> into the archive folder `leaf`, never replacing another
  // file's copy, with the board naming the copy; set aside when there is no
  // archive to keep it in.
  void refuse(const QString& message, const QString& leaf);

 private:
  QString path_;
  claim_note note_;
  bool kept_ = false;
};

// What the status line says when the first input file, at `source`, cannot
// be claimed yet; nothing when empty.
using rename_failure_text = std::function<QString(const QString& source)>;

// "   Could not rename " + `source`.
QString could_not_rename(const QString& source);

// The input files are the "*.csv" files of ctx.input_folder.
inline constexpr char kInputMask[] = "*.csv";

// Claims the first input file by renaming it to a temporary name, at most ten
// passes per call, shows `action` on the status line and hands each claimed
// file to `convert`. A file younger than the settle time ends the call, left
// for a later one. The claimed file is deleted after `convert` unless it was
// set aside. Should memory run out during `convert`, the file is set aside
// with the reason.
void claim_files(const context& ctx, const QString& action,
                 const rename_failure_text& on_rename_failure,
                 const std::function<void(claimed_file&)>& convert);

}  // namespace conversion
