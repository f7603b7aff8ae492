// The exsitu conversion on real folders: reading the measurement file into
// the scan file, claiming, archiving and keeping every measurement safe.

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>

#include "basics/text.h"
#include "basics/text_file.h"
#include "conversion/exsitu_conversion.h"
#include "conversion_site.h"
#include "support/exsitu_file.h"
#include "support/holder_process.h"

namespace {

using test_support::conversion_site;
using test_support::expected_scan_file;
using test_support::exsitu_lines;
using test_support::exsitu_plate;
using test_support::plate_with;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// The input folder "in", the output "out" and the archive "arch", for the
// product "P" and the measurement "L".
struct exsitu_site : conversion_site {
  exsitu_site() { use_standard_folders(kNow); }
  QString drop(const QString& name, const exsitu_plate& p,
               const QDateTime& written = kNow.addSecs(-60)) {
    return write_lines("in/" + name, exsitu_lines(p), written);
  }
  void convert() {
    conversion::exsitu_state state{record, plate};
    conversion::handle_exsitu(ctx, state, {});
  }
  QStringList input_files() const { return files("in"); }
  QString today_archive(const QString& name) const { return "arch/P/2024/3/5/L/" + name; }
  basics::scan_data scan(const QString& name) const {
    basics::scan_data scanned;
    scanned.loadfromfile(path("out/" + name));
    return scanned;
  }
};

TEST(ExsituConversionTest, ScanFileHoldsEveryValueByteByByte) {
  for (const int positions : {33, 3}) {
    SCOPED_TRACE(positions);
    exsitu_site site;
    const exsitu_plate p = plate_with(positions, "77");
    site.drop("plate.csv", p, QDateTime(QDate(2024, 3, 4), QTime(10, 15, 37)));
    site.convert();
    EXPECT_EQ(site.tree.read("out/77.scn"),
              expected_scan_file(p, QDateTime(QDate(2024, 3, 4), QTime(10, 15, 36))));
    EXPECT_TRUE(site.board.isEmpty()) << site.board.join('\n').toStdString();
    EXPECT_TRUE(site.input_files().isEmpty());
    EXPECT_EQ(site.plate, 77);
  }
}

TEST(ExsituConversionTest, DeselectedPointTakesNoSlot) {
  exsitu_site site;
  site.ctx.point_selected = [](int point) { return point != 2; };
  site.drop("plate.csv", plate_with(4, "5"));
  site.convert();
  const basics::scan_data record = site.scan("5.scn");
  // Only the three selected positions: a fourth slot would carry an earlier
  // plate's values.
  EXPECT_EQ(record.no_positions, 3);
  EXPECT_EQ(record.positions.mid(0, 3), (QVector<qint32>{10, 30, 40}));
  EXPECT_FLOAT_EQ(record.sheet_resistance[1], 2.0f);
  EXPECT_FLOAT_EQ(record.spectral_data[record.the_index(1, 2, 7)],
                  float(exsitu_plate::spectral_value(2, 2, 7)));
  EXPECT_FLOAT_EQ(record.spectral_data[record.the_index(2, 0, 0)],
                  float(exsitu_plate::spectral_value(0, 3, 0)));
}

TEST(ExsituConversionTest, UnconvertibleValuesAreReportedAndKeepTheirSlots) {
  exsitu_site site;
  site.drop("a.csv", plate_with(3, "1"));
  site.convert();

  exsitu_plate bad = plate_with(3, "7b");
  bad.positions[1] = "12a";
  bad.marker = false;
  bad.value = [](int s, int i, int j) {
    if (s == 0 && i == 0 && j == 5) return QString();
    if (s == 1 && i == 2 && j == 0) return QStringLiteral("q");
    if (s == 2 && i == 0 && j == 2) return QStringLiteral("x");
    return QString::number(exsitu_plate::spectral_value(s, i, j) + 1, 'f', 3);
  };
  site.drop("b.csv", bad);
  site.convert();

  EXPECT_EQ(site.board,
            (QStringList{"Error: 7b could not be converted to a plate number.",
                         "12a could not be converted to a position.",
                         "R glass, Pos. 0    could not be converted to a spectral value.",
                         "R coating, Pos. 2   q could not be converted to a spectral value.",
                         "T, Pos. 0  , spectral pos. 2   x could not be converted to a spectral "
                         "value."}));
  const basics::scan_data record = site.scan("7.scn");
  EXPECT_EQ(record.positions, (QVector<qint32>{10, 20, 30}));               // 20 kept from plate 1
  EXPECT_EQ(record.sheet_resistance, (QVector<float>{1.5f, 1.75f, 2.0f}));  // no marker
  EXPECT_FLOAT_EQ(record.spectral_data[record.the_index(0, 0, 5)],
                  float(exsitu_plate::spectral_value(0, 0, 5)));
  EXPECT_FLOAT_EQ(record.spectral_data[record.the_index(0, 0, 6)],
                  float(exsitu_plate::spectral_value(0, 0, 6) + 1));
}

TEST(ExsituConversionTest, PlateFieldGivesItsLeadingDigits) {
  const struct {
    const char* field;
    const char* scan;
  } cases[] = {{"A7", "0.scn"}, {"-12x", "-12.scn"}, {" 1234 ", "1234.scn"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    exsitu_site site;
    site.drop("a.csv", plate_with(2, c.field));
    site.convert();
    EXPECT_TRUE(site.tree.exists("out/" + QString::fromLatin1(c.scan)));
  }
}

TEST(ExsituConversionTest, PlateNamesScanFileAndArchiveCopy) {
  exsitu_site site;
  site.drop("measured.csv", plate_with(33, "1234"));
  const QByteArray original = site.tree.read("in/measured.csv");
  site.convert();
  EXPECT_TRUE(site.tree.exists("out/1234.scn"));
  EXPECT_EQ(site.tree.read(site.today_archive("exsitu_1234.csv")), original);
  EXPECT_TRUE(site.input_files().isEmpty());
  EXPECT_EQ(site.status_lines,
            QStringList{basics::date_time_stamp() + "   Converting exsitu data ..."});
}

// A plate measured twice a day: the second scan file replaces the first, as
// the analysis programs expect, but both raw measurements are kept.
TEST(ExsituConversionTest, APlateMeasuredTwiceKeepsBothRawFiles) {
  exsitu_site site;
  site.drop("first.csv", plate_with(3, "500"));
  const QByteArray first = site.tree.read("in/first.csv");
  site.convert();
  exsitu_plate remeasured = plate_with(4, "500");
  site.drop("second.csv", remeasured);
  const QByteArray second = site.tree.read("in/second.csv");
  site.convert();
  EXPECT_EQ(site.scan("500.scn").no_positions, 4);
  EXPECT_EQ(site.tree.read(site.today_archive("exsitu_500.csv")), first);
  EXPECT_EQ(site.tree.read(site.today_archive("exsitu_500_2.csv")), second);
  EXPECT_EQ(site.board, QStringList{site.path(site.today_archive("exsitu_500.csv")) +
                                    " is taken; the measurement second.csv is archived as " +
                                    site.path(site.today_archive("exsitu_500_2.csv")) + "."});
}

TEST(ExsituConversionTest, ArchivesUnderDateOfMeasurementWhenAsked) {
  exsitu_site site;
  site.fault.set_now(QDateTime(QDate(2024, 1, 2), QTime(8, 0)));
  site.ctx.archive_by_date_of_measurement = true;
  site.drop("a.csv", plate_with(3, "5"), QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)));
  site.convert();
  EXPECT_TRUE(site.tree.exists("arch/P/2023/12/31/L/exsitu_5.csv"));
}

