#include "conversion/tulmen_conversion.h"

#include "basics/error.h"
#include "basics/files.h"
#include "basics/text_file.h"
#include "conversion/file_keeping.h"
#include "conversion/handled_file.h"
#include "conversion/memory_shortage.h"
#include "conversion/renamable_files.h"
#include "platform/env.h"

namespace conversion {
namespace {

// The instrument names its files <sample>_export.csv and the like: eleven
// characters after the sample's name.
constexpr int kNameTail = 11;
constexpr int kMostScanFiles = 4;

}  // namespace

QString tulmen_scan_base(const QString& name) {
  if (name.size() > kNameTail) return name.left(name.size() - kNameTail);
  const qsizetype extension = qsizetype(sizeof(kTulmenMask)) - 2;  // ".csv"
  if (name.size() > extension) return name.left(name.size() - extension);
  return name;
}

QStringList save_tulmen_scan(const context& ctx, const basics::scan_data& record,
                             const QString& base, qint32 no_scan_files) {
  const QString stem = platform::with_delimiter(ctx.output_folder) + base;
  if (no_scan_files == 1) {
    record.savetofile(stem + QStringLiteral(".scn"), ctx.publish_scan_file);
    return {stem + QStringLiteral(".scn")};
  }
  QStringList written;
  if (no_scan_files < 2 || no_scan_files > kMostScanFiles) return written;
  for (qint32 part = 1; part <= no_scan_files; ++part) {
    const QString target = stem + QStringLiteral(".sc%1").arg(part);
    record.save_partially_to_file(target, part, no_scan_files, ctx.publish_scan_file);
    written << target;
  }
  return written;
}

QStringList convert_tulmen_lines(context& ctx, const QStringList& lines, const QString& name,
                                 const QDateTime& last_modified, basics::scan_data& record,
                                 basics::tulmen_wavelengths& wavelengths,
                                 const tulmen_options& options) {
  const float largest =
      basics::read_tulmen_lines(lines, last_modified, record, wavelengths, ctx.plain_status);
  if (options.identify_product) options.identify_product(largest, ctx);
  return save_tulmen_scan(ctx, record, tulmen_scan_base(name), options.no_scan_files);
}

namespace {

// Why the converted file must be kept and not deleted, or nothing when its
// measurement is safe without it.
std::optional<QString> reason_to_keep(archived copy, const QStringList& written) {
  if (copy == archived::failed) return QStringLiteral("The archive copy could not be written.");
  if (copy == archived::switched_off && written.isEmpty()) {
    return QStringLiteral("No scan file was written and there is no archive to keep it in.");
  }
  return std::nullopt;
}

// The steps of convert_tulmen_file, noted in `file`.
void convert_noted_tulmen_file(handled_file& file, context& ctx, claim_note& note,
                               basics::scan_data& record, basics::tulmen_wavelengths& wavelengths,
                               const tulmen_options& options) {
  const QString& name = file.name();
  const QString path = input_file(ctx, name);
  if (const auto too_large = basics::oversize_refusal(path, basics::kLargestTulmenFile)) {
    keep_aside(file, ctx.plain_status, path, *too_large);
    return;
  }
  // The archive copy comes first, so a measurement is safe before anything
  // is read from it. A copy that cannot be made does not stop the
  // conversion: the file itself is kept instead.
  QString copy_path;
  const archived copy = archive_input_copy(ctx, path, name, platform::env().now(), &copy_path);
  file.note_archive(copy_path);
  // A restart before the deletion then finds the copy made.
  if (copy == archived::copied) note.mark_archiving(copy_path);
  const QDateTime last_modified = platform::env().last_modified(path);
  QStringList written;
  try {
    const QStringList lines = basics::read_lines(path);
    if (basics::tulmen_has_measurement(lines)) {
      if (const auto refusal = basics::tulmen_refusal(lines, path)) {
        ctx.plain_status(*refusal);
      } else {
        written =
            convert_tulmen_lines(ctx, lines, name, last_modified, record, wavelengths, options);
      }
    }
  } catch (const basics::error& e) {
    keep_aside(file, ctx.plain_status, path, e.text());
    return;
  }
  for (const QString& target : written) file.note_output(target);
  if (const auto reason = reason_to_keep(copy, written)) {
    keep_aside(file, ctx.plain_status, path, *reason);
    return;
  }
  file.tell();
  const platform::Status deleted = platform::env().delete_file(path);
  if (!deleted.ok()) {
    keep_aside(file, ctx.plain_status, path, deleted.message());
  }
}

}  // namespace

void convert_tulmen_file(context& ctx, const QString& name, claim_note& note,
                         basics::scan_data& record, basics::tulmen_wavelengths& wavelengths,
                         const tulmen_options& options) {
  handled_file file(ctx, name);
  const handled_file::noting_in noting(file, ctx);
  const std::optional<QString> shortage = ran_out_of_memory(
      [&] { convert_noted_tulmen_file(file, ctx, note, record, wavelengths, options); });
  // Still under its own name, it would run short again at every tick.
  const QString path = input_file(ctx, name);
  if (shortage && basics::file_exists(path)) keep_aside(file, ctx.plain_status, path, *shortage);
  note.remove();
  file.tell();
}

void handle_tulmen_data(const context& ctx, basics::scan_data& record,
                        basics::tulmen_wavelengths& wavelengths, const tulmen_options& options) {
  // An identified product holds for the files after it.
  context current = ctx;
  scan_renamable_files(
      ctx, QString::fromLatin1(kTulmenMask),
      [](const QString& path) {
        return path + QStringLiteral(" could not be copied - the file is open");
      },
      [&](const QString& name, claim_note& note) {
        // Nothing names the file's temporary copy: the
        // status line is cleared before each conversion.
        current.plain_status(QString());
        convert_tulmen_file(current, name, note, record, wavelengths, options);
      });
}

}  // namespace conversion
