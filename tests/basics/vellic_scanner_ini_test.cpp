#include "basics/vellic_scanner_ini.h"

#include <gtest/gtest.h>

namespace {

using basics::vellic_scanner_settings;

vellic_scanner_settings sample() {
  vellic_scanner_settings s;
  s.input_path = "/in/exsitu";
  s.lumor_name = "LUMOR_TRAVERSE";
  s.automatic_product_identification = true;
  s.no_scan_files = 4;
  s.no_spectral_positions = 130;
  s.lumor_insitu_name = "LUMOR_INLINE";
  s.insitu_input_path = "/in/insitu";
  s.process_file_delay_time_in_seconds = 0.1f;
  s.save_ini_file = false;
  return s;
}

// Reading and writing walk one table: what is written reads back the same,
// line by line where the operator expects it.
TEST(VellicScannerIniTest, WrittenLinesReadBackAsTheSameSettings) {
  const QStringList lines = basics::vellic_scanner_ini_lines(sample());
  EXPECT_EQ(lines,
            (QStringList{"/in/exsitu", "LUMOR_TRAVERSE", "True", "4", "130", "LUMOR_INLINE",
                         "Insitu input path", "/in/insitu", "", "0.100000001490116", "", "false"}));
  const vellic_scanner_settings back = basics::read_vellic_scanner_ini(lines);
  EXPECT_EQ(back.input_path, "/in/exsitu");
  EXPECT_EQ(back.lumor_name, "LUMOR_TRAVERSE");
  EXPECT_TRUE(back.automatic_product_identification);
  EXPECT_EQ(back.no_scan_files, 4);
  EXPECT_EQ(back.no_spectral_positions, 130);
  EXPECT_EQ(back.lumor_insitu_name, "LUMOR_INLINE");
  EXPECT_EQ(back.process_file_delay_time_in_seconds, 0.1f);
  EXPECT_FALSE(back.save_ini_file);
  // The insitu folder goes by its key, read by the window that has one.
  EXPECT_EQ(back.insitu_input_path, QString());
}

TEST(VellicScannerIniTest, MissingOrInvalidLinesKeepTheirDefaults) {
  const struct {
    const char* name;
    QStringList lines;
    int no_scan_files;
    int no_spectral_positions;
    float delay;
    bool save;
  } cases[] = {
      {"two lines", {"a", "b"}, 1, 125, 0.0f, true},
      {"bad numbers",
       {"a", "b", "x", "1x", "", "", "", "", "", "0,5", "", " TRUE "},
       1,
       125,
       0.0f,
       true},
      {"settle time beyond a float",
       {"a", "b", "", "", "", "", "", "", "", "1e39"},
       1,
       125,
       0.0f,
       true},
      {"extra lines ignored",
       {"a", "b", "", "3", "9", "", "", "", "", "2.5", "", "no", "more"},
       3,
       9,
       2.5f,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const vellic_scanner_settings s = basics::read_vellic_scanner_ini(c.lines);
    EXPECT_EQ(s.input_path, "a");
    EXPECT_EQ(s.lumor_name, "b");
    EXPECT_FALSE(s.automatic_product_identification);
    EXPECT_EQ(s.no_scan_files, c.no_scan_files);
    EXPECT_EQ(s.no_spectral_positions, c.no_spectral_positions);
    EXPECT_EQ(s.process_file_delay_time_in_seconds, c.delay);
    EXPECT_EQ(s.save_ini_file, c.save);
  }
}

// The three numeric lines with a value that no setting can work with: each
// keeps its default, says so, and the default is what is written back.
TEST(VellicScannerIniTest, NumbersOutOfRangeOrNotFiniteAreRefusedWithAMessage) {
  const struct {
    int line;
    const char* name;
    double fallback;
    QStringList refused;
  } settings[] = {
      {3, "no_scan_files", 1, {"5", "2147483647"}},
      {4, "no_spectral_positions", 125, {"100001", "$7FFFFFFF"}},
      {9, "process_file_delay_time_in_seconds", 0, {"86401", "3.5e38", "1e-999"}},
  };
  const QStringList refused_everywhere = {
      "1e39",     "-1",  "-0.5", "inf",         "-INF",
      "Infinity", "nan", " NaN", "99999999999", "-99999999999999999999999999",
      "1e999"};
  for (const auto& setting : settings) {
    for (const QString& text : refused_everywhere + setting.refused) {
      SCOPED_TRACE(std::string(setting.name) + " = " + text.toStdString());
      QStringList lines(12, "");
      lines[setting.line] = text;
      QStringList refused;
      const vellic_scanner_settings s = basics::read_vellic_scanner_ini(lines, &refused);
      const double value = setting.line == 3   ? s.no_scan_files
                           : setting.line == 4 ? s.no_spectral_positions
                                               : s.process_file_delay_time_in_seconds;
      EXPECT_EQ(value, setting.fallback);
      ASSERT_EQ(refused.size(), 1);
      EXPECT_TRUE(refused[0].startsWith("Error: vellic_scanner.ini: " + QString(setting.name) +
                                        " \"" + text.trimmed() + "\" is out of range"))
          << refused[0].toStdString();
      const QStringList written = basics::vellic_scanner_ini_lines(s);
      EXPECT_EQ(written[setting.line], QString::number(setting.fallback));
    }
  }
}

TEST(VellicScannerIniTest, NumbersInRangeAreTakenAndNoNumberFallsBackSilently) {
  const struct {
    QString scan_files, spectral_positions, delay;
    int no_scan_files, no_spectral_positions;
    float delay_seconds;
  } cases[] = {
      {"0", "0", "0", 0, 0, 0.0f},  // what a start without the file writes back
      {"4", "100000", "86400", 4, 100000, 86400.0f},
      {"$3", "0x10", "2.5e1", 3, 16, 25.0f},
      {"x", "1.5", "0,5", 1, 125, 0.0f},  // no number where one belongs: as ever, no message
      {"2.0", "", "", 1, 125, 0.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE((c.scan_files + "|" + c.spectral_positions + "|" + c.delay).toStdString());
    QStringList lines(12, "");
    lines[3] = c.scan_files;
    lines[4] = c.spectral_positions;
    lines[9] = c.delay;
    QStringList refused;
    const vellic_scanner_settings s = basics::read_vellic_scanner_ini(lines, &refused);
    EXPECT_EQ(s.no_scan_files, c.no_scan_files);
    EXPECT_EQ(s.no_spectral_positions, c.no_spectral_positions);
    EXPECT_EQ(s.process_file_delay_time_in_seconds, c.delay_seconds);
    EXPECT_TRUE(refused.isEmpty()) << refused.join('|').toStdString();
  }
}

TEST(VellicScannerIniTest, EmptyFoldersAreWrittenBackEmpty) {
  QStringList lines(12, "");
  lines[6] = basics::kInsituInputPathKey;
  const vellic_scanner_settings s = basics::read_vellic_scanner_ini(lines);
  EXPECT_EQ(s.input_path, QString());
  EXPECT_EQ(basics::read_insitu_input_path(lines), QString());
  const QStringList written = basics::vellic_scanner_ini_lines(s);
  EXPECT_EQ(written[0], QString());
  EXPECT_EQ(written[7], QString());
}

}  // namespace
