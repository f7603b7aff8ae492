#include "conversion/handled_file.h"

#include "platform/env.h"

namespace conversion {
namespace {

// `sink`, noting each line that says something into `said`.
basics::message_sink noting(const basics::message_sink& sink,
                            const std::shared_ptr<basics::message_lines>& said) {
  return [sink, said](const QString& line) {
    if (!line.isEmpty()) said->add(line);
    sink(line);
  };
}

}  // namespace

handled_file::handled_file(const context& ctx, QString name)
    : ctx_(ctx),
      unnoted_status_(ctx.plain_status),
      name_(std::move(name)),
      said_(std::make_shared<basics::message_lines>()) {
  ctx_.board = noting(ctx.board, said_);
  // Windows without a board say everything on the status line.
  ctx_.plain_status = noting(ctx.plain_status, said_);
}

handled_file::noting_in::noting_in(const handled_file& file, context& ctx)
    : ctx_(ctx), board_(ctx.board), plain_status_(ctx.plain_status) {
  ctx.board = file.ctx().board;
  ctx.plain_status = file.ctx().plain_status;
}

handled_file::noting_in::~noting_in() {
  ctx_.board = board_;
  ctx_.plain_status = plain_status_;
}

void handled_file::note_output(const QString& path) {
  if (!outputs_.contains(path)) outputs_ << path;
}

void handled_file::note_error(const QString& text) {
  result_ = basics::history_result::error;
  error_ = text;
}

basics::history_record handled_file::record() const {
  basics::history_record record;
  record.time = ctx_.system().now();
  record.input = name_;
  record.input_folder = platform::with_delimiter(ctx_.input_folder);
  record.plate = plate_;
  record.result = result_.value_or(outputs_.isEmpty() ? basics::history_result::refused
                                                      : basics::history_result::converted);
  record.output = outputs_.join(QStringLiteral("; "));
  record.archive = archive_;
  basics::message_lines message = *said_;
  if (!error_.isEmpty()) message.add(error_);
  if (message.isEmpty() && !outputs_.isEmpty()) {
    message.add(QStringLiteral("Converted into ") + record.output + QStringLiteral("."));
  }
  record.message = message.text();
  return record;
}

void handled_file::tell() {
  const basics::history_record told = record();
  if (told_ == told.result) return;
  ctx_.handled(told);
  told_ = told.result;
  *said_ = basics::message_lines();
  error_.clear();
}

}  // namespace conversion
