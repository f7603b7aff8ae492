// The language editor program, and the scanner reading what it saved.

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>

#include "deployment.h"
#include "dialogs/language_editor_unit.h"
#include "support/journal_wait.h"
#include "support/no_display.h"
#include "support/recording_prompts.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

using test_support::deployment;
using test_support::insitu_bytes;
using test_support::insitu_of;
using test_support::temp_tree;

TEST(ProgramTest, AProbeHeadAddedInTheLanguageEditorRoutesItsInsituFilesAtTheNextStart) {
  deployment site;
  site.set_up_insitu();
  site.tree.make_folder(deployment::measurement_folder("coater_side"));
  {
    test_support::recording_prompts prompts;
    prompts.script(test_support::answer::no());  // the closing question
    Tlanguage_editor_form editor;
    ASSERT_TRUE(editor.load_file(site.tree.path("prog/DORNIK_probeheads.bin")));
    QTest::mouseClick(editor.Button3, Qt::LeftButton);  // New word, shown left and right
    editor.Memo1->setPlainText("coater_side");
    editor.Memo2->setPlainText(QStringLiteral("Kopf West"));
    QTest::mouseClick(editor.Save_button, Qt::LeftButton);
    EXPECT_EQ(prompts.texts(), QStringList());
  }

  site.start();
  ASSERT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();
  const test_support::insitu_measurement m = insitu_of("801", QStringLiteral("Kopf West"));
  site.drop("side_801.csv", insitu_bytes(m), "insitu");
  const QString output = deployment::measurement_folder("coater_side") + "/801___T.csv";
  const bool converted = site.wait_until(
      [&] { return site.tree.exists(output) && site.input_files("insitu").isEmpty(); });
  site.stop_with(SIGTERM);
  ASSERT_TRUE(converted) << site.journal.toStdString();
  EXPECT_EQ(site.tree.read(output),
            test_support::insitu_pairs(m.data).join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
}

// The editor program started without a display, as a service would start
// it: what its boxes say goes to standard error, and a termination request
// closes it as the operator would, the save question included.
TEST(ProgramTest, TheLanguageEditorProgramOpensItsFileAndAsksBeforeItEnds) {
  struct start_case {
    const char* name;
    QString file;
    QString ready;  // the journal line once the window is up
    QStringList boxes;
    QString platform = {};  // a Qt platform chosen, or none
  };
  temp_tree tree;
  tree.write("heads.bin", test_support::fixture("vocabulary_probeheads.bin"));
  const start_case cases[] = {
      {"with a word list",
       tree.path("heads.bin"),
       "status: Editing " + tree.path("heads.bin"),
       {"box: Save word list?"}},
      {"with a missing file",
       tree.path("none.bin"),
       "status: Editing a new word list",
       {"box: Error: File not found!  " + tree.path("none.bin"), "box: Save word list?"}},
      // Boxes on a platform that draws nowhere would wait unseen for ever.
      {"with a missing file, the offscreen platform chosen",
       tree.path("none.bin"),
       "status: Editing a new word list",
       {"box: Error: File not found!  " + tree.path("none.bin"), "box: Save word list?"},
       "offscreen"},
  };
  for (const start_case& c : cases) {
    SCOPED_TRACE(c.name);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!c.platform.isEmpty()) environment.insert(QStringLiteral("QT_QPA_PLATFORM"), c.platform);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), tree.make_folder("runtime"));
    test_support::no_display nowhere;
    QProcess editor;
    nowhere.start(editor, QStringLiteral(TEST_BIN_DIR "/language_editor"), {c.file}, environment);
    ASSERT_TRUE(editor.waitForStarted(10000));
    // Stopped only once it is up, when the journal says what it edits.
    QString journal;
    test_support::collect_journal_until(editor, journal, [&] { return journal.contains(c.ready); });
    ASSERT_TRUE(journal.contains(c.ready)) << journal.toStdString();
    nowhere.send_stop(editor, SIGTERM);
    ASSERT_TRUE(editor.waitForFinished(30000));
    journal += QString::fromUtf8(editor.readAllStandardError());
    EXPECT_EQ(editor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(editor.exitCode(), 0);
    EXPECT_EQ(journal.split(QLatin1Char('\n')).filter(QRegularExpression("^box: ")), c.boxes)
        << journal.toStdString();
  }
  // Asked and answered No: the file is as it was.
  EXPECT_EQ(tree.read("heads.bin"), test_support::fixture("vocabulary_probeheads.bin"));
}

}  // namespace
