#include "basics/startup.h"

#include "basics/files.h"
#include "basics/string_record.h"
#include "platform/operator_prompts.h"
#include "support/fault_env.h"
#include "support/recording_prompts.h"
#include "support/system_entries.h"
#include "support/temp_tree.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>

namespace {

using test_support::answer;

const QString kUserFolder = QStringLiteral("appdata/DORNIK_SPECTRUM_SCANNER");
const QString kQuestion = QStringLiteral(
    "Generate \"historic\" workbook component to be able to load old configurations "
    "(version<3.20) including workbook data?");

// The program asks the operator through its prompts; so do these tests, to
// record what was asked.
bool ask_operator(const QString& caption, const QString& text) {
  return platform::prompts().ask_yes_no(caption, text);
}

QByteArray lines(const QStringList& list) {
  return (list.join("\r\n") + "\r\n").toUtf8();
}

// A per-user folder and a program folder inside a temporary tree.
class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest() : use_(&fault_) {
    tree_.make_folder("appdata");
    fault_.set_roaming_app_data_folder(tree_.path("appdata"));
    fault_.set_program_file_path(
        tree_.path("program/" + test_support::program_file_name("DORNIK_spectrum_scanner")));
  }
  ~StartUpTest() override { basics::stop_basics(); }

  QStringList names_in(const QString& relative) const {
    return QDir(tree_.path(relative))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  }

  test_support::temp_tree tree_;
  platform::FaultEnv fault_;
  platform::ScopedEnv use_;
  test_support::recording_prompts prompts_;
};

TEST_F(StartUpTest, CreatesThePerUserFolders) {
  basics::start_basics(ask_operator);
  EXPECT_EQ(names_in(kUserFolder), QStringList({"downloads", "undo_history", "uploads"}));
  EXPECT_TRUE(prompts_.texts().isEmpty());
}

// A new account, a service user among them, has no data folder yet.
TEST_F(StartUpTest, MissingAppDataFolderIsCreatedWithThePerUserFolders) {
  fault_.set_roaming_app_data_folder(tree_.path("home/svc/.local/share"));
  basics::start_basics(ask_operator);
  EXPECT_EQ(names_in("home/svc/.local/share/DORNIK_SPECTRUM_SCANNER"),
            QStringList({"downloads", "undo_history", "uploads"}));
  EXPECT_TRUE(prompts_.texts().isEmpty());
}

#ifndef Q_OS_WIN
// The same where the data folder comes from the system's own setting.
TEST(StartUpOfANewAccountTest, CreatesTheChainBelowANewDataHome) {
  const test_support::temp_tree tree;
  const QByteArray previous = qgetenv("XDG_DATA_HOME");
  const bool had_previous = qEnvironmentVariableIsSet("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", tree.path("fresh/data/home").toLocal8Bit());
  {
    platform::FaultEnv fault;
    platform::ScopedEnv use(&fault);
    fault.set_program_file_path(
        tree.path("program/" + test_support::program_file_name("DORNIK_spectrum_scanner")));
    basics::start_basics(ask_operator);
    basics::stop_basics();
  }
  if (had_previous) {
    qputenv("XDG_DATA_HOME", previous);
  } else {
    qunsetenv("XDG_DATA_HOME");
  }
  for (const char* sub : {"downloads", "undo_history", "uploads"}) {
    EXPECT_TRUE(
        QFileInfo(tree.path(QStringLiteral("fresh/data/home/DORNIK_SPECTRUM_SCANNER/") + sub))
            .isDir())
        << sub;
  }
}
#endif

