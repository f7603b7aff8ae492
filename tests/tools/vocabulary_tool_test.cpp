#include "basics/sprachen.h"
#include "support/temp_tree.h"

#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

using test_support::fixture;
using test_support::temp_tree;

struct run_result {
  int exit_code = -1;
  QByteArray out;
  QString err;
};

run_result run_tool(const QStringList& arguments) {
  QProcess tool;
  tool.start(QStringLiteral(TEST_BIN_DIR "/vocabulary_tool"), arguments);
  EXPECT_TRUE(tool.waitForFinished(30000)) << tool.errorString().toStdString();
  EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
  return {tool.exitCode(), tool.readAllStandardOutput(),
          QString::fromUtf8(tool.readAllStandardError())};
}

const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

class VocabularyToolTest : public ::testing::Test {
 protected:
  temp_tree tree_;
};

TEST_F(VocabularyToolTest, dump_prints_the_rows_tab_separated) {
  const QString bin = tree_.write("DORNIK_probeheads.bin", fixture("vocabulary_probeheads.bin"));
  const run_result r = run_tool({"dump", bin});
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, kBom +
                       "Nickname\tProbe head\n"
                       "coater_top\tKopf S\xC3\xBC"
                       "d\n"
                       "coater_bottom\tPH-2\n"
                       "\t\xE2\x82\xAC \xE6\x9D\xB1\xE4\xBA\xAC\n");
  EXPECT_TRUE(r.err.isEmpty());
}

TEST_F(VocabularyToolTest, dump_reads_old_headerless_files) {
  const run_result r =
      run_tool({"dump", QStringLiteral(TEST_DATA_DIR "/vocabulary_headerless.bin")});
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.startsWith(kBom +
                               "Nickname\tEnglish\tDeutsch\ngreeting\tgreetings\tGr\xC3\xBC\xC3\x9F"
                               "e\n"));
}

TEST_F(VocabularyToolTest, import_then_dump_gives_the_text_back) {
  // UTF-16 as the language editor exports it; the dump is UTF-8 and can be
  // imported again.
  const QString text = QStringLiteral("Nickname\tProbe head\r\ncoater_top\tKopf Süd\r\n\t€\r\n");
  QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
  const QString txt = tree_.write("heads.txt", encoder.encode(text));
  const QString bin = tree_.path("heads.bin");

  const run_result imported = run_tool({"import", txt, bin});
  ASSERT_EQ(imported.exit_code, 0) << imported.err.toStdString();
  const run_result dumped = run_tool({"dump", bin});
  ASSERT_EQ(dumped.exit_code, 0) << dumped.err.toStdString();
  const QByteArray expected =
      kBom + QStringLiteral("Nickname\tProbe head\ncoater_top\tKopf Süd\n\t€\n").toUtf8();
  EXPECT_EQ(dumped.out, expected);

  const QString again = tree_.write("again.txt", dumped.out);
  ASSERT_EQ(run_tool({"import", again, tree_.path("again.bin")}).exit_code, 0);
  EXPECT_EQ(tree_.read("again.bin"), tree_.read("heads.bin"));
}

