#include "basics/exsitu_file.h"
#include "basics/halvik_file.h"
#include "basics/ole_date.h"
#include "basics/scan_data.h"
#include "basics/text_file.h"
#include "conversion/exsitu_conversion.h"
#include "conversion/halvik_conversion.h"
#include "platform/env.h"
#include "support/exsitu_file.h"
#include "support/halvik_file.h"
#include "support/insitu_file.h"
#include "support/system_entries.h"
#include "support/temp_tree.h"
#include "support/tulmen_file.h"
#include "support/zeiss_file.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

using test_support::expected_scan_file;
using test_support::exsitu_lines;
using test_support::exsitu_plate;
using test_support::fixture;
using test_support::plate_with;
using test_support::temp_tree;

struct run_result {
  int exit_code = -1;
  QString out;
  QString err;
  QStringList err_lines() const { return err.split(u'\n', Qt::SkipEmptyParts); }
};

// Runs the tool; its standard output goes to `stdout_file` when one is named.
run_result run_tool(const QStringList& arguments, const QString& stdout_file = QString()) {
  QProcess tool;
  if (!stdout_file.isEmpty()) tool.setStandardOutputFile(stdout_file);
  tool.start(QStringLiteral(TEST_BIN_DIR "/scan_file_tool"), arguments);
  EXPECT_TRUE(tool.waitForFinished(30000)) << tool.errorString().toStdString();
  EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
  return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
          QString::fromUtf8(tool.readAllStandardError())};
}

// 2 positions, 2 spectra of 3 slots (the second using 2), measured on
// 15 March 2024 at 10:15:36.
basics::scan_data small_record() {
  basics::scan_data data;
  data.set_size(2, 2, 3);
  data.positions = {-5, 5};
  data.sheet_resistance = {1.5f, 2.25f};
  data.x_min = {400.0f, 380.0f};
  data.x_max = {800.0f, 980.0f};
  data.no_points = {3, 2};
  for (int k = 0; k < 12; ++k) data.spectral_data[k] = 0.25f * float(k);
  data.time_of_measurement = 45366.4275;
  return data;
}

const QDateTime kWritten(QDate(2024, 3, 4), QTime(10, 15, 37));
const QDateTime kMeasured(QDate(2024, 3, 4), QTime(10, 15, 36));  // two-second resolution

class ScanFileToolTest : public ::testing::Test {
 protected:
  QString drop(const QString& name, const exsitu_plate& p) const {
    return drop_lines(name, exsitu_lines(p));
  }
  QString drop_lines(const QString& name, const QStringList& lines) const {
    const QString file = tree_.path("in/" + name);
    tree_.make_folder("in");
    basics::write_lines(file, lines);
    EXPECT_TRUE(platform::env().set_last_modified(file, kWritten).ok());
    return file;
  }
  QStringList scan_files() const {
    return QDir(tree_.path("out")).entryList({"*.scn"}, QDir::Files, QDir::Name);
  }
  temp_tree tree_;
};

TEST_F(ScanFileToolTest, dump_prints_the_header_and_one_line_per_position_and_spectrum) {
  const QString file = tree_.path("small.scn");
  small_record().savetofile(file);
  const run_result r = run_tool({"dump", file});
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
  EXPECT_EQ(r.out,
            "version: 1.2 (3F99999A)\n"
            "positions: 2\n"
            "spectra: 2\n"
            "points: 3\n"
            "position values: -5,5\n"
            "sheet resistances: 1.5,2.25\n"
            "spectrum 0: first 400, last 800, points 3\n"
            "spectrum 1: first 380, last 980, points 2\n"
            "time of measurement: 2024-03-15 10:15:36.000 (OLE date 45366.4275)\n"
            "\n"
            "index,position,spectrum,slot 0,slot 1,slot 2\n"
            "0,-5,0,0,0.25,0.5\n"
            "0,-5,1,0.75,1,1.25\n"
            "1,5,0,1.5,1.75,2\n"
            "1,5,1,2.25,2.5,2.75\n");
}

// Files without a stored time must not show one: the reader fills in the
// load time for them, which is no time of measurement.
TEST_F(ScanFileToolTest, dump_json_gives_the_record_for_scripts) {
  const QString file = tree_.path("small.scn");
  basics::scan_data record = small_record();
  record.spectral_data[1] = std::numeric_limits<float>::quiet_NaN();
  record.savetofile(file);
  const run_result r = run_tool({"dump", "--json", file});
  ASSERT_EQ(r.exit_code, 0) << r.err.toStdString();
  QJsonParseError error;
  const QJsonObject dump = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
  EXPECT_EQ(dump["positions"].toArray(), (QJsonArray{-5, 5}));
  EXPECT_EQ(dump["sheet_resistances"].toArray(), (QJsonArray{1.5, 2.25}));
  EXPECT_EQ(dump["spectra"].toArray()[1].toObject(),
            (QJsonObject{{"first", 380}, {"last", 980}, {"points", 2}}));
  EXPECT_EQ(dump["slots"].toInt(), 3);
  EXPECT_EQ(dump["time_of_measurement"]["ole"].toDouble(), 45366.4275);
  EXPECT_EQ(dump["time_of_measurement"]["local"].toString(), "2024-03-15T10:15:36.000");
  const QJsonArray values = dump["values"].toArray();
  ASSERT_EQ(values.size(), 2);
  EXPECT_EQ(values[0].toArray()[0].toArray(), (QJsonArray{0.0, QJsonValue::Null, 0.5}));
  EXPECT_EQ(values[1].toArray()[1].toArray(), (QJsonArray{2.25, 2.5, 2.75}));
}

