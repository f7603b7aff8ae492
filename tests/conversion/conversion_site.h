#pragma once

// The surroundings of a conversion in a test: a temporary folder with the
// program's clock and faults in a FaultEnv, and a context whose sinks record
// what the operator would read. The scan record and the plate number are
// carried from call to call as a window carries them.
//
//   conversion_site site;
//   site.ctx.input_folder = site.folder("in");
//   conversion::exsitu_state state{site.record, site.plate};
//   conversion::handle_exsitu(site.ctx, state, {});
//   EXPECT_EQ(site.board, QStringList{...});

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "basics/scan_data.h"
#include "conversion/context.h"
#include "platform/env.h"
#include "support/site_env.h"
#include "support/temp_tree.h"

namespace test_support {

class conversion_site {
 public:
  conversion_site();
  // The context's sinks point into the site.
  conversion_site(const conversion_site&) = delete;
  conversion_site& operator=(const conversion_site&) = delete;

  // Absolute path of `relative` inside the site, native delimiters.
  QString path(const QString& relative = QString()) const { return tree.path(relative); }
  // path(relative) with the delimiter at its end, as the context's folders hold it.
  QString folder(const QString& relative) const;
  // The names of the files in `relative`.
  QStringList files(const QString& relative) const;

  // The usual surroundings of a claimed-file conversion at the moment
  // `now`: input "in", output "out", archive "arch", product "P",
  // measurement "L".
  void use_standard_folders(const QDateTime& now);

  // Writes `lines` with CR LF to `relative`, last modified at `written`;
  // returns its path.
  QString write_lines(const QString& relative, const QStringList& lines, const QDateTime& written);

  temp_tree tree;
  site_env fault;
  conversion::context ctx;
  // Every board line, in order.
  QStringList board;
  // Every status line, in order, as the status line shows it: a stamped one
  // with basics::date_time_stamp() in front.
  QStringList status_lines;
  // Shaped for exsitu files.
  basics::scan_data record;
  qint32 plate = 0;

 private:
  platform::ScopedEnv use_fault_;
};

}  // namespace test_support
