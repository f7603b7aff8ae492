#pragma once

// What became of one input file, told as its history record when the
// scanner has finished with it, before its input is deleted: converted,
// refused, set aside or ended by an error, with its plate, its output, its
// archive copy and what the board and the status line said about it
// meanwhile (the first and last lines, the others counted).

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

#include "basics/history_file.h"
#include "conversion/context.h"

namespace conversion {

class handled_file {
 public:
  // The file `name` of ctx.input_folder. Its context is `ctx` with a board
  // and a status line that also note their lines for the record.
  handled_file(const context& ctx, QString name);

  const context& ctx() const { return ctx_; }
  context& ctx() { return ctx_; }
  // The file's name in its input folder, as it arrived.
  const QString& name() const { return name_; }
  // The status line, without noting into this file's record: for what
  // every file leaves there and says nothing of this one.
  const basics::message_sink& unnoted_status() const { return unnoted_status_; }

  void note_plate(qint32 plate) { plate_ = plate; }
  // A file written for it; a measurement split into parts has several.
  void note_output(const QString& path);
  void note_archive(const QString& path) { archive_ = path; }
  // How the file ended, where no step says it otherwise: converted when it
  // has an output, refused when not.
  void note_result(basics::history_result result) { result_ = result; }
  // The file ended with an error; `text`, unless empty, is what neither the
  // board nor the status line said (an error passing on to the window's
  // error report).
  void note_error(const QString& text);

  basics::history_record record() const;
  // Tells the context's history of the record, once. Told before the
  // input is deleted, so a kill in between loses no record; should the
  // result change after that (the deletion failed), a further call tells a
  // second record with the new result and what was said since.
  void tell();

  // While it lives, `ctx` (a context the conversion changes as it goes,
  // such as an identified product) says its board and status lines through
  // this file's noting sinks.
  class noting_in {
   public:
    noting_in(const handled_file& file, context& ctx);
    ~noting_in();
    noting_in(const noting_in&) = delete;
    noting_in& operator=(const noting_in&) = delete;

   private:
    context& ctx_;
    basics::message_sink board_;
    basics::message_sink plain_status_;
  };

 private:
  context ctx_;
  basics::message_sink unnoted_status_;
  QString name_;
  std::optional<qint32> plate_;
  QStringList outputs_;
  QString archive_;
  std::optional<basics::history_result> result_;
  QString error_;
  // The lines said about this file since its last record; shared with the
  // sinks of ctx_.
  std::shared_ptr<basics::message_lines> said_;
  // The result of the record told last; none before the first.
  std::optional<basics::history_result> told_;
};

}  // namespace conversion