TEST_F(StartUpTest, EmptiesTheUndoHistoryAtStartAndStop) {
  for (const char* name : {"a.bak", ".hidden", "noext", "sub/kept.bak"}) {
    tree_.write(kUserFolder + "/undo_history/" + name, "x");
  }
  basics::start_basics(ask_operator);
  EXPECT_EQ(names_in(kUserFolder + "/undo_history"), QStringList{"sub"});
  EXPECT_EQ(names_in(kUserFolder + "/undo_history/sub"), QStringList{"kept.bak"});

  tree_.write(kUserFolder + "/undo_history/during_run.bak", "x");
  tree_.write(kUserFolder + "/undo_history/busy.bak", "x");
  fault_.refuse_delete("busy");
  basics::stop_basics();
  EXPECT_EQ(names_in(kUserFolder + "/undo_history"), QStringList({"busy.bak", "sub"}));
}

TEST_F(StartUpTest, ResetsTheReadVersionAndKeepsTheDefaults) {
  basics::read_file_version = 3.5f;
  tree_.write(kUserFolder + "/default_values.ini", lines({"window left", "10"}));
  basics::start_basics(ask_operator);
  EXPECT_EQ(basics::read_file_version, 0.0f);
  EXPECT_EQ(basics::program_file_version, 3.99001f);
  EXPECT_EQ(basics::basics_settings().default_values, QStringList({"window left", "10"}));
  basics::stop_basics();
  EXPECT_TRUE(basics::basics_settings().default_values.isEmpty());
}

TEST(StartUpWorkbookTest, QuestionFromVcf132Ini) {
  const struct {
    const char* name;
    std::optional<QStringList> user_file;
    std::optional<QStringList> program_file;
    std::optional<answer> reply;  // a reply means the question must be asked
    bool never_use;
    bool ask_for;
  } cases[] = {
      {"no file anywhere", {}, {}, {}, false, false},
      {"asked, answered Yes",
       QStringList{"ask for f1book", "true"},
       {},
       answer::yes(),
       false,
       true},
      {"asked, answered No", QStringList{"ask for f1book", "true"}, {}, answer::no(), true, true},
      {"never use suppresses the question",
       QStringList{"never use f1book", "TRUE", "ask for f1book", "true"},
       {},
       {},
       true,
       true},
      {"keys and values in any case",
       QStringList{"ASK FOR F1BOOK", "True"},
       {},
       answer::yes(),
       false,
       true},
      {"trailing space does not count",
       QStringList{"ask for f1book", "true "},
       {},
       {},
       false,
       false},
      {"last value wins",
       QStringList{"ask for f1book", "true", "ask for f1book", "false"},
       {},
       {},
       false,
       false},
      {"program folder when no per-user file",
       {},
       QStringList{"ask for f1book", "true"},
       answer::no(),
       true,
       true},
      {"per-user file wins",
       QStringList{"ask for f1book", "false"},
       QStringList{"ask for f1book", "true"},
       {},
       false,
       false},
      {"empty per-user file still wins",
       QStringList{},
       QStringList{"ask for f1book", "true"},
       {},
       false,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const test_support::temp_tree tree;
    platform::FaultEnv fault;
    platform::ScopedEnv use(&fault);
    fault.set_roaming_app_data_folder(tree.make_folder("appdata"));
    fault.set_program_file_path(
        tree.path("program/" + test_support::program_file_name("DORNIK_spectrum_scanner")));
    if (c.user_file) tree.write(kUserFolder + "/vcf132.ini", lines(*c.user_file));
    if (c.program_file) tree.write("program/vcf132.ini", lines(*c.program_file));
    test_support::recording_prompts prompts;
    if (c.reply) prompts.script(*c.reply);

    basics::start_basics(ask_operator);

    if (c.reply) {
      ASSERT_EQ(prompts.shown().size(), 1);
      EXPECT_EQ(prompts.shown()[0].what, test_support::shown_prompt::kind::question);
      EXPECT_EQ(prompts.shown()[0].caption, "Optional setting");
      EXPECT_EQ(prompts.shown()[0].text, kQuestion);
    } else {
      EXPECT_TRUE(prompts.shown().isEmpty());
    }
    EXPECT_EQ(basics::basics_settings().workbook.never_use, c.never_use);
    EXPECT_EQ(basics::basics_settings().workbook.ask_for, c.ask_for);
    basics::stop_basics();
  }
}

}  // namespace
