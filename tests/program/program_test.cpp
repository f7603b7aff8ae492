// The built program, copied alone into a program folder and run headless as
// a service manager would run it.

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>

#include "basics/history_file.h"
#include "basics/scan_data.h"
#include "dialogs/language_editor_unit.h"
#include "support/halvik_file.h"
#include "support/insitu_file.h"
#include "support/journal_wait.h"
#include "support/recording_prompts.h"
#include "support/temp_tree.h"
#include "support/tulmen_file.h"
#include "support/zeiss_file.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

using test_support::temp_tree;

const QString kProgram = QStringLiteral("DORNIK_spectrum_scanner");

// A program folder "prog" holding only the program and vellic_path.ini, a
// VELLIC tree "v" with product P and an archive, and an exsitu input folder
// "in"; set_up_insitu() adds the insitu side.
class deployment {
 public:
  explicit deployment(const QString& program_name = kProgram) : program_name(program_name) {
    const QString program = tree.path("prog/" + program_name);
    tree.make_folder("prog");
    EXPECT_TRUE(QFile::copy(QStringLiteral(TEST_BIN_DIR "/") + program_name, program));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    tree.write("v/database/current_product/P", {});
    tree.make_folder(measurement_folder("L"));
    tree.make_folder("v/archive");
    tree.make_folder("in");
    tree.write("prog/vellic_path.ini", tree.path("v").toLocal8Bit() + "\r\n");
  }

  // The scanner's settings: exsitu files from "in" into the LUMOR
  // measurement L, then `further_lines` (line 2 on).
  void write_scanner_settings(const QByteArray& further_lines = {}) {
    tree.write("prog/vellic_scanner.ini",
               tree.path("in").toLocal8Bit() + "\r\nL\r\n" + further_lines);
  }

  // Insitu files from the folder "insitu"; the probe heads table of the
  // fixture sends probe head "Kopf S\u00fcd" to the measurement coater_top
  // and "PH-2" to coater_bottom, and both measurement folders exist.
  void set_up_insitu() {
    tree.make_folder("insitu");
    tree.write("prog/DORNIK_probeheads.bin", test_support::fixture("vocabulary_probeheads.bin"));
    for (const QString& name : {QStringLiteral("coater_top"), QStringLiteral("coater_bottom")}) {
      tree.make_folder(measurement_folder(name));
    }
    write_scanner_settings("False\r\n1\r\n125\r\n\r\nInsitu input path\r\n" +
                           tree.path("insitu").toLocal8Bit() + "\r\n");
  }

  // The output folder of the LUMOR measurement `name` of product P.
  static QString measurement_folder(const QString& name) {
    return "v/database/products/P/measurements/" + name + "/new";
  }

  // Puts `bytes` into the input folder `folder` as an instrument does:
  // written elsewhere, then moved in whole.
  void drop(const QString& name, const QByteArray& bytes, const QString& folder = "in") {
    const QString written = tree.write("staging/" + name, bytes);
    EXPECT_TRUE(QFile::rename(written, tree.path(folder + "/" + name)));
  }

  QStringList input_files(const QString& folder = "in") const {
    return QDir(tree.path(folder)).entryList(QDir::Files | QDir::Hidden);
  }

  // Archive files by their path below v/archive, with "/" between folders.
  QStringList archive_files() const {
    QStringList found;
    QDirIterator it(tree.path("v/archive"), QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      found << QDir(tree.path("v/archive")).relativeFilePath(it.next());
    }
    found.sort();
    return found;
  }

  void start(const QStringList& settings = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Headless unless `settings` choose a platform.
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      environment.remove(QString::fromLatin1(display));
    }
    for (const QString& setting : settings) {
      environment.insert(setting.section(QLatin1Char('='), 0, 0),
                         setting.section(QLatin1Char('='), 1));
    }
    environment.insert(QStringLiteral("XDG_DATA_HOME"),
                       data_home.isEmpty() ? tree.make_folder("user") : tree.path(data_home));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), tree.make_folder("runtime"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(tree.path());
    process.start(tree.path("prog/" + program_name), {});
    ASSERT_TRUE(process.waitForStarted(10000));
  }

  // Collects standard error until `done` holds; false after a generous
  // bound, so a hanging program fails the test instead of stalling it.
  bool wait_until(const std::function<bool()>& done) {
    return test_support::collect_journal_until(process, journal, done);
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

  QString program_name;
  // The user's data folder below the tree, left to the program to make;
  // empty: "user", there from the start.
  QString data_home;
  temp_tree tree;
  QProcess process;
  QString journal;
};