// Hand-made text tables with one mistake each: what check, check --strict
// and import make of it. import --strict exits as check --strict does.
TEST_F(VocabularyToolTest, each_mistake_is_reported_with_file_and_line) {
  struct mistake {
    const char* what;
    QByteArray text;
    const char* finding;  // the one line on standard error, %1 the file
    int check_exit;
    int strict_exit;
    const char* imported_row;  // when import writes: a row of the dump
  };
  const mistake cases[] = {
      {"space instead of tab", "Nickname\tProbe head\nLUMOR_TOP Probe head 1\n",
       "Error: %1 line 2: the row has 1 column where the header row has 2; the cells must be "
       "separated by tabs.",
       1, 1, nullptr},
      {"duplicate nickname", "Nickname\tProbe head\nA\tPH-1\nB\tPH-2\nA\tPH-3\n",
       "Error: %1 line 4: nickname \"A\" is also on line 2; lookups find only line 2.", 1, 1,
       nullptr},
      {"duplicate in a language column", "Nickname\tProbe head\nA\tPH-1\nB\tPH-1\n",
       "Warning: %1 line 3: \"PH-1\" in cell 2 (Probe head) is also on line 2; lookups by it "
       "find only line 2.",
       0, 1, "B\tPH-1\n"},
      {"blank row", "Nickname\tProbe head\nA\tPH-1\n\nB\tPH-2\n", "Warning: %1 line 3: blank row.",
       0, 1, "\t\n"},
      {"missing column", "Nickname\tEnglish\tDeutsch\nA\tone\n",
       "Error: %1 line 2: the row has 2 columns where the header row has 3; import leaves the "
       "missing cells empty.",
       1, 1, nullptr},
      {"extra column", "Nickname\tEnglish\nA\tone\teins\n",
       "Error: %1 line 2: the row has 3 columns where the header row has 2; import drops the "
       "cells beyond.",
       1, 1, nullptr},
      {"leading and trailing blanks", "Nickname\tProbe head\nA\t PH-1 \n",
       "Warning: %1 line 2: cell 2 (Probe head) \" PH-1 \" has blanks at its start and end.", 0, 1,
       "A\tPH-1\n"},
      {"UTF-8 without byte-order mark",
       "Nickname\tDeutsch\nA\t\xC3\x9C"
       "BEN\n",
       "Warning: %1 line 2: decoded as UTF-8 without a byte-order mark.", 0, 1,
       "A\t\xC3\x9C"
       "BEN\n"},
  };
  const QByteArray old_bin = QByteArrayLiteral("kept when import refuses");
  for (const mistake& c : cases) {
    SCOPED_TRACE(c.what);
    const QString txt = tree_.write("heads.txt", c.text);
    const QString finding = QString::fromUtf8(c.finding).arg(txt) + u'\n';

    const run_result checked = run_tool({"check", txt});
    EXPECT_EQ(checked.exit_code, c.check_exit);
    EXPECT_EQ(checked.err, finding);
    EXPECT_TRUE(checked.out.isEmpty());
    const run_result strict = run_tool({"check", txt, "--strict"});
    EXPECT_EQ(strict.exit_code, c.strict_exit);
    EXPECT_EQ(strict.err, finding);

    // A fresh OUT.bin, made only when the check passes.
    const QString bin = tree_.path("fresh.bin");
    QFile::remove(bin);
    const run_result imported = run_tool({"import", txt, bin});
    EXPECT_EQ(imported.exit_code, c.check_exit);
    EXPECT_TRUE(imported.err.startsWith(finding)) << imported.err.toStdString();
    EXPECT_EQ(tree_.exists("fresh.bin"), c.check_exit == 0);
    if (c.imported_row) {
      const run_result dumped = run_tool({"dump", bin});
      EXPECT_TRUE(dumped.out.contains(c.imported_row)) << dumped.out.toStdString();
    }

    // An existing OUT.bin stays as it was when import refuses.
    const QString kept = tree_.write("kept.bin", old_bin);
    const run_result refused = run_tool({"import", "--strict", txt, kept});
    EXPECT_EQ(refused.exit_code, c.strict_exit);
    EXPECT_TRUE(refused.err.contains("kept.bin was not written")) << refused.err.toStdString();
    EXPECT_EQ(tree_.read("kept.bin"), old_bin);
  }
}

