#include "support/temp_tree.h"

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

class sprachen_vocabulary_tool : public ::testing::Test {
 protected:
  temp_tree tree_;
};

TEST_F(sprachen_vocabulary_tool, dump_prints_the_rows_tab_separated) {
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

TEST_F(sprachen_vocabulary_tool, dump_reads_old_headerless_files) {
  const run_result r =
      run_tool({"dump", QStringLiteral(TEST_DATA_DIR "/vocabulary_headerless.bin")});
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.startsWith(kBom +
                               "Nickname\tEnglish\tDeutsch\ngreeting\tgreetings\tGr\xC3\xBC\xC3\x9F"
                               "e\n"));
}

TEST_F(sprachen_vocabulary_tool, import_then_dump_gives_the_text_back) {
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

TEST_F(sprachen_vocabulary_tool, bad_files_and_arguments_fail_with_a_message) {
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
