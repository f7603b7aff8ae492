// The insitu conversion on real folders: probe-head files become two-column
// inline files in their probe head's measurement folder, are archived, and
// are never lost when they cannot be converted.

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

#include "basics/sprachen.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "conversion/insitu_conversion.h"
#include "conversion_site.h"
#include "support/file_lines.h"
#include "support/holder_process.h"
#include "support/insitu_file.h"
#include "support/probe_heads.h"
#include "support/system_entries.h"

namespace {

using test_support::conversion_site;
using test_support::crlf_lines;
using test_support::insitu_lines;
using test_support::insitu_measurement;
using test_support::insitu_pairs;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// A VELLIC tree "v" of product "P" with the measurement folders "LA" and
// "LB", the probe heads table naming them for "Head A" and "Head B", the
// insitu input folder "insitu" and the archive "arch".
struct insitu_site : conversion_site {
  insitu_site() {
    tree.make_folder("v/database/products/P/measurements/LA/new");
    tree.make_folder("v/database/products/P/measurements/LB/new");
    tree.make_folder("insitu");
    tree.make_folder("arch");
    fault.set_now(kNow);
    ctx.input_folder = folder("insitu");
    ctx.vellic_path = folder("v");
    ctx.product = "P";
    ctx.archive_root = folder("arch");
    ctx.probe_heads = &heads;
  }
  QString drop(const QString& name, const QStringList& lines,
               const QDateTime& written = kNow.addSecs(-60)) {
    return write_lines("insitu/" + name, lines, written);
  }
  QString drop(const QString& name, const insitu_measurement& m) {
    return drop(name, insitu_lines(m));
  }
  void convert() {
    conversion::insitu_state state{plate};
    conversion::handle_insitu(ctx, state, {});
  }
  QStringList input_files() const { return files("insitu"); }
  QString output(const QString& nickname, const QString& plate_number) const {
    return "v/database/products/P/measurements/" + nickname + "/new/" + plate_number + "___T.csv";
  }
  QStringList output_files(const QString& nickname) const {
    return files("v/database/products/P/measurements/" + nickname + "/new");
  }
  QString today_archive(const QString& name) const { return "arch/P/2024/3/5/insitu/" + name; }