TEST(ProgramTest, HeadlessItKeepsTheHeartbeatReportsItsStateAndSavesOnSigterm) {
  deployment site;
  site.write_scanner_settings();
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

// Two scanners on one program folder would split its files and overwrite
// each other's settings: the second one says so and ends; once the first has
// ended, another starts.
TEST(ProgramTest, ASecondScannerOnTheSameProgramFolderEnds) {
  deployment site;
  site.write_scanner_settings();
  site.start();
  ASSERT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();

  for (const QString& program : {kProgram, QStringLiteral("Halvik_scanner")}) {
    SCOPED_TRACE(program.toStdString());
    const QString copy = site.tree.path("prog/" + program);
    if (!QFile::exists(copy)) {
      ASSERT_TRUE(QFile::copy(QStringLiteral(TEST_BIN_DIR "/") + program, copy));
      QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QProcess second;
    second.setProcessEnvironment(site.process.processEnvironment());
    second.start(copy, {});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 3);
    EXPECT_TRUE(QString::fromLocal8Bit(second.readAllStandardError())
                    .contains("box: Another scanner already runs on the program folder " +
                              site.tree.path("prog") + "/; this one ends."));
  }
  EXPECT_EQ(site.process.state(), QProcess::Running);
  site.stop_with(SIGTERM);
  EXPECT_EQ(site.process.exitCode(), 0);

  site.journal.clear();
  site.start();
  EXPECT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();
  site.stop_with(SIGTERM);
}

// A program folder where the lock file cannot be made (read-only, or the
// name taken by a folder) still keeps a second scanner out: the lock then
// lies in the temporary folder, named by the program folder's identity, so a
// second path to the same folder meets it too.
TEST(ProgramTest, WithoutALockFileInItsFolderASecondScannerStillEnds) {
  deployment site;
  site.write_scanner_settings();
  site.tree.make_folder("prog/.vellic_scanner.lock");
  site.start({"TMPDIR=" + site.tree.make_folder("tmp")});
  ASSERT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();

  ASSERT_TRUE(QFile::link(site.tree.path("prog"), site.tree.path("prog_link")));
  for (const QString& folder : {site.tree.path("prog"), site.tree.path("prog_link")}) {
    SCOPED_TRACE(folder.toStdString());
    QProcess second;
    second.setProcessEnvironment(site.process.processEnvironment());
    second.start(site.tree.path("prog/" + kProgram), {"--program-folder", folder});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 3);
    EXPECT_TRUE(QString::fromLocal8Bit(second.readAllStandardError())
                    .contains("box: Another scanner already runs on the program folder "));
  }
  EXPECT_EQ(site.process.state(), QProcess::Running);
  site.stop_with(SIGTERM);
  EXPECT_EQ(site.process.exitCode(), 0);
}

// The first `count` lines of `bytes`.
QByteArray first_lines(const QByteArray& bytes, int count) {
  return bytes.split('\n').mid(0, count).join('\n') + '\n';
}

QByteArray with_plate(QByteArray measurement, int plate) {
  return measurement.replace("Plate number,1\r\n",
                             "Plate number," + QByteArray::number(plate) + "\r\n");
}

// `measurement` with "n.a." for every value of its three spectra, which
// start on lines 36, 160 and 284 and have 121 points each.
QByteArray with_unreadable_values(const QByteArray& measurement) {
  QList<QByteArray> lines = measurement.split('\n');
  for (const int first : {36, 160, 284}) {
    for (int line = first - 1; line < first - 1 + 121; ++line) {
      const QList<QByteArray> fields = lines[line].split(',');
      lines[line] = fields.mid(0, 3).join(',') + ",n.a.,n.a.,n.a.\r";
    }
  }
  return lines.join('\n');
}

// A new service user has no data folder yet. A file of unreadable values
// puts each on the board; the journal counts a run of equal ones, and the
// file's record is short.
TEST(ProgramTest, OnAFreshAccountAFileOfUnreadableValuesIsRecordedInShort) {
  deployment site;
  site.data_home = "home/svc/.local/share";
  site.write_scanner_settings();
  site.start();
  ASSERT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();
  site.drop("unreadable.csv", with_unreadable_values(with_plate(
                                  test_support::fixture("exsitu_3_positions.csv"), 504)));
  const bool handled = site.wait_until([&] { return site.journal.contains("\nhistory: "); });
  site.stop_with(SIGTERM);
  ASSERT_TRUE(handled) << site.journal.toStdString();

  const QStringList journal = site.journal.split(QLatin1Char('\n'));
  // Each run of equal lines is written ten times, then counted.
  const QStringList board = journal.filter(QRegularExpression("^board: "));
  const QStringList counts =
      board.filter(QRegularExpression("^board: \\.\\.\\. the last line repeated 111 more times$"));
  EXPECT_EQ(counts.size(), 2 * 3) << site.journal.toStdString();  // R glass and R coating
  EXPECT_EQ(board.size(), 3 * 121 + 2 * 3 * (10 + 1)) << site.journal.toStdString();

  const QStringList records = journal.filter(QRegularExpression("^history: "));
  ASSERT_EQ(records.size(), 1) << site.journal.toStdString();
  const QString message =
      QJsonDocument::fromJson(records[0].mid(int(qstrlen("history: "))).toUtf8())
          .object()
          .value("message")
          .toString();
  EXPECT_LE(message.size(), basics::kMessageChars);
  EXPECT_TRUE(
      message.contains(QString::fromUtf8("\u2026 and 1,076 more values could not be read.")))
      << message.toStdString();
  EXPECT_TRUE(journal.filter(QRegularExpression("^state: red: ")).isEmpty())
      << site.journal.toStdString();
  EXPECT_EQ(QDir(site.tree.path("home/svc/.local/share/DORNIK_SPECTRUM_SCANNER/history"))
                .entryList(QDir::Files)
                .size(),
            1);
}