TEST_F(ScanFileToolTest, dump_says_which_optional_blocks_a_file_lacks) {
  const basics::scan_data record = small_record();
  QByteArray padded = basics::scan_file_bytes(record);
  padded.append("abc");
  const struct {
    const char* name;
    QByteArray bytes;
    QStringList expected_lines;
  } cases[] = {
      {"v10.scn",
       fixture("scan_v10.scn"),
       {"version: 1 (3F800000)", "sheet resistances: none (version below 1.2)",
        "time of measurement: none (version below 1.1)", "0,10,0,0.5,1.5,2.5"}},
      {"v11.scn",
       fixture("scan_v11.scn"),
       {"sheet resistances: none (version below 1.2)",
        "time of measurement: 2024-03-15 10:15:36.000 (OLE date 45366.4275)"}},
      {"part.scn",
       basics::partial_scan_file_bytes(record, 2, 2),
       {"positions: 1", "position values: 5", "time of measurement: none (a partial scan file)",
        "0,5,1,2.25,2.5,2.75"}},
      {"padded.scn", padded, {"note: 3 bytes after the time of measurement are not read"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const run_result r = run_tool({"dump", tree_.write(c.name, c.bytes)});
    EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n');
    for (const QString& line : c.expected_lines) {
      EXPECT_TRUE(lines.contains(line)) << line.toStdString() << "\nin\n" << r.out.toStdString();
    }
  }
}

TEST_F(ScanFileToolTest, dump_of_a_damaged_file_fails_with_a_message) {
  const struct {
    const char* fixture;
    const char* message_part;
  } cases[] = {
      {"scan_short_header.scn", "It holds 10 bytes, fewer than the 16 of its header."},
      {"scan_truncated.scn", "need 68 bytes, but it holds only 62."},
      {"scan_lying_count.scn", "(1000000 positions, 3 spectra, 121 points) need"},
      {"scan_negative_count.scn", "It gives a negative count"},
      {"scan_huge_counts.scn", "are too large for a scan record."},
      {"scan_garbage.scn", "are too large for a scan record."},
      {"scan_time_cut.scn", "It ends inside its time of measurement."},
      {"", "cannot be read"},  // no such file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    const QString name = QString::fromLatin1(c.fixture);
    const QString file =
        name.isEmpty() ? tree_.path("missing.scn") : tree_.write(name, fixture(name));
    const run_result r = run_tool({"dump", file});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(file)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.message_part))) << r.err.toStdString();
  }
}

TEST_F(ScanFileToolTest, convert_exsitu_writes_the_scan_files_byte_by_byte) {
  tree_.make_folder("out");
  const exsitu_plate first = plate_with(33, "77");
  const exsitu_plate second = plate_with(3, "-8");
  const QString a = drop("a.csv", first);
  const QString b = drop("b.csv", second);
  const run_result r = run_tool({"convert-exsitu", tree_.path("out"), a, b});
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
  EXPECT_EQ(tree_.read("out/77.scn"), expected_scan_file(first, kMeasured));
  EXPECT_EQ(tree_.read("out/-8.scn"), expected_scan_file(second, kMeasured));
  EXPECT_EQ(r.out,
            "wrote " + tree_.path("out/77.scn") + "\nwrote " + tree_.path("out/-8.scn") + "\n");
  EXPECT_TRUE(tree_.exists("in/a.csv"));  // the tool leaves its inputs alone
}

// One record lives from file to file, as in the scanner: what a file does
// not give keeps the previous file's value.
TEST_F(ScanFileToolTest, convert_exsitu_carries_values_that_do_not_convert) {
  tree_.make_folder("out");
  const QString a = drop("a.csv", plate_with(3, "1"));
  exsitu_plate bad = plate_with(3, "2");
  bad.positions[1] = "12a";
  bad.marker = false;
  bad.value = [](int s, int i, int j) {
    if (s == 1 && i == 2 && j == 0) return QStringLiteral("q");
    return QString::number(exsitu_plate::spectral_value(s, i, j) + 1, 'f', 3);
  };
  const QString b = drop("b.csv", bad);
  const run_result r = run_tool({"convert-exsitu", tree_.path("out"), a, b});
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  EXPECT_EQ(r.err_lines(),
            (QStringList{b + ": 12a could not be converted to a position.",
                         b + ": R coating, Pos. 2   q could not be converted to a spectral "
                             "value."}));
  basics::scan_data record;
  record.loadfromfile(tree_.path("out/2.scn"));
  EXPECT_EQ(record.positions, (QVector<qint32>{10, 20, 30}));
  EXPECT_EQ(record.sheet_resistance, (QVector<float>{1.5f, 1.75f, 2.0f}));
  EXPECT_EQ(record.spectral_data[record.the_index(2, 1, 0)],
            float(exsitu_plate::spectral_value(1, 2, 0)));
  EXPECT_EQ(record.spectral_data[record.the_index(2, 1, 1)],
            float(exsitu_plate::spectral_value(1, 2, 1) + 1));
}

