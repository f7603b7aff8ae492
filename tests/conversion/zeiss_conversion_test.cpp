// The Zeiss conversion on real folders with two measurement systems: the
// plate classified by its positions, the product switched for production
// and maintenance only, postbake samples with their offsets, and every file
// that cannot be converted archived in the production system, never lost.

#include <QDate>
#include <QDateTime>

#include <gtest/gtest.h>

#include "basics/ole_date.h"
#include "basics/zeiss_file.h"
#include "conversion/zeiss_conversion.h"
#include "conversion_site.h"
#include "support/holder_process.h"
#include "support/zeiss_file.h"

namespace {

using test_support::conversion_site;
using test_support::zeiss_bytes;
using test_support::zeiss_measurement;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));
const QDateTime kWritten(QDate(2024, 2, 1), QTime(9, 0, 3));

// Production system "prod" (product "P1", archive "prod/archive/") and
// postbake system "pb" (product "PB"), the input folder "in".
struct zeiss_site : conversion_site {
  zeiss_site() {
    for (const char* f : {"in", "prod/archive", "pb/archive", "prod/P1/L/new",
                          "prod/P1 maintenance/L/new", "pb/PB/L/new"}) {
      tree.make_folder(f);
    }
    fault.set_now(kNow);
    ctx.input_folder = folder("in");
    ctx.product = "P1";
    ctx.output_folder = path("prod/P1/L/new");
    ctx.lumor_name = "L";
    ctx.archive_root = folder("prod/archive");
    options.postbake.output_folder = path("pb/PB/L/new");
    options.postbake.product = "PB";
    options.postbake.archive_root = folder("pb/archive");
    options.switch_product = [this](const QString& text, qint32 mode, conversion::context& c) {
      switches << QStringLiteral("%1 %2").arg(text).arg(mode);
      // The production system's product follows only outside postbake.
      if (mode < 0) {
        c.product = text;
        c.output_folder = path("prod/" + text + "/L/new");
      }
    };
    options.clear_board = [this] { board << "<cleared>"; };
    options.message_box = [this](const QString& text) { boxes << text; };
    basics::shape_zeiss_record(record);
  }
  QByteArray drop(const QString& name, const QByteArray& bytes) {
    tree.write("in/" + name, bytes);
    EXPECT_TRUE(fault.set_last_modified(path("in/" + name), kWritten).ok());
    return bytes;
  }
  QByteArray drop(const QString& name, const zeiss_measurement& m = zeiss_measurement()) {
    return drop(name, zeiss_bytes(m));
  }
  void convert() {
    conversion::zeiss_state state = conversion::zeiss_state_of(record, carried);
    conversion::handle_zeiss(ctx, state, options);
  }
  basics::scan_data scan(const QString& relative) const {
    basics::scan_data s;
    s.loadfromfile(path(relative));
    return s;
  }

  conversion::zeiss_carried carried;
  conversion::zeiss_options options;
  QStringList switches;
  QStringList boxes;
};

