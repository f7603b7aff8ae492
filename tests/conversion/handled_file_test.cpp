// What the conversions tell of each file they finish with: one history
// record per claimed file, naming its plate, its output and archive copy,
// and what the operator was told about it.

#include <QDate>
#include <QDateTime>
#include <QLocale>

#include <gtest/gtest.h>

#include <functional>

#include "basics/history_file.h"
#include "basics/sprachen.h"
#include "conversion/dat_moves.h"
#include "conversion/exsitu_conversion.h"
#include "conversion/insitu_conversion.h"
#include "conversion/tulmen_conversion.h"
#include "conversion_site.h"
#include "support/exsitu_file.h"
#include "support/insitu_file.h"
#include "support/probe_heads.h"
#include "support/recording_prompts.h"
#include "support/tulmen_file.h"

namespace {

using basics::history_record;
using basics::history_result;
using test_support::conversion_site;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// Exsitu files from "in" into "out", insitu files from "insitu" into the
// measurement folder "LA" of the tree "v", both archived in "arch".
struct history_site : conversion_site {
  history_site() {
    use_standard_folders(kNow);
    tree.make_folder("insitu");
    tree.make_folder("v/database/products/P/measurements/LA/new");
    ctx.vellic_path = folder("v");
    ctx.probe_heads = &heads;
    ctx.handled = [this](const history_record& record) { records << record; };
  }
  void convert_exsitu(const test_support::exsitu_plate& p) {
    write_lines("in/a.csv", test_support::exsitu_lines(p), kNow.addSecs(-60));
    ctx.input_folder = folder("in");
    conversion::exsitu_state state{record, plate};
    conversion::handle_exsitu(ctx, state, {});
  }
  void convert_insitu(const test_support::insitu_measurement& m) {
    write_lines("insitu/b.csv", test_support::insitu_lines(m), kNow.addSecs(-60));
    ctx.input_folder = folder("insitu");
    conversion::insitu_state state{plate};
    conversion::handle_insitu(ctx, state, {});
  }