// The files are read on every core and the carry applied afterwards: the
// bytes must be those of reading them one after the other, as the scanner
// does, also across the groups the tool commits at once.
TEST_F(ScanFileToolTest, a_batch_gives_the_bytes_of_a_conversion_in_order) {
  tree_.make_folder("out");
  QStringList files;
  std::vector<QByteArray> expected;
  basics::scan_data record;
  basics::shape_exsitu_record(record);
  for (int n = 0; n < 300; ++n) {
    exsitu_plate p = plate_with(1 + n % 4, QString::number(1000 + n));
    // Every seventh file has a position, a resistance marker and values that
    // do not convert, so they carry the values of the files before.
    if (n % 7 == 3) {
      p.positions[0] = "x";
      p.marker = false;
      p.value = [n](int s, int i, int j) {
        if ((i + j + s) % 5 == 0) return QStringLiteral("-");
        return QString::number(exsitu_plate::spectral_value(s, i, j) + n, 'f', 3);
      };
    }
    const QStringList lines = exsitu_lines(p);
    files << drop(QStringLiteral("f%1.csv").arg(n), p);
    qint32 plate = 0;
    basics::read_exsitu_lines(
        lines, kWritten, [](int) { return true; }, record, plate, [](const QString&) {});
    expected.push_back(basics::scan_file_bytes(record));
  }
  const run_result r = run_tool(QStringList{"convert-exsitu", tree_.path("out")} + files);
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  EXPECT_EQ(r.out.count("wrote "), 300);
  for (int n = 0; n < 300; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(tree_.read(QStringLiteral("out/%1.scn").arg(1000 + n)), expected[n]);
  }
  EXPECT_EQ(QDir(tree_.path("out")).entryList(QDir::Files | QDir::Hidden).size(), 300);
}

TEST_F(ScanFileToolTest, fresh_record_makes_each_output_independent_of_the_files_before) {
  tree_.make_folder("out");
  exsitu_plate bad = plate_with(3, "2");
  bad.value = [](int s, int i, int j) {
    return s == 0 && i == 0 && j == 0 ? QStringLiteral("q")
                                      : QString::number(exsitu_plate::spectral_value(s, i, j));
  };
  const QString a = drop("a.csv", plate_with(3, "1"));
  const QString b = drop("b.csv", bad);
  const run_result r = run_tool({"convert-exsitu", "--fresh-record", tree_.path("out"), a, b});
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  basics::scan_data record;
  record.loadfromfile(tree_.path("out/2.scn"));
  EXPECT_EQ(record.spectral_data[record.the_index(0, 0, 0)], 0.0f);  // not plate 1's value
  EXPECT_EQ(record.spectral_data[record.the_index(0, 0, 1)],
            float(exsitu_plate::spectral_value(0, 0, 1)));
}

