// The Halvik conversions on real folders: both kinds of files become scan
// files named after their plate, archived under their measurement's name,
// and no measurement is ever lost or filed over another one's copy.

#include <QDate>
#include <QDateTime>
#include <QDir>

#include <gtest/gtest.h>

#include <functional>

#include "basics/halvik_file.h"
#include "basics/text.h"
#include "conversion/exsitu_conversion.h"
#include "conversion/halvik_conversion.h"
#include "conversion_site.h"
#include "support/halvik_file.h"
#include "support/holder_process.h"

namespace {

using test_support::conversion_site;
using test_support::halvik_exsitu;
using test_support::halvik_exsitu_lines;
using test_support::halvik_exsitu_with;
using test_support::halvik_insitu;
using test_support::halvik_insitu_lines;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// Exsitu files from "in" into "out" (measurement "L"), insitu files from
// "insitu" into "out_insitu" (measurement "LI"), archive "arch", product P.
struct halvik_site : conversion_site {
  halvik_site() {
    for (const char* folder : {"in", "out", "insitu", "out_insitu", "arch"}) {
      tree.make_folder(folder);
    }
    fault.set_now(kNow);
    ctx.product = "P";
    ctx.archive_root = folder("arch");
    basics::shape_halvik_exsitu_record(record);
    basics::shape_halvik_insitu_record(inline_record);
  }
  void drop_exsitu(const QString& name, const halvik_exsitu& f) {
    write_lines("in/" + name, halvik_exsitu_lines(f), kNow.addSecs(-60));
  }
  void drop_insitu(const QString& name, const halvik_insitu& f) {
    write_lines("insitu/" + name, halvik_insitu_lines(f), kNow.addSecs(-60));
  }
  void convert_exsitu() {
    ctx.input_folder = folder("in");
    ctx.output_folder = path("out");
    ctx.lumor_name = "L";
    conversion::exsitu_state state{record, plate};
    conversion::handle_exsitu(ctx, state, {conversion::exsitu_instrument::halvik});
  }
  void convert_insitu() {
    ctx.input_folder = folder("insitu");
    ctx.output_folder = path("out_insitu");
    ctx.lumor_name = "LI";
    conversion::halvik_insitu_state state{inline_record, plate};
    conversion::handle_halvik_insitu(ctx, state, {});
  }
  basics::scan_data scan(const QString& relative) const {
    basics::scan_data scanned;
    scanned.loadfromfile(path(relative));
    return scanned;
  }
  basics::scan_data inline_record;
};

TEST(HalvikConversionTest, BothKindsBecomeScanFilesArchivedUnderTheirMeasurement) {
  halvik_site site;
  site.drop_exsitu("traverse.csv", halvik_exsitu_with(30));
  const QByteArray exsitu = site.tree.read("in/traverse.csv");
  site.drop_insitu("inline.csv", halvik_insitu{});
  const QByteArray insitu = site.tree.read("insitu/inline.csv");
  site.convert_exsitu();
  site.convert_insitu();

  const basics::scan_data traverse = site.scan("out/77.scn");
  EXPECT_EQ(traverse.no_positions, 30);
  EXPECT_EQ(traverse.max_no_points, 168);
  EXPECT_FLOAT_EQ(traverse.spectral_data[traverse.the_index(29, 2, 167)],
                  float(halvik_exsitu::spectral_value(2, 29, 167)));
  const basics::scan_data nine = site.scan("out_insitu/77.scn");
  EXPECT_EQ(nine.positions, (QVector<qint32>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_FLOAT_EQ(nine.spectral_data[nine.the_index(8, 0, 120)],
                  float(halvik_insitu::spectral_value(8, 120)));

  EXPECT_EQ(site.tree.read("arch/P/2024/3/5/L/exsitu_77.csv"), exsitu);
  EXPECT_EQ(site.tree.read("arch/P/2024/3/5/LI/insitu_77.csv"), insitu);
  EXPECT_TRUE(site.files("in").isEmpty());
  EXPECT_TRUE(site.files("insitu").isEmpty());
  // No plate line for insitu files, unlike the main window's.
  EXPECT_TRUE(site.board.isEmpty()) << site.board.join('\n').toStdString();
  const QString stamp = basics::date_time_stamp();
  EXPECT_EQ(site.status_lines, (QStringList{stamp + "   Converting exsitu data ...",
                                            stamp + "   Converting insitu data ..."}));
}

// A refused or short file is filed under its own name: filed under the
// previous plate number it would replace that measurement's copy.
TEST(HalvikConversionTest, RefusedFilesAreArchivedUnderTheirOwnNameAndRemoved) {
  halvik_site site;
  site.drop_exsitu("first.csv", halvik_exsitu_with(3));
  site.convert_exsitu();
  const QByteArray first = site.tree.read("arch/P/2024/3/5/L/exsitu_77.csv");

  halvik_exsitu short_file = halvik_exsitu_with(3, "78");
  short_file.line_count = 540;
  site.drop_exsitu("short.csv", short_file);
  site.drop_exsitu("wide.csv", halvik_exsitu_with(52, "79"));
  halvik_insitu short_insitu;
  short_insitu.line_count = 138;
  site.drop_insitu("cut.csv", short_insitu);
  site.board.clear();
  site.convert_exsitu();
  site.convert_insitu();

  EXPECT_EQ(site.files("out"), QStringList{"77.scn"});
  EXPECT_TRUE(site.files("out_insitu").isEmpty());
  EXPECT_EQ(site.tree.read("arch/P/2024/3/5/L/exsitu_77.csv"), first);
  EXPECT_EQ(site.files("arch/P/2024/3/5/L"),
            (QStringList{"exsitu_77.csv", "refused_short.csv", "refused_wide.csv"}));
  EXPECT_EQ(site.files("arch/P/2024/3/5/LI"), QStringList{"refused_cut.csv"});
  EXPECT_TRUE(site.files("in").isEmpty());
  EXPECT_TRUE(site.files("insitu").isEmpty());
  ASSERT_EQ(site.board.size(), 6) << site.board.join('\n').toStdString();
  EXPECT_TRUE(site.board[0].startsWith("Length of file " + site.folder("in")));
  EXPECT_TRUE(site.board[0].endsWith(".tmp too small!"));
  EXPECT_EQ(site.board[1], "The measurement short.csv is archived as " +
                               site.path("arch/P/2024/3/5/L/refused_short.csv") + ".");
  EXPECT_EQ(site.board[2],
            "Error: file wide.csv holds 52 positions, a scan file takes 0 to 51; no scan file "
            "written.");
  EXPECT_TRUE(site.board[4].endsWith(".tmp too small!"));
  EXPECT_EQ(site.board[5], "The measurement cut.csv is archived as " +
                               site.path("arch/P/2024/3/5/LI/refused_cut.csv") + ".");
}

// Nothing that arrived may be lost: without an archive, with a missing
// output folder or an output that cannot be written, the file stays in its
// input folder under a visible name.
TEST(HalvikConversionTest, AMeasurementThatCannotBeFinishedIsSetAside) {
  const struct {
    const char* name;
    bool insitu;
    int line_count;
    std::function<void(halvik_site&)> arrange;
    QString reason;
  } cases[] = {
      {"short, without an archive", false, 300, [](halvik_site& s) { s.ctx.archive_root.clear(); },
       "Error: There is no archive folder to keep the refused file in."},
      {"scan file cannot be written", false, 541,
       [](halvik_site& s) { s.fault.fail_writes_after(10, s.path("out") + platform::kDelimiter); },
       "Error: The scan file "},
      {"insitu output folder missing", true, 139,
       [](halvik_site& s) { QDir(s.path("out_insitu")).removeRecursively(); },
       "Error: The output folder %1 does not exist; no scan file written."},
      {"insitu archive cannot be written", true, 139,
       [](halvik_site& s) { s.fault.refuse_create_folder("arch"); },
       "Error: The archive copy could not be written."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    halvik_site site;
    c.arrange(site);
    const QString input = c.insitu ? "insitu" : "in";
    if (c.insitu) {
      halvik_insitu f;
      f.line_count = c.line_count;
      site.drop_insitu("a.csv", f);
    } else {
      halvik_exsitu f = halvik_exsitu_with(3);
      f.line_count = c.line_count;
      site.drop_exsitu("a.csv", f);
    }
    const QByteArray original = site.tree.read(input + "/a.csv");
    c.insitu ? site.convert_insitu() : site.convert_exsitu();
    EXPECT_EQ(site.files(input), QStringList{"a.csv.failed"});
    EXPECT_EQ(site.tree.read(input + "/a.csv.failed"), original);
    ASSERT_FALSE(site.board.isEmpty());
    const QString reason =
        c.reason.contains("%1") ? c.reason.arg(site.path("out_insitu")) : c.reason;
    EXPECT_TRUE(site.board.last().startsWith(reason)) << site.board.last().toStdString();
    EXPECT_TRUE(site.board.last().endsWith("The measurement a.csv is kept as " +
                                           site.path(input + "/a.csv.failed") + "."));
  }
}

TEST(HalvikConversionTest, AFileHeldOpenIsReportedWithTheFixedExsituText) {
  halvik_site site;
  site.drop_exsitu("plate 12.csv", halvik_exsitu_with(2));
  {
    test_support::holder_process holder(site.path("in/plate 12.csv"),
                                        test_support::holder_process::mode::write);
    site.convert_exsitu();
    EXPECT_EQ(site.files("in"), QStringList{"plate 12.csv"});
    ASSERT_FALSE(site.status_lines.isEmpty());
    EXPECT_EQ(site.status_lines.last(),
              basics::date_time_stamp() + "   Could not rename exsitu data.csv");
  }
  site.convert_exsitu();
  EXPECT_EQ(site.files("out"), QStringList{"77.scn"});
}

}  // namespace
