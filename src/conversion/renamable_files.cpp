#include "conversion/renamable_files.h"

#include <QCoreApplication>

#include "basics/files.h"
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

void scan_renamable_files(const context& ctx, const QString& mask,
                          const rename_failure_text& on_open,
                          const std::function<void(const QString& name)>& handle) {
  if (!basics::folder_exists(ctx.input_folder) || !basics::folder_exists(ctx.output_folder)) return;
  QStringList waiting = waiting_files(ctx.input_folder, mask, ctx.plain_status);
  if (waiting.isEmpty()) {
    ctx.plain_status(QStringLiteral("No files to process ..."));
    return;
  }
  ctx.plain_status(QStringLiteral("Number of files to process: ") +
                   QString::number(waiting.size()));
  for (int done = 0; !waiting.isEmpty() && done < kRenamableFilesPerCall; ++done) {
    const QString name = waiting.first();
    ctx.plain_status(name);
    const QString path = input_file(ctx, name);
    // Its writer may still be at work on a network share.
    if (still_settling(path, ctx.settle_seconds)) return;
    if (!basics::file_is_renamable(path)) {
      if (on_open) ctx.plain_status(on_open(path));
      return;
    }
    handle(name);
    // The window stays responsive through a long run of files.
    QCoreApplication::processEvents();
    waiting = waiting_files(ctx.input_folder, mask, ctx.plain_status);
  }
}

}  // namespace conversion