// Each file starts from a new, zeroed record: a value that does not convert
// is 0 whatever the file before held, so a file gives the same bytes after
// another file as alone.
TEST_F(ScanFileToolTest, fresh_record_gives_a_file_the_bytes_it_gives_alone) {
  exsitu_plate exsitu_bad = plate_with(3, "2");
  exsitu_bad.value = [](int s, int i, int j) {
    return s == 1 && i == 2 && j == 5 ? QStringLiteral("q")
                                      : QString::number(exsitu_plate::spectral_value(s, i, j));
  };
  test_support::tulmen_measurement tulmen_bad;
  tulmen_bad.value = [](int s, int i, int j) {
    return s == 1 && i == 7 && j == 2
               ? QStringLiteral("q")
               : QString::number(test_support::tulmen_measurement::spectral_value(s, i, j));
  };
  test_support::zeiss_measurement zeiss_good;
  zeiss_good.plate = "a1";
  test_support::zeiss_measurement zeiss_bad;
  zeiss_bad.plate = "b2";
  zeiss_bad.value = [](int s, int r, int i) {
    return s == 1 && r == 2 && i == 5
               ? QStringLiteral("q")
               : QString::number(test_support::zeiss_measurement::spectral_value(s, r, i));
  };
  const struct {
    const char* command;
    QStringList first;
    QStringList second;
    QString second_output;
    int position, spectrum, slot;  // of the value that does not convert
  } cases[] = {
      {"convert-exsitu", exsitu_lines(plate_with(3, "1")), exsitu_lines(exsitu_bad), "2.scn", 2, 1,
       5},
      {"convert-tulmen", test_support::tulmen_lines({}), test_support::tulmen_lines(tulmen_bad),
       "B.scn", 2, 1, 7},
      {"convert-zeiss", test_support::zeiss_lines(zeiss_good), test_support::zeiss_lines(zeiss_bad),
       "b2.scn", 2, 1, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    temp_tree tree;
    tree.make_folder("after");
    tree.make_folder("alone");
    const QString a = tree.path("A_export.csv");
    const QString b = tree.path("B_export.csv");
    basics::write_lines(a, c.first);
    basics::write_lines(b, c.second);
    const run_result after = run_tool({c.command, "--fresh-record", tree.path("after"), a, b});
    const run_result alone = run_tool({c.command, "--fresh-record", tree.path("alone"), b});
    EXPECT_EQ(after.exit_code, alone.exit_code) << after.err.toStdString();
    ASSERT_TRUE(tree.exists("alone/" + c.second_output)) << alone.err.toStdString();
    EXPECT_EQ(tree.read("after/" + c.second_output), tree.read("alone/" + c.second_output));
    basics::scan_data record;
    record.loadfromfile(tree.path("after/" + c.second_output));
    EXPECT_EQ(record.spectral_data[record.the_index(c.position, c.spectrum, c.slot)], 0.0f);
  }
}

// Two inputs of one plate: the later is kept with a warning and exit code 4;
// --no-clobber keeps whatever exists and says so with exit code 3.
TEST_F(ScanFileToolTest, inputs_writing_the_same_output_are_reported) {
  tree_.make_folder("out");
  const exsitu_plate first = plate_with(2, "5");
  const exsitu_plate second = plate_with(3, "5");
  const QString a = drop("a.csv", first);
  const QString b = drop("b.csv", second);
  const QString c = drop("c.csv", plate_with(1, "6"));
  const QString target = tree_.path("out/5.scn");

  const run_result twice = run_tool({"convert-exsitu", tree_.path("out"), a, b});
  EXPECT_EQ(twice.exit_code, 4);
  EXPECT_EQ(twice.err_lines(),
            QStringList{b + ": Warning: " + target + " replaces the output of " + a + "."});
  EXPECT_EQ(tree_.read("out/5.scn"), expected_scan_file(second, kMeasured));

  tree_.write("out/5.scn", "old");
  const run_result kept = run_tool({"convert-exsitu", "--no-clobber", tree_.path("out"), a, c});
  EXPECT_EQ(kept.exit_code, 3);
  EXPECT_EQ(kept.err_lines(),
            QStringList{a + ": Error: " + target + " exists; not replaced (--no-clobber)."});
  EXPECT_EQ(kept.out, "wrote " + tree_.path("out/6.scn") + "\n");
  EXPECT_EQ(tree_.read("out/5.scn"), "old");

  // Within one run the first input's output is the one kept.
  ASSERT_TRUE(QFile::remove(tree_.path("out/5.scn")));
  const run_result first_kept =
      run_tool({"convert-exsitu", "--no-clobber", tree_.path("out"), a, b});
  EXPECT_EQ(first_kept.exit_code, 3);
  EXPECT_EQ(tree_.read("out/5.scn"), expected_scan_file(first, kMeasured));
}

// The worst that happened decides the exit code.
TEST_F(ScanFileToolTest, the_exit_code_names_the_worst_outcome) {
  tree_.make_folder("out");
  tree_.write("blocked/5.scn/keep.txt", "x");
  const QString good = drop("good.csv", plate_with(2, "5"));
  const QString twin = drop("twin.csv", plate_with(2, "5"));
  exsitu_plate short_plate = plate_with(3, "7");
  short_plate.line_count = 100;
  const QString refused = drop("short.csv", short_plate);
  const struct {
    const char* name;
    QStringList arguments;
    int exit_code;
  } cases[] = {
      {"done", {tree_.path("out"), good}, 0},
      {"same output", {tree_.path("out"), good, twin}, 4},
      {"refused beats same output", {tree_.path("out"), good, twin, refused}, 1},
      {"not written beats refused", {tree_.path("blocked"), good, refused}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(run_tool(QStringList{"convert-exsitu"} + c.arguments).exit_code, c.exit_code);
  }
}

TEST_F(ScanFileToolTest, refused_and_unreadable_files_do_not_stop_the_others) {
  tree_.make_folder("out");
  exsitu_plate short_plate = plate_with(3, "2");
  short_plate.line_count = 403;
  const QString a = drop("a.csv", plate_with(3, "1"));
  const QString too_short = drop("short.csv", short_plate);
  const QString wide = drop("wide.csv", plate_with(34, "3"));
  const QString missing = tree_.path("in/missing.csv");
  // Far larger than any exsitu file: refused before it is read.
  const QString huge = tree_.write_sparse("in/huge.csv", "x", qint64(65) << 20);
  const QString d = drop("d.csv", plate_with(2, "4"));
  const run_result r =
      run_tool({"convert-exsitu", tree_.path("out"), a, too_short, wide, missing, huge, d});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(scan_files(), (QStringList{"1.scn", "4.scn"}));
  const QStringList err = r.err_lines();
  ASSERT_EQ(err.size(), 4) << r.err.toStdString();
  EXPECT_EQ(err[3], huge +
                        ": The file holds 65.0 MB (68157440 bytes), more than any measurement of "
                        "its kind (at most 16.0 MB); it is not read.");
  EXPECT_EQ(err[0], too_short + ": Length of file " + too_short + " too small!");
  EXPECT_EQ(err[1], wide +
                        ": Error: file wide.csv holds 34 positions, a scan file takes 0 to 33; "
                        "no scan file written.");
  EXPECT_TRUE(err[2].startsWith(missing + ": ")) << err[2].toStdString();
}

TEST_F(ScanFileToolTest, output_that_cannot_be_written_is_reported) {
  const QString a = drop("a.csv", plate_with(3, "5"));
  // A folder in the way of the scan file: the publish cannot replace it.
  tree_.write("blocked/5.scn/keep.txt", "x");
  const struct {
    const char* name;
    QString folder;
    QString message_part;
  } cases[] = {
      {"missing folder", tree_.path("no_such_folder"), "does not exist"},
      {"a file, not a folder", a, "does not exist"},
      {"target taken by a folder", tree_.path("blocked"), "was not written"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const run_result r = run_tool({"convert-exsitu", c.folder, a});
    EXPECT_EQ(r.exit_code, 3);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(c.folder)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.message_part)) << r.err.toStdString();
  }
  EXPECT_FALSE(tree_.exists("no_such_folder"));
  EXPECT_EQ(tree_.read("blocked/5.scn/keep.txt"), "x");
}

// The names of the outputs are the report a script reads: when standard
// output cannot take them, the run fails as for an output not written,
// though the outputs themselves are on disk; a dump fails too.
TEST_F(ScanFileToolTest, a_report_that_cannot_be_written_fails_the_command) {
  if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  tree_.make_folder("out");
  const QString exsitu = drop("exsitu.csv", plate_with(3, "5"));
  const QString insitu = drop_lines("insitu.csv", test_support::insitu_lines({}));
  const QString zeiss = drop_lines("zeiss.csv", test_support::zeiss_lines({}));
  const QString tulmen = drop_lines("T_export.csv", test_support::tulmen_lines({}));
  const QString scan = tree_.path("small.scn");
  small_record().savetofile(scan);
  const struct {
    QStringList arguments;
    int exit_code;
    QString output;
  } cases[] = {
      {{"convert-exsitu", tree_.path("out"), exsitu}, 3, "out/5.scn"},
      {{"convert-insitu", tree_.path("out"), insitu}, 3, "out/1234___T.csv"},
      {{"convert-zeiss", tree_.path("out"), zeiss}, 3, "out/0042.scn"},
      {{"convert-tulmen", tree_.path("out"), tulmen}, 3, "out/T.scn"},
      {{"dump", scan}, 1, QString()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.first().toStdString());
    const run_result r = run_tool(c.arguments, "/dev/full");
    EXPECT_EQ(r.exit_code, c.exit_code) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Error: could not write to standard output."))
        << r.err.toStdString();
    if (!c.output.isEmpty()) EXPECT_TRUE(tree_.exists(c.output));
  }
}

TEST_F(ScanFileToolTest, convert_insitu_writes_inline_files_and_names_their_probe_heads) {
  tree_.make_folder("out");
  test_support::insitu_measurement head_a;
  head_a.data = {QStringLiteral("380,1,2,0.5 \u00b5"), "385,1,2,1.2E-1"};
  test_support::insitu_measurement head_b;
  head_b.plate = "77";
  head_b.probe_head = "Head B";
  const QString a = drop_lines("a.csv", test_support::insitu_lines(head_a));
  const QString b = drop_lines("b.csv", test_support::insitu_lines(head_b));
  const run_result r = run_tool({"convert-insitu", tree_.path("out"), a, b});
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  const QString out_a = tree_.path("out/1234___T.csv");
  const QString out_b = tree_.path("out/77___T.csv");
  EXPECT_EQ(r.out, "wrote " + out_a + " for the probe head Head A\nwrote " + out_b +
                       " for the probe head Head B\n");
  EXPECT_EQ(r.err_lines(), (QStringList{a + ": Insitu data: Plate number 1234",
                                        b + ": Insitu data: Plate number 77"}));
  // Copied as text, in Windows-1252, CR LF after every line.
  EXPECT_EQ(tree_.read("out/1234___T.csv"), QByteArray("380,0.5 \xB5\r\n385,1.2E-1\r\n"));
  EXPECT_EQ(tree_.read("out/77___T.csv").count("\r\n"), 120);
}

TEST_F(ScanFileToolTest, convert_insitu_reports_files_that_give_no_inline_file) {
  tree_.make_folder("out");
  test_support::insitu_measurement too_short;
  too_short.line_count = 138;
  test_support::insitu_measurement no_table;
  no_table.header_line = 0;
  no_table.plate = "5";
  test_support::insitu_measurement good;
  good.plate = "6";
  const QString s = drop_lines("short.csv", test_support::insitu_lines(too_short));
  const QString n = drop_lines("no_table.csv", test_support::insitu_lines(no_table));
  const QString missing = tree_.path("in/missing.csv");
  const QString g = drop_lines("good.csv", test_support::insitu_lines(good));
  const run_result r = run_tool({"convert-insitu", tree_.path("out"), s, n, missing, g});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(QDir(tree_.path("out")).entryList(QDir::Files), QStringList{"6___T.csv"});
  const QStringList err = r.err_lines();
  ASSERT_EQ(err.size(), 5) << r.err.toStdString();
  EXPECT_EQ(err[0], s + ": Length of file " + s + " too small!");
  EXPECT_EQ(err[1], n + ": Insitu data: Plate number 5");
  EXPECT_EQ(err[2], n + ": no \"Wave length [nm]\" table; no inline file written.");
  EXPECT_TRUE(err[3].startsWith(missing + ": ")) << err[3].toStdString();
  EXPECT_EQ(err[4], g + ": Insitu data: Plate number 6");

  const run_result no_folder = run_tool({"convert-insitu", tree_.path("no_such_folder"), g});
  EXPECT_EQ(no_folder.exit_code, 3);
  EXPECT_TRUE(no_folder.err.contains("does not exist")) << no_folder.err.toStdString();
}

// A wrong command line is named, with the usage of the command it meant,
// not the whole manual.
TEST_F(ScanFileToolTest, wrong_arguments_are_named_with_the_commands_usage) {
  struct wrong {
    QStringList arguments;
    QString first_line;
    QString usage;  // the usage line shown; empty: none
  };
  const QString tool = QStringLiteral("scan_file_tool");
  const QString dump_usage = "Usage: " + tool + " dump [--json] FILE.scn";
  const QString exsitu_usage =
      "Usage: " + tool + " convert-exsitu [OPTIONS] OUTPUT_FOLDER FILE.csv...";
  const wrong cases[] = {
      {{}, tool + ": No command given.", dump_usage},
      {{"dump"}, tool + ": Wrong arguments for the command dump.", dump_usage},
      {{"dump", "a.scn", "b.scn"}, tool + ": Wrong arguments for the command dump.", dump_usage},
      {{"convert-exsitu", tree_.path()},
       tool + ": Wrong arguments for the command convert-exsitu.",
       exsitu_usage},
      {{"convert-insitu", tree_.path()},
       tool + ": Wrong arguments for the command convert-insitu.",
       "Usage: " + tool + " convert-insitu [OPTIONS] OUTPUT_FOLDER FILE.csv..."},
      {{"convert", tree_.path(), "a.csv"},
       tool + ": Unknown command 'convert'; the commands are dump, convert-exsitu, "
              "convert-insitu, convert-halvik-exsitu, convert-halvik-insitu, convert-tulmen, "
              "convert-zeiss.",
       {}},
      {{"convert-exsitu", "--fresh", tree_.path(), "a.csv"},
       "Unknown option --fresh.",
       exsitu_usage},
      {{"convert-exsitu", "--no-clobber", tree_.path()},
       tool + ": Wrong arguments for the command convert-exsitu.",
       exsitu_usage},
      {{"dump", "--csv", "a.scn"}, "Unknown option --csv.", dump_usage},
  };
  for (const wrong& w : cases) {
    SCOPED_TRACE(w.arguments.join(' ').toStdString());
    const run_result r = run_tool(w.arguments);
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_TRUE(r.out.isEmpty());
    const QStringList lines = r.err_lines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), w.first_line);
    EXPECT_EQ(lines.contains(w.usage), !w.usage.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(lines.last(), "Try '" + tool + " --help'.");
    // Never the whole manual.
    EXPECT_FALSE(r.err.contains("Exit codes")) << r.err.toStdString();
  }
}

