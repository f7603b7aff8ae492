// The built program, copied alone into a program folder and run headless as
// a service manager would run it.

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>

#include "basics/history_file.h"
#include "basics/scan_data.h"
#include "deployment.h"
#include "support/recording_prompts.h"
#include "support/window_probe.h"
#include "support/zeiss_file.h"

namespace {

using test_support::deployment;
using test_support::kProgram;
using test_support::with_plate;

TEST(ProgramTest, HeadlessItKeepsTheHeartbeatReportsItsStateAndSavesOnSigterm) {
  deployment site;
  site.write_scanner_settings();
  site.start();
  const QString scanning = "status: Scanning " + site.printed_folder("in") + " ... ";

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
    const QString copy = site.program_path(program);
    if (!QFile::exists(copy)) {
      ASSERT_TRUE(QFile::copy(
          QStringLiteral(TEST_BIN_DIR "/") + program + test_support::kProgramSuffix, copy));
      QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QProcess second;
    second.setProcessEnvironment(site.process.processEnvironment());
    second.start(copy, test_support::headless_arguments());
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 3);
    EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError())
                    .contains("box: Another scanner already runs on the program folder " +
                              site.printed_folder("prog") + "; this one ends."));
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
  const QString tmp = site.tree.make_folder("tmp");
  site.start({"TMPDIR=" + tmp, "TMP=" + tmp, "TEMP=" + tmp});
  ASSERT_TRUE(site.wait_until([&] { return site.journal.contains("status: Scanning "); }))
      << site.journal.toStdString();

  // Another path to the program folder: a symbolic link; on Windows, where
  // a link needs a privilege, the folder's name in capitals, since names
  // there ignore case.
  QString other_path = site.tree.path("prog_link");
  if (test_support::kOnWindows) {
    other_path = site.tree.path("PROG");
  } else {
    ASSERT_TRUE(QFile::link(site.tree.path("prog"), other_path));
  }
  for (const QString& folder : {site.tree.path("prog"), other_path}) {
    SCOPED_TRACE(folder.toStdString());
    QProcess second;
    second.setProcessEnvironment(site.process.processEnvironment());
    second.start(site.program_path(),
                 QStringList{"--program-folder", folder} + test_support::headless_arguments());
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 3);
    EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError())
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
                                 QRegularExpression::escape(site.printed_folder("in")) +
                                 test_support::native_pattern("[^/]+\\.tmp too small!$"))
                  .match(board[0])
                  .hasMatch())
      << board[0].toStdString();
  EXPECT_TRUE(QRegularExpression(
                  "^board: The measurement cut\\.csv is archived as " +
                  QRegularExpression::escape(site.printed_folder("v/archive/P")) +
                  test_support::native_pattern("\\d{4}/\\d{1,2}/\\d{1,2}/L/refused_cut\\.csv\\.$"))
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

TEST(ProgramTest, TheWorkbookQuestionOfTheStartGoesToTheJournal) {
  deployment site;
  site.tree.write("user/DORNIK_SPECTRUM_SCANNER/vcf132.ini", "ask for f1book\r\ntrue\r\n");
  site.start();
  const QString question = QStringLiteral(
      "box: Generate \"historic\" workbook component to be able to load old configurations "
      "(version<3.20) including workbook data?");
  EXPECT_TRUE(site.wait_until([&] { return site.journal_has(question); }))
      << site.journal.toStdString();
  site.stop_with(SIGTERM);
  EXPECT_EQ(site.process.exitCode(), 0);
}

// With a display the boxes are real and wait for the operator; a service
// manager's stop must still end the program, as if each box was cancelled.
// A display is named, so the offscreen platform stands in for its screen.
const QStringList kWindowMode = {QStringLiteral("DISPLAY=:99"),
                                 QStringLiteral("QT_QPA_PLATFORM=offscreen")};

TEST(ProgramTest, InAWindowSigtermEndsTheBoxOfAScanStepAndSavesTheSettings) {
  deployment site(QStringLiteral("SELMAR_spectrum_scanner"));
  site.write_scanner_settings("False\r\n1\r\n125\r\n");
  // A plate file without its stamp line: the step asks the operator to
  // note that its positions cannot be identified, and waits.
  test_support::zeiss_measurement unidentified;
  unidentified.stamp = false;
  site.drop("plate.csv", test_support::zeiss_bytes(unidentified));
  site.start(kWindowMode);

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
  site.start(kWindowMode + test_support::window_probe_settings());
  // The box is on the screen, waiting for the operator, before the request
  // comes.
  const QString text =
      QStringLiteral("Error: vellic_scanner.ini does not contain sufficient information!");
  ASSERT_TRUE(site.wait_until([&] { return site.journal_has(test_support::box_shown(text)); }))
      << site.journal.toStdString();
  ASSERT_FALSE(site.journal_has(test_support::box_hidden(text))) << site.journal.toStdString();

  site.stop_with(SIGTERM);
  EXPECT_EQ(site.process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(site.process.exitCode(), 0);
  EXPECT_EQ(site.tree.read("prog/vellic_scanner.ini").count("\r\n"), 12);
  // The request ended that very box; it was not answered at once as a
  // box shown after the request would be.
  EXPECT_TRUE(site.journal_has(test_support::box_hidden(text))) << site.journal.toStdString();
  EXPECT_FALSE(site.journal_has("box: " + text)) << site.journal.toStdString();
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
  const QString scanning = "status: Scanning " + site.printed_folder(polish) + " ... ";
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
}  // namespace
