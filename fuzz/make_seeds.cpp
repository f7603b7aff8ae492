// Writes the generated seed files of the fuzz corpus:
//
//   fuzz_make_seeds fuzz/corpus
//
// Small files of every measurement format from the test generators, so the
// fuzzer starts past each reader's refusals. Values are short texts to keep
// the files small. The fixtures of tests/data/ and hand-written seeds lie
// beside them in the corpus.

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

#include "basics/scan_data.h"
#include "basics/sprachen.h"
#include "basics/text_file.h"
#include "basics/vellic_scanner_ini.h"
#include "support/exsitu_file.h"
#include "support/halvik_file.h"
#include "support/insitu_file.h"
#include "support/tulmen_file.h"
#include "support/zeiss_file.h"

namespace {

QString root;

void write_seed(const QString& target, const QString& name, const QByteArray& bytes) {
  QDir().mkpath(root + u'/' + target);
  QFile file(root + u'/' + target + u'/' + name);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
    std::exit(1);
  }
}

void write_seed(const QString& target, const QString& name, const QStringList& lines) {
  write_seed(target, name, basics::bytes_from_lines(lines));
}

QString short_value(int a, int b, int c) {
  return QString::number((a * 7 + b * 3 + c) % 90 + 0.5);
}

void exsitu_seeds() {
  test_support::exsitu_plate plate = test_support::plate_with(2, QStringLiteral("1001"));
  plate.value = short_value;
  write_seed("exsitu_file", "two_positions.csv", test_support::exsitu_lines(plate));
  plate.marker = false;
  plate.value = [](int s, int i, int j) {
    return j == 5 ? QStringLiteral("n/a") : short_value(s, i, j);
  };
  write_seed("exsitu_file", "no_marker_bad_value.csv", test_support::exsitu_lines(plate));
}

void insitu_seeds() {
  test_support::insitu_measurement m;
  m.data = m.data.mid(0, 20);
  m.line_count = 141;
  write_seed("insitu_file", "probe_head.csv", test_support::insitu_lines(m));
  m.header_line = 0;
  write_seed("insitu_file", "no_table_header.csv", test_support::insitu_lines(m));
}

void halvik_seeds() {
  test_support::halvik_exsitu exsitu = test_support::halvik_exsitu_with(2);
  exsitu.value = short_value;
  write_seed("halvik_file", "exsitu_two_positions.csv", test_support::halvik_exsitu_lines(exsitu));
  test_support::halvik_insitu insitu;
  insitu.value = [](int i, int w) { return short_value(0, i, w); };
  write_seed("halvik_file", "insitu_nine_positions.csv", test_support::halvik_insitu_lines(insitu));
}

void tulmen_seeds() {
  test_support::tulmen_measurement m;
  m.positions = test_support::tulmen_positions(2);
  m.value = short_value;
  write_seed("tulmen_file", "two_positions.csv", test_support::tulmen_bytes(m));
  m.without_last_comma = {300, 301};
  m.value = [](int s, int i, int j) {
    return i == 7 ? QStringLiteral(" 1x") : short_value(s, i, j);
  };
  write_seed("tulmen_file", "odd_lines.csv", test_support::tulmen_bytes(m));
}

void zeiss_seeds() {
  test_support::zeiss_measurement m;
  m.positions = 3;
  m.points = 8;
  m.value = short_value;
  write_seed("zeiss_file", "postbake_three_positions.csv", test_support::zeiss_bytes(m));
  m.plate = QStringLiteral("8234");
  m.positions = 15;
  m.points = 4;
  m.header[1] = false;
  m.micrometres = true;
  write_seed("zeiss_file", "production_micrometres.csv", test_support::zeiss_bytes(m));
}

void scan_seeds() {
  basics::scan_data record;
  basics::shape_record(record, 2, 2, 3, 380.0f, 980.0f);
  record.positions = {10, 20};
  record.sheet_resistance = {1.5f, 2.5f};
  for (qsizetype i = 0; i < record.spectral_data.size(); ++i) record.spectral_data[i] = float(i);
  record.time_of_measurement = 45000.5;
  write_seed("scan_file", "small_v12.scn", basics::scan_file_bytes(record));
  write_seed("scan_file", "small_part.sc1", basics::partial_scan_file_bytes(record, 1, 2));
}

void vocabulary_seeds() {
  basics::sprachen table;
  table.anzahl_vokabeln_plus();
  table.set_wort(1, 0, QStringLiteral("LUMOR_INLINE_TOP"));
  table.set_wort(1, 1, QStringLiteral("Probe head 1"));
  table.set_wort(1, 2, QStringLiteral("Messkopf \u00e4"));
  const QString path = root + QStringLiteral("/vocabulary_file/utf16_two_rows.bin");
  QDir().mkpath(root + QStringLiteral("/vocabulary_file"));
  table.save_to_file(path);
  QStringList lines = table.text_lines();
  write_seed("vocabulary_text", "two_rows.txt", lines);
  QDir().mkpath(root + QStringLiteral("/vocabulary_text"));
  table.export_to_textfile(root + QStringLiteral("/vocabulary_text/two_rows_utf16.txt"));
}

void settings_seeds() {
  basics::vellic_scanner_settings settings;
  settings.input_path = QStringLiteral("/data/exsitu/");
  settings.lumor_name = QStringLiteral("LUMOR_TRAVERSE");
  settings.automatic_product_identification = true;
  settings.lumor_insitu_name = QStringLiteral("LUMOR_INLINE");
  settings.insitu_input_path = QStringLiteral("/data/insitu/");
  settings.process_file_delay_time_in_seconds = 1.5f;
  write_seed("settings_ini", "vellic_scanner.ini", basics::vellic_scanner_ini_lines(settings));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  root = QString::fromLocal8Bit(argv[1]);
  exsitu_seeds();
  insitu_seeds();
  halvik_seeds();
  tulmen_seeds();
  zeiss_seeds();
  scan_seeds();
  vocabulary_seeds();
  settings_seeds();
  return 0;
}