// On a terminal the engineer sees how far a long batch is; a log or a pipe
// gets only the messages.
TEST_F(ScanFileToolTest, shows_its_progress_only_on_a_terminal) {
  tree_.make_folder("out");
  QStringList files;
  for (int i = 0; i < 3; ++i) {
    files << drop(QStringLiteral("p%1.csv").arg(i), plate_with(3, QString::number(100 + i)));
  }
  const run_result piped = run_tool(QStringList{"convert-exsitu", tree_.path("out")} + files);
  EXPECT_EQ(piped.exit_code, 0);
  EXPECT_TRUE(piped.err.isEmpty()) << piped.err.toStdString();

  // A console's output cannot be read back by another program.
  SKIP_ON_WINDOWS("the terminal comes from script (util-linux)");
  if (QStandardPaths::findExecutable("script").isEmpty()) {
    GTEST_SKIP() << "script (util-linux) is missing, which gives the tool a terminal";
  }
  // script runs the tool on a terminal of its own and copies what it shows.
  QStringList command{QStringLiteral(TEST_BIN_DIR "/scan_file_tool"), "convert-exsitu",
                      tree_.path("out")};
  command += files;
  for (QString& word : command) word = "'" + word + "'";
  QProcess terminal;
  terminal.start("script", {"-qec", command.join(' '), "/dev/null"});
  ASSERT_TRUE(terminal.waitForFinished(30000));
  EXPECT_EQ(terminal.exitCode(), 0);
  const QString shown = QString::fromUtf8(terminal.readAllStandardOutput());
  EXPECT_TRUE(QRegularExpression("\\r3/3 files, [0-9.]+ files/s\\x1b\\[K").match(shown).hasMatch())
      << shown.toStdString();
  // Wiped before the names of the outputs, so every line stands alone.
  EXPECT_TRUE(shown.contains("\r\x1b[Kwrote ")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("\r\x1b[K")) << shown.toStdString();
}

