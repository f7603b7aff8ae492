#include "conversion_site.h"

#include <gtest/gtest.h>

#include "basics/exsitu_file.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "support/file_lines.h"

namespace test_support {

conversion_site::conversion_site() : use_fault_(&fault) {
  ctx.board = [this](const QString& line) { board << line; };
  ctx.status = [this](const QString& text) { status_lines << basics::date_time_stamp() + text; };
  ctx.plain_status = [this](const QString& text) { status_lines << text; };
  basics::shape_exsitu_record(record);
}

QString conversion_site::folder(const QString& relative) const {
  return platform::with_delimiter(path(relative));
}

QStringList conversion_site::files(const QString& relative) const {
  return files_in(path(relative));
}

void conversion_site::use_standard_folders(const QDateTime& now) {
  tree.make_folder("in");
  tree.make_folder("out");
  tree.make_folder("arch");
  fault.set_now(now);
  ctx.input_folder = folder("in");
  ctx.output_folder = path("out");
  ctx.product = "P";
  ctx.lumor_name = "L";
  ctx.archive_root = folder("arch");
}

QString conversion_site::write_lines(const QString& relative, const QStringList& lines,
                                     const QDateTime& written) {
  const QString file = path(relative);
  basics::write_lines(file, lines);
  EXPECT_TRUE(fault.set_last_modified(file, written).ok());
  return file;
}

}  // namespace test_support