  const basics::sprachen heads = test_support::probe_heads_table();
  QList<history_record> records;
};

TEST(HandledFileTest, EachClaimedFileGivesOneRecordOfWhatBecameOfIt) {
  const struct {
    const char* name;
    std::function<void(history_site&)> run;
    history_result result;
    std::optional<qint32> plate;
    QString output;   // relative to the site; empty: none
    QString archive;  // relative to the site; empty: none
    QString message_start;
  } cases[] = {
      {"exsitu converted",
       [](history_site& s) { s.convert_exsitu(test_support::plate_with(3, "77")); },
       history_result::converted, 77, "out/77.scn", "arch/P/2024/3/5/L/exsitu_77.csv",
       "Converted into "},
      {"exsitu refused",
       [](history_site& s) {
         test_support::exsitu_plate p = test_support::plate_with(3, "9");
         p.line_count = 100;
         s.convert_exsitu(p);
       },
       history_result::refused, std::nullopt, "", "arch/P/2024/3/5/L/refused_a.csv",
       "Length of file "},
      {"exsitu set aside",
       [](history_site& s) {
         s.fault.fail_writes_after(10, s.ctx.output_folder + platform::kDelimiter);
         s.convert_exsitu(test_support::plate_with(3, "8"));
       },
       history_result::set_aside, 8, "", "", "Error: "},
      {"insitu converted",
       [](history_site& s) { s.convert_insitu(test_support::insitu_measurement{}); },
       history_result::converted, 1234, "v/database/products/P/measurements/LA/new/1234___T.csv",
       "arch/P/2024/3/5/insitu/b.csv", "Insitu data: Plate number 1234"},
      {"insitu of an unknown probe head",
       [](history_site& s) {
         test_support::insitu_measurement m;
         m.probe_head = "Head 9";
         s.convert_insitu(m);
       },
       history_result::set_aside, 1234, "", "", "Insitu data: Plate number 1234"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    history_site site;
    c.run(site);
    ASSERT_EQ(site.records.size(), 1);
    const history_record& r = site.records[0];
    EXPECT_EQ(r.result, c.result);
    EXPECT_EQ(r.time, kNow);
    EXPECT_EQ(r.input_folder, site.ctx.input_folder);
    EXPECT_EQ(r.plate, c.plate);
    EXPECT_EQ(r.output, c.output.isEmpty() ? QString() : site.path(c.output));
    EXPECT_EQ(r.archive, c.archive.isEmpty() ? QString() : site.path(c.archive));
    EXPECT_TRUE(r.message.startsWith(c.message_start)) << r.message.toStdString();
    // The board lines of the file, all of them.
    if (!site.board.isEmpty()) {
      EXPECT_EQ(r.message, site.board.join(' '));
    }
  }
  // The input's name as it arrived, never its temporary one.
  history_site site;
  site.convert_exsitu(test_support::plate_with(3, "5"));
  EXPECT_EQ(site.records.value(0).input, "a.csv");
}

TEST(HandledFileTest, ValueErrorsOnTheBoardAreNamedWithTheirFileAndPlate) {
  history_site site;
  test_support::exsitu_plate p = test_support::plate_with(3, "41");
  p.value = [](int s, int i, int j) {
    return s == 0 && i == 1 && j == 5
               ? QStringLiteral("x1")
               : QString::number(test_support::exsitu_plate::spectral_value(s, i, j), 'f', 3);
  };
  site.convert_exsitu(p);
  ASSERT_EQ(site.records.size(), 1);
  const history_record& r = site.records[0];
  EXPECT_EQ(r.result, history_result::converted);
  EXPECT_EQ(r.plate, 41);
  EXPECT_EQ(r.input, "a.csv");
  ASSERT_FALSE(site.board.isEmpty());
  EXPECT_TRUE(r.message.contains(site.board[0])) << r.message.toStdString();
}

// The TULMEN scan step over the input folder "in", holding `name`.
void run_tulmen(history_site& s, const QString& name, const test_support::tulmen_measurement& m) {
  s.tree.write("in/" + name, test_support::tulmen_bytes(m));
  basics::scan_data record;
  basics::shape_tulmen_record(record);
  conversion::tulmen_state state{record};
  conversion::handle_tulmen(s.ctx, state, {});
}

// The scans that work on files under their own names tell the same records.
TEST(HandledFileTest, TulmenAndDatScansGiveARecordPerFile) {
  const struct {
    const char* name;
    std::function<void(history_site&)> run;
    QString input;
    history_result result;
    QString output;
    QString archive;
    QString message_part;
  } cases[] = {
      {"TULMEN file converted", [](history_site& s) { run_tulmen(s, "A1_export.csv", {}); },
       // Only when nothing else was said of the file: the end of its header,
       // which every file gives, stays on the status line.
       "A1_export.csv", history_result::converted, "out/A1.scn", "arch/P/2024/3/5/L/A1_export.csv",
       "Converted into "},
      {"TULMEN file with a value that does not convert",
       [](history_site& s) {
         test_support::tulmen_measurement m;
         m.value = [](int spectrum, int point, int position) {
           return spectrum == 1 && point == 7 && position == 2
                      ? QStringLiteral("n.a.")
                      : QString::number(test_support::tulmen_measurement::spectral_value(
                                            spectrum, point, position),
                                        'f', 3);
         };
         run_tulmen(s, "A3_export.csv", m);
       },
       "A3_export.csv", history_result::converted, "out/A3.scn", "arch/P/2024/3/5/L/A3_export.csv",
       "n.a. could not be converted to a number"},
      {"TULMEN file cut short",
       [](history_site& s) {
         test_support::tulmen_measurement m;
         m.lines = 700;
         run_tulmen(s, "A2_export.csv", m);
       },
       "A2_export.csv", history_result::refused, "", "arch/P/2024/3/5/L/A2_export.csv", ""},
      {".dat file moved",
       [](history_site& s) {
         s.tree.write("in/S1.dat", "x");
         conversion::dat_moves_state state;
         conversion::handle_dat_moves(s.ctx, state, {[](const QString& n) { return n + ".out"; }});
       },
       // Told before the claimed file is deleted, so before the status line
       // says it has moved.
       "S1.dat", history_result::converted, "out/S1.dat.out", "", "Converted into "},
      {".dat file that cannot be copied",
       [](history_site& s) {
         s.tree.write("in/S2.dat", "x");
         s.fault.refuse_replace("out");
         conversion::dat_moves_state state;
         conversion::handle_dat_moves(s.ctx, state, {[](const QString& n) { return n + ".out"; }});
       },
       "S2.dat", history_result::set_aside, "", "", "could not be copied; it is kept as"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    history_site site;
    site.ctx.input_folder = site.folder("in");
    c.run(site);
    ASSERT_EQ(site.records.size(), 1);
    const history_record& r = site.records[0];
    EXPECT_EQ(r.input, c.input);
    EXPECT_EQ(r.result, c.result);
    EXPECT_EQ(r.output, c.output.isEmpty() ? QString() : site.path(c.output));
    EXPECT_EQ(r.archive, c.archive.isEmpty() ? QString() : site.path(c.archive));
    EXPECT_TRUE(r.message.contains(c.message_part)) << r.message.toStdString();
  }
}

void convert_tulmen(history_site& s) {
  s.ctx.input_folder = s.folder("in");
  run_tulmen(s, "A1_export.csv", {});
}

void move_dat(history_site& s) {
  s.tree.write("in/S1.dat", "x");
  s.ctx.input_folder = s.folder("in");
  conversion::dat_moves_state state;
  conversion::handle_dat_moves(s.ctx, state, {[](const QString& n) { return n + ".out"; }});
}

// A kill between the record and the deletion leaves the record and the
// input to convert again, never a deleted input without its record.
TEST(HandledFileTest, EachRecordIsToldWhileItsInputIsStillThere) {
  const struct {
    const char* name;
    QString folder;
    std::function<void(history_site&)> run;
  } cases[] = {
      {"exsitu", "in",
       [](history_site& s) { s.convert_exsitu(test_support::plate_with(3, "77")); }},
      {"insitu", "insitu",
       [](history_site& s) { s.convert_insitu(test_support::insitu_measurement{}); }},
      {"TULMEN", "in", convert_tulmen},
      {".dat", "in", move_dat},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    history_site site;
    QList<QStringList> inputs_told;
    site.ctx.handled = [&](const history_record& record) {
      site.records << record;
      inputs_told << site.files(c.folder);
    };
    c.run(site);
    ASSERT_EQ(site.records.size(), 1);
    EXPECT_EQ(site.records[0].result, history_result::converted);
    EXPECT_EQ(inputs_told.value(0).size(), 1);
    EXPECT_TRUE(site.files(c.folder).isEmpty());
  }
}

// The record told before the deletion stands; the failed deletion is a
// record of its own, so the lamp, the tray and the journal hear of it.
TEST(HandledFileTest, ADeletionThatFailsAfterTheRecordGivesASecondRecord) {
  const struct {
    const char* name;
    std::function<void(history_site&)> run;
    history_result second;
    std::function<QString(const history_site&)> message_end;
  } cases[] = {
      {"exsitu",
       [](history_site& s) {
         s.fault.refuse_delete(".tmp");
         s.convert_exsitu(test_support::plate_with(3, "77"));
       },
       history_result::error, [](const history_site&) { return ".tmp\": Permission denied"; }},
      {"TULMEN",
       [](history_site& s) {
         s.fault.refuse_delete("A1_export");
         convert_tulmen(s);
       },
       history_result::set_aside,
       [](const history_site& s) {
         return " is kept as " + s.path("in/A1_export.csv.failed") + ".";
       }},
      {".dat",
       [](history_site& s) {
         s.fault.refuse_delete(s.path("in"));
         move_dat(s);
       },
       history_result::error, [](const history_site&) { return ".tmp could not be deleted."; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    history_site site;
    test_support::recording_prompts prompts;
    c.run(site);
    ASSERT_EQ(site.records.size(), 2);
    EXPECT_EQ(site.records[0].result, history_result::converted);
    EXPECT_FALSE(site.records[0].output.isEmpty());
    const history_record& r = site.records[1];
    EXPECT_EQ(r.result, c.second);
    EXPECT_EQ(r.input, site.records[0].input);
    EXPECT_EQ(r.output, site.records[0].output);
    EXPECT_EQ(r.archive, site.records[0].archive);
    // Only what was said after the first record.
    EXPECT_FALSE(r.message.contains(site.records[0].message)) << r.message.toStdString();
    EXPECT_TRUE(r.message.endsWith(c.message_end(site))) << r.message.toStdString();
  }
}

// Every value on the board, its record short: the first and last lines and
// a count of those between.
TEST(HandledFileTest, AFileOfUnreadableValuesGivesAShortMessageWithTheirCount) {
  history_site site;
  test_support::exsitu_plate p = test_support::plate_with(33, "41");
  p.value = [](int, int, int) { return QStringLiteral("n.a."); };
  site.convert_exsitu(p);
  ASSERT_EQ(site.records.size(), 1);
  const QStringList& board = site.board;
  ASSERT_GT(board.size(), 11000);
  const qsizetype between = board.size() - basics::kMessageFirstLines - basics::kMessageLastLines;
  EXPECT_EQ(board.mid(basics::kMessageFirstLines, between)
                .filter(" could not be converted to a spectral value.")
                .size(),
            between);
  const QString expected = (board.mid(0, basics::kMessageFirstLines) +
                            QStringList{QString("\u2026 and %1 more values could not be read.")
                                            .arg(QLocale(QLocale::English).toString(between))} +
                            board.mid(board.size() - basics::kMessageLastLines))
                               .join(' ');
  EXPECT_EQ(site.records[0].message, expected);
  EXPECT_LE(site.records[0].message.size(), basics::kMessageChars);
}

TEST(HandledFileTest, FilesLeftWaitingGiveNoRecord) {
  history_site site;
  site.ctx.settle_seconds = 600;  // the file is a minute old
  site.convert_exsitu(test_support::plate_with(3, "77"));
  EXPECT_TRUE(site.records.isEmpty());
}

}  // namespace