TEST(ProgramTest, HeadlessItConvertsDroppedExsituFilesAndArchivesARefusedOne) {
  deployment site;
  site.write_scanner_settings();
  site.start();
  ASSERT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();

  // Three positions at 100, 1600 and 3100 mm; point j of spectrum s at
  // position i reads s * 100 + i * 10 + j / 4.
  const QByteArray measurement = test_support::fixture("exsitu_3_positions.csv");
  struct dropped {
    QString name;
    QByteArray bytes;
    QString archived_as;
  };
  const dropped files[] = {
      {"plate_a.csv", with_plate(measurement, 501), "exsitu_501.csv"},
      {"plate_b.csv", with_plate(measurement, 502), "exsitu_502.csv"},
      {"cut.csv", first_lines(measurement, 60), "refused_cut.csv"},
  };
  for (const dropped& file : files) site.drop(file.name, file.bytes);

  const QString out = deployment::measurement_folder("L") + "/";
  const bool finished = site.wait_until([&] {
    return site.input_files().isEmpty() && site.archive_files().size() >= 3 &&
           site.tree.exists(out + "501.scn") && site.tree.exists(out + "502.scn");
  });
  site.stop_with(SIGTERM);
  ASSERT_TRUE(finished) << site.journal.toStdString()
                        << "\ninput: " << site.input_files().join(' ').toStdString()
                        << "\narchive: " << site.archive_files().join(' ').toStdString();
  EXPECT_EQ(site.process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(site.process.exitCode(), 0);

  // Every input is in the archive of today, under the product and LUMOR
  // name, byte for byte; nothing else is.
  const QStringList archived = site.archive_files();
  ASSERT_EQ(archived.size(), 3) << archived.join(' ').toStdString();
  for (const dropped& file : files) {
    SCOPED_TRACE(file.name.toStdString());
    const QRegularExpression where("^P/\\d{4}/\\d{1,2}/\\d{1,2}/L/" +
                                   QRegularExpression::escape(file.archived_as) + "$");
    const auto copy = std::find_if(archived.begin(), archived.end(), [&](const QString& path) {
      return where.match(path).hasMatch();
    });
    ASSERT_NE(copy, archived.end()) << archived.join(' ').toStdString();
    EXPECT_EQ(site.tree.read("v/archive/" + *copy), file.bytes);
  }

  // Only the two plates made scan files, each with every value.
  EXPECT_EQ(QDir(site.tree.path(out)).entryList(QDir::Files), QStringList({"501.scn", "502.scn"}));
  for (const QString& scan : QStringList({"501.scn", "502.scn"})) {
    SCOPED_TRACE(scan.toStdString());
    basics::scan_data record;
    record.loadfromfile(site.tree.path(out + scan));
    ASSERT_EQ(record.no_positions, 3);
    ASSERT_EQ(record.no_spectra, 3);
    EXPECT_EQ(record.positions.mid(0, 3), QVector<qint32>({100, 1600, 3100}));
    EXPECT_EQ(record.sheet_resistance.mid(0, 3), QVector<float>({3.75f, 4.25f, 3.5f}));
    for (int s = 0; s < 3; ++s)
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 121; ++j)
          ASSERT_EQ(record.spectral_data[record.the_index(i, s, j)], s * 100 + i * 10 + j / 4.0f)
              << "spectrum " << s << " position " << i << " point " << j;
  }

  // The journal shows the conversions and, as the only board lines, why the
  // cut file was refused and where it went.
  const QStringList journal = site.journal.split(QLatin1Char('\n'));
  EXPECT_FALSE(journal.filter(QRegularExpression("^status: .+   Converting exsitu data \\.\\.\\.$"))
                   .isEmpty())
      << site.journal.toStdString();
  const QStringList board = journal.filter(QRegularExpression("^board: "));
  ASSERT_EQ(board.size(), 2) << site.journal.toStdString();
  EXPECT_TRUE(QRegularExpression("^board: Length of file " +
                                 QRegularExpression::escape(site.tree.path("in") + "/") +
                                 "[^/]+\\.tmp too small!$")
                  .match(board[0])
                  .hasMatch())
      << board[0].toStdString();
  EXPECT_TRUE(QRegularExpression("^board: The measurement cut\\.csv is archived as " +
                                 QRegularExpression::escape(site.tree.path("v/archive/P") + "/") +
                                 "\\d{4}/\\d{1,2}/\\d{1,2}/L/refused_cut\\.csv\\.$")
                  .match(board[1])
                  .hasMatch())
      << board[1].toStdString();

  // Each handled file is one history line of JSON, as in the day file of
  // the per-user folder; the lamp's changes are state lines.
  QStringList inputs, results;
  for (const QString& line : journal.filter(QRegularExpression("^history: "))) {
    const QJsonObject record =
        QJsonDocument::fromJson(line.mid(int(qstrlen("history: "))).toUtf8()).object();
    inputs << record.value("input").toString();
    results << record.value("result").toString();
  }
  EXPECT_EQ(inputs, (QStringList{"cut.csv", "plate_a.csv", "plate_b.csv"}));
  EXPECT_EQ(results, (QStringList{"refused", "converted", "converted"}));
  EXPECT_FALSE(journal.filter(QRegularExpression("^state: green: ")).isEmpty())
      << site.journal.toStdString();
  const QStringList days =
      QDir(site.tree.path("user/DORNIK_SPECTRUM_SCANNER/history")).entryList(QDir::Files);
  ASSERT_EQ(days.size(), 1);
  EXPECT_EQ(site.tree.read("user/DORNIK_SPECTRUM_SCANNER/history/" + days[0]).count('\n'), 3);
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

// With a display the boxes are real and wait for the operator; a service
// manager's stop must still end the program, as if each box was cancelled.
const QString kWindowMode = QStringLiteral("QT_QPA_PLATFORM=offscreen");

TEST(ProgramTest, InAWindowSigtermEndsTheBoxOfAScanStepAndSavesTheSettings) {
  deployment site(QStringLiteral("SELMAR_spectrum_scanner"));
  site.write_scanner_settings("False\r\n1\r\n125\r\n");
  // A plate file without its stamp line: the step asks the operator to
  // note that its positions cannot be identified, and waits.
  test_support::zeiss_measurement unidentified;
  unidentified.stamp = false;
  site.drop("plate.csv", test_support::zeiss_bytes(unidentified));
  site.start({kWindowMode});

  // The first heartbeat comes after the first scan step has begun; a step
  // without a box would have archived the file by then.
  ASSERT_TRUE(site.wait_until([&] {
    return site.tree.exists("v/live_signals/SELMAR_spectrum_scanner.alv");
  })) << site.journal.toStdString();
  ASSERT_EQ(site.input_files(), QStringList{"plate.csv"}) << "no box holds the step";
  EXPECT_TRUE(site.archive_files().isEmpty());

  site.stop_with(SIGTERM);
  EXPECT_EQ(site.process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(site.process.exitCode(), 0);
  EXPECT_EQ(site.tree.read("prog/vellic_scanner.ini").count("\r\n"), 12);
  // The cancelled box let its step finish the file it held, and no other
  // step began.
  EXPECT_TRUE(site.input_files().isEmpty()) << site.input_files().join(' ').toStdString();
  EXPECT_EQ(site.archive_files().size(), 1) << site.archive_files().join(' ').toStdString();
}

TEST(ProgramTest, InAWindowSigtermDuringABoxOfTheStartEndsTheProgramToo) {
  deployment site;
  site.tree.write("prog/vellic_scanner.ini", "too short\r\n");
  site.start({kWindowMode});
  // The lock is taken once the program watches for the request; the box
  // comes right after.
  ASSERT_TRUE(site.wait_until([&] { return site.tree.exists("prog/.vellic_scanner.lock"); }));
  QTest::qWait(500);

  site.stop_with(SIGTERM);
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

// A folder whose name the code page cannot hold: the first run writes the
// settings back in UTF-8, so the second run still scans that folder.
TEST(ProgramTest, AnInputFolderOutsideTheCodePageIsStillScannedAfterARestart) {
  deployment site;
  const QString polish = QString::fromUtf8("wej\u015bcie_\u010d");
  site.tree.make_folder(polish);
  site.tree.write("prog/vellic_scanner.ini",
                  "\xEF\xBB\xBF" + site.tree.path(polish).toUtf8() + "\r\nL\r\n");
  const QString scanning = "status: Scanning " + site.tree.path(polish) + "/ ... ";
  site.start();
  EXPECT_TRUE(site.wait_until([&] { return site.journal_has(scanning); }))
      << site.journal.toStdString();
  site.stop_with(SIGTERM);
  EXPECT_TRUE(site.tree.read("prog/vellic_scanner.ini")
                  .startsWith("\xEF\xBB\xBF" + site.tree.path(polish).toUtf8() + "\r\nL\r\n"));

  site.journal.clear();
  site.start();
  site.drop("plate.csv", with_plate(test_support::fixture("exsitu_3_positions.csv"), 601), polish);
  const QString scan_file = deployment::measurement_folder("L") + "/601.scn";
  const bool converted = site.wait_until([&] { return site.tree.exists(scan_file); });
  site.stop_with(SIGTERM);
  EXPECT_TRUE(converted) << site.journal.toStdString();
  EXPECT_TRUE(site.journal_has(scanning)) << site.journal.toStdString();
}

// An insitu file as a probe head writes it: Windows-1252 (for the letters
// used here the same bytes as Latin-1), CR LF.
QByteArray insitu_bytes(const test_support::insitu_measurement& m) {
  return test_support::insitu_lines(m).join(QStringLiteral("\r\n")).toLatin1() + "\r\n";
}

test_support::insitu_measurement insitu_of(const QString& plate, const QString& probe_head) {
  test_support::insitu_measurement m;
  m.plate = plate;
  m.probe_head = probe_head;
  return m;
}

TEST(ProgramTest, HeadlessItConvertsDroppedInsituFilesAndSetsAsideAnUnknownProbeHead) {
  deployment site;
  site.set_up_insitu();
  site.start();
  ASSERT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();

  struct converted {
    QString name;
    test_support::insitu_measurement measurement;
    QString measurement_name;
  };
  converted files[] = {
      {"top_701.csv", insitu_of("701", QStringLiteral("Kopf S\u00fcd")), "coater_top"},
      {"bottom_702.csv", insitu_of("702", "PH-2"), "coater_bottom"},
  };
  // Values are copied as the probe head wrote them, a sign outside ASCII
  // included.
  files[0].measurement.data[0] = QStringLiteral("380,100,40000.5, 0.8000 \u00b5 ");
  // The table may start on any line after the probe head's.
  files[1].measurement.header_line = 9;
  for (const converted& file : files) {
    site.drop(file.name, insitu_bytes(file.measurement), "insitu");
  }
  const QByteArray unknown = insitu_bytes(insitu_of("703", "Head Z"));
  site.drop("unknown_703.csv", unknown, "insitu");

  const auto output = [](const converted& file) {
    return deployment::measurement_folder(file.measurement_name) + "/" + file.measurement.plate +
           "___T.csv";
  };
  const bool finished = site.wait_until([&] {
    return site.input_files("insitu") == QStringList{"unknown_703.csv.failed"} &&
           site.archive_files().size() >= 2 && site.tree.exists(output(files[0])) &&
           site.tree.exists(output(files[1]));
  });
  site.stop_with(SIGTERM);
  ASSERT_TRUE(finished) << site.journal.toStdString()
                        << "\ninput: " << site.input_files("insitu").join(' ').toStdString()
                        << "\narchive: " << site.archive_files().join(' ').toStdString();
  EXPECT_EQ(site.process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(site.process.exitCode(), 0);

  // Each inline file holds wavelength and last field, trimmed, in
  // Windows-1252 with CR LF; its input is archived under its own name.
  EXPECT_TRUE(site.tree.read(output(files[0])).startsWith("380,0.8000 \xB5\r\n385,0.8010\r\n"));
  const QStringList archived = site.archive_files();
  ASSERT_EQ(archived.size(), 2) << archived.join(' ').toStdString();
  const QStringList journal = site.journal.split(QLatin1Char('\n'));
  for (const converted& file : files) {
    SCOPED_TRACE(file.name.toStdString());
    const QStringList pairs = test_support::insitu_pairs(file.measurement.data);
    EXPECT_EQ(site.tree.read(output(file)), pairs.join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
    EXPECT_EQ(QDir(site.tree.path(deployment::measurement_folder(file.measurement_name)))
                  .entryList(QDir::Files | QDir::Hidden),
              QStringList{file.measurement.plate + "___T.csv"});

    const QRegularExpression where("^P/\\d{4}/\\d{1,2}/\\d{1,2}/insitu/" +
                                   QRegularExpression::escape(file.name) + "$");
    const auto copy = std::find_if(archived.begin(), archived.end(), [&](const QString& path) {
      return where.match(path).hasMatch();
    });
    ASSERT_NE(copy, archived.end()) << archived.join(' ').toStdString();
    EXPECT_EQ(site.tree.read("v/archive/" + *copy), insitu_bytes(file.measurement));

    // The board names the plate, then the file written for it.
    const qsizetype plate_line =
        journal.indexOf("board: Insitu data: Plate number " + file.measurement.plate);
    ASSERT_GE(plate_line, 0) << site.journal.toStdString();
    EXPECT_EQ(journal.value(plate_line + 1), "board: " + site.tree.path(output(file)))
        << site.journal.toStdString();
  }
  EXPECT_FALSE(journal.filter(QRegularExpression("^status: .+   Converting insitu data \\.\\.\\.$"))
                   .isEmpty())
      << site.journal.toStdString();

  // The file of the unknown probe head waits, unchanged, under a name the
  // scanner passes over, and the board says why and where it is.
  EXPECT_EQ(site.tree.read("insitu/unknown_703.csv.failed"), unknown);
  const qsizetype plate_line = journal.indexOf("board: Insitu data: Plate number 703");
  ASSERT_GE(plate_line, 0) << site.journal.toStdString();
  EXPECT_EQ(journal.value(plate_line + 1),
            "board: Error: The probe head Head Z is not in the probe heads table; no output "
            "written. The measurement unknown_703.csv is kept as " +
                site.tree.path("insitu/unknown_703.csv.failed") + ".")
      << site.journal.toStdString();
  EXPECT_EQ(journal.filter(QRegularExpression("^board: ")).size(), 6) << site.journal.toStdString();
  EXPECT_TRUE(QDir(site.tree.path(deployment::measurement_folder("L"))).isEmpty());
}

TEST(ProgramTest, HeadlessTheTulmenScannerArchivesConvertsAndRefusesDroppedFiles) {
  deployment site(QStringLiteral("TULMEN_scanner"));
  site.write_scanner_settings();
  site.start();
  ASSERT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();

  const QByteArray measurement = test_support::tulmen_bytes(test_support::tulmen_measurement());
  test_support::tulmen_measurement cut;
  cut.lines = 700;
  const QByteArray cut_bytes = test_support::tulmen_bytes(cut);
  site.drop("A123_export.csv", measurement);
  site.drop("cut_export.csv", cut_bytes);

  const QString out = deployment::measurement_folder("L") + "/";
  const bool finished = site.wait_until([&] {
    return site.input_files().isEmpty() && site.archive_files().size() >= 2 &&
           site.tree.exists(out + "A123.scn") &&
           site.tree.exists("v/live_signals/TULMEN_scanner.alv");
  });
  site.stop_with(SIGTERM);
  ASSERT_TRUE(finished) << site.journal.toStdString()
                        << "\ninput: " << site.input_files().join(' ').toStdString()
                        << "\narchive: " << site.archive_files().join(' ').toStdString();
  EXPECT_EQ(site.process.exitCode(), 0);
  EXPECT_TRUE(site.tree.exists("user/TULMEN_SCANNER"));

  EXPECT_EQ(QDir(site.tree.path(out)).entryList(QDir::Files), QStringList{"A123.scn"});
  basics::scan_data record;
  record.loadfromfile(site.tree.path(out + "A123.scn"));
  EXPECT_EQ(record.positions, QVector<qint32>({10, 20, 30}));
  const QStringList archived = site.archive_files();
  ASSERT_EQ(archived.size(), 2) << archived.join(' ').toStdString();
  EXPECT_TRUE(archived[0].endsWith("/L/A123_export.csv")) << archived[0].toStdString();
  EXPECT_EQ(site.tree.read("v/archive/" + archived[1]), cut_bytes);
  EXPECT_TRUE(site.journal_has("status: Length of file " + site.tree.path("in") +
                               "/cut_export.csv too small!"))
      << site.journal.toStdString();
}

TEST(ProgramTest, HeadlessTheSelmarScannerConvertsZeissFilesIntoBothSystemsAndMovesInlineFiles) {
  deployment site(QStringLiteral("SELMAR_spectrum_scanner"));
  site.write_scanner_settings("False\r\n1\r\n125\r\n");
  // The postbake system "pb" with product PB, and the inline spectrometer's
  // folder; no database, so pane ids are simulated.
  site.tree.write("pb/database/current_product/PB", {});
  site.tree.make_folder("pb/database/products/PB/measurements/L/new");
  site.tree.make_folder("pb/archive");
  site.tree.write("prog/vellic_postbake_path.ini",
                  site.tree.path("pb").toLocal8Bit() + "\r\nL\r\n");
  site.tree.make_folder("avantes");
  site.tree.make_folder(deployment::measurement_folder("LUMOR1"));
  site.tree.write("v/selmar_spectrum_scanner.ini", "Avantes input path\r\n" +
                                                       site.tree.path("avantes").toLocal8Bit() +
                                                       "\r\nSQL connection string\r\n\r\n");
  site.start();
  ASSERT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();

  test_support::zeiss_measurement production;
  test_support::zeiss_measurement postbake;
  postbake.positions = 4;
  postbake.plate = QString::number(32768 + 1234);
  site.drop("plate.csv", test_support::zeiss_bytes(production));
  site.drop("sample.csv", test_support::zeiss_bytes(postbake));
  site.drop("Channel 4 0001.txt", "380 0.5\r\n", "avantes");

  const QString out = deployment::measurement_folder("L") + "/";
  const QString pb_out = "pb/database/products/PB/measurements/L/new/";
  const QString inline_out = deployment::measurement_folder("LUMOR1") + "/";
  const bool finished = site.wait_until([&] {
    return site.input_files().isEmpty() && site.input_files("avantes").isEmpty() &&
           site.tree.exists(out + "0042.scn") && site.tree.exists(pb_out + "1234___4points.scn") &&
           site.tree.exists(inline_out + "1___T.xy");
  });
  site.stop_with(SIGTERM);
  ASSERT_TRUE(finished) << site.journal.toStdString();
  EXPECT_EQ(site.process.exitCode(), 0);
  EXPECT_TRUE(site.tree.exists("user/SELMAR_SPECTRUM_SCANNER"));
  EXPECT_EQ(site.tree.read(inline_out + "1___T.xy"), "380 0.5\r\n");
  EXPECT_TRUE(site.journal_has("board: Product identification: 42")) << site.journal.toStdString();
  EXPECT_TRUE(site.journal_has("board: PB postbake_4points   Original plate:1234"));
  EXPECT_TRUE(site.journal_has("board: " + site.tree.path(inline_out + "1___T.xy")));
  EXPECT_EQ(site.archive_files().size(), 1);
}

TEST(ProgramTest, HeadlessTheVellicScannerMovesDroppedDatFiles) {
  deployment site(QStringLiteral("VELLIC_spectrum_scanner"));
  site.write_scanner_settings();
  site.start();
  ASSERT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();
  site.drop("S1.dat", "first spectrum\r\n");
  site.drop("S2.dat", "second spectrum\r\n");

  const QString out = deployment::measurement_folder("L") + "/";
  const bool finished = site.wait_until([&] {
    return site.input_files().isEmpty() && site.tree.exists(out + "S1___R.dat") &&
           site.tree.exists(out + "S2___R.dat") &&
           site.tree.exists("v/live_signals/VELLIC_spectrum_scanner.alv");
  });
  site.stop_with(SIGTERM);
  ASSERT_TRUE(finished) << site.journal.toStdString();
  EXPECT_EQ(site.process.exitCode(), 0);
  EXPECT_EQ(site.tree.read(out + "S1___R.dat"), "first spectrum\r\n");
  EXPECT_EQ(site.tree.read(out + "S2___R.dat"), "second spectrum\r\n");
  EXPECT_TRUE(site.journal_has("status: S2.dat has been moved")) << site.journal.toStdString();
}

}  // namespace

namespace {

// The Halvik program: its exsitu files and nine-position insitu files become
// scan files in their measurements, archived, with its own heartbeat.
TEST(ProgramTest, HalvikScannerConvertsDroppedFilesOfBothKinds) {
  deployment site(QStringLiteral("Halvik_scanner"));
  site.tree.make_folder("insitu");
  site.tree.make_folder(deployment::measurement_folder("LI"));
  site.write_scanner_settings("False\r\n1\r\n125\r\nLI\r\nInsitu input path\r\n" +
                              site.tree.path("insitu").toLocal8Bit() + "\r\n");
  site.start();
  ASSERT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();

  const auto bytes_of = [](const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) bytes += line.toLatin1() + "\r\n";
    return bytes;
  };
  test_support::halvik_insitu nine;
  nine.plate = "78";
  site.drop("traverse.csv", bytes_of(halvik_exsitu_lines(test_support::halvik_exsitu_with(5))));
  site.drop("inline.csv", bytes_of(halvik_insitu_lines(nine)), "insitu");

  const QString exsitu_scan = deployment::measurement_folder("L") + "/77.scn";
  const QString insitu_scan = deployment::measurement_folder("LI") + "/78.scn";
  const bool finished = site.wait_until([&] {
    return site.input_files().isEmpty() && site.input_files("insitu").isEmpty() &&
           site.archive_files().size() >= 2 && site.tree.exists(exsitu_scan) &&
           site.tree.exists(insitu_scan) && site.tree.exists("v/live_signals/Halvik_scanner.alv");
  });
  site.stop_with(SIGTERM);
  ASSERT_TRUE(finished) << site.journal.toStdString();
  EXPECT_EQ(site.process.exitCode(), 0);
  EXPECT_TRUE(site.tree.exists("user/HALVIK_SCANNER"));

  basics::scan_data traverse;
  traverse.loadfromfile(site.tree.path(exsitu_scan));
  EXPECT_EQ(traverse.no_positions, 5);
  basics::scan_data inline_scan;
  inline_scan.loadfromfile(site.tree.path(insitu_scan));
  EXPECT_EQ(inline_scan.no_positions, 9);
  const QStringList archived = site.archive_files();
  ASSERT_EQ(archived.size(), 2) << archived.join(' ').toStdString();
  EXPECT_TRUE(archived[0].endsWith("/L/exsitu_77.csv")) << archived[0].toStdString();
  EXPECT_TRUE(archived[1].endsWith("/LI/insitu_78.csv")) << archived[1].toStdString();
  EXPECT_TRUE(site.journal.contains("   Converting insitu data ...")) << site.journal.toStdString();
}

// The probe-heads table edited in the language editor, saved, and read by the
// scanner at its next start: the new row routes its probe head's files.
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
  };
  for (const start_case& c : cases) {
    SCOPED_TRACE(c.name);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
      environment.remove(QString::fromLatin1(display));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), tree.make_folder("runtime"));
    QProcess editor;
    editor.setProcessEnvironment(environment);
    editor.start(QStringLiteral(TEST_BIN_DIR "/language_editor"), {c.file});
    ASSERT_TRUE(editor.waitForStarted(10000));
    // Stopped only once it is up, when the journal says what it edits.
    QString journal;
    test_support::collect_journal_until(editor, journal, [&] { return journal.contains(c.ready); });
    ASSERT_TRUE(journal.contains(c.ready)) << journal.toStdString();
    ::kill(static_cast<pid_t>(editor.processId()), SIGTERM);
    ASSERT_TRUE(editor.waitForFinished(30000));
    journal += QString::fromLocal8Bit(editor.readAllStandardError());
    EXPECT_EQ(editor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(editor.exitCode(), 0);
    EXPECT_EQ(journal.split(QLatin1Char('\n')).filter(QRegularExpression("^box: ")), c.boxes)
        << journal.toStdString();
  }
  // Asked and answered No: the file is as it was.
  EXPECT_EQ(tree.read("heads.bin"), test_support::fixture("vocabulary_probeheads.bin"));
}

}  // namespace