TEST_F(VocabularyToolTest, a_good_table_passes_silently_and_round_trips) {
  const QByteArray text =
      QStringLiteral(
          "Nickname\tProbe head\tDeutsch\r\nLUMOR_TOP\tProbe head 1\tKopf S\u00FCd\r\n"
          "LUMOR_BOTTOM\tProbe head 2\t\r\n")
          .toUtf8();
  const QString txt = tree_.write("heads.txt", kBom + text);
  const QString bin = tree_.path("heads.bin");
  for (const QStringList& arguments :
       {QStringList{"check", txt, "--strict"}, QStringList{"import", "--strict", txt, bin},
        QStringList{"check", bin, "--strict"}}) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    const run_result r = run_tool(arguments);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
  EXPECT_EQ(run_tool({"dump", bin}).out, kBom + QByteArray(text).replace("\r\n", "\n"));
}

// A vocabulary file made in the language editor keeps its cells as typed:
// blanks and a repeated nickname break lookups just the same.
TEST_F(VocabularyToolTest, check_reads_a_vocabulary_file_by_its_rows) {
  basics::sprachen table;
  table.clear();
  table.set_wort(0, 1, "Probe head");
  for (const char* nickname : {"LUMOR_TOP", "LUMOR_TOP"}) {
    table.anzahl_vokabeln_plus();
    table.set_wort(table.anzahl_vokabeln() - 1, 0, nickname);
  }
  table.set_wort(1, 1, "PH-1 ");
  const QString bin = tree_.path("DORNIK_probeheads.BIN");
  table.save_to_file(bin);

  const run_result r = run_tool({"check", bin});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, QStringLiteral("Warning: %1 line 2: cell 2 (Probe head) \"PH-1 \" has blanks "
                                  "at its end.\n"
                                  "Error: %1 line 3: nickname \"LUMOR_TOP\" is also on line 2; "
                                  "lookups find only line 2.\n")
                       .arg(bin));
}

TEST_F(VocabularyToolTest, bad_files_and_arguments_fail_with_a_message) {
  const QString truncated = tree_.write("truncated.bin", fixture("vocabulary_truncated.bin"));
  const QString lying = tree_.write("lying.bin", fixture("vocabulary_lying_count.bin"));
  const QString tiny = tree_.write("tiny.bin", "UNICODE");
  const QString empty_txt = tree_.write("empty.txt", "");
  const QString good_txt = tree_.write("good.txt", "Nickname\tProbe head\r\n");
  const QString missing = tree_.path("missing.bin");
  struct failing_run {
    QStringList arguments;
    int exit_code;
    QString message_part;
  };
  const failing_run cases[] = {
      {{"dump", truncated}, 1, "ends inside the word of row 3, column 1"},
      {{"dump", lying}, 1, "more than the data can hold"},
      {{"dump", tiny}, 1, "too short to be a vocabulary file"},
      {{"dump", missing}, 1, missing},
      {{"import", empty_txt, tree_.path("out.bin")}, 1, "holds no lines"},
      {{"import", missing, tree_.path("out.bin")}, 1, missing},
      {{"import", good_txt, tree_.path("no_folder/out.bin")}, 1, "no_folder"},
      {{"check", truncated}, 1, "ends inside the word of row 3, column 1"},
      {{"check", tiny}, 1, "too short to be a vocabulary file"},
      {{"check", empty_txt}, 1, "holds no lines"},
      {{"check", missing}, 1, missing},
      {{"check"}, 2, "Usage:"},
      {{"check", good_txt, good_txt}, 2, "Usage:"},
      {{"dump", "--strict", truncated}, 2, "Usage:"},
      {{"import", "--strict", good_txt}, 2, "Usage:"},
      {{}, 2, "Usage: vocabulary_tool dump FILE.bin"},
      {{"dump"}, 2, "Usage:"},
      {{"export", truncated}, 2, "Usage:"},
      {{"import", empty_txt}, 2, "Usage:"},
  };
  for (const failing_run& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const run_result r = run_tool(c.arguments);
    EXPECT_EQ(r.exit_code, c.exit_code);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(c.message_part)) << r.err.toStdString();
  }
  EXPECT_FALSE(tree_.exists("out.bin"));
}

}  // namespace
