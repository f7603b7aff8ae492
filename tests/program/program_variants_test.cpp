// The other sides of the built programs: DORNIK's insitu files and the
// variant scanners (TULMEN, SELMAR, VELLIC, Halvik) converting what is
// dropped into their input folders.

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>

#include "basics/scan_data.h"
#include "deployment.h"
#include "support/halvik_file.h"
#include "support/insitu_file.h"
#include "support/tulmen_file.h"
#include "support/zeiss_file.h"

namespace {

using test_support::deployment;
using test_support::insitu_bytes;
using test_support::insitu_of;

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
  EXPECT_TRUE(site.journal_has("status: Length of file " + site.tree.path("in/cut_export.csv") +
                               " too small!"))
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
}  // namespace
