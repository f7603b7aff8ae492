// The programs' command line, run as the built programs, copied alone into a
// folder "bin" the way a package installs them, with their settings in a
// separate program folder "site".

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>

#include "support/exsitu_file.h"
#ifndef Q_OS_WIN
#include "support/fake_system_journal.h"
#endif
#include "support/journal_wait.h"
#include "support/temp_tree.h"

namespace {

using test_support::temp_tree;

const QStringList kScanners = {"DORNIK_spectrum_scanner", "Halvik_scanner",
                               "SELMAR_spectrum_scanner", "TULMEN_scanner",
                               "VELLIC_spectrum_scanner"};
const QStringList kOthers = {"language_editor", "scan_file_tool", "vocabulary_tool"};
const QString kDornik = QStringLiteral("DORNIK_spectrum_scanner");

struct finished_run {
  int exit_code = -1;
  QString out;
  QString err;
};

// "bin" with the programs; "site" as a deployment's program folder naming
// the VELLIC tree "v" (product P, measurement L), the exsitu input "in" and
// the insitu input "insitu", whose probe heads "Kopf Süd" and "PH-2" go to
// the measurements coater_top and coater_bottom.
class installation {
 public:
  installation() {
    for (const QString& program : kScanners + kOthers) {
      const QString copy = tree.path("bin/" + program);
      tree.make_folder("bin");
      EXPECT_TRUE(QFile::copy(QStringLiteral(TEST_BIN_DIR "/") + program, copy));
      QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    tree.write("v/database/current_product/P", {});
    for (const char* name : {"L", "coater_top", "coater_bottom"}) {
      tree.make_folder(measurement_folder(QString::fromLatin1(name)));
    }
    tree.make_folder("v/archive");
    tree.make_folder("in");
    tree.make_folder("insitu");
    tree.write("site/vellic_path.ini", tree.path("v").toLocal8Bit() + "\r\n");
    tree.write("site/vellic_scanner.ini",
               tree.path("in").toLocal8Bit() + "\r\nL\r\nFalse\r\n1\r\n125\r\n\r\n" +
                   "Insitu input path\r\n" + tree.path("insitu").toLocal8Bit() + "\r\n");
    tree.write("site/DORNIK_probeheads.bin", test_support::fixture("vocabulary_probeheads.bin"));
  }

  static QString measurement_folder(const QString& name) {
    return "v/database/products/P/measurements/" + name + "/new";
  }

  // Headless, in the tree as working folder, with a per-user folder that
  // does not exist yet, so creating it shows.
  void prepare(QProcess& process, const QStringList& settings = {}) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "JOURNAL_STREAM"}) {
      environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("XDG_DATA_HOME"), tree.path("user"));
    // Qt warns on standard error about a runtime folder others may read.
    const QString runtime = tree.make_folder("runtime");
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    for (const QString& setting : settings) {
      environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
    }
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(tree.path());
  }

  finished_run run(const QString& program, const QStringList& arguments) const {
    return run_file(tree.path("bin/" + program), arguments);
  }

  finished_run run_file(const QString& executable, const QStringList& arguments,
                        int seconds = 60) const {
    QProcess process;
    prepare(process);
    process.start(executable, arguments);
    finished_run result;
    if (!process.waitForFinished(seconds * 1000)) {
      process.kill();
      process.waitForFinished();
      ADD_FAILURE() << executable.toStdString() << " did not end";
    }
    result.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
  }

  // Every file and folder of the tree with its size and time, to show that
  // a run changed nothing.
  QStringList snapshot() const {
    QStringList entries;
    QDirIterator it(tree.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QFileInfo info(it.next());
      if (info.filePath().startsWith(tree.path("runtime"))) continue;
      entries << QDir(tree.path()).relativeFilePath(info.filePath()) + " " +
                     QString::number(info.size()) + " " +
                     info.lastModified().toString(Qt::ISODateWithMs);
    }
    entries.sort();
    return entries;
  }

  temp_tree tree;
};

// The last report line of `item`, as --check-config prints it (an item that
// fails to read follows its "exists" line with what went wrong).
QString report_line(const QString& report, const QString& item) {
  QString found;
  for (const QString& line : report.split('\n')) {
    if (line.startsWith(item + ":")) found = line;
  }
  return found;
}