  const basics::sprachen heads = test_support::probe_heads_table();
};

TEST(InsituConversionTest, ConvertsArchivesAndDeletesAFile) {
  insitu_site site;
  site.drop("head_a_0815.csv", insitu_measurement{});
  const QByteArray original = site.tree.read("insitu/head_a_0815.csv");
  site.convert();

  QByteArray expected;
  for (int j = 0; j < 120; ++j) {
    expected += QStringLiteral("%1,%2\r\n")
                    .arg(380 + 5 * j)
                    .arg(QString::number(0.8 + j / 1000.0, 'f', 4))
                    .toLatin1();
  }
  EXPECT_EQ(site.tree.read(site.output("LA", "1234")), expected);
  EXPECT_EQ(site.output_files("LA"), QStringList{"1234___T.csv"});  // no temporary left
  EXPECT_EQ(site.board,
            (QStringList{"Insitu data: Plate number 1234", site.path(site.output("LA", "1234"))}));
  EXPECT_EQ(site.tree.read(site.today_archive("head_a_0815.csv")), original);
  EXPECT_TRUE(site.input_files().isEmpty());
  EXPECT_EQ(site.status_lines,
            QStringList{basics::date_time_stamp() + "   Converting insitu data ..."});
  EXPECT_EQ(site.plate, 1234);
}

TEST(InsituConversionTest, FilesOfUpTo138LinesAreTooSmall) {
  const struct {
    int lines;
    int output_lines;  // -1: no output
  } cases[] = {{138, -1}, {139, 119}, {141, 120}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    insitu_site site;
    insitu_measurement m;
    m.line_count = c.lines;
    site.drop("a.csv", m);
    site.convert();
    EXPECT_TRUE(site.input_files().isEmpty());
    EXPECT_TRUE(site.tree.exists(site.today_archive("a.csv")));
    if (c.output_lines < 0) {
      EXPECT_TRUE(site.output_files("LA").isEmpty());
      ASSERT_EQ(site.board.size(), 1);
      EXPECT_TRUE(site.board[0].startsWith("Length of file " + site.folder("insitu")));
      EXPECT_TRUE(site.board[0].endsWith(".tmp too small!"));
    } else {
      EXPECT_EQ(crlf_lines(site.tree.read(site.output("LA", "1234"))),
                insitu_pairs(m.data).mid(0, c.output_lines));
    }
  }
}

TEST(InsituConversionTest, TheHeaderIsSearchedFromLine3AndNeedsALineAfterIt) {
  const struct {
    const char* name;
    std::function<void(QStringList&)> place;
    bool found;
  } cases[] = {
      {"line 1", [](QStringList& l) { l[0] = "Wave length [nm],x"; }, false},
      {"line 2", [](QStringList& l) { l[1] = "Wave length [nm],x"; }, false},
      {"line 3", [](QStringList& l) { l[2] = "Wave length [nm],x"; }, true},
      {"blanks around the field", [](QStringList& l) { l[9] = "  Wave length [nm]\t,x"; }, true},
      {"other letter case", [](QStringList& l) { l[9] = "Wave Length [nm],x"; }, false},
      {"last line", [](QStringList& l) { l.last() = "Wave length [nm],x"; }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    insitu_site site;
    insitu_measurement m;
    m.header_line = 0;
    QStringList lines = insitu_lines(m);
    c.place(lines);
    site.drop("a.csv", lines);
    site.convert();
    EXPECT_EQ(site.output_files("LA").size(), c.found ? 1 : 0);
    EXPECT_EQ(site.board.size(), c.found ? 2 : 1);
    EXPECT_EQ(site.board.value(0), "Insitu data: Plate number 1234");
    EXPECT_TRUE(site.tree.exists(site.today_archive("a.csv")));
    EXPECT_TRUE(site.input_files().isEmpty());
  }
}

TEST(InsituConversionTest, ValueIsTheFieldThatEndsTheFirstDataLineCopiedAsText) {
  insitu_site site;
  insitu_measurement m;
  m.header_line = 30;
  m.data = {"380, 1, 2, 3, 0.12",  // five fields: field 5 is the value
            "385,1,2,3,1.2E-1,99", "390,1,2", "395,1,2,3,4,", "400 , a , b , c ,  -0.5  ",
            "  ,1,2,3,4",  // an empty wavelength ends the table
            "405,1,2,3,7"};
  site.drop("a.csv", m);
  site.convert();
  EXPECT_EQ(crlf_lines(site.tree.read(site.output("LA", "1234"))),
            (QStringList{"380,0.12", "385,1.2E-1", "390,", "395,4", "400,-0.5"}));
}

TEST(InsituConversionTest, PlateNumberThatDoesNotConvertGivesItsLeadingDigits) {
  const struct {
    const char* field;
    const char* plate;
    bool error;
  } cases[] = {{"77", "77", false}, {"-12x", "-12", true}, {"A7", "0", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    insitu_site site;
    insitu_measurement m;
    m.plate = c.field;
    site.drop("a.csv", m);
    site.convert();
    QStringList expected = {"Insitu data: Plate number " + QString::fromLatin1(c.plate),
                            site.path(site.output("LA", c.plate))};
    if (c.error) {
      expected.prepend("Error: " + QString::fromLatin1(c.field) +
                       " could not be converted to a plate number.");
    }
    EXPECT_EQ(site.board, expected);
    EXPECT_TRUE(site.tree.exists(site.output("LA", c.plate)));
    EXPECT_EQ(site.plate, QString::fromLatin1(c.plate).toInt());
  }
}

TEST(InsituConversionTest, SamePlateAndProbeHeadReplaceTheOutputAndKeepBothArchiveCopies) {
  insitu_site site;
  insitu_measurement first;
  first.data = {"380,1,0.5", "385,1,0.6"};
  insitu_measurement second;
  second.data = {"380,1,0.7"};
  insitu_measurement other_head;
  other_head.probe_head = "Head B";
  site.drop("a.csv", first);
  site.drop("b.csv", second);
  site.drop("c.csv", other_head);
  const QByteArray a = site.tree.read("insitu/a.csv");
  const QByteArray b = site.tree.read("insitu/b.csv");
  site.convert();
  EXPECT_EQ(site.tree.read(site.output("LA", "1234")), "380,0.7\r\n");
  EXPECT_TRUE(site.tree.exists(site.output("LB", "1234")));
  EXPECT_EQ(site.tree.read(site.today_archive("a.csv")), a);
  EXPECT_EQ(site.tree.read(site.today_archive("b.csv")), b);
  EXPECT_TRUE(site.tree.exists(site.today_archive("c.csv")));
  EXPECT_TRUE(site.input_files().isEmpty());
}

// An instrument that reuses a file name must not lose the first raw file.
TEST(InsituConversionTest, AReusedFileNameKeepsBothArchiveCopies) {
  insitu_site site;
  insitu_measurement second;
  second.plate = "1235";
  site.drop("a.csv", insitu_measurement{});
  const QByteArray first = site.tree.read("insitu/a.csv");
  site.convert();
  site.drop("a.csv", second);
  const QByteArray again = site.tree.read("insitu/a.csv");
  site.board.clear();
  site.convert();
  EXPECT_EQ(site.tree.read(site.today_archive("a.csv")), first);
  EXPECT_EQ(site.tree.read(site.today_archive("a_2.csv")), again);
  EXPECT_EQ(site.board.last(), site.path(site.today_archive("a.csv")) +
                                   " is taken; the measurement a.csv is archived as " +
                                   site.path(site.today_archive("a_2.csv")) + ".");
}

// A measurement with nowhere to go is set aside, not archived, so that it
// can be renamed back and converted once the probe head is set up.
TEST(InsituConversionTest, AMeasurementWithNowhereToGoIsSetAsideNamingTheProbeHead) {
  const struct {
    const char* name;
    const char* probe_head;
    std::function<void(insitu_site&)> arrange;
    QString reason;
  } cases[] = {
      {"probe head not in the table", "Head C", [](insitu_site&) {},
       "Error: The probe head Head C is not in the probe heads table; no output written."},
      {"names differ in letter case", "head a", [](insitu_site&) {},
       "Error: The probe head head a is not in the probe heads table; no output written."},
      {"listed without a measurement", "Head N", [](insitu_site&) {},
       "Error: The probe head Head N has no measurement name in the probe heads table; no "
       "output written."},
      {"no table at all", "Head A", [](insitu_site& s) { s.ctx.probe_heads = nullptr; },
       "Error: The probe head Head A is not in the probe heads table; no output written."},
      {"a measurement name leading out of the tree", "Head E",
       [](insitu_site& s) {
         static const basics::sprachen escaping = [] {
           basics::sprachen heads;
           heads.anzahl_vokabeln_plus();
           heads.set_wort(heads.anzahl_vokabeln() - 1, 0, "../../../x");
           heads.set_wort(heads.anzahl_vokabeln() - 1, 1, "Head E");
           return heads;
         }();
         s.ctx.probe_heads = &escaping;
       },
       "Error: The measurement name ../../../x of the probe head Head E in the probe heads "
       "table is no folder name; no output written."},
      {"measurement folder missing", "Head B",
       [](insitu_site& s) {
         QDir(s.path("v/database/products/P/measurements/LB")).removeRecursively();
       },
       "Error: The measurement folder %1 of the probe head Head B does not exist; no output "
       "written."},
      {"only its new folder missing", "Head B",
       [](insitu_site& s) {
         QDir(s.path("v/database/products/P/measurements/LB/new")).removeRecursively();
       },
       "Error: The measurement folder %1 of the probe head Head B does not exist; no output "
       "written."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    insitu_site site;
    c.arrange(site);
    const auto measurements = [&site] {
      QStringList found;
      QDirIterator it(site.path("v/database/products/P/measurements"),
                      QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
      while (it.hasNext()) found << it.next();
      found.sort();
      return found;
    };
    const QStringList measurements_before = measurements();
    insitu_measurement m;
    m.probe_head = c.probe_head;
    site.drop("a.csv", m);
    const QByteArray original = site.tree.read("insitu/a.csv");
    site.convert();

    EXPECT_EQ(site.input_files(), QStringList{"a.csv.failed"});
    EXPECT_EQ(site.tree.read("insitu/a.csv.failed"), original);
    EXPECT_FALSE(QDir(site.path("arch/P")).exists());
    const QString missing = site.path("v/database/products/P/measurements/LB/new");
    const QString reason = c.reason.contains("%1") ? c.reason.arg(missing) : c.reason;
    EXPECT_EQ(site.board, (QStringList{"Insitu data: Plate number 1234",
                                       reason + " The measurement a.csv is kept as " +
                                           site.path("insitu/a.csv.failed") + "."}));
    // Nothing is created in the measurement tree, and the next call leaves
    // the file alone.
    EXPECT_EQ(measurements(), measurements_before);
    site.convert();
    EXPECT_EQ(site.input_files(), QStringList{"a.csv.failed"});
  }
}

TEST(InsituConversionTest, ASetAsideFileConvertsOnceRenamedBackAfterTheFolderIsMade) {
  insitu_site site;
  QDir(site.path("v/database/products/P/measurements/LB")).removeRecursively();
  insitu_measurement m;
  m.probe_head = "Head B";
  site.drop("a.csv", m);
  site.convert();
  EXPECT_FALSE(QDir(site.path("v/database/products/P/measurements/LB")).exists());

  site.tree.make_folder("v/database/products/P/measurements/LB/new");
  QDir(site.path("insitu")).rename("a.csv.failed", "a.csv");
  site.convert();
  EXPECT_TRUE(site.tree.exists(site.output("LB", "1234")));
  EXPECT_TRUE(site.tree.exists(site.today_archive("a.csv")));
  EXPECT_TRUE(site.input_files().isEmpty());
}

TEST(InsituConversionTest, MeasurementIsSetAsideWhenItCannotBeReadWrittenOrArchived) {
  const struct {
    const char* name;
    std::function<void(insitu_site&)> fault;
    bool output;
  } cases[] = {
      {"file cannot be read", [](insitu_site& s) { s.fault.refuse_read(".tmp"); }, false},
      {"output cannot be written",
       [](insitu_site& s) { s.fault.fail_writes_after(10, "measurements"); }, false},
      {"archive copy cannot be written",
       [](insitu_site& s) { s.fault.refuse_create_folder("arch"); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    insitu_site site;
    site.drop("a.csv", insitu_measurement{});
    const QByteArray original = site.tree.read("insitu/a.csv");
    c.fault(site);
    site.convert();
    EXPECT_EQ(site.input_files(), QStringList{"a.csv.failed"});
    EXPECT_EQ(site.tree.read("insitu/a.csv.failed"), original);
    // Never a part of a file under the name the inline program reads.
    EXPECT_EQ(site.output_files("LA"), c.output ? QStringList{"1234___T.csv"} : QStringList());
    ASSERT_FALSE(site.board.isEmpty());
    EXPECT_TRUE(site.board.last().startsWith("Error: "));
    EXPECT_TRUE(site.board.last().endsWith("The measurement a.csv is kept as " +
                                           site.path("insitu/a.csv.failed") + "."));
  }
}

// Without an archive a file that gave no inline file would be gone for good;
// one that did is deleted, its values live on in the inline file.
TEST(InsituConversionTest, WithoutAnArchiveOnlyAFileThatGaveNoOutputIsKept) {
  const struct {
    const char* name;
    int line_count;
    int header_line;
    QStringList kept;
  } cases[] = {
      {"converted", 141, 20, {}},
      {"too short", 100, 20, {"a.csv.failed"}},
      {"no header", 141, 0, {"a.csv.failed"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    insitu_site site;
    site.ctx.archive_root.clear();
    insitu_measurement m;
    m.line_count = c.line_count;
    m.header_line = c.header_line;
    site.drop("a.csv", m);
    site.convert();
    EXPECT_EQ(site.input_files(), c.kept);
    EXPECT_TRUE(QDir(site.path("arch")).isEmpty());
    if (c.kept.isEmpty()) continue;
    EXPECT_EQ(site.board.last(),
              "Error: There is no archive folder to keep the file in, and it gave no inline "
              "file. The measurement a.csv is kept as " +
                  site.path("insitu/a.csv.failed") + ".");
  }
}

// The measurement is converted and archived; what is left is a spare copy
// under a name no scan picks up, which the operator has to be told of.
TEST(InsituConversionTest, TemporaryCopyThatCannotBeDeletedIsReported) {
  insitu_site site;
  site.drop("a.csv", insitu_measurement{});
  const QByteArray original = site.tree.read("insitu/a.csv");
  site.fault.refuse_delete(".tmp");
  site.convert();
  EXPECT_TRUE(site.tree.exists(site.output("LA", "1234")));
  EXPECT_EQ(site.tree.read(site.today_archive("a.csv")), original);
  const QStringList left = site.input_files();
  ASSERT_EQ(left.size(), 1);
  EXPECT_TRUE(left[0].endsWith(".tmp"));
  EXPECT_EQ(site.tree.read("insitu/" + left[0]), original);
  ASSERT_EQ(site.board.size(), 3);
  EXPECT_TRUE(site.board[2].startsWith("Error: "));
  EXPECT_TRUE(site.board[2].contains(site.path("insitu/" + left[0])))
      << site.board[2].toStdString();
}

TEST(InsituConversionTest, FileHeldOpenByAnotherProcessStaysAndIsReportedOnTheStatusLine) {
  insitu_site site;
  const QString file = site.drop("a.csv", insitu_measurement{});
  {
    test_support::holder_process holder(file, test_support::holder_process::mode::write);
    site.convert();
    EXPECT_EQ(site.input_files(), QStringList{"a.csv"});
    EXPECT_TRUE(site.board.isEmpty());
    ASSERT_FALSE(site.status_lines.isEmpty());
    EXPECT_EQ(site.status_lines.last(),
              basics::date_time_stamp() + "   Could not rename " + site.folder("insitu") + "a.csv");
    EXPECT_TRUE(site.output_files("LA").isEmpty());
  }
  site.convert();
  EXPECT_TRUE(site.tree.exists(site.output("LA", "1234")));
  EXPECT_TRUE(site.input_files().isEmpty());
}

TEST(InsituConversionTest, YoungFileWaitsForTheSettleTime) {
  insitu_site site;
  site.ctx.settle_seconds = 30;
  site.drop("a.csv", insitu_lines(insitu_measurement{}), kNow.addSecs(-10));
  site.convert();
  EXPECT_EQ(site.input_files(), QStringList{"a.csv"});
  site.fault.advance_now(25);
  site.convert();
  EXPECT_TRUE(site.input_files().isEmpty());
  EXPECT_TRUE(site.tree.exists(site.output("LA", "1234")));
}

TEST(InsituConversionTest, ArchiveDateIsTheFilesLastModificationWhenAsked) {
  for (const bool by_measurement : {true, false}) {
    SCOPED_TRACE(by_measurement);
    insitu_site site;
    site.fault.set_now(QDateTime(QDate(2024, 1, 2), QTime(8, 0)));
    site.ctx.archive_by_date_of_measurement = by_measurement;
    site.drop("a.csv", insitu_lines(insitu_measurement{}),
              QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)));
    site.convert();
    EXPECT_TRUE(site.tree.exists(by_measurement ? "arch/P/2023/12/31/insitu/a.csv"
                                                : "arch/P/2024/1/2/insitu/a.csv"));
  }
}

TEST(InsituConversionTest, OutputIsWrittenInWindows1252) {
  insitu_site site;
  insitu_measurement m;
  m.data = {QStringLiteral("380 \u00b5m,1,0.5 \u20ac"), QStringLiteral("385,1,\u0416")};
  QByteArray bytes = "\xEF\xBB\xBF";  // the probe head writes UTF-8 with a mark
  for (const QString& line : insitu_lines(m)) bytes += line.toUtf8() + "\r\n";
  site.tree.write("insitu/a.csv", bytes);
  site.convert();
  EXPECT_EQ(site.tree.read(site.output("LA", "1234")),
            QByteArray("380 \xB5m,0.5 \x80\r\n385,?\r\n"));
}

}  // namespace

namespace {

// A name near the system's limit of 255 bytes is archived under its own
// name, and set aside under one cut short before ".failed", never left
// under its temporary name.
TEST(InsituConversionTest, ANameNearTheLengthLimitIsArchivedOrSetAside) {
  insitu_site site;
  const QString stem(246, QLatin1Char('n'));
  site.drop(stem + "_a.csv", insitu_measurement{});
  insitu_measurement unknown;
  unknown.probe_head = "Head Z";
  site.drop(stem + "_z.csv", unknown);
  site.convert();

  EXPECT_TRUE(site.tree.exists(site.today_archive(stem + "_a.csv")));
  const QStringList left = site.input_files();
  ASSERT_EQ(left.size(), 1) << left.join('\n').toStdString();
  EXPECT_TRUE(left[0].endsWith(".failed"));
  EXPECT_TRUE(left[0].startsWith(stem));
  EXPECT_LE(left[0].toUtf8().size(), 255);
  EXPECT_EQ(site.board.filter(left[0]).size(), 1) << site.board.join('\n').toStdString();
}

}  // namespace

namespace {

// A FIFO, a link to nothing and a name that is not UTF-8 (Latin-1 "ä", as a
// legacy client writes it) sort in front of a good file: the scan converts
// what it can, names each entry it cannot claim once, and archives the
// undecodable name under one that is text.
TEST(InsituConversionTest, EntriesThatCanNeverBeClaimedDoNotHoldUpTheFilesBehindThem) {
  insitu_site site;
  SKIP_ON_WINDOWS("FIFOs, links and names that are not text");
  ASSERT_EQ(test_support::make_fifo(site.path("insitu/a_fifo.csv")), 0);
  ASSERT_EQ(test_support::make_symlink("nowhere", site.path("insitu/b_link.csv")), 0);
  const QString undecodable =
      platform::path_from_bytes(platform::path_bytes(site.path("insitu")) + "/c\xe4.csv");
  insitu_measurement first;
  first.plate = "1001";
  basics::write_lines(undecodable, insitu_lines(first));
  ASSERT_TRUE(site.fault.set_last_modified(undecodable, kNow.addSecs(-60)).ok());
  insitu_measurement second;
  second.plate = "1002";
  site.drop("d_good.csv", second);

  site.convert();
  site.convert();

  for (const char* plate : {"1001", "1002"}) {
    EXPECT_TRUE(site.tree.exists(site.output("LA", plate))) << plate;
  }
  EXPECT_TRUE(site.tree.exists(site.today_archive(QString::fromUtf8("c\u00e4.csv"))));
  EXPECT_TRUE(site.tree.exists(site.today_archive("d_good.csv")));
  EXPECT_EQ(site.board.filter("a_fifo.csv").size(), 1) << site.board.join('\n').toStdString();
  EXPECT_EQ(site.board.filter("b_link.csv").size(), 1);
}

}  // namespace
