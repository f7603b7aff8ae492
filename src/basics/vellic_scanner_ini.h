#pragma once

// The operator's settings file vellic_scanner.ini: one setting per line, by
// line number, plus the insitu input folder after its key line. Read at
// start and written back at close through one table of its lines, so the
// two cannot drift apart.

#include <QString>
#include <QStringList>

namespace basics {

// What a line that holds no valid number gives.
inline constexpr qint32 kDefaultScanFiles = 1;
inline constexpr qint32 kDefaultSpectralPositions = 125;

// The largest values the numeric lines take; the smallest is 0 for each.
inline constexpr qint32 kMostScanFiles = 4;
inline constexpr qint32 kMostSpectralPositions = 100000;
inline constexpr double kLongestSettleSeconds = 24 * 60 * 60;

struct vellic_scanner_settings {
  QString input_path;
  QString lumor_name;
  bool automatic_product_identification = false;
  qint32 no_scan_files = kDefaultScanFiles;
  qint32 no_spectral_positions = kDefaultSpectralPositions;
  QString lumor_insitu_name;
  // Written after its key line; read by that key, wherever it stands.
  QString insitu_input_path;
  float process_file_delay_time_in_seconds = 0;
  // Whether the file is written back at close.
  bool save_ini_file = true;
};

// The key line before the insitu input folder.
inline const QString kInsituInputPathKey = QStringLiteral("Insitu input path");

// The settings the lines give. A setting whose line is missing, or holds no
// valid number where one belongs, keeps its default. So does a number
// outside its setting's range or not finite ("1e39", "-1", "nan"): that one
// adds a message for the operator to `refused`, naming the setting, the
// text and the default used. The insitu input folder is not read here (it
// goes by its key).
vellic_scanner_settings read_vellic_scanner_ini(const QStringList& lines,
                                                QStringList* refused = nullptr);

// The insitu input folder: the line after the key line, wherever it stands
// (the last one counts); empty when there is none.
QString read_insitu_input_path(const QStringList& lines);

// The twelve lines of the file.
QStringList vellic_scanner_ini_lines(const vellic_scanner_settings& settings);

}  // namespace basics