TEST(ExsituConversionTest, TenFilesPerCall) {
  exsitu_site site;
  for (int n = 0; n < 12; ++n) {
    site.drop(QStringLiteral("f%1.csv").arg(n, 2, 10, QLatin1Char('0')),
              plate_with(2, QString::number(100 + n)));
  }
  site.convert();
  EXPECT_EQ(QDir(site.path("out")).entryList({"*.scn"}, QDir::Files).size(), 10);
  EXPECT_EQ(site.input_files().size(), 2);
  site.convert();
  EXPECT_EQ(QDir(site.path("out")).entryList({"*.scn"}, QDir::Files).size(), 12);
  EXPECT_TRUE(site.input_files().isEmpty());
}

TEST(ExsituConversionTest, FileHeldOpenByAnotherProcessWaitsSilently) {
  exsitu_site site;
  const QString file = site.drop("a.csv", plate_with(2, "3"));
  {
    test_support::holder_process holder(file, test_support::holder_process::mode::write);
    site.convert();
    EXPECT_EQ(site.input_files(), QStringList{"a.csv"});
    EXPECT_TRUE(site.board.isEmpty());
    EXPECT_FALSE(site.tree.exists("out/3.scn"));
    // Not even "Could not rename" on the status line.
    EXPECT_TRUE(site.status_lines.isEmpty()) << site.status_lines.join('\n').toStdString();
  }
  site.convert();
  EXPECT_TRUE(site.tree.exists("out/3.scn"));
}

