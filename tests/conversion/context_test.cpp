// A conversion works through the Env its context gives, not the process's:
// a tool's worker thread or a test can give each conversion its own.

#include "conversion/context.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QTime>

#include <gtest/gtest.h>

#include "basics/history_file.h"
#include "basics/scan_data.h"
#include "basics/text_file.h"
#include "conversion/exsitu_conversion.h"
#include "platform/env.h"
#include "support/exsitu_file.h"
#include "support/fault_env.h"
#include "support/temp_tree.h"

namespace {

// Far from the machine's own date, so that a folder dated by the process's
// clock cannot pass for one dated by the context's.
const QDateTime kContextNow(QDate(2001, 2, 3), QTime(4, 5, 6));

TEST(ContextTest, AConversionWorksThroughTheEnvOfItsContext) {
  test_support::temp_tree tree;
  for (const char* folder : {"in", "out", "arch"}) tree.make_folder(folder);
  basics::write_lines(tree.path("in/a.csv"),
                      test_support::exsitu_lines(test_support::plate_with(3, "12")));
  // Only the context knows this Env; the process keeps the system's.
  platform::FaultEnv own;
  own.set_now(kContextNow);
  own.refuse_delete("in");

  conversion::context ctx;
  ctx.env = &own;
  ctx.input_folder = tree.path("in");
  ctx.output_folder = tree.path("out");
  ctx.archive_root = platform::with_delimiter(tree.path("arch"));
  ctx.product = "P";
  ctx.lumor_name = "L";
  QStringList board;
  ctx.board = [&board](const QString& line) { board << line; };
  QList<basics::history_record> records;
  ctx.handled = [&records](const basics::history_record& r) { records << r; };
  basics::scan_data record;
  basics::shape_exsitu_record(record);
  qint32 plate = 0;
  conversion::exsitu_state state{record, plate};
  conversion::handle_exsitu(ctx, state, {});

  EXPECT_TRUE(QDir(tree.path("out")).exists("12.scn"));
  // Archived under the context's date, and recorded at its time.
  EXPECT_TRUE(QDir(tree.path("arch/P/2001/2/3/L")).exists("exsitu_12.csv"));
  ASSERT_FALSE(records.isEmpty());
  EXPECT_EQ(records.first().time, kContextNow);
  // Its refused deletion left the claimed file, and the board says so.
  EXPECT_EQ(QDir(tree.path("in")).entryList(QDir::Files).size(), 1);
  ASSERT_FALSE(board.isEmpty());
  EXPECT_TRUE(board.last().startsWith("Error: ")) << board.join('\n').toStdString();
}

TEST(ContextTest, WithoutAnEnvOfItsOwnAContextUsesTheProcesss) {
  platform::FaultEnv installed;
  const platform::ScopedEnv use(&installed);
  const conversion::context ctx;
  EXPECT_EQ(&ctx.system(), &installed);
  platform::FaultEnv own;
  conversion::context given;
  given.env = &own;
  EXPECT_EQ(&given.system(), &own);
}

}  // namespace