TEST(ZeissConversionTest, PlateClassesGoToTheirSystemWithTheirOffsets) {
  const struct {
    int positions;
    QString plate;
    QString product_before;
    QString output;
    QString switched;
    qint32 mode;
    QList<qint32> offsets;  // added to positions 0, 1, ...
    QString second_board_line;
  } cases[] = {
      {15, "0042", "P1 maintenance", "prod/P1/L/new/0042.scn", "P1 -1", -1, {0}, "P1"},
      {32,
       "77",
       "P1",
       "prod/P1 maintenance/L/new/77.scn",
       "P1 maintenance -1",
       -1,
       {0},
       "P1 maintenance"},
      {4,
       QString::number(32768 + 1234),
       "P1",
       "pb/PB/L/new/1234___4points.scn",
       "",
       0,
       {3777, 3237, 2497, 1357},
       "PB postbake_4points   Original plate:1234"},
      {3,
       QString::number(32768 + 1234),
       "P1",
       "pb/PB/L/new/1234___4points.scn",
       "",
       0,
       {3777, 3237, 2497},
       "PB postbake_4points   Original plate:1234"},
      {5,
       "8200",
       "P1",
       "pb/PB/L/new/8___A.scn",
       "",
       1,
       {3790, 3790, 3790, 3790, 3790},
       "PB postbake_A   Original plate:8"},
      {5,
       "8",
       "P1",
       "pb/PB/L/new/8___A.scn",
       "",
       1,
       {3790, 3790, 3790, 3790, 3790},
       "PB postbake_A   Original plate:8"},
      {2,
       QString::number(16384 + 9),
       "P1",
       "pb/PB/L/new/9___B.scn",
       "",
       2,
       {2790, 2790},
       "PB postbake_B   Original plate:9"},
      {2,
       QString::number(16384 + 8192 + 9),
       "P1 postbake run",
       "pb/PB/L/new/9___C.scn",
       "P1 3",
       3,
       {1790, 1790},
       "PB postbake_C   Original plate:9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output.toStdString());
    zeiss_site site;
    site.ctx.product = c.product_before;
    site.ctx.output_folder = site.path("prod/" + c.product_before + "/L/new");
    site.tree.make_folder("prod/" + c.product_before + "/L/new");
    zeiss_measurement m;
    m.positions = c.positions;
    m.plate = c.plate;
    const QByteArray bytes = site.drop("plate.csv", m);
    site.convert();

    const basics::scan_data scan = site.scan(c.output);
    ASSERT_EQ(scan.no_positions, c.positions);
    for (int r = 0; r < c.positions; ++r) {
      EXPECT_EQ(scan.positions[r], m.position(r) + (r < c.offsets.size() ? c.offsets[r] : 0));
    }
    EXPECT_EQ(site.carried.postbake_mode, c.mode);
    EXPECT_EQ(site.switches, c.switched.isEmpty() ? QStringList() : QStringList{c.switched});
    EXPECT_EQ(site.board.mid(site.board.indexOf("<cleared>") + 1),
              (QStringList{"Product identification: " + QString::number(c.plate.toInt()),
                           c.second_board_line}));
    // Archived in the system the plate went to, under today's date.
    const QString system = c.mode < 0 ? "prod/archive/" : "pb/archive/";
    const QString product = c.mode < 0 ? c.second_board_line : "PB";
    EXPECT_EQ(site.tree.read(system + product + "/2024/3/5/L/plate.csv"), bytes);
    EXPECT_TRUE(site.files("in").isEmpty());
  }
}

// A postbake sample's scan file is named from its plate number, never from
// its plate text: a text that could not name a file is no reason to refuse
// it. The class comes from the digits the text starts with.
TEST(ZeissConversionTest, PostbakePlateTextThatCannotNameAFileIsNoRefusal) {
  const struct {
    QString plate;
    QString output;
  } cases[] = {
      {"12/34", "pb/PB/L/new/12___A.scn"},
      {"CON", "pb/PB/L/new/0___A.scn"},
      {QString::number(32768 + 77) + "?", "pb/PB/L/new/77___4points.scn"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plate.toStdString());
    zeiss_site site;
    zeiss_measurement m;
    m.positions = 4;
    m.plate = c.plate;
    site.drop("plate.csv", m);
    site.convert();
    EXPECT_EQ(site.files("pb/PB/L/new"), QStringList{c.output.section('/', -1)});
    EXPECT_EQ(site.scan(c.output).no_positions, 4);
    EXPECT_TRUE(site.files("in").isEmpty());
  }
}

// No position line after the stamp line: a postbake sample of no positions,
// whose scan file holds only its header and axes, named after the file as
// its plate text is empty.
TEST(ZeissConversionTest, StampWithoutPositionLinesGivesAnEmptyPostbakeScan) {
  zeiss_site site;
  zeiss_measurement m;
  m.positions = 0;
  const QByteArray bytes = site.drop("s17.csv", m);
  site.convert();
  EXPECT_EQ(site.files("pb/PB/L/new"), QStringList{"s17.scn"});
  const QByteArray scan = site.tree.read("pb/PB/L/new/s17.scn");
  EXPECT_EQ(scan.size(), 60);
  const basics::scan_data record = site.scan("pb/PB/L/new/s17.scn");
  EXPECT_EQ(record.no_positions, 0);
  EXPECT_EQ(record.no_points, (QVector<qint32>{81, 81, 81}));
  EXPECT_EQ(record.x_max, (QVector<float>{780, 780, 780}));
  EXPECT_EQ(site.board.mid(site.board.indexOf("<cleared>") + 1),
            (QStringList{"Product identification: 0", "PB postbake_A   Original plate:0"}));
  EXPECT_EQ(site.tree.read("pb/archive/PB/2024/3/5/L/s17.csv"), bytes);
  EXPECT_TRUE(site.files("in").isEmpty());
  EXPECT_TRUE(site.boxes.isEmpty());
}

// A file without a stamp line is read as far as the stamp: its axes set the
// points per spectrum and the record is left with no positions, though the
// file gets no output. One whose blocks cannot be found changes nothing.
TEST(ZeissConversionTest, FileWithoutStampLineStillCarriesItsAxes) {
  zeiss_measurement unstamped;
  unstamped.stamp = false;
  const struct {
    const char* what;
    QByteArray bytes;
    qint32 points_after;
    qint32 positions_after;
  } cases[] = {
      {"81 points", zeiss_bytes(unstamped), 81, 0},
      {"no blocks", zeiss_bytes(QStringList(12, "1;2;3;x")), 125, 32},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    zeiss_site site;
    site.drop("x.csv", c.bytes);
    site.convert();
    EXPECT_EQ(site.boxes, QStringList{"Error - no unique identification of positions!"});
    EXPECT_EQ(site.carried.no_spectral_positions, c.points_after);
    EXPECT_EQ(site.record.no_positions, c.positions_after);
    EXPECT_EQ(site.record.max_no_points, c.points_after);
    EXPECT_TRUE(site.files("prod/P1/L/new").isEmpty());
    EXPECT_TRUE(site.files("in").isEmpty());
  }
}

// The settle time is not the Zeiss scan's: a file just written is taken
// once it can be renamed, and the files behind it are not held back.
TEST(ZeissConversionTest, SettleTimeHoldsNoZeissFileBack) {
  zeiss_site site;
  site.ctx.settle_seconds = 600;
  zeiss_measurement fresh;
  fresh.plate = "1";
  site.drop("a.csv", fresh);
  ASSERT_TRUE(site.fault.set_last_modified(site.path("in/a.csv"), kNow).ok());
  zeiss_measurement old;
  old.plate = "2";
  site.drop("b.csv", old);
  site.convert();
  EXPECT_TRUE(site.files("in").isEmpty());
  EXPECT_EQ(site.files("prod/P1/L/new"), (QStringList{"1.scn", "2.scn"}));
}

TEST(ZeissConversionTest, AxesComeFromTheFileOrTheDefaultGrid) {
  const struct {
    const char* what;
    bool micrometres;
    bool header[3];
    qint32 points_before;
    qint32 points_after;
    float x_max;
  } cases[] = {
      {"81 points 380-780 nm", false, {true, true, true}, 125, 81, 780.0f},
      {"micrometres", true, {true, true, true}, 125, 125, 1000.0f},
      {"block without header", false, {true, false, true}, 90, 90, 825.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    zeiss_site site;
    site.carried.no_spectral_positions = c.points_before;
    zeiss_measurement m;
    m.micrometres = c.micrometres;
    std::copy(std::begin(c.header), std::end(c.header), m.header);
    site.drop("a.csv", m);
    site.convert();
    EXPECT_EQ(site.carried.no_spectral_positions, c.points_after);
    const basics::scan_data scan = site.scan("prod/P1/L/new/0042.scn");
    for (int s = 0; s < 3; ++s) {
      EXPECT_EQ(scan.x_min[s], 380.0f);
      EXPECT_EQ(scan.x_max[s], c.x_max);
      EXPECT_EQ(scan.no_points[s], c.points_after);
    }
    // The block without header has its values on the very next line.
    EXPECT_EQ(scan.spectral_data[scan.the_index(14, 1, 80)],
              float(zeiss_measurement::spectral_value(1, 14, 80)));
  }
}

TEST(ZeissConversionTest, PartialFilesSplitProductionPositionsOnly) {
  const struct {
    int positions;
    QStringList files;
    QList<int> each;
    QString folder;
  } cases[] = {
      {15, {"0042.sc1", "0042.sc2", "0042.sc3"}, {5, 5, 5}, "prod/P1/L/new"},
      {32, {"0042.sc1", "0042.sc2", "0042.sc3"}, {11, 11, 10}, "prod/P1 maintenance/L/new"},
      {14, {"42___A.scn"}, {14}, "pb/PB/L/new"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.positions);
    zeiss_site site;
    site.options.no_scan_files = 3;
    zeiss_measurement m;
    m.positions = c.positions;
    site.drop("a.csv", m);
    site.convert();
    ASSERT_EQ(site.files(c.folder), c.files);
    for (int k = 0; k < c.files.size(); ++k) {
      EXPECT_EQ(site.scan(c.folder + "/" + c.files[k]).no_positions, c.each[k]);
    }
  }
}

TEST(ZeissConversionTest, ThirtyOneFilesPerCallAndAnOpenFileEndsTheCall) {
  zeiss_site site;
  for (int k = 0; k < 40; ++k) {
    zeiss_measurement m;
    m.plate = QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0'));
    site.drop(QStringLiteral("f%1.csv").arg(k, 2, 10, QLatin1Char('0')), m);
  }
  site.convert();
  EXPECT_EQ(site.files("in").size(), 9);
  EXPECT_EQ(site.files("prod/P1/L/new").size(), 31);

  const test_support::holder_process holder(site.path("in/f31.csv"),
                                            test_support::holder_process::mode::read);
  site.status_lines.clear();
  site.convert();
  EXPECT_EQ(site.files("in").size(), 9);
  EXPECT_EQ(site.status_lines.last(),
            site.path("in/f31.csv") + " could not be copied - the file is open");
}

TEST(ZeissConversionTest, FilesWithoutOutputAreArchivedInProductionByTheirOwnDate) {
  zeiss_measurement no_stamp;
  no_stamp.stamp = false;
  zeiss_measurement cut_values;
  cut_values.positions = 4;
  QStringList cut = test_support::zeiss_lines(cut_values);
  cut.removeLast();
  QStringList no_spectrum = test_support::zeiss_lines(zeiss_measurement());
  no_spectrum = no_spectrum.mid(0, no_spectrum.indexOf("Spectrum 3;R"));
  QStringList stamp_last = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "Stamp;"};
  zeiss_measurement climbing;
  climbing.plate = "..\\..\\x";
  zeiss_measurement slash;
  slash.plate = "a/b";
  zeiss_measurement colon;
  colon.plate = "C:x";

  const struct {
    const char* what;
    QByteArray bytes;
    QStringList board;
    QStringList boxes;
  } cases[] = {
      {"ten lines", zeiss_bytes(QStringList(10, "1;2;3;4")), {}, {}},
      {"no stamp line",
       zeiss_bytes(no_stamp),
       {},
       {"Error - no unique identification of positions!"}},
      {"values cut",
       zeiss_bytes(cut),
       {"Error: x.csv is refused: it lacks value lines of spectrum 3 (3 of 4)."},
       {}},
      {"two spectra",
       zeiss_bytes(no_spectrum),
       {"Error: x.csv is refused: it lacks spectrum line 3."},
       {}},
      {"stamp at the end",
       zeiss_bytes(stamp_last),
       {"Error: x.csv is refused: it lacks a line after the stamp line."},
       {}},
      {"climbing plate",
       zeiss_bytes(climbing),
       {"Error: x.csv is refused: its plate text \"..\\..\\x\" cannot name a file: it holds a "
        "path separator."},
       {}},
      {"slash plate",
       zeiss_bytes(slash),
       {"Error: x.csv is refused: its plate text \"a/b\" cannot name a file: it holds a path "
        "separator."},
       {}},
      {"drive colon",
       zeiss_bytes(colon),
       {"Error: x.csv is refused: its plate text \"C:x\" cannot name a file: it holds the "
        "character :."},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    zeiss_site site;
    site.ctx.archive_by_date_of_measurement = true;
    // The file before was a postbake sample of another day.
    site.carried.postbake_mode = 2;
    site.record.time_of_measurement = 0.0;
    site.tree.write("prod/P1/L/new/0042.scn", "earlier");
    site.drop("x.csv", c.bytes);
    site.convert();

    EXPECT_EQ(site.board, c.board);
    EXPECT_EQ(site.boxes, c.boxes);
    EXPECT_TRUE(site.switches.isEmpty());
    EXPECT_EQ(site.files("prod/P1/L/new"), QStringList{"0042.scn"});
    EXPECT_EQ(site.tree.read("prod/P1/L/new/0042.scn"), "earlier");
    EXPECT_TRUE(site.files("pb/PB/L/new").isEmpty());
    EXPECT_EQ(site.tree.read("prod/archive/P1/2024/2/1/L/x.csv"), c.bytes);
    EXPECT_TRUE(site.files("in").isEmpty());
    // Nothing written beside the folders it belongs in.
    EXPECT_FALSE(site.tree.exists("x"));
    EXPECT_FALSE(site.tree.exists("in/x"));
  }
}

TEST(ZeissConversionTest, DamagedValuesGiveOneBoxAndOneBoardLine) {
  zeiss_site site;
  zeiss_measurement m;
  m.value = [](int s, int r, int i) {
    return s == 1 && i < 10 ? QStringLiteral("x%1").arg(r) : QString::number(i);
  };
  site.drop("a.csv", m);
  site.convert();
  EXPECT_EQ(site.boxes, QStringList{"Error reading spectral value: x0"});
  EXPECT_EQ(site.board.last(), "Error: 149 more spectral values of a.csv could not be read.");
  EXPECT_EQ(site.files("prod/P1/L/new"), QStringList{"0042.scn"});
}

TEST(ZeissConversionTest, TakenArchiveNameKeepsBothCopies) {
  zeiss_site site;
  site.tree.write("prod/archive/P1/2024/3/5/L/a.csv", "first");
  const QByteArray bytes = site.drop("a.csv");
  site.convert();
  EXPECT_EQ(site.tree.read("prod/archive/P1/2024/3/5/L/a.csv"), "first");
  EXPECT_EQ(site.tree.read("prod/archive/P1/2024/3/5/L/a_2.csv"), bytes);
  EXPECT_TRUE(site.status_lines.contains(site.path("prod/archive/P1/2024/3/5/L/a.csv") +
                                         " is taken; the archive copy is kept as " +
                                         site.path("prod/archive/P1/2024/3/5/L/a_2.csv")));
  EXPECT_TRUE(site.files("in").isEmpty());
}

TEST(ZeissConversionTest, PostbakeSampleWithoutPostbakeSystemIsKeptAside) {
  zeiss_site site;
  site.options.postbake = conversion::context();
  zeiss_measurement m;
  m.positions = 4;
  site.drop("a.csv", m);
  site.convert();
  EXPECT_EQ(site.files("in"), QStringList{"a.csv.failed"});
}

}  // namespace