#ifdef Q_OS_WIN
// Only a handle that refuses deletion holds a file back: a viewer that
// shares it lets the scan take the file while the viewer still has it open.
TEST(ExsituConversionTest, AViewerSharingDeletionDoesNotHoldUpTheFile) {
  exsitu_site site;
  const QString file = site.drop("a.csv", plate_with(2, "3"));
  test_support::holder_process viewer(file, test_support::holder_process::mode::shared_delete);
  site.convert();
  EXPECT_TRUE(site.tree.exists("out/3.scn"));
  EXPECT_TRUE(site.tree.exists(site.today_archive("exsitu_3.csv")));
  EXPECT_FALSE(site.input_files().contains("a.csv"));
  viewer.release();
  EXPECT_TRUE(site.input_files().isEmpty()) << site.input_files().join(' ').toStdString();
}
#endif

// Files short of the three spectral blocks are refused whole: converting a
// part would carry the previous plate's values into this plate's scan file.
TEST(ExsituConversionTest, ShortFilesAreRefusedAndArchivedUnderTheirOwnName) {
  const struct {
    int lines;
    bool converted;
  } cases[] = {{100, false}, {101, false}, {403, false}, {404, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    exsitu_site site;
    exsitu_plate p = plate_with(3, "9");
    p.line_count = c.lines;
    site.drop("short.csv", p);
    site.convert();
    EXPECT_EQ(site.tree.exists("out/9.scn"), c.converted);
    EXPECT_TRUE(site.input_files().isEmpty());
    if (c.converted) continue;
    ASSERT_EQ(site.board.size(), 2);
    EXPECT_TRUE(site.board[0].startsWith("Length of file " + site.folder("in")));
    EXPECT_TRUE(site.board[0].endsWith(".tmp too small!"));
    // The temporary name is gone after the pass; the board says where the
    // measurement went.
    EXPECT_EQ(site.board[1], "The measurement short.csv is archived as " +
                                 site.path(site.today_archive("refused_short.csv")) + ".");
    EXPECT_TRUE(site.tree.exists(site.today_archive("refused_short.csv")));
  }
}

// Without an archive a converted file lives on in its scan file and is
// deleted; a refused one would be lost with no copy anywhere, so it is set
// aside.
TEST(ExsituConversionTest, WithoutAnArchiveOnlyARefusedFileIsKept) {
  const struct {
    const char* name;
    int line_count;
    bool converted;
  } cases[] = {{"converted", 404, true}, {"refused", 200, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    exsitu_site site;
    site.ctx.archive_root.clear();
    exsitu_plate p = plate_with(3, "9");
    p.line_count = c.line_count;
    site.drop("short.csv", p);
    const QByteArray original = site.tree.read("in/short.csv");
    site.convert();
    EXPECT_EQ(site.tree.exists("out/9.scn"), c.converted);
    EXPECT_TRUE(QDir(site.path("arch")).isEmpty());
    if (c.converted) {
      EXPECT_TRUE(site.input_files().isEmpty());
      EXPECT_TRUE(site.board.isEmpty()) << site.board.join('\n').toStdString();
      continue;
    }
    EXPECT_EQ(site.input_files(), QStringList{"short.csv.failed"});
    EXPECT_EQ(site.tree.read("in/short.csv.failed"), original);
    ASSERT_EQ(site.board.size(), 2);
    EXPECT_TRUE(site.board[0].endsWith(".tmp too small!"));
    EXPECT_EQ(site.board[1],
              "Error: There is no archive folder to keep the refused file in. The measurement "
              "short.csv is kept as " +
                  site.path("in/short.csv.failed") + ".");
  }
}

TEST(ExsituConversionTest, RefusedFilesNeverReplaceAnotherArchiveCopy) {
  exsitu_site site;
  site.drop("a.csv", plate_with(3, "0"));
  site.convert();
  const QByteArray converted_copy = site.tree.read(site.today_archive("exsitu_0.csv"));
  for (int n = 0; n < 2; ++n) {
    exsitu_plate p = plate_with(3, "0");
    p.line_count = 50 + n;
    site.drop("b.csv", p);
    site.convert();
  }
  EXPECT_EQ(site.tree.read(site.today_archive("exsitu_0.csv")), converted_copy);
  EXPECT_EQ(basics::read_lines(site.path(site.today_archive("refused_b.csv"))).size(), 50);
  EXPECT_EQ(basics::read_lines(site.path(site.today_archive("refused_b_2.csv"))).size(), 51);
}

TEST(ExsituConversionTest, PositionCountBeyondTheRecordIsRefused) {
  const struct {
    const char* line;
    QString refusal;
  } cases[] = {{"Position,mm",
                "Error: line 8 of file wide.csv lists no positions (they follow its second "
                "comma, and it has 1); no scan file written."},
               {"Position,mm,x,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,"
                "18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34",
                "Error: file wide.csv holds 34 positions, a scan file takes 0 to 33; no scan "
                "file written."}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    exsitu_site site;
    QStringList lines = exsitu_lines(plate_with(3, "4"));
    lines[7] = QString::fromLatin1(c.line);
    site.write_lines("in/wide.csv", lines, kNow.addSecs(-60));
    site.convert();
    EXPECT_EQ(
        site.board,
        QStringList({c.refusal, "The measurement wide.csv is archived as " +
                                    site.path(site.today_archive("refused_wide.csv")) + "."}));
    EXPECT_TRUE(QDir(site.path("out")).isEmpty());
    EXPECT_TRUE(site.tree.exists(site.today_archive("refused_wide.csv")));
    EXPECT_TRUE(site.input_files().isEmpty());
  }
}

TEST(ExsituConversionTest, MeasurementIsSetAsideWhenItCannotBeSavedOrArchived) {
  const struct {
    const char* name;
    std::function<void(exsitu_site&)> fault;
    bool scan_file;
  } cases[] = {
      {"scan file cannot be written",
       [](exsitu_site& s) {
         s.fault.fail_writes_after(10, s.ctx.output_folder + platform::kDelimiter);
       },
       false},
      {"archive copy cannot be written",
       [](exsitu_site& s) { s.fault.refuse_create_folder("arch"); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    exsitu_site site;
    site.drop("a.csv", plate_with(3, "8"));
    const QByteArray original = site.tree.read("in/a.csv");
    c.fault(site);
    site.convert();
    EXPECT_EQ(site.input_files(), QStringList{"a.csv.failed"});
    EXPECT_EQ(site.tree.read("in/a.csv.failed"), original);
    EXPECT_EQ(site.tree.exists("out/8.scn"), c.scan_file);
    ASSERT_EQ(site.board.size(), 1);
    EXPECT_TRUE(site.board[0].startsWith("Error: "));
    if (c.scan_file) {
      ASSERT_FALSE(site.status_lines.isEmpty());
      EXPECT_EQ(site.status_lines.last(),
                site.path("arch/P/2024/3/5/L") + " could not be created!");
    }
    EXPECT_TRUE(site.board[0].endsWith("The measurement a.csv is kept as " +
                                       site.path("in/a.csv.failed") + "."));
    // The system's error text is a sentence of its own.
    EXPECT_FALSE(site.board[0].contains(QRegularExpression("[a-z] The measurement")))
        << site.board[0].toStdString();
  }
}

// The measurement is converted and archived; what is left is a spare copy
// under a name no scan picks up, which the operator has to be told of.
TEST(ExsituConversionTest, TemporaryCopyThatCannotBeDeletedIsReported) {
  exsitu_site site;
  site.drop("a.csv", plate_with(3, "8"));
  const QByteArray original = site.tree.read("in/a.csv");
  site.fault.refuse_delete(".tmp");
  site.convert();
  EXPECT_TRUE(site.tree.exists("out/8.scn"));
  EXPECT_EQ(site.tree.read(site.today_archive("exsitu_8.csv")), original);
  const QStringList left = site.input_files();
  ASSERT_EQ(left.size(), 1);
  EXPECT_TRUE(left[0].endsWith(".tmp"));
  EXPECT_EQ(site.tree.read("in/" + left[0]), original);
  ASSERT_EQ(site.board.size(), 1);
  EXPECT_TRUE(site.board[0].startsWith("Error: "));
  EXPECT_TRUE(site.board[0].contains(site.path("in/" + left[0]))) << site.board[0].toStdString();

  // The spare copy is not claimed again.
  site.convert();
  EXPECT_EQ(site.input_files(), left);
  EXPECT_EQ(site.board.size(), 1);
}

TEST(ExsituConversionTest, YoungFileWaitsForTheSettleTime) {
  exsitu_site site;
  site.ctx.settle_seconds = 30;
  site.drop("a.csv", plate_with(2, "6"), kNow.addSecs(-10));
  site.convert();
  EXPECT_EQ(site.input_files(), QStringList{"a.csv"});
  site.fault.advance_now(25);
  site.convert();
  EXPECT_TRUE(site.tree.exists("out/6.scn"));

  // A writer whose clock runs ahead: the file waits until it has stood
  // still for the settle time by this scanner's clock.
  site.drop("b.csv", plate_with(2, "16"), site.fault.now().addSecs(3600));
  site.convert();
  EXPECT_EQ(site.input_files(), QStringList{"b.csv"});
  site.fault.advance_now(30);
  site.convert();
  EXPECT_TRUE(site.tree.exists("out/16.scn"));
}

}  // namespace
