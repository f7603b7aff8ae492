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
  s.no_spectral_positions = -17;
  s.lumor_insitu_name = "LUMOR_INLINE";
  s.insitu_input_path = "/in/insitu";
  s.process_file_delay_time_in_seconds = 0.1f;
  s.save_ini_file = false;
  return s;
}

// Reading and writing walk one table: what is written reads back the same,
// line by line where the operator expects it.
TEST(VellicScannerIni, WrittenLinesReadBackAsTheSameSettings) {
  const QStringList lines = basics::vellic_scanner_ini_lines(sample());
  EXPECT_EQ(lines,
            (QStringList{"/in/exsitu", "LUMOR_TRAVERSE", "True", "4", "-17", "LUMOR_INLINE",
                         "Insitu input path", "/in/insitu", "", "0.100000001490116", "", "false"}));
  const vellic_scanner_settings back = basics::read_vellic_scanner_ini(lines);
  EXPECT_EQ(back.input_path, "/in/exsitu");
  EXPECT_EQ(back.lumor_name, "LUMOR_TRAVERSE");
  EXPECT_TRUE(back.automatic_product_identification);
  EXPECT_EQ(back.no_scan_files, 4);
  EXPECT_EQ(back.no_spectral_positions, -17);
  EXPECT_EQ(back.lumor_insitu_name, "LUMOR_INLINE");
  EXPECT_EQ(back.process_file_delay_time_in_seconds, 0.1f);
  EXPECT_FALSE(back.save_ini_file);
  // The insitu folder goes by its key, read by the window that has one.
  EXPECT_EQ(back.insitu_input_path, QString());
}

TEST(VellicScannerIni, MissingOrInvalidLinesKeepTheirDefaults) {
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
       {"a", "b", "", "7", "9", "", "", "", "", "2.5", "", "no", "more"},
       7,
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

}  // namespace