namespace {

// Every file below `folder`, hidden ones and those of no kind included, by
// path relative to it.
QStringList every_file_below(const QString& folder) {
  QStringList found;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) found << QDir(folder).relativeFilePath(it.next());
  found.sort();
  return found;
}

// Killed with SIGKILL at random moments while a stream of files comes in,
// and started again each time: at the end every measurement has its scan
// file and exactly one archive copy, nothing is lost or archived twice, and
// no claimed or half-published file outlives the recovery.
TEST(ProgramTest, KilledAtRandomMomentsItLosesNothingAndArchivesNothingTwice) {
  deployment site;
  site.write_scanner_settings();
  const QByteArray measurement = test_support::fixture("exsitu_3_positions.csv");
  constexpr int kFiles = 40;
  constexpr int kRounds = 8;
  // The last run gets files of its own, so it publishes into every folder
  // a killed run may have left a temporary in.
  constexpr int kFilesOfTheLastRun = 4;
  const auto name_of = [](int n) { return QStringLiteral("m_%1.csv").arg(n, 3, 10, QChar('0')); };
  const auto plate_of = [](int n) { return 700 + n; };
  QRandomGenerator random = QRandomGenerator::securelySeeded();
  int dropped = 0;
  for (int round = 0; round < kRounds; ++round) {
    site.start();
    for (; dropped < (kFiles - kFilesOfTheLastRun) * (round + 1) / kRounds; ++dropped) {
      site.drop(name_of(dropped), with_plate(measurement, plate_of(dropped)));
    }
    QThread::msleep(random.bounded(200, 1800));
    site.stop_with(SIGKILL);
  }

  // How many kills found a file claimed: the test's reach, for its log.
  RecordProperty("claims_recovered", int(site.journal.count("was being converted when")));
  site.journal.clear();
  site.start();
  for (; dropped < kFiles; ++dropped) {
    site.drop(name_of(dropped), with_plate(measurement, plate_of(dropped)));
  }
  const QString out = deployment::measurement_folder("L") + "/";
  const bool finished = site.wait_until(
      [&] { return site.input_files().isEmpty() && site.archive_files().size() >= kFiles; });
  site.stop_with(SIGTERM);
  ASSERT_TRUE(finished) << site.journal.toStdString()
                        << "\ninput: " << site.input_files().join(' ').toStdString();

  QStringList expected_archive, expected_scans;
  for (int n = 0; n < kFiles; ++n) {
    expected_archive << QStringLiteral("exsitu_%1.csv").arg(plate_of(n));
    expected_scans << QStringLiteral("%1.scn").arg(plate_of(n));
  }
  QStringList archived;
  for (const QString& path : site.archive_files()) archived << path.section('/', -1);
  archived.sort();
  expected_archive.sort();
  EXPECT_EQ(archived, expected_archive) << site.journal.toStdString();
  for (const QString& path : site.archive_files()) {
    const int plate = path.section('/', -1).mid(7, 3).toInt();
    EXPECT_EQ(site.tree.read("v/archive/" + path), with_plate(measurement, plate))
        << path.toStdString();
  }
  QStringList scans = QDir(site.tree.path(out)).entryList(QDir::Files | QDir::Hidden);
  scans.sort();
  expected_scans.sort();
  EXPECT_EQ(scans, expected_scans);
  EXPECT_TRUE(every_file_below(site.tree.path("in")).isEmpty());
  EXPECT_TRUE(every_file_below(site.tree.path("prog/.claims")).isEmpty());
  EXPECT_TRUE(every_file_below(site.tree.path("v")).filter(".publish_").isEmpty())
      << every_file_below(site.tree.path("v")).join(' ').toStdString();
}

}  // namespace