TEST_F(ScanFileToolTest,
       convert_tulmen_writes_scan_files_named_after_the_sample_and_skips_refusals) {
  tree_.make_folder("out");
  test_support::tulmen_measurement good;
  test_support::tulmen_measurement cut;
  cut.lines = 600;
  test_support::tulmen_measurement empty;
  empty.lines = 400;
  const QString a = drop_lines("A123_export.csv", test_support::tulmen_lines(good));
  const QString c = drop_lines("C_export.csv", test_support::tulmen_lines(cut));
  const QString e = drop_lines("E_export.csv", test_support::tulmen_lines(empty));
  const run_result r = run_tool({"convert-tulmen", tree_.path("out"), a, c, e});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "wrote " + tree_.path("out/A123.scn") + "\n");
  EXPECT_EQ(scan_files(), QStringList{"A123.scn"});
  const QStringList err = r.err_lines();
  ASSERT_EQ(err.size(), 4) << r.err.toStdString();
  EXPECT_EQ(err[0], a + ":  could not be converted to a number");
  EXPECT_EQ(err[2], c + ": Length of file " + c + " too small!");
  EXPECT_EQ(err[3], e + ": 500 lines or fewer: no measurement; no scan file written.");

  basics::scan_data record;
  record.loadfromfile(tree_.path("out/A123.scn"));
  EXPECT_EQ(record.positions, (QVector<qint32>{10, 20, 30}));
  EXPECT_EQ(record.time_of_measurement, basics::ole_date_from(kMeasured));
  EXPECT_EQ(record.spectral_data[record.the_index(1, 0, 7)],
            float(test_support::tulmen_measurement::spectral_value(0, 7, 1)));
}

