// Entries in an input folder that no scan can ever claim (a FIFO, a link to
// nothing, a file the program may not read, a name that is not UTF-8) must
// not hold up the files behind them, and are named once, not every second.

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "conversion/dat_moves.h"
#include "conversion/insitu_conversion.h"
#include "conversion_site.h"
#include "support/insitu_file.h"
#include "support/probe_heads.h"

namespace {

using test_support::conversion_site;
using test_support::insitu_lines;
using test_support::insitu_measurement;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// Every name in `folder` as the scan lists it, whatever its kind.
QStringList listed(const QString& folder) {
  QStringList names;
  for (const auto& entry :
       platform::env().list_folder(folder, "*").value_or(QList<platform::DirEntry>())) {
    names << entry.name;
  }
  return names;
}

// `folder` + the raw bytes `name`, as the scan names such a file.
QString raw_path(const QString& folder, const QByteArray& name) {
  return platform::path_from_bytes(platform::path_bytes(folder) + '/' + name);
}

void make_fifo(const QString& path) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
}

void make_dangling_link(const QString& path) {
  ASSERT_EQ(::symlink("nowhere", QFile::encodeName(path).constData()), 0);
}

struct queue_site : conversion_site {
  queue_site() {
    tree.make_folder("v/database/products/P/measurements/LA/new");
    tree.make_folder("insitu");
    tree.make_folder("arch");
    fault.set_now(kNow);
    ctx.input_folder = folder("insitu");
    ctx.vellic_path = folder("v");
    ctx.product = "P";
    ctx.archive_root = folder("arch");
    ctx.probe_heads = &heads;
  }
  void drop(const QString& path, const QString& plate) {
    insitu_measurement m;
    m.plate = plate;
    basics_write(path, insitu_lines(m));
  }
  void basics_write(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) bytes += line.toLatin1() + "\r\n";
    ASSERT_TRUE(platform::env().write_file(path, bytes).ok());
    ASSERT_TRUE(fault.set_last_modified(path, kNow.addSecs(-60)).ok());
  }
  void convert() { conversion::handle_insitu_data(ctx, plate); }
  QStringList board_lines_naming(const QString& name) const { return board.filter(name); }

  const basics::sprachen heads = test_support::probe_heads_table();
};

TEST(InputQueueTest, EntriesThatCanNeverBeClaimedDoNotHoldUpTheFilesBehindThem) {
  queue_site site;
  make_fifo(site.path("insitu/a_fifo.csv"));
  make_dangling_link(site.path("insitu/b_link.csv"));
  // Latin-1 "ä", as a legacy client writes it: not a UTF-8 name.
  site.drop(raw_path(site.path("insitu"), "c\xe4.csv"), "1001");
  site.drop(site.path("insitu/d_good.csv"), "1002");

  site.convert();
  site.convert();

  EXPECT_EQ(listed(site.path("insitu")), (QStringList{"a_fifo.csv", "b_link.csv"}));
  for (const QString& plate : {"1001", "1002"}) {
    EXPECT_TRUE(site.tree.exists("v/database/products/P/measurements/LA/new/" + plate + "___T.csv"))
        << plate.toStdString();
  }
  // The undecodable name is archived under a name that is text.
  EXPECT_EQ(listed(site.path("arch/P/2024/3/5/insitu")), (QStringList{"cä.csv", "d_good.csv"}));
  // Named once each, though the scan ran twice.
  EXPECT_EQ(site.board_lines_naming("a_fifo.csv").size(), 1) << site.board.join('\n').toStdString();
  EXPECT_EQ(site.board_lines_naming("b_link.csv").size(), 1);
  EXPECT_TRUE(site.board_lines_naming("a_fifo.csv")[0].startsWith("Error: "));
}

TEST(InputQueueTest, AnEntryGoneAndBackIsNamedAgain) {
  queue_site site;
  make_fifo(site.path("insitu/a_fifo.csv"));
  site.convert();
  ASSERT_TRUE(QFile::remove(site.path("insitu/a_fifo.csv")));
  site.convert();
  make_fifo(site.path("insitu/a_fifo.csv"));
  site.convert();
  EXPECT_EQ(site.board_lines_naming("a_fifo.csv").size(), 2);
}

TEST(InputQueueTest, TheRenameAwayAndBackScanPassesOverAFifoToo) {
  conversion_site site;
  site.tree.make_folder("in");
  site.tree.make_folder("out");
  site.ctx.input_folder = site.folder("in");
  site.ctx.output_folder = site.path("out");
  make_fifo(site.path("in/a.dat"));
  site.tree.write("in/b.dat", "spectrum");
  for (int tick = 0; tick < 2; ++tick) {
    conversion::move_dat_files(site.ctx, [](const QString& name) { return "moved_" + name; });
  }
  EXPECT_EQ(site.files("out"), QStringList{"moved_b.dat"});
  EXPECT_EQ(site.status_lines.filter("a.dat").size(), 1)
      << site.status_lines.join('\n').toStdString();
}

}  // namespace
