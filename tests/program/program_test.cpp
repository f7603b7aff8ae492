// The built program, copied alone into a program folder and run headless as
// a service manager would run it.

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include "support/temp_tree.h"

namespace {

using test_support::temp_tree;

const QString kProgram = QStringLiteral("DORNIK_spectrum_scanner");

// A program folder "prog" holding only the program and vellic_path.ini, a
// VELLIC tree "v" with product P and an exsitu input folder "in".
class deployment {
 public:
  deployment() {
    const QString program = tree.path("prog/" + kProgram);
    tree.make_folder("prog");
    EXPECT_TRUE(QFile::copy(QStringLiteral(TEST_BIN_DIR "/") + kProgram, program));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    tree.write("v/database/current_product/P", {});
    tree.make_folder("v/database/products/P/measurements/L/new");
    tree.make_folder("in");
    tree.write("prog/vellic_path.ini", tree.path("v").toLocal8Bit() + "\r\n");
  }

  void start(const QStringList& settings = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& setting : settings) {
      environment.insert(setting.section(QLatin1Char('='), 0, 0),
                         setting.section(QLatin1Char('='), 1));
    }
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      environment.remove(QString::fromLatin1(display));
    }
    environment.insert(QStringLiteral("XDG_DATA_HOME"), tree.make_folder("user"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), tree.make_folder("runtime"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(tree.path());
    process.start(tree.path("prog/" + kProgram), {});
    ASSERT_TRUE(process.waitForStarted(10000));
  }

  // Collects standard error until `done` holds; false after a generous
  // bound, so a hanging program fails the test instead of stalling it.
  bool wait_until(const std::function<bool()>& done) {
    const QDeadlineTimer bound(60000);
    while (!done()) {
      if (bound.hasExpired() || process.state() == QProcess::NotRunning) return false;
      process.waitForReadyRead(100);
      journal += QString::fromLocal8Bit(process.readAllStandardError());
    }
    return true;
  }

  bool journal_has(const QString& line) const {
    return journal.split(QLatin1Char('\n')).contains(line);
  }

  // Sends `signal` and waits for the program to end.
  void stop_with(int signal) {
    ::kill(static_cast<pid_t>(process.processId()), signal);
    EXPECT_TRUE(process.waitForFinished(30000));
    journal += QString::fromLocal8Bit(process.readAllStandardError());
  }

  temp_tree tree;
  QProcess process;
  QString journal;
};

TEST(ProgramTest, HeadlessItKeepsTheHeartbeatReportsItsStateAndSavesOnSigterm) {
  deployment site;
  site.tree.write("prog/vellic_scanner.ini", site.tree.path("in").toLocal8Bit() + "\r\nL\r\n");
  site.start();
  const QString scanning = "status: Scanning " + site.tree.path("in") + "/ ... ";

  EXPECT_TRUE(site.wait_until([&site] {
    return site.tree.exists("v/live_signals/" + kProgram + ".alv");
  })) << site.journal.toStdString();
  EXPECT_TRUE(site.wait_until([&] { return site.journal_has(scanning); }))
      << site.journal.toStdString();
  site.stop_with(SIGTERM);

  EXPECT_EQ(site.process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(site.process.exitCode(), 0);
  // An idle scanner says so once, not at every tick.
  EXPECT_LE(site.journal.count(QStringLiteral("No file to be processed")), 1)
      << site.journal.toStdString();
  const QByteArray saved = site.tree.read("prog/vellic_scanner.ini");
  EXPECT_EQ(saved.count("\r\n"), 12);
  EXPECT_TRUE(
      saved.startsWith(site.tree.path("in").toLocal8Bit() + "\r\nL\r\nFalse\r\n1\r\n125\r\n"))
      << saved.toStdString();
}

TEST(ProgramTest, SigintClosesItTooAndBoxesGoToTheJournal) {
  deployment site;
  site.tree.write("prog/vellic_scanner.ini", "too short\r\n");
  site.start();
  const QString box =
      QStringLiteral("box: Error: vellic_scanner.ini does not contain sufficient information!");
  EXPECT_TRUE(site.wait_until([&] { return site.journal_has(box); })) << site.journal.toStdString();
  EXPECT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }));
  site.stop_with(SIGINT);

  EXPECT_EQ(site.process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(site.process.exitCode(), 0);
  EXPECT_EQ(site.tree.read("prog/vellic_scanner.ini").count("\r\n"), 12);
}

TEST(ProgramTest, TheSettleTimeIsWrittenWithAPointInADecimalCommaLocale) {
  deployment site;
  site.tree.write("prog/vellic_scanner.ini", "a\r\nb\r\n\r\n1\r\n1\r\n\r\n\r\n\r\n\r\n2.25\r\n");
  site.start({QStringLiteral("LC_ALL=de_DE.UTF-8")});
  EXPECT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }));
  site.stop_with(SIGTERM);
  EXPECT_EQ(site.tree.read("prog/vellic_scanner.ini").split('\n').value(9), QByteArray("2.25\r"));
}

}  // namespace