TEST(CommandLineTest, HelpVersionAndWrongArgumentsEndEveryProgramBeforeItCreatesAnything) {
  installation site;
  const QStringList before = site.snapshot();
  for (const QString& program : kScanners + kOthers) {
    SCOPED_TRACE(program.toStdString());
    const bool scanner = kScanners.contains(program);

    const finished_run help = site.run(program, {"--help"});
    EXPECT_EQ(help.exit_code, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith("Usage: " + program + " [options]")) << help.out.toStdString();
    EXPECT_EQ(help.out.contains("--program-folder <DIR>"), scanner) << help.out.toStdString();
    EXPECT_EQ(help.out.contains("--check-config"), scanner);
    // What the exit code says and what a signal does, for scripts and services.
    EXPECT_TRUE(help.out.contains("\nExit codes")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("\nSignals: ")) << help.out.toStdString();

    for (const char* version : {"--version", "-v"}) {
      const finished_run shown = site.run(program, {QString::fromLatin1(version)});
      EXPECT_EQ(shown.exit_code, 0);
      EXPECT_EQ(shown.out, program + " " PROGRAM_VERSION "\n");
    }

    struct wrong {
      QStringList arguments;
      QString named;
    };
    const wrong cases[] = {
        {{"--no-such-option"}, "no-such-option"},
        {{"-platform", "offscreen"}, "Unknown option"},
        {{"--help=yes"}, "help"},
        {{"--program-folder"}, scanner ? "program-folder" : "Unknown option"},
    };
    for (const wrong& w : cases) {
      SCOPED_TRACE(w.arguments.join(' ').toStdString());
      const finished_run refused = site.run(program, w.arguments);
      EXPECT_EQ(refused.exit_code, 2);
      EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString();
      EXPECT_TRUE(refused.err.contains(w.named)) << refused.err.toStdString();
      EXPECT_TRUE(refused.err.contains(program + " --help")) << refused.err.toStdString();
    }
  }
  // No settings file, heartbeat or per-user folder came into being anywhere.
  EXPECT_EQ(site.snapshot(), before);
}

TEST(CommandLineTest, ScannersAndTheEditorRefuseArgumentsTheyDoNotTake) {
  installation site;
  for (const QString& program : kScanners) {
    const finished_run refused = site.run(program, {"vellic_scanner.ini"});
    EXPECT_EQ(refused.exit_code, 2) << program.toStdString();
    EXPECT_TRUE(refused.err.contains("vellic_scanner.ini")) << refused.err.toStdString();
  }
  const finished_run editor = site.run("language_editor", {"a.bin", "b.bin"});
  EXPECT_EQ(editor.exit_code, 2);
  EXPECT_TRUE(editor.err.contains("b.bin")) << editor.err.toStdString();
}

// A mistyped or not yet made program folder would give a scanner without
// any of its settings that never says why: it names the folder and ends.
TEST(CommandLineTest, AScannerWhoseProgramFolderIsMissingSaysSoAndEnds) {
  installation site;
  const QStringList before = site.snapshot();
  for (const QString& program : kScanners) {
    SCOPED_TRACE(program.toStdString());
    const finished_run refused = site.run(program, {"--program-folder", "nowhere"});
    EXPECT_EQ(refused.exit_code, 2);
    EXPECT_TRUE(refused.err.contains("box: The program folder " + site.tree.path("nowhere") +
                                     "/ does not exist; the scanner ends."))
        << refused.err.toStdString();
  }
  EXPECT_EQ(site.snapshot(), before);
}

