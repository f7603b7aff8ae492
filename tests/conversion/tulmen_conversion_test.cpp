// The TULMEN conversion on real folders: archive first, then the scan files,
// then the input removed; refused and unfinished files never lost.

#include <QDate>
#include <QDateTime>

#include <gtest/gtest.h>

#include "basics/ole_date.h"
#include "conversion/claim_journal.h"
#include "conversion/tulmen_conversion.h"
#include "conversion_site.h"
#include "support/fault_env.h"
#include "support/holder_process.h"
#include "support/tulmen_file.h"

namespace {

using test_support::conversion_site;
using test_support::tulmen_bytes;
using test_support::tulmen_measurement;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// The input folder "in", the output "out" and the archive "arch", for the
// product "P" and the measurement "L".
struct tulmen_site : conversion_site {
  tulmen_site() {
    use_standard_folders(kNow);
    basics::shape_tulmen_record(record);
  }
  QByteArray drop(const QString& name, const tulmen_measurement& m = tulmen_measurement()) {
    const QByteArray bytes = tulmen_bytes(m);
    tree.write("in/" + name, bytes);
    EXPECT_TRUE(fault.set_last_modified(path("in/" + name), kNow.addSecs(-60)).ok());
    return bytes;
  }
  void convert() { conversion::handle_tulmen(ctx, tulmen, options); }
  QString archive(const QString& name) const { return "arch/P/2024/3/5/L/" + name; }