// Every plate is taken for a production plate, whatever its number of
// positions: no maintenance or postbake class, no offsets.
TEST_F(ScanFileToolTest, convert_zeiss_writes_every_plate_as_a_production_plate) {
  tree_.make_folder("out");
  const struct {
    int positions;
    QString plate;
  } cases[] = {{15, "0042"}, {32, "77"}, {4, QString::number(32768 + 1234)}};
  QStringList files;
  QString written;
  for (const auto& c : cases) {
    test_support::zeiss_measurement m;
    m.positions = c.positions;
    m.plate = c.plate;
    files << drop_lines(c.plate + ".csv", test_support::zeiss_lines(m));
    written += "wrote " + tree_.path("out/" + c.plate + ".scn") + "\n";
  }
  const run_result r = run_tool(QStringList{"convert-zeiss", tree_.path("out")} + files);
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, written);
  EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

  for (const auto& c : cases) {
    SCOPED_TRACE(c.plate.toStdString());
    basics::scan_data record;
    record.loadfromfile(tree_.path("out/" + c.plate + ".scn"));
    ASSERT_EQ(record.no_positions, c.positions);
    ASSERT_EQ(record.no_spectra, 3);
    EXPECT_EQ(record.no_points, (QVector<qint32>{81, 81, 81}));
    EXPECT_EQ(record.x_min, (QVector<float>{380, 380, 380}));
    EXPECT_EQ(record.x_max, (QVector<float>{780, 780, 780}));
    EXPECT_EQ(record.time_of_measurement, basics::ole_date_from(kMeasured));
    for (int p = 0; p < c.positions; ++p) {
      EXPECT_EQ(record.positions[p], test_support::zeiss_measurement::position(p));
    }
    const int last = c.positions - 1;
    EXPECT_EQ(record.spectral_data[record.the_index(last, 2, 80)],
              float(test_support::zeiss_measurement::spectral_value(2, last, 80)));
    EXPECT_EQ(record.spectral_data[record.the_index(0, 1, 3)],
              float(test_support::zeiss_measurement::spectral_value(1, 0, 3)));
  }
}