TEST(CommandLineTest, CheckConfigReportsAUsableDeploymentAndChangesNothing) {
  installation site;
  const QStringList before = site.snapshot();
  const finished_run run = site.run(kDornik, {"--check-config", "--program-folder", "site"});
  EXPECT_EQ(run.exit_code, 0) << run.out.toStdString() << run.err.toStdString();
  EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

  const QString in_tree = site.tree.path() + "/";
  struct expected {
    QString item;
    QString value;
    QString state;
  };
  const expected lines[] = {
      {"program folder", in_tree + "site/", "exists"},
      {"settings file vellic_scanner.ini", in_tree + "site/vellic_scanner.ini", "exists"},
      {"settings file vellic_pswd.bin", in_tree + "site/vellic_pswd.bin", "missing, optional"},
      {"VELLIC base folder", in_tree + "v/", "exists"},
      {"archive folder", in_tree + "v/archive/", ""},
      {"current product", "P", "exists"},
      {"exsitu input folder", in_tree + "in/", "exists"},
      {"exsitu measurement folder", in_tree + installation::measurement_folder("L"), "exists"},
      {"insitu input folder", in_tree + "insitu/", "exists"},
      {"probe heads table", in_tree + "site/DORNIK_probeheads.bin", "exists"},
      {"probe head \"Kopf S\u00fcd\" -> coater_top",
       in_tree + installation::measurement_folder("coater_top"), "exists"},
      {"probe head \"PH-2\" -> coater_bottom",
       in_tree + installation::measurement_folder("coater_bottom"), "exists"},
      {"probe head \"\u20ac \u6771\u4eac\"", "(no measurement named: its files are set aside)", ""},
      {"result", "usable", ""},
  };
  for (const expected& line : lines) {
    SCOPED_TRACE(line.item.toStdString());
    const QString shown = report_line(run.out, line.item);
    ASSERT_FALSE(shown.isEmpty()) << run.out.toStdString();
    const QString ending =
        line.state.isEmpty() ? line.value : line.value + "  [" + line.state + "]";
    EXPECT_TRUE(shown.endsWith(" " + ending)) << shown.toStdString();
  }
  EXPECT_EQ(site.snapshot(), before);
}

TEST(CommandLineTest, CheckConfigNamesWhatIsMissingAndFails) {
  struct broken {
    const char* what;
    std::function<void(installation&)> break_it;
    QStringList arguments;
    QString item;  // the report line that says what is wrong
  };
  const QStringList in_site = {"--check-config", "--program-folder", "site"};
  const broken cases[] = {
      {"no current product",
       [](installation& s) { QFile::remove(s.tree.path("v/database/current_product/P")); }, in_site,
       "current product"},
      {"a probe head's measurement folder is gone",
       [](installation& s) {
         QDir(s.tree.path(installation::measurement_folder("coater_bottom"))).removeRecursively();
       },
       in_site, "probe head \"PH-2\" -> coater_bottom"},
      {"the exsitu input folder is gone",
       [](installation& s) { QDir(s.tree.path("in")).removeRecursively(); }, in_site,
       "exsitu input folder"},
      {"the probe heads table is damaged",
       [](installation& s) {
         s.tree.write("site/DORNIK_probeheads.bin",
                      QByteArrayLiteral("UNICODE\0\0\0\0\x02\0\0\0\xff\xff\xff\x7f"));
       },
       in_site, "probe heads table"},
      {"the program folder does not exist",
       [](installation&) {},
       {"--check-config", "--program-folder", "nowhere"},
       "program folder"},
      {"without --program-folder the settings are looked for beside the program",
       [](installation&) {},
       {"--check-config"},
       "settings file vellic_scanner.ini"},
  };
  for (const broken& b : cases) {
    SCOPED_TRACE(b.what);
    installation site;
    b.break_it(site);
    const QStringList before = site.snapshot();
    const finished_run run = site.run(kDornik, b.arguments);
    EXPECT_EQ(run.exit_code, 1) << run.out.toStdString();
    const QString line = report_line(run.out, b.item);
    EXPECT_TRUE(line.endsWith("[MISSING]") || line.endsWith("[ERROR]")) << run.out.toStdString();
    EXPECT_EQ(report_line(run.out, "result"), "result:" + QString(27, ' ') + "NOT usable");
    EXPECT_EQ(site.snapshot(), before);
  }
}

// A scanner started as a service: headless, its settings in "site".
class service_run {
 public:
  service_run(installation& site, const QString& shell_line, const QStringList& settings = {},
              const QString& program_folder = "site") {
    site.prepare(process, settings);
    process.start("/bin/sh", {"-c", shell_line, site.tree.path("bin/" + kDornik),
                              "--program-folder", program_folder});
    EXPECT_TRUE(process.waitForStarted(10000));
  }

  bool wait_until(const std::function<bool()>& done) {
    return test_support::collect_journal_until(process, journal, done);
  }

  void stop() {
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    EXPECT_TRUE(process.waitForFinished(30000));
    journal += QString::fromLocal8Bit(process.readAllStandardError());
  }

  QProcess process;
  QString journal;
};