  conversion::tulmen_state tulmen{record};
  conversion::tulmen_options options;
};

TEST(TulmenConversionTest, FileBecomesItsScanFileAfterItsArchiveCopy) {
  tulmen_site site;
  const QByteArray bytes = site.drop("A123_export.csv");
  site.convert();

  EXPECT_EQ(site.files("out"), QStringList{"A123.scn"});
  EXPECT_EQ(site.tree.read(site.archive("A123_export.csv")), bytes);
  EXPECT_TRUE(site.files("in").isEmpty());
  basics::scan_data scan;
  scan.loadfromfile(site.path("out/A123.scn"));
  EXPECT_EQ(scan.no_positions, 3);
  EXPECT_EQ(scan.positions, (QVector<qint32>{10, 20, 30}));
  EXPECT_EQ(scan.spectral_data[scan.the_index(2, 1, 260)],
            float(tulmen_measurement::spectral_value(1, 260, 2)));
  // Dated by the file at two-second resolution, not 1899.
  EXPECT_EQ(basics::date_time_from_ole(scan.time_of_measurement), kNow.addSecs(-61));
  EXPECT_EQ(site.status_lines, (QStringList{"Number of files to process: 1", "A123_export.csv", "",
                                            " could not be converted to a number",
                                            " could not be converted to a number"}));
}

TEST(TulmenConversionTest, ScanFileCountSplitsThePositions) {
  const struct {
    qint32 no_scan_files;
    QStringList files;
    int positions_each;
  } cases[] = {
      {1, {"A.scn"}, 40},
      {2, {"A.sc1", "A.sc2"}, 20},
      {4, {"A.sc1", "A.sc2", "A.sc3", "A.sc4"}, 10},
      {0, {}, 0},
      {5, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.no_scan_files);
    tulmen_site site;
    site.options.no_scan_files = c.no_scan_files;
    tulmen_measurement m;
    m.positions = test_support::tulmen_positions(40);
    site.drop("A_export.csv", m);
    site.convert();
    EXPECT_EQ(site.files("out"), c.files);
    for (const QString& file : c.files) {
      basics::scan_data scan;
      scan.loadfromfile(site.path("out/" + file));
      EXPECT_EQ(scan.no_positions, c.positions_each);
    }
    // Archived and removed whatever the count.
    EXPECT_TRUE(site.tree.exists(site.archive("A_export.csv")));
    EXPECT_TRUE(site.files("in").isEmpty());
  }
}

TEST(TulmenConversionTest, ShortAndRefusedFilesAreArchivedOnceAndRemoved) {
  const struct {
    int lines;
    int positions;
    bool refused;
  } cases[] = {{500, 3, false}, {501, 3, true}, {819, 3, true}, {820, 41, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    tulmen_site site;
    tulmen_measurement m;
    m.lines = c.lines;
    m.positions = test_support::tulmen_positions(c.positions);
    const QByteArray bytes = site.drop("S_export.csv", m);
    site.convert();
    site.convert();  // a second step finds nothing left to archive again
    EXPECT_TRUE(site.files("out").isEmpty());
    EXPECT_TRUE(site.files("in").isEmpty());
    EXPECT_EQ(site.files("arch/P/2024/3/5/L"), QStringList{"S_export.csv"});
    EXPECT_EQ(site.tree.read(site.archive("S_export.csv")), bytes);
    const QStringList refusals = site.status_lines.filter(site.path("in/S_export.csv") + " ");
    EXPECT_EQ(refusals.size(), c.refused ? 1 : 0) << site.status_lines.join('\n').toStdString();
  }
}

TEST(TulmenConversionTest, TakenArchiveNameKeepsBothCopies) {
  tulmen_site site;
  const QByteArray first = site.drop("B_export.csv");
  site.convert();
  tulmen_measurement second_file;
  second_file.positions = QStringList{"5", "6"};
  const QByteArray second = site.drop("B_export.csv", second_file);
  site.convert();

  EXPECT_EQ(site.tree.read(site.archive("B_export.csv")), first);
  EXPECT_EQ(site.tree.read(site.archive("B_export_2.csv")), second);
  EXPECT_TRUE(site.status_lines.contains(site.folder("arch/P/2024/3/5/L") +
                                         "B_export.csv is taken; the archive copy is kept as " +
                                         site.path(site.archive("B_export_2.csv"))));
  EXPECT_TRUE(site.files("in").isEmpty());
}

TEST(TulmenConversionTest, ScanFileNeverGetsAnEmptyName) {
  const struct {
    const char* input;
    const char* base;
  } cases[] = {
      {"A123_export.csv", "A123"}, {"_export.csv", "_export"}, {"x.csv", "x"}, {".csv", ".csv"}};
  for (const auto& c : cases) {
    EXPECT_EQ(conversion::tulmen_scan_base(c.input), QString::fromLatin1(c.base)) << c.input;
  }
}

TEST(TulmenConversionTest, WithoutAnArchiveAFileGivingNoScanFileIsKeptAside) {
  tulmen_site site;
  site.ctx.archive_root.clear();
  tulmen_measurement m;
  m.lines = 600;
  const QByteArray bytes = site.drop("C_export.csv", m);
  site.convert();
  EXPECT_EQ(site.files("in"), QStringList{"C_export.csv.failed"});
  EXPECT_EQ(site.tree.read("in/C_export.csv.failed"), bytes);
  EXPECT_TRUE(site.status_lines.last().startsWith("Error: No scan file was written"))
      << site.status_lines.last().toStdString();
}

TEST(TulmenConversionTest, ScanFileThatCannotBeWrittenKeepsTheInput) {
  tulmen_site site;
  site.fault.refuse_replace(site.path("out"));
  const QByteArray bytes = site.drop("D_export.csv");
  site.convert();
  EXPECT_TRUE(site.files("out").isEmpty());
  EXPECT_EQ(site.files("in"), QStringList{"D_export.csv.failed"});
  EXPECT_EQ(site.tree.read(site.archive("D_export.csv")), bytes);
}

TEST(TulmenConversionTest, FileHeldOpenIsLeftAndReported) {
  tulmen_site site;
  site.drop("E_export.csv");
  test_support::holder_process holder(site.path("in/E_export.csv"),
                                      test_support::holder_process::mode::read);
  site.convert();
  EXPECT_EQ(site.files("in"), QStringList{"E_export.csv"});
  EXPECT_EQ(site.status_lines.last(),
            site.path("in/E_export.csv") + " could not be copied - the file is open");
  EXPECT_TRUE(site.files("arch").isEmpty());
}

TEST(TulmenConversionTest, IdentifiedProductHoldsForTheFilesAfterIt) {
  tulmen_site site;
  site.tree.make_folder("out2");
  int calls = 0;
  site.options.identify_product = [&](float, conversion::context& ctx) {
    ++calls;
    ctx.product = "Q";
    ctx.output_folder = site.path("out2");
  };
  site.drop("F_export.csv");
  site.drop("G_export.csv");
  site.convert();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(site.files("out2"), (QStringList{"F.scn", "G.scn"}));
  // The first file is archived under the product before its identification.
  EXPECT_TRUE(site.tree.exists(site.archive("F_export.csv")));
  EXPECT_TRUE(site.tree.exists("arch/Q/2024/3/5/L/G_export.csv"));
}

// Without an archive copy the scan file is still written; the input is the
// only other holder of the measurement, so it is kept, not deleted.
TEST(TulmenConversionTest, AnArchiveFolderThatCannotBeCreatedStillGivesTheScanFile) {
  tulmen_site site;
  site.tree.write("arch/P/2024", "a file where the year's folder belongs");
  const QByteArray bytes = site.drop("G_export.csv");
  site.drop("H_export.csv");
  site.convert();
  EXPECT_EQ(site.files("out"), (QStringList{"G.scn", "H.scn"}));
  EXPECT_EQ(site.files("in"), (QStringList{"G_export.csv.failed", "H_export.csv.failed"}));
  EXPECT_EQ(site.tree.read("in/G_export.csv.failed"), bytes);
  EXPECT_TRUE(site.status_lines.contains(site.path("arch/P/2024") + " could not be created!"));
  EXPECT_TRUE(site.status_lines.contains(
      "Error: The archive copy could not be written. The measurement G_export.csv is kept as " +
      site.path("in/G_export.csv.failed") + "."))
      << site.status_lines.join('\n').toStdString();
}

// A run killed between the archive copy and the deletion of its input.
struct killed_at_deletion : platform::EnvWrapper {
  struct killed {};
  explicit killed_at_deletion(QString input)
      : EnvWrapper(&platform::env()), input_(std::move(input)) {}
  platform::Status delete_file(const QString& path) override {
    if (path == input_) throw killed();
    return EnvWrapper::delete_file(path);
  }
  QString input_;
};

TEST(TulmenConversionTest, ARunKilledBeforeTheDeletionArchivesTheFileOnlyOnce) {
  tulmen_site site;
  site.ctx.claim_journal = site.path("claims");
  const QByteArray bytes = site.drop("K_export.csv");
  {
    killed_at_deletion kill(site.path("in/K_export.csv"));
    const platform::ScopedEnv use(&kill);
    EXPECT_THROW(site.convert(), killed_at_deletion::killed);
  }
  EXPECT_EQ(site.files("in"), QStringList{"K_export.csv"});
  EXPECT_EQ(site.files("arch/P/2024/3/5/L"), QStringList{"K_export.csv"});
  EXPECT_EQ(site.files("claims").size(), 1);

  // The next start.
  conversion::recover_claims(site.ctx.claim_journal,
                             [&site](const QString& line) { site.board << line; });
  EXPECT_EQ(site.board, QStringList{"The measurement " + site.path("in/K_export.csv") +
                                    " was being converted when the scanner stopped; its archive "
                                    "copy " +
                                    site.path(site.archive("K_export.csv")) +
                                    " is already there, and it is converted again."});
  EXPECT_TRUE(site.files("claims").isEmpty());
  site.status_lines.clear();
  site.convert();
  EXPECT_TRUE(site.files("in").isEmpty());
  EXPECT_EQ(site.files("arch/P/2024/3/5/L"), QStringList{"K_export.csv"});
  EXPECT_EQ(site.tree.read(site.archive("K_export.csv")), bytes);
  EXPECT_EQ(site.files("out"), QStringList{"K.scn"});
  EXPECT_TRUE(site.status_lines.filter(" is taken").isEmpty());
  EXPECT_TRUE(site.files("claims").isEmpty());
}

TEST(TulmenConversionTest, AnIdenticalCopyInTheArchiveIsNotCopiedAgain) {
  tulmen_site site;
  // The same measurement already archived under a variant of its name.
  tulmen_measurement other;
  other.positions = QStringList{"5", "6"};
  site.tree.write(site.archive("M_export.csv"), test_support::tulmen_bytes(other));
  site.tree.write(site.archive("M_export_2.csv"), test_support::tulmen_bytes({}));
  site.drop("M_export.csv");
  site.convert();
  EXPECT_TRUE(site.files("in").isEmpty());
  EXPECT_EQ(site.files("arch/P/2024/3/5/L"), (QStringList{"M_export.csv", "M_export_2.csv"}));
  EXPECT_EQ(site.files("out"), QStringList{"M.scn"});
}

}  // namespace
