// Creation from the settings files and vellic_scanner.ini written at close.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/env.h"
#include "scanner_site.h"
#include "support/system_entries.h"

namespace {

using test_support::crlf_lines;
using test_support::scanner_site;

const QString kScannerIni = QStringLiteral("vellic_scanner.ini");

QStringList written_at_close(scanner_site& site, TDORNIK_scanner_main& window) {
  window.close();
  return crlf_lines(site.program_file_bytes(kScannerIni));
}

TEST(SettingsTest, WithoutAnySettingsFileTheEditorsAreEmptyAndZerosAreWritten) {
  scanner_site site;
  auto window = site.create_window();

  EXPECT_EQ(window->input_path_editor->text(), QString());
  EXPECT_EQ(window->output_path_editor->text(), QString());
  EXPECT_EQ(window->insitu_path_editor->text(), QStringLiteral("Specify input path here"));
  // Not configured: never the file system's root.
  EXPECT_EQ(window->input_path, QString());
  EXPECT_EQ(window->insitu_input_path, QString());
  EXPECT_EQ(window->vellic_path, site.folder(QStringLiteral("prog")));
  EXPECT_EQ(window->VELLIC_path_label->text(), window->vellic_path);
  EXPECT_EQ(window->vellic_postbake_path, QString());
  EXPECT_EQ(window->product, QString());
  EXPECT_EQ(window->no_scan_files, 0);
  EXPECT_EQ(window->no_spectral_positions, 0);
  EXPECT_TRUE(window->save_ini_file);
  EXPECT_EQ(window->vellic_password, QString());
  EXPECT_EQ(window->sql_database, QString());
  EXPECT_EQ(
      window->live_signal_file,
      site.program_file(QDir::toNativeSeparators("live_signals/DORNIK_spectrum_scanner.alv")));
  EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();

  EXPECT_EQ(
      written_at_close(site, *window),
      (QStringList{"", "", "False", "0", "0", "", "Insitu input path", "", "", "0", "", "true"}));
}

TEST(SettingsTest, TwoLinesSetThePathsAndTheRestTakesItsDefaults) {
  scanner_site site;
  site.write_program_file(kScannerIni, {site.path("in"), "L"});
  auto window = site.create_window();

  EXPECT_EQ(window->input_path_editor->text(), site.path("in"));
  EXPECT_EQ(window->input_path, site.folder("in"));
  EXPECT_EQ(window->output_path_editor->text(), QStringLiteral("L"));
  EXPECT_EQ(window->lumor_name, QStringLiteral("L"));
  EXPECT_FALSE(window->automatic_product_identification->isChecked());
  EXPECT_EQ(window->no_scan_files, 1);
  EXPECT_EQ(window->no_spectral_positions, 125);
  EXPECT_EQ(window->lumor_insitu_name, QString());
  EXPECT_EQ(window->insitu_path_editor->text(), QString());
  EXPECT_EQ(window->insitu_input_path, QString());
  EXPECT_TRUE(window->save_ini_file);

  EXPECT_EQ(written_at_close(site, *window),
            (QStringList{site.path("in"), "L", "False", "1", "125", "", "Insitu input path", "", "",
                         "0", "", "true"}));
}

// Every settings file of the scanner, each with values other than the defaults.
void write_full_set(scanner_site& site) {
  site.tree.write("v/database/current_product/Coat7", {});
  site.write_program_file(kScannerIni,
                          {site.path("in"), "L", "True", "2", "130", "LI", "Insitu input path",
                           site.path("insitu"), "", "0.5", "", "true"});
  site.write_program_file("vellic_path.ini", {site.path("v")});
  site.write_program_file(
      "vellic_postbake_path.ini",
      {site.path("pb"), "PL", "Position offset 4points 2", "11", "Position offset C", "-5"});
  site.tree.write("pb/database/current_product/Bake1", {});
  site.tree.write("v/vellic.ini",
                  "Archive using date of measurement\r\n1\r\n"
                  "External archive directory\r\n/arch/\r\n");
  site.tree.write("v/selmar_spectrum_scanner.ini",
                  "SQL connection string\r\n\r\nSQL database\r\nLINE\r\n"
                  "Avantes input path\r\n/avantes/\r\nSQL query channel 3 low\r\nselect 3\r\n"
                  "LUMOR inline channel 1\r\nINL1\r\nTest mode\r\n2\r\n");
  site.tree.write("prog/vellic_pswd.bin", test_support::fixture("password_v318_utf16.bin"));
  site.tree.write("prog/traverse_point_selection.txt",
                  test_support::fixture("point_selection_3_and_51_off.txt"));
  site.tree.write("prog/DORNIK_probeheads.bin", test_support::fixture("vocabulary_probeheads.bin"));
}

TEST(SettingsTest, AFullSetOfSettingsFilesReachesEveryField) {
  scanner_site site;
  write_full_set(site);
  auto window = site.create_window();

  EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();
  EXPECT_EQ(window->input_path, site.folder("in"));
  EXPECT_EQ(window->lumor_name, QStringLiteral("L"));
  EXPECT_TRUE(window->automatic_product_identification->isChecked());
  EXPECT_EQ(window->no_scan_files, 2);
  EXPECT_EQ(window->no_spectral_positions, 130);
  EXPECT_EQ(window->lumor_insitu_name, QStringLiteral("LI"));
  EXPECT_EQ(window->lumor_insitu_editor->text(), QStringLiteral("LI"));
  EXPECT_EQ(window->insitu_path_editor->text(), site.path("insitu"));
  EXPECT_EQ(window->insitu_input_path, site.folder("insitu"));
  EXPECT_FLOAT_EQ(window->process_file_delay_time_in_seconds, 0.5f);

  EXPECT_EQ(window->vellic_path, site.folder("v"));
  EXPECT_EQ(window->product, QStringLiteral("Coat7"));
  EXPECT_EQ(window->product_label->text(), QStringLiteral("Coat7"));
  EXPECT_EQ(window->total_output_path, site.path("v/database/products/Coat7/measurements/L/new"));
  EXPECT_EQ(window->total_output_path_insitu,
            site.path("v/database/products/Coat7/measurements/LI/new"));

  EXPECT_EQ(window->vellic_postbake_path, site.folder("pb"));
  EXPECT_EQ(window->vellic_postbake_path_label->text(), site.folder("pb"));
  EXPECT_EQ(window->postbake_lumor_name, QStringLiteral("PL"));
  EXPECT_EQ(window->postbake_output_path_editor->text(), QStringLiteral("PL"));
  EXPECT_EQ(window->postbake_product, QStringLiteral("Bake1"));
  EXPECT_EQ(window->postbake_total_output_path,
            site.path("pb/database/products/Bake1/measurements/PL/new"));
  EXPECT_EQ(window->position_offset_4points_0, 3777);
  EXPECT_EQ(window->position_offset_4points_2, 11);
  EXPECT_EQ(window->position_offset_A, 3790);
  EXPECT_EQ(window->position_offset_C, -5);

  EXPECT_TRUE(window->archive_using_date_of_measurement);
  EXPECT_EQ(window->external_archive_directory, QStringLiteral("/arch/"));
  EXPECT_EQ(window->sql_connection_string, QString());
  EXPECT_EQ(window->sql_database, QStringLiteral("LINE"));
  EXPECT_EQ(window->sql_fieldname, QStringLiteral("value"));
  EXPECT_EQ(window->avantes_input_path, QStringLiteral("/avantes/"));
  EXPECT_EQ(window->sql_query_pane_id_low[3], QStringLiteral("select 3"));
  EXPECT_EQ(window->sql_query_pane_id_high[3], QString());
  EXPECT_EQ(window->lumor_name_inline_channel_0, QStringLiteral("LUMOR2"));
  EXPECT_EQ(window->lumor_name_inline_channel_1, QStringLiteral("INL1"));
  EXPECT_EQ(window->lumor_name_inline_channel_4, QStringLiteral("LUMOR1"));
  EXPECT_EQ(window->test_mode, 2);

  EXPECT_EQ(window->vellic_password, QStringLiteral("Secret"));
  EXPECT_FALSE(window->point_selected[3]);
  EXPECT_FALSE(window->point_selected[51]);
  EXPECT_TRUE(window->point_selected[4]);
  EXPECT_GT(window->destination_translation.anzahl_vokabeln(), 1);

  EXPECT_EQ(written_at_close(site, *window),
            (QStringList{site.path("in"), "L", "True", "2", "130", "LI", "Insitu input path",
                         site.folder("insitu"), "", "0.5", "", "true"}));
}

TEST(SettingsTest, TheWindowStartsScanningWithTheStopButtonInRed) {
  scanner_site site;
  site.make_vellic_tree();
  auto window = site.create_window();

  EXPECT_TRUE(window->creation_complete());
  EXPECT_TRUE(window->Timer1->isActive());
  EXPECT_EQ(window->Timer1->interval(), 1000);
  EXPECT_TRUE(window->alive_timer->isActive());
  EXPECT_EQ(window->alive_timer->interval(), 5000);
  EXPECT_EQ(window->active_button->text(), QStringLiteral("Stop scan"));
  EXPECT_EQ(window->active_button->palette().color(QPalette::ButtonText), QColor(Qt::red));
  EXPECT_EQ(window->action_label->text(),
            QStringLiteral("Scanning ") + site.folder("in") + QStringLiteral(" ... "));
}

// Lines 2, 3, 4, 9 and 11 of vellic_scanner.ini, each read by its own rule.
TEST(SettingsTest, EachLineIsReadByItsOwnRule) {
  struct line_case {
    const char* name;
    QStringList lines;
    bool checked;
    int no_scan_files;
    int no_spectral_positions;
    float delay;
    bool save;
  };
  const QList<line_case> cases = {
      {"upper-case true is checked", {"a", "b", "TRUE"}, true, 1, 125, 0, true},
      {"a leading space is not true", {"a", "b", " true"}, false, 1, 125, 0, true},
      {"numbers in decimal and hex", {"a", "b", "", "3", "$10"}, false, 3, 16, 0, true},
      {"bad numbers fall back", {"a", "b", "", "x", "1.5"}, false, 1, 125, 0, true},
      {"an empty number line falls back", {"a", "b", "", "", ""}, false, 1, 125, 0, true},
      {"a point is the decimal separator",
       {"a", "b", "", "1", "1", "", "", "", "", "0.5"},
       false,
       1,
       1,
       0.5f,
       true},
      {"a comma is no decimal separator",
       {"a", "b", "", "1", "1", "", "", "", "", "0,5"},
       false,
       1,
       1,
       0,
       true},
      {"true with blanks around it saves",
       {"a", "b", "", "1", "1", "", "", "", "", "", "", " TRUE "},
       false,
       1,
       1,
       0,
       true},
      {"anything but true does not save",
       {"a", "b", "", "1", "1", "", "", "", "", "", "", "yes"},
       false,
       1,
       1,
       0,
       false},
  };
  for (const line_case& c : cases) {
    SCOPED_TRACE(c.name);
    scanner_site site;
    site.write_program_file(kScannerIni, c.lines);
    auto window = site.create_window();
    EXPECT_EQ(window->automatic_product_identification->isChecked(), c.checked);
    EXPECT_EQ(window->no_scan_files, c.no_scan_files);
    EXPECT_EQ(window->no_spectral_positions, c.no_spectral_positions);
    EXPECT_FLOAT_EQ(window->process_file_delay_time_in_seconds, c.delay);
    EXPECT_EQ(window->save_ini_file, c.save);
  }
}

// A folder whose name the code page cannot hold still names that folder
// after a restart: the file goes to UTF-8 instead of losing the letters.
TEST(SettingsTest, AFolderOutsideTheCodePageSurvivesARestart) {
  scanner_site site;
  site.make_vellic_tree();
  const QString polish = QString::fromUtf8("wej\u015bcie_\u010d");
  site.tree.make_folder(polish);
  auto first = site.create_window();
  first->input_path_editor->setText(site.path(polish));
  QTest::keyClick(first->input_path_editor, Qt::Key_Return);
  first->insitu_path_editor->setText(site.path(polish));
  QTest::keyClick(first->insitu_path_editor, Qt::Key_Return);
  first->close();
  EXPECT_TRUE(site.program_file_bytes(kScannerIni).startsWith("\xEF\xBB\xBF"));

  auto second = site.create_window();
  EXPECT_EQ(second->input_path, site.folder(polish));
  EXPECT_EQ(second->insitu_input_path, site.folder(polish));
  EXPECT_EQ(second->action_label->text(), "Scanning " + site.folder(polish) + " ... ");
  EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();
}

// Settings the code page holds keep the bytes they have always had.
TEST(SettingsTest, ASettingsFileInTheCodePageIsWrittenBackByteForByte) {
  scanner_site site;
  const QString folder = site.path(QString::fromUtf8("K\u00e4se"));
  const QByteArray bytes = folder.toLatin1() + "\r\nL\r\nFalse\r\n1\r\n125\r\nLI\r\n" +
                           "Insitu input path\r\n" + folder.toLatin1() +
                           "/\r\n\r\n0.5\r\n\r\ntrue\r\n";
  site.tree.write("prog/vellic_scanner.ini", bytes);
  auto window = site.create_window();
  // Read as the code page's letters, not merely carried as bytes.
  EXPECT_EQ(window->input_path_editor->text(), folder);
  window->close();
  EXPECT_EQ(site.program_file_bytes(kScannerIni), bytes);
}

// An operator who keeps vellic_scanner.ini elsewhere and links it into the
// program folder keeps the link; the file behind it gets the settings.
TEST(SettingsTest, ALinkedScannerIniStaysALinkAndItsTargetIsWritten) {
  SKIP_ON_WINDOWS("symbolic links");
  scanner_site site;
  site.tree.write("etc/vellic_scanner.ini", "a\r\nb\r\n");
  ASSERT_TRUE(QFile::link(site.path("etc/vellic_scanner.ini"), site.program_file(kScannerIni)));
  auto window = site.create_window();
  EXPECT_EQ(window->input_path, QStringLiteral("a/"));
  window->input_path_editor->setText(QStringLiteral("/changed"));
  QTest::keyClick(window->input_path_editor, Qt::Key_Return);
  window->close();

  EXPECT_TRUE(QFileInfo(site.program_file(kScannerIni)).isSymLink());
  EXPECT_EQ(crlf_lines(site.tree.read("etc/vellic_scanner.ini")).value(0), "/changed");
  EXPECT_EQ(QDir(site.path("prog")).entryList(QDir::Files | QDir::Hidden | QDir::System),
            QStringList{kScannerIni});
}

// A number that fits the syntax but not the setting would stop the scanner
// or be written back as "inf": the default is used, and the operator hears.
TEST(SettingsTest, AnOutOfRangeNumberIsReportedAndItsDefaultIsUsedAndWritten) {
  scanner_site site;
  site.write_program_file(kScannerIni, {"a", "b", "", "-1", "1e39", "", "", "", "", "1e39"});
  auto window = site.create_window();
  EXPECT_EQ(window->no_scan_files, 1);
  EXPECT_EQ(window->no_spectral_positions, 125);
  EXPECT_EQ(window->process_file_delay_time_in_seconds, 0.0f);
  const QStringList texts = site.prompts.texts();
  ASSERT_EQ(texts.size(), 3) << texts.join('|').toStdString();
  EXPECT_TRUE(texts[0].contains("no_scan_files \"-1\" is out of range")) << texts[0].toStdString();
  EXPECT_TRUE(texts[1].contains("no_spectral_positions")) << texts[1].toStdString();
  EXPECT_TRUE(texts[2].contains("process_file_delay_time_in_seconds")) << texts[2].toStdString();
  const QStringList written = written_at_close(site, *window);
  EXPECT_EQ(written.mid(3, 2), (QStringList{"1", "125"}));
  EXPECT_EQ(written.value(9), "0");
}

// An empty input folder is not configured: the status line says so, and
// the empty setting is written back empty.
TEST(SettingsTest, AnEmptyInputFolderIsShownAsNotConfiguredAndWrittenBackEmpty) {
  scanner_site site;
  site.make_vellic_tree();
  site.write_program_file(kScannerIni, {"", "L", "False", "1", "125", "", "Insitu input path", ""});
  auto window = site.create_window();
  EXPECT_EQ(window->action_label->text(), QStringLiteral("Scanning: input folder not configured"));
  EXPECT_EQ(window->live_signal_file, site.path("v/live_signals/DORNIK_spectrum_scanner.alv"));
  window->active_buttonClick();
  window->active_buttonClick();
  EXPECT_EQ(window->active_button->text(), QStringLiteral("Stop scan"));
  const QStringList written = written_at_close(site, *window);
  EXPECT_EQ(written.value(0), QString());
  EXPECT_EQ(written.value(7), QString());
}

TEST(SettingsTest, TheInsituKeyIsFoundAnywhereAndItsLastValueCounts) {
  scanner_site site;
  const QString second = QDir::toNativeSeparators("/second");
  site.write_program_file(
      kScannerIni, {"Insitu input path", "/first", "b", "c", "", "Insitu input path", second});
  auto window = site.create_window();
  EXPECT_EQ(window->input_path_editor->text(), QStringLiteral("Insitu input path"));
  EXPECT_EQ(window->insitu_path_editor->text(), second);
  EXPECT_EQ(window->insitu_input_path, second + platform::kDelimiter);
}

TEST(SettingsTest, AnInsituPathTakesEffectWhenEditingEndsItsDelimiterAtTheNextComposition) {
  scanner_site site;
  auto window = site.create_window();
  window->insitu_path_editor->selectAll();
  const QString typed = QDir::toNativeSeparators("/typed");
  QTest::keyClicks(window->insitu_path_editor, typed);
  EXPECT_EQ(window->insitu_input_path, QString());
  QTest::keyClick(window->insitu_path_editor, Qt::Key_Return);
  EXPECT_EQ(window->insitu_input_path, typed);
  window->compose_total_output_path();
  EXPECT_EQ(window->insitu_input_path, typed + platform::kDelimiter);
}

TEST(SettingsTest, TheHiddenProductIdentificationBoxIsCarriedToTheNextFile) {
  scanner_site site;
  site.write_program_file(kScannerIni, {"a", "b", "true"});
  auto window = site.create_window();
  EXPECT_FALSE(window->automatic_product_identification->isVisible());
  EXPECT_EQ(written_at_close(site, *window).value(2), QStringLiteral("True"));
}

TEST(SettingsTest, AShortScannerIniIsReportedAndTheLayoutTextsStay) {
  for (const QStringList& lines : {QStringList{}, QStringList{"only one"}}) {
    SCOPED_TRACE(lines.join('|').toStdString());
    scanner_site site;
    site.write_program_file(kScannerIni, lines);
    auto window = site.create_window();
    EXPECT_EQ(site.prompts.texts(),
              QStringList{"Error: vellic_scanner.ini does not contain sufficient information!"});
    EXPECT_EQ(window->input_path_editor->text(), QStringLiteral("Specify input path here"));
    EXPECT_EQ(window->no_scan_files, 0);
    EXPECT_TRUE(window->creation_complete());
    EXPECT_EQ(written_at_close(site, *window).size(), 12);
  }
}

TEST(SettingsTest, NoFileIsWrittenWhenSavingIsOffOrTheFileIsReadOnly) {
  const QStringList not_saving = {"a", "b", "", "", "", "", "", "", "", "", "", "false"};
  for (const bool read_only : {false, true}) {
    SCOPED_TRACE(read_only ? "read-only" : "saving off");
    scanner_site site;
    site.write_program_file(kScannerIni, read_only ? QStringList{"a", "b"} : not_saving);
    const QByteArray before = site.program_file_bytes(kScannerIni);
    if (read_only) {
      QFile::setPermissions(site.program_file(kScannerIni),
                            QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    auto window = site.create_window();
    window->input_path_editor->setText(QStringLiteral("/changed"));
    QTest::keyClick(window->input_path_editor, Qt::Key_Return);
    window->close();
    EXPECT_EQ(site.program_file_bytes(kScannerIni), before);
    EXPECT_TRUE(site.prompts.texts().isEmpty());
  }
}

TEST(SettingsTest, AFailedWriteAtCloseIsReportedAndLeavesTheOldFile) {
  scanner_site site;
  site.write_program_file(kScannerIni, {"a", "b"});
  const QByteArray before = site.program_file_bytes(kScannerIni);
  auto window = site.create_window();
  site.fault.refuse_replace(kScannerIni);
  window->close();
  EXPECT_EQ(site.program_file_bytes(kScannerIni), before);
  ASSERT_EQ(site.prompts.texts().size(), 1);
  EXPECT_TRUE(site.prompts.texts()[0].contains(kScannerIni));
}

TEST(SettingsTest, AnUnreadableScannerIniIsReportedAndKeptAsItIs) {
  scanner_site site;
  site.make_vellic_tree();
  const QByteArray before = site.program_file_bytes(kScannerIni);
  site.fault.refuse_read(kScannerIni);
  auto window = site.create_window();

  ASSERT_EQ(site.prompts.texts().size(), 1);
  EXPECT_TRUE(site.prompts.texts()[0].contains(kScannerIni));
  EXPECT_FALSE(window->save_ini_file);
  EXPECT_EQ(window->vellic_path, site.folder("v"));  // the later steps still ran
  EXPECT_TRUE(window->creation_complete());
  window->close();
  EXPECT_EQ(site.program_file_bytes(kScannerIni), before);
}

// vellic_path.ini and vellic_postbake_path.ini when empty or unreadable.
TEST(SettingsTest, EmptyOrUnreadablePathFilesGiveTheirDefaultsWithAReport) {
  struct path_case {
    const char* file;
    bool unreadable;
  };
  for (const path_case c : {path_case{"vellic_path.ini", false}, path_case{"vellic_path.ini", true},
                            path_case{"vellic_postbake_path.ini", false},
                            path_case{"vellic_postbake_path.ini", true}}) {
    const QString file = QString::fromLatin1(c.file);
    SCOPED_TRACE(file.toStdString() + (c.unreadable ? " unreadable" : " empty"));
    scanner_site site;
    site.write_program_file(file, c.unreadable ? QStringList{site.path("x")} : QStringList{});
    if (c.unreadable) site.fault.refuse_read(file);
    auto window = site.create_window();

    ASSERT_EQ(site.prompts.texts().size(), 1);
    EXPECT_TRUE(site.prompts.texts()[0].contains(file));
    EXPECT_EQ(window->vellic_path, site.folder("prog"));
    EXPECT_EQ(window->vellic_postbake_path, QString());
    EXPECT_TRUE(window->creation_complete());
  }
}

// An empty folder line is a folder not configured: taken as the root, the
// scanner would claim files lying there and write its heartbeat there.
TEST(SettingsTest, AnEmptyFolderLineIsNotConfiguredNeverTheRoot) {
  scanner_site site;
  site.write_program_file("vellic_path.ini", {"", "ignored"});
  site.write_program_file("vellic_postbake_path.ini", {"", "PB"});
  auto window = site.create_window();
  EXPECT_EQ(site.prompts.texts(),
            QStringList{"Error: vellic_path.ini does not contain sufficient information!"});
  EXPECT_EQ(window->vellic_path, site.folder("prog"));
  EXPECT_EQ(
      window->live_signal_file,
      site.program_file(QDir::toNativeSeparators("live_signals/DORNIK_spectrum_scanner.alv")));
  EXPECT_EQ(window->vellic_postbake_path, QString());
  EXPECT_EQ(window->postbake_lumor_name, "PB");
}

TEST(SettingsTest, TheBaseFolderGetsItsDelimiterOnce) {
  const QString folder = QDir::toNativeSeparators("/vellic/");
  for (const QString& line : {folder.chopped(1), folder}) {
    scanner_site site;
    site.write_program_file("vellic_path.ini", {line, "ignored"});
    auto window = site.create_window();
    EXPECT_EQ(window->vellic_path, folder);
    EXPECT_EQ(window->VELLIC_path_label->text(), folder);
  }
}

TEST(SettingsTest, VellicIniReadsTheFirstMatchAndReportsABadNumber) {
  scanner_site site;
  site.write_program_file("vellic_path.ini", {site.path("v")});
  site.tree.write("v/vellic.ini",
                  "Archive using date of measurement\r\nyes\r\n"
                  "External archive directory\r\n/one/\r\n"
                  "External archive directory\r\n/two/\r\n");
  auto window = site.create_window();
  EXPECT_FALSE(window->archive_using_date_of_measurement);
  EXPECT_EQ(window->external_archive_directory, QStringLiteral("/one/"));
  EXPECT_EQ(site.prompts.texts(),
            QStringList{"Error: Archive using date of measurement not found in ini-file!"});
}

TEST(SettingsTest, SelmarIniGivesItsDefaultsOnlyWhenItExists) {
  scanner_site site;
  site.write_program_file("vellic_path.ini", {site.path("v")});
  site.tree.write("v/selmar_spectrum_scanner.ini", "SQL connection string\r\n\r\n");
  auto with_file = site.create_window();
  EXPECT_EQ(with_file->sql_database, QStringLiteral("VELLIC"));
  EXPECT_EQ(with_file->sql_fieldname, QStringLiteral("value"));
  EXPECT_EQ(with_file->lumor_name_inline_channel_0, QStringLiteral("LUMOR2"));
  EXPECT_EQ(with_file->lumor_name_inline_channel_4, QStringLiteral("LUMOR1"));
  EXPECT_EQ(with_file->test_mode, 0);

  QFile::remove(site.path("v/selmar_spectrum_scanner.ini"));
  auto without_file = site.create_window();
  EXPECT_EQ(without_file->sql_database, QString());
  EXPECT_EQ(without_file->lumor_name_inline_channel_0, QString());
  EXPECT_EQ(without_file->sql_connection_string, QString());
  EXPECT_TRUE(site.prompts.texts().isEmpty());
}

TEST(SettingsTest, OnlyTestModeOneIsAnnounced) {
  struct mode_case {
    const char* lines;
    QStringList shown;
  };
  for (const mode_case& c : {mode_case{"Test mode\r\n1\r\n", {"Test mode: 1"}},
                             mode_case{"Test mode\r\n2\r\n", {}}, mode_case{"", {}}}) {
    SCOPED_TRACE(c.lines);
    scanner_site site;
    site.write_program_file("vellic_path.ini", {site.path("v")});
    site.tree.write("v/selmar_spectrum_scanner.ini",
                    QByteArray("SQL connection string\r\n\r\n") + c.lines);
    auto window = site.create_window();
    EXPECT_EQ(site.prompts.texts(), c.shown);
  }
}

TEST(SettingsTest, AnUnreadableSelmarIniIsReportedAndLeavesTheFieldsEmpty) {
  scanner_site site;
  site.write_program_file("vellic_path.ini", {site.path("v")});
  site.tree.write("v/selmar_spectrum_scanner.ini", "SQL database\r\nLINE\r\n");
  site.fault.refuse_read("selmar_spectrum_scanner.ini");
  auto window = site.create_window();
  ASSERT_EQ(site.prompts.texts().size(), 1);
  EXPECT_TRUE(site.prompts.texts()[0].contains("selmar_spectrum_scanner.ini"));
  EXPECT_EQ(window->sql_database, QString());
  EXPECT_TRUE(window->creation_complete());
}

}  // namespace
