// The exsitu conversion on real folders: reading the measurement file into
// the scan file, claiming, archiving and keeping every measurement safe.

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <functional>

#include "basics/text_file.h"
#include "scanner_site.h"
#include "support/exsitu_file.h"
#include "support/holder_process.h"

namespace {

using test_support::expected_scan_file;
using test_support::exsitu_lines;
using test_support::exsitu_plate;
using test_support::plate_with;
using test_support::scanner_site;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// A VELLIC tree with an archive, the input folder "in", the output "out".
struct exsitu_site : scanner_site {
  exsitu_site() {
    make_vellic_tree();
    tree.make_folder("out");
    tree.make_folder("arch");
    fault.set_now(kNow);
    window = create_window();
    window->input_path = folder("in");
    window->total_output_path = path("out");
    window->product = "P";
    window->lumor_name = "L";
    window->external_archive_directory = folder("arch");
  }
  QString drop(const QString& name, const exsitu_plate& p,
               const QDateTime& written = kNow.addSecs(-60)) {
    const QString file = path("in/" + name);
    basics::write_lines(file, exsitu_lines(p));
    fault.set_last_modified(file, written);
    return file;
  }
  QStringList board() const {
    const QString text = window->messages->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
  }
  QStringList input_files() const { return QDir(path("in")).entryList(QDir::Files, QDir::Name); }
  QString today_archive(const QString& name) const { return "arch/P/2024/3/5/L/" + name; }
  basics::scan_data scan(const QString& name) const {
    basics::scan_data record;
    record.loadfromfile(path("out/" + name));
    return record;
  }
  std::unique_ptr<TDORNIK_scanner_main> window;
};

TEST(ExsituTest, ScanFileHoldsEveryValueByteByByte) {
  for (const int positions : {33, 3}) {
    SCOPED_TRACE(positions);
    exsitu_site site;
    const exsitu_plate p = plate_with(positions, "77");
    site.drop("plate.csv", p, QDateTime(QDate(2024, 3, 4), QTime(10, 15, 37)));
    site.window->handle_exsitu_data();
    EXPECT_EQ(site.tree.read("out/77.scn"),
              expected_scan_file(p, QDateTime(QDate(2024, 3, 4), QTime(10, 15, 36))));
    EXPECT_TRUE(site.board().isEmpty()) << site.board().join('\n').toStdString();
    EXPECT_TRUE(site.input_files().isEmpty());
  }
}

TEST(ExsituTest, DeselectedPointTakesNoSlot) {
  exsitu_site site;
  site.window->point_selected[2] = false;
  site.drop("plate.csv", plate_with(4, "5"));
  site.window->handle_exsitu_data();
  const basics::scan_data record = site.scan("5.scn");
  EXPECT_EQ(record.no_positions, 4);
  EXPECT_EQ(record.positions.mid(0, 3), (QVector<qint32>{10, 30, 40}));
  EXPECT_FLOAT_EQ(record.sheet_resistance[1], 2.0f);
  EXPECT_FLOAT_EQ(record.spectral_data[record.the_index(1, 2, 7)],
                  float(exsitu_plate::spectral_value(2, 2, 7)));
  EXPECT_FLOAT_EQ(record.spectral_data[record.the_index(2, 0, 0)],
                  float(exsitu_plate::spectral_value(0, 3, 0)));
}

TEST(ExsituTest, UnconvertibleValuesAreReportedAndKeepTheirSlots) {
  exsitu_site site;
  site.drop("a.csv", plate_with(3, "1"));
  site.window->handle_exsitu_data();

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
  site.window->handle_exsitu_data();

  EXPECT_EQ(site.board(),
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

TEST(ExsituTest, PlateFieldGivesItsLeadingDigits) {
  const struct {
    const char* field;
    const char* scan;
  } cases[] = {{"A7", "0.scn"}, {"-12x", "-12.scn"}, {" 1234 ", "1234.scn"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    exsitu_site site;
    site.drop("a.csv", plate_with(2, c.field));
    site.window->handle_exsitu_data();
    EXPECT_TRUE(site.tree.exists("out/" + QString::fromLatin1(c.scan)));
  }
}

TEST(ExsituTest, PlateNamesScanFileAndArchiveCopy) {
  exsitu_site site;
  const QString file = site.drop("measured.csv", plate_with(33, "1234"));
  const QByteArray original = site.tree.read("in/measured.csv");
  site.window->handle_exsitu_data();
  EXPECT_TRUE(site.tree.exists("out/1234.scn"));
  EXPECT_EQ(site.tree.read(site.today_archive("exsitu_1234.csv")), original);
  EXPECT_TRUE(site.input_files().isEmpty());
  EXPECT_TRUE(site.window->action_label->text().endsWith("   Converting exsitu data ..."));
}

TEST(ExsituTest, ArchivesUnderDateOfMeasurementWhenAsked) {
  exsitu_site site;
  site.fault.set_now(QDateTime(QDate(2024, 1, 2), QTime(8, 0)));
  site.window->archive_using_date_of_measurement = true;
  site.drop("a.csv", plate_with(3, "5"), QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)));
  site.window->handle_exsitu_data();
  EXPECT_TRUE(site.tree.exists("arch/P/2023/12/31/L/exsitu_5.csv"));
}

TEST(ExsituTest, TenFilesPerCall) {
  exsitu_site site;
  for (int n = 0; n < 12; ++n) {
    site.drop(QStringLiteral("f%1.csv").arg(n, 2, 10, QLatin1Char('0')),
              plate_with(2, QString::number(100 + n)));
  }
  site.window->handle_exsitu_data();
  EXPECT_EQ(QDir(site.path("out")).entryList({"*.scn"}, QDir::Files).size(), 10);
  EXPECT_EQ(site.input_files().size(), 2);
  site.window->handle_exsitu_data();
  EXPECT_EQ(QDir(site.path("out")).entryList({"*.scn"}, QDir::Files).size(), 12);
  EXPECT_TRUE(site.input_files().isEmpty());
}

TEST(ExsituTest, FileHeldOpenByAnotherProcessWaits) {
  exsitu_site site;
  const QString file = site.drop("a.csv", plate_with(2, "3"));
  {
    test_support::holder_process holder(file, test_support::holder_process::mode::write);
    site.window->handle_exsitu_data();
    EXPECT_EQ(site.input_files(), QStringList{"a.csv"});
    EXPECT_TRUE(site.board().isEmpty());
    EXPECT_FALSE(site.tree.exists("out/3.scn"));
    EXPECT_FALSE(site.window->action_label->text().contains("Could not rename"));
  }
  site.window->handle_exsitu_data();
  EXPECT_TRUE(site.tree.exists("out/3.scn"));
}

// Files short of the three spectral blocks are refused whole: converting a
// part would carry the previous plate's values into this plate's scan file.
TEST(ExsituTest, ShortFilesAreRefusedAndArchivedUnderTheirOwnName) {
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
    site.window->handle_exsitu_data();
    EXPECT_EQ(site.tree.exists("out/9.scn"), c.converted);
    EXPECT_TRUE(site.input_files().isEmpty());
    if (c.converted) continue;
    ASSERT_EQ(site.board().size(), 2);
    EXPECT_TRUE(site.board()[0].startsWith("Length of file " + site.folder("in")));
    EXPECT_TRUE(site.board()[0].endsWith(".tmp too small!"));
    // The temporary name is gone after the pass; the board says where the
    // measurement went.
    EXPECT_EQ(site.board()[1], "The measurement short.csv is archived as " +
                                   site.path(site.today_archive("refused_short.csv")) + ".");
    EXPECT_TRUE(site.tree.exists(site.today_archive("refused_short.csv")));
  }
}

// Without an archive a refused file would be deleted with no copy anywhere.
TEST(ExsituTest, RefusedFileIsSetAsideWhenThereIsNoArchive) {
  exsitu_site site;
  site.window->external_archive_directory.clear();  // and the tree has no archive folder
  exsitu_plate p = plate_with(3, "9");
  p.line_count = 200;
  site.drop("short.csv", p);
  const QByteArray original = site.tree.read("in/short.csv");
  site.window->handle_exsitu_data();
  EXPECT_EQ(site.input_files(), QStringList{"short.csv.failed"});
  EXPECT_EQ(site.tree.read("in/short.csv.failed"), original);
  ASSERT_EQ(site.board().size(), 2);
  EXPECT_TRUE(site.board()[0].endsWith(".tmp too small!"));
  EXPECT_EQ(site.board()[1],
            "Error: There is no archive folder to keep the refused file in. The measurement "
            "short.csv is kept as " +
                site.path("in/short.csv.failed") + ".");
}

TEST(ExsituTest, RefusedFilesNeverReplaceAnotherArchiveCopy) {
  exsitu_site site;
  site.drop("a.csv", plate_with(3, "0"));
  site.window->handle_exsitu_data();
  const QByteArray converted_copy = site.tree.read(site.today_archive("exsitu_0.csv"));
  for (int n = 0; n < 2; ++n) {
    exsitu_plate p = plate_with(3, "0");
    p.line_count = 50 + n;
    site.drop("b.csv", p);
    site.window->handle_exsitu_data();
  }
  EXPECT_EQ(site.tree.read(site.today_archive("exsitu_0.csv")), converted_copy);
  EXPECT_EQ(basics::read_lines(site.path(site.today_archive("refused_b.csv"))).size(), 50);
  EXPECT_EQ(basics::read_lines(site.path(site.today_archive("refused_b_2.csv"))).size(), 51);
}

TEST(ExsituTest, PositionCountBeyondTheRecordIsRefused) {
  const struct {
    const char* line;
    int count;
  } cases[] = {{"Position,mm", -1},
               {"Position,mm,x,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,"
                "18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34",
                34}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    exsitu_site site;
    QStringList lines = exsitu_lines(plate_with(3, "4"));
    lines[7] = QString::fromLatin1(c.line);
    basics::write_lines(site.path("in/wide.csv"), lines);
    site.window->handle_exsitu_data();
    EXPECT_EQ(site.board(),
              QStringList({QStringLiteral("Error: file wide.csv holds %1 positions, a scan file "
                                          "takes 0 to 33; no scan file written.")
                               .arg(c.count),
                           "The measurement wide.csv is archived as " +
                               site.path(site.today_archive("refused_wide.csv")) + "."}));
    EXPECT_TRUE(QDir(site.path("out")).isEmpty());
    EXPECT_TRUE(site.tree.exists(site.today_archive("refused_wide.csv")));
    EXPECT_TRUE(site.input_files().isEmpty());
  }
}

TEST(ExsituTest, MeasurementIsSetAsideWhenItCannotBeSavedOrArchived) {
  const struct {
    const char* name;
    std::function<void(exsitu_site&)> fault;
    bool scan_file;
  } cases[] = {
      {"scan file cannot be written", [](exsitu_site& s) { s.fault.fail_writes_after(10, ".scn"); },
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
    site.window->handle_exsitu_data();
    EXPECT_EQ(site.input_files(), QStringList{"a.csv.failed"});
    EXPECT_EQ(site.tree.read("in/a.csv.failed"), original);
    EXPECT_EQ(site.tree.exists("out/8.scn"), c.scan_file);
    ASSERT_EQ(site.board().size(), 1);
    EXPECT_TRUE(site.board()[0].startsWith("Error: "));
    if (c.scan_file) {
      EXPECT_EQ(site.window->action_label->text(),
                site.path("arch/P/2024/3/5/L") + " could not be created!");
    }
    EXPECT_TRUE(site.board()[0].endsWith("The measurement a.csv is kept as " +
                                         site.path("in/a.csv.failed") + "."));
  }
}

TEST(ExsituTest, YoungFileWaitsForTheSettleTime) {
  exsitu_site site;
  site.window->process_file_delay_time_in_seconds = 30;
  site.drop("a.csv", plate_with(2, "6"), kNow.addSecs(-10));
  site.window->handle_exsitu_data();
  EXPECT_EQ(site.input_files(), QStringList{"a.csv"});
  site.fault.advance_now(25);
  site.window->handle_exsitu_data();
  EXPECT_TRUE(site.tree.exists("out/6.scn"));

  site.drop("b.csv", plate_with(2, "16"), site.fault.now().addSecs(3600));  // skewed clock
  site.window->handle_exsitu_data();
  EXPECT_TRUE(site.tree.exists("out/16.scn"));
}

}  // namespace
