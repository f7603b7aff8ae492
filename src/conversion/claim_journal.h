#pragma once

// Claims that survive a crash or a power cut. A claimed file lies under a
// temporary name that no scan mask lists; had the program died there, the
// measurement would be stranded and its name lost. So before the rename, a
// note of both names goes into the claim journal, a folder of the program's
// own; the note names the archive copy before it is made, and is removed
// when the claim ends. At the next start, recover_claims() puts each file
// left under its temporary name back under its own name, where the scan
// handles it as new, or removes it when its archive copy is there whole.

#include <QString>

#include "basics/measurement_file.h"
#include "conversion/context.h"
#include "platform/env.h"

namespace conversion {

class claim_note {
 public:
  claim_note() = default;

  // Notes in `journal` that `source` is about to be claimed as `temp`. No
  // note, and no failure, when `journal` is empty (a tool, a test).
  static platform::Status write(const QString& journal, const QString& source, const QString& temp,
                                claim_note* note);

  // The file is about to be copied into the archive as `copy`, its last
  // step before it is deleted. Should the run end after the copy, recovery
  // finds the copy whole and only removes the temporary file, so a restart
  // never archives a measurement twice. A file claimed where it lies is
  // marked once its copy is made.
  void mark_archiving(const QString& copy);
  // The file is back under its own name and worked on there (renamed away
  // and back): a run that stops from now on leaves it in its folder, where
  // the scan finds it again. Written with the next mark.
  void claimed_in_place() { temp_ = source_; }
  // The claim has ended: the file is deleted, set aside or given back.
  void remove();

 private:
  QString path_;
  QString temp_;
  QString source_;
};

// Claims the file at `source` by renaming it to `temp`, noted first in
// ctx.claim_journal; the note is dropped again when the rename fails. A
// note that cannot be written is said on the board, and the claim goes on:
// only a crash during this one file could then strand it.
platform::Status claim_file(const context& ctx, const QString& source, const QString& temp,
                            claim_note* note);

// The claim journal of the program: a folder beside its settings.
QString claim_journal_folder();

// Handles every note of `journal` whose temporary file is still there, as
// the header says, naming each file it puts back or cannot through `say`;
// removes every note it has dealt with. A file claimed where it lies needs
// no putting back: when its archive copy is whole, `say` tells that it is
// converted again, and its archive step then finds the copy in place.
void recover_claims(const QString& journal, const basics::message_sink& say);

}  // namespace conversion