TEST_F(ScanFileToolTest, convert_zeiss_reports_and_skips_files_it_refuses) {
  tree_.make_folder("out");
  test_support::zeiss_measurement good;
  test_support::zeiss_measurement unstamped;
  unstamped.stamp = false;
  test_support::zeiss_measurement escaping;
  escaping.plate = "../x";
  const QString s = drop_lines("short.csv", {"a", "b", "c"});
  const QString u = drop_lines("unstamped.csv", test_support::zeiss_lines(unstamped));
  const QString e = drop_lines("escaping.csv", test_support::zeiss_lines(escaping));
  QStringList cut_lines = test_support::zeiss_lines(good);
  cut_lines.resize(cut_lines.size() - 3);
  const QString c = drop_lines("cut.csv", cut_lines);
  const QString g = drop_lines("good.csv", test_support::zeiss_lines(good));
  const run_result r = run_tool({"convert-zeiss", tree_.path("out"), s, u, e, c, g});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "wrote " + tree_.path("out/0042.scn") + "\n");
  EXPECT_EQ(scan_files(), QStringList{"0042.scn"});
  EXPECT_TRUE(QDir(tree_.path()).entryList({"x*"}, QDir::Files).isEmpty());
  const QStringList err = r.err_lines();
  ASSERT_EQ(err.size(), 4) << r.err.toStdString();
  EXPECT_EQ(err[0], s + ": 10 lines or fewer: no measurement; no scan file written.");
  EXPECT_EQ(err[1], u + ": Error - no unique identification of positions!");
  EXPECT_TRUE(err[2].startsWith(e + ": Error: escaping.csv is refused: its plate text \"../x\""))
      << err[2].toStdString();
  EXPECT_TRUE(err[3].startsWith(c + ": Error: cut.csv is refused: it lacks "))
      << err[3].toStdString();

  const run_result no_folder = run_tool({"convert-zeiss", tree_.path("no_such_folder"), g});
  EXPECT_EQ(no_folder.exit_code, 3);
  EXPECT_TRUE(no_folder.err.contains("does not exist")) << no_folder.err.toStdString();
  const run_result no_file = run_tool({"convert-zeiss", tree_.path("out")});
  EXPECT_EQ(no_file.exit_code, 2);
  EXPECT_TRUE(
      no_file.err.startsWith("scan_file_tool: Wrong arguments for the command convert-zeiss."))
      << no_file.err.toStdString();
}

// The Halvik commands and the Halvik scan step read, refuse and write by the
// same rules: the same files give the same scan files, byte for byte, and
// the same file is refused.
TEST_F(ScanFileToolTest, convert_halvik_gives_what_the_halvik_scan_step_gives) {
  using basics::scan_data;
  struct {
    const char* command;
    QStringList good;
    QStringList cut;
    void (*shape)(scan_data&);
    std::function<void(const conversion::context&, conversion::plate_file_state&)> scan;
  } cases[] = {
      {"convert-halvik-exsitu",
       test_support::halvik_exsitu_lines(test_support::halvik_exsitu_with(5, "77")),
       [] {
         test_support::halvik_exsitu cut = test_support::halvik_exsitu_with(5, "78");
         cut.line_count = 100;
         return test_support::halvik_exsitu_lines(cut);
       }(),
       basics::shape_halvik_exsitu_record,
       [](const conversion::context& ctx, conversion::plate_file_state& state) {
         conversion::handle_exsitu(ctx, state, {conversion::exsitu_instrument::halvik});
       }},
      {"convert-halvik-insitu", test_support::halvik_insitu_lines({}),
       [] {
         test_support::halvik_insitu cut;
         cut.plate = "78";
         cut.line_count = 20;
         return test_support::halvik_insitu_lines(cut);
       }(),
       basics::shape_halvik_insitu_record,
       [](const conversion::context& ctx, conversion::plate_file_state& state) {
         conversion::handle_halvik_insitu(ctx, state, {});
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    temp_tree tree;
    tree.make_folder("out");
    tree.make_folder("scan_out");
    QStringList inputs;
    for (const auto& [name, lines] : {std::pair{"a.csv", c.good}, std::pair{"b.csv", c.cut}}) {
      for (const QString folder : {"in", "scan_in"}) {
        tree.make_folder(folder);
        const QString file = tree.path(folder + "/" + name);
        basics::write_lines(file, lines);
        EXPECT_TRUE(platform::env().set_last_modified(file, kWritten).ok());
        if (folder == "in") inputs << file;
      }
    }
    const run_result r = run_tool(QStringList{c.command, tree.path("out")} + inputs);
    EXPECT_EQ(r.exit_code, 1) << r.err.toStdString();
    EXPECT_EQ(r.out, "wrote " + tree.path("out/77.scn") + "\n");
    ASSERT_EQ(r.err_lines().size(), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err_lines()[0].startsWith(inputs[1] + ": ")) << r.err.toStdString();

    scan_data record;
    c.shape(record);
    qint32 plate = 0;
    conversion::plate_file_state state{record, plate};
    conversion::context ctx;
    ctx.input_folder = tree.path("scan_in");
    ctx.output_folder = tree.path("scan_out");
    QStringList board;
    ctx.board = [&board](const QString& line) { board << line; };
    c.scan(ctx, state);
    EXPECT_EQ(QDir(tree.path("scan_out")).entryList(QDir::Files), QStringList{"77.scn"});
    EXPECT_EQ(tree.read("scan_out/77.scn"), tree.read("out/77.scn"));
    // Without an archive the refused file is kept aside.
    EXPECT_TRUE(board.join('\n').contains("b.csv.failed")) << board.join('\n').toStdString();
  }
}

}  // namespace