// The shell hands its process over to the program ("exec"), so the signal
// reaches the program itself.
const QString kPlain = QStringLiteral("exec \"$0\" \"$@\"");

TEST(CommandLineTest, WithAProgramFolderTheScannerReadsAndWritesItsSettingsThere) {
  installation site;
  service_run scanner(site, kPlain);
  EXPECT_TRUE(scanner.wait_until([&] {
    return site.tree.exists("v/live_signals/" + kDornik + ".alv") &&
           scanner.journal.contains("status: Scanning " + site.tree.path("in") + "/ ... ");
  })) << scanner.journal.toStdString();
  scanner.stop();
  EXPECT_EQ(scanner.process.exitCode(), 0);

  // The journal names the build first; the settings went back into "site"
  // and nothing came beside the program.
  EXPECT_TRUE(scanner.journal.startsWith("version: " + kDornik + " " PROGRAM_VERSION "\n"))
      << scanner.journal.toStdString();
  EXPECT_EQ(site.tree.read("site/vellic_scanner.ini").count("\r\n"), 12);
  QStringList programs = kScanners + kOthers;
  programs.sort();
  EXPECT_EQ(QDir(site.tree.path("bin")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
            programs);
}

TEST(CommandLineTest, OnlyWhenStandardErrorIsTheJournalLinesCarryTheirPriority) {
  struct stream_case {
    const char* what;
    QString shell_line;
    QString priority_of_info, priority_of_error;
  };
  const stream_case cases[] = {
      {"standard error is the journal's stream",
       "export JOURNAL_STREAM=$(stat -L -c %d:%i /proc/self/fd/2); exec \"$0\" \"$@\"", "<6>",
       "<3>"},
      {"the journal's stream is another file (standard error redirected)",
       "export JOURNAL_STREAM=$(stat -L -c %d:%i /dev/null); exec \"$0\" \"$@\"", "", ""},
      {"no journal", kPlain, "", ""},
  };
  for (const stream_case& c : cases) {
    SCOPED_TRACE(c.what);
    installation site;
    // Too short to use: the scanner says so in a message box.
    site.tree.write("site/vellic_scanner.ini", "too short\r\n");
    service_run scanner(site, c.shell_line);
    EXPECT_TRUE(scanner.wait_until([&] { return scanner.journal.contains("status: Scanning "); }))
        << scanner.journal.toStdString();
    scanner.stop();

    const QStringList lines = scanner.journal.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), c.priority_of_info + "version: " + kDornik + " " PROGRAM_VERSION);
    EXPECT_TRUE(lines.contains(c.priority_of_error +
                               "box: Error: vellic_scanner.ini does not contain sufficient "
                               "information!"))
        << scanner.journal.toStdString();
    EXPECT_FALSE(
        lines
            .filter(QRegularExpression("^" + QRegularExpression::escape(c.priority_of_info) +
                                       "status: Scanning "))
            .isEmpty())
        << scanner.journal.toStdString();
    // Missing folders turn the lamp amber: a warning.
    EXPECT_FALSE(
        lines
            .filter(QRegularExpression(
                "^" + QRegularExpression::escape(c.priority_of_error.isEmpty() ? "" : "<4>") +
                "state: amber: "))
            .isEmpty())
        << scanner.journal.toStdString();
    // Every line is of one of the known forms.
    for (const QString& line : lines) {
      EXPECT_TRUE(QRegularExpression("^(<[0-7]>)?(version|status|board|box|state|history): ")
                      .match(line)
                      .hasMatch())
          << line.toStdString();
    }
  }
}

