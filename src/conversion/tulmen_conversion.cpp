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

std::optional<QString> tulmen_lines_refusal(const QStringList& lines, const QString& path) {
  if (!basics::tulmen_has_measurement(lines)) {
    return QStringLiteral("500 lines or fewer: no measurement; no scan file written.");
  }
  return basics::tulmen_refusal(lines, path);
}

QStringList convert_tulmen_lines(context& ctx, const QStringList& lines, const QString& name,
                                 const QDateTime& last_modified, tulmen_state& state,
                                 const tulmen_options& options,
                                 const basics::message_sink& header_end) {
  const float largest = basics::read_tulmen_lines(
      lines, last_modified, state.record, state.wavelengths, {ctx.plain_status, header_end});
  if (options.identify_product) options.identify_product(largest, ctx);
  return save_tulmen_scan(ctx, state.record, tulmen_scan_base(name), options.no_scan_files);
}

namespace {

// Archives, converts and deletes the complete TULMEN file of `file`. The
// archive copy comes first, so a measurement is safe before anything is
// read from it. A copy that cannot be made does not stop the conversion:
// the file itself is kept instead.
void convert_tulmen_file(handled_file& file, context& ctx, claim_note& note, tulmen_state& state,
                         const tulmen_options& options) {
  const QString& name = file.name();
  const QString path = input_file(ctx, name);
  if (const auto too_large =
          basics::oversize_refusal(ctx.system(), path, basics::kLargestTulmenFile)) {
    keep_aside(file, ctx.plain_status, path, *too_large);
    return;
  }
  QString copy_path;
  const archived copy = archive_in_place(ctx, path, name, ctx.system().now(), &copy_path);
  file.note_archive(copy_path);
  // A restart before the deletion then finds the copy made.
  if (copy == archived::copied) note.mark_archiving(copy_path);
  const QDateTime last_modified = ctx.system().last_modified(path);
  QStringList written;
  try {
    const QStringList lines = basics::read_lines(ctx.system(), path);
    if (basics::tulmen_has_measurement(lines)) {
      if (const auto refusal = basics::tulmen_refusal(lines, path)) {
        ctx.plain_status(*refusal);
      } else {
        // The status line shows the header's end, as every clean file
        // leaves it; the file's record keeps only real faults.
        written = convert_tulmen_lines(ctx, lines, name, last_modified, state, options,
                                       file.unnoted_status());
      }
    }
  } catch (const basics::error& e) {
    keep_aside(file, ctx.plain_status, path, e.text());
    return;
  }
  for (const QString& target : written) file.note_output(target);
  delete_when_kept(file, ctx.plain_status, path, copy, written);
}

}  // namespace

void handle_tulmen(const context& ctx, tulmen_state& state, const tulmen_options& options) {
  convert_in_place(ctx, QString::fromLatin1(kTulmenMask), &context::plain_status,
                   [&](handled_file& file, context& current, claim_note& note) {
                     convert_tulmen_file(file, current, note, state, options);
                   });
}

}  // namespace conversion