#ifndef Q_OS_WIN
// Under journald each line is a message of the system journal, and a
// history record carries fields a query selects by ("journalctl
// RESULT=refused"). The scanner runs in a namespace of its own where the
// journal's socket is the test's.
TEST(CommandLineTest, UnderTheSystemJournalEachRecordCarriesItsFields) {
  installation site;
  if (site.run_file("/bin/sh", {"-c", "exec unshare -rm true"}).exit_code != 0) {
    GTEST_SKIP() << "no user and mount namespace here";
  }
  test_support::fake_system_journal journal(site.tree.make_folder("journal"));
  ASSERT_TRUE(journal.ok());
  test_support::exsitu_plate cut_short = test_support::plate_with(3, "9");
  cut_short.line_count = 100;
  site.tree.write("in/short.csv", test_support::exsitu_lines(cut_short).join("\r\n").toLatin1());
  const QString in_namespace =
      "mount -t tmpfs tmpfs /run && mkdir -p /run/systemd/journal && "
      "mount --bind \"$JOURNAL_FOLDER\" /run/systemd/journal && "
      "export JOURNAL_STREAM=$(stat -L -c %d:%i /proc/self/fd/2) && exec \"$0\" \"$@\"";
  service_run scanner(site, "exec unshare -rm /bin/sh -c '" + in_namespace + "' \"$0\" \"$@\"",
                      {"JOURNAL_FOLDER=" + site.tree.path("journal")});
  QList<test_support::journal_message> messages;
  const auto record = [&]() -> std::optional<test_support::journal_message> {
    for (const auto& message : messages) {
      if (message.value("MESSAGE").startsWith("history: ")) return message;
    }
    return std::nullopt;
  };
  EXPECT_TRUE(scanner.wait_until([&] {
    messages << journal.take_messages();
    return record().has_value();
  })) << scanner.journal.toStdString();
  scanner.stop();
  ASSERT_TRUE(record().has_value());
  const test_support::journal_message r = *record();
  EXPECT_EQ(r.value("RESULT"), "refused");
  EXPECT_FALSE(r.contains("PLATE"));  // not read from a file cut short
  EXPECT_EQ(r.value("INPUT"), site.tree.path("in/short.csv").toLocal8Bit());
  EXPECT_EQ(r.value("PRIORITY"), "3");
  EXPECT_EQ(r.value("PROGRAM_FOLDER"), site.tree.path("site").toLocal8Bit());
  EXPECT_EQ(r.value("SYSLOG_IDENTIFIER"), kDornik.toLocal8Bit());
  EXPECT_FALSE(r.contains("OUTPUT"));
  // The lines went to the journal, not to the stream as well.
  EXPECT_FALSE(scanner.journal.contains("history: ")) << scanner.journal.toStdString();
}

// Under a service manager that asked for it (Type=notify, WatchdogSec=),
// the scanner says it is ready, then keeps saying it is alive.
TEST(CommandLineTest, TheServiceManagerHearsTheScannerIsReadyAndAlive) {
  installation site;
  test_support::fake_system_journal manager(site.tree.make_folder("notify"));
  ASSERT_TRUE(manager.ok());
  service_run scanner(site, kPlain,
                      {"NOTIFY_SOCKET=" + site.tree.path("notify/socket"), "WATCHDOG_USEC=400000"});
  QList<test_support::journal_message> messages;
  const auto count = [&](const char* name) {
    return std::count_if(messages.cbegin(), messages.cend(),
                         [&](const auto& message) { return message.value(name) == "1"; });
  };
  EXPECT_TRUE(scanner.wait_until([&] {
    messages << manager.take_messages();
    return count("READY") == 1 && count("WATCHDOG") >= 3;
  })) << scanner.journal.toStdString();
  scanner.stop();
  EXPECT_EQ(scanner.process.exitCode(), 0);
}
#endif

// Every scanner makes a deployment of its own with --init, which its
// configuration report finds usable as it is.
TEST(CommandLineTest, InitMakesADeploymentEachScannerFindsUsable) {
  installation site;
  struct expected {
    QString program;
    QStringList files;  // beside vellic_scanner.ini, vellic_path.ini and the guide
  };
  const expected programs[] = {
      {"DORNIK_spectrum_scanner",
       {"DORNIK_probeheads.bin", "traverse_point_selection.txt", "vellic/vellic.ini",
        "vellic/database/products/Production/measurements/LUMOR_INLINE/new"}},
      {"Halvik_scanner", {"traverse_point_selection.txt", "input/insitu"}},
      {"SELMAR_spectrum_scanner",
       {"vellic_postbake_path.ini", "vellic/selmar_spectrum_scanner.ini", "input/inline",
        "postbake/database/current_product/Postbake",
        "vellic/database/products/Production maintenance/measurements/LUMOR_TRAVERSE/new"}},
      {"TULMEN_scanner", {"input/tulmen"}},
      {"VELLIC_spectrum_scanner", {"input/dat"}},
  };
  for (const expected& e : programs) {
    SCOPED_TRACE(e.program.toStdString());
    const QString folder = "new/" + e.program;
    const finished_run made = site.run(e.program, {"--init", folder});
    EXPECT_EQ(made.exit_code, 0) << made.err.toStdString();
    const QString root = site.tree.path(folder) + "/";
    EXPECT_TRUE(made.out.startsWith("Made a deployment of " + e.program + " in " + root + "\n"))
        << made.out.toStdString();
    EXPECT_TRUE(made.out.contains(e.program + " --check-config --program-folder " + root))
        << made.out.toStdString();
    for (const QString& file :
         QStringList{"vellic_scanner.ini", "vellic_path.ini", "settings_guide.txt",
                     "vellic/database/current_product/Production", "vellic/archive"} +
             e.files) {
      EXPECT_TRUE(site.tree.exists(folder + "/" + file)) << file.toStdString();
    }
    // The guide names each line of the scanner's settings with its value.
    EXPECT_TRUE(site.tree.read(folder + "/settings_guide.txt")
                    .contains("  line 1: \"LUMOR_TRAVERSE\"  (the LUMOR measurement"));

    const finished_run check = site.run(e.program, {"--check-config", "--program-folder", folder});
    EXPECT_EQ(check.exit_code, 0) << check.out.toStdString();
    EXPECT_EQ(report_line(check.out, "result"), "result:" + QString(27, ' ') + "usable");
  }
}

TEST(CommandLineTest, InitLeavesAFolderThatHoldsAnythingAsItIs) {
  struct occupied {
    const char* what;
    std::function<void(installation&)> prepare;
    QString told;
  };
  const occupied cases[] = {
      {"a file", [](installation& s) { s.tree.write("line/notes.txt", "keep"); }, "not empty"},
      {"a hidden file", [](installation& s) { s.tree.write("line/.vellic_scanner.lock", {}); },
       "not empty"},
      {"a folder", [](installation& s) { s.tree.make_folder("line/old"); }, "not empty"},
      {"a file in the folder's place", [](installation& s) { s.tree.write("line", "x"); },
       "is not a folder"},
  };
  for (const occupied& c : cases) {
    SCOPED_TRACE(c.what);
    installation site;
    c.prepare(site);
    const QStringList before = site.snapshot();
    const finished_run refused = site.run(kDornik, {"--init", "line"});
    EXPECT_EQ(refused.exit_code, 1);
    EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString();
    EXPECT_TRUE(refused.err.contains(site.tree.path("line"))) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(c.told)) << refused.err.toStdString();
    EXPECT_EQ(site.snapshot(), before);
  }

  // An empty folder, as install -d makes it for the service user, is taken.
  installation site;
  site.tree.make_folder("line");
  EXPECT_EQ(site.run(kDornik, {"--init", "line"}).exit_code, 0);
  EXPECT_TRUE(site.tree.exists("line/vellic_scanner.ini"));
}

TEST(CommandLineTest, InitTakesNoOtherOption) {
  installation site;
  const QStringList before = site.snapshot();
  for (const QStringList& arguments :
       {QStringList{"--init", "line", "--program-folder", "site"},
        QStringList{"--check-config", "--init", "line"}, QStringList{"--init"}}) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    const finished_run refused = site.run(kDornik, arguments);
    EXPECT_EQ(refused.exit_code, 2);
    EXPECT_TRUE(refused.err.contains("init")) << refused.err.toStdString();
  }
  EXPECT_EQ(site.snapshot(), before);
}

// The deployment works as it is made: the scanner converts a measurement
// dropped into its input folder.
TEST(CommandLineTest, TheScannerConvertsInADeploymentMadeByInit) {
  installation site;
  ASSERT_EQ(site.run(kDornik, {"--init", "line1"}).exit_code, 0);
  site.tree.write(
      "line1/input/exsitu/plate.csv",
      test_support::exsitu_lines(test_support::plate_with(3, "4711")).join("\r\n").toLatin1());
  service_run scanner(site, kPlain, {}, "line1");
  const QString scan_file =
      "line1/vellic/database/products/Production/measurements/LUMOR_TRAVERSE/new/4711.scn";
  EXPECT_TRUE(scanner.wait_until([&] { return site.tree.exists(scan_file); }))
      << scanner.journal.toStdString();
  scanner.stop();
  EXPECT_EQ(scanner.process.exitCode(), 0);
  EXPECT_FALSE(site.tree.exists("line1/input/exsitu/plate.csv"));
}

}  // namespace
