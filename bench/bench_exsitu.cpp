// What one exsitu conversion costs as the scanner does it, next to the file
// operations alone that it cannot avoid.
//
// BM_exsitu_conversion: read the 404 lines of a 33-position measurement
// file, check and read them into the scan record, publish the scan file,
// copy the input into the archive, delete the input.
// BM_exsitu_file_floor: the same file operations without reading: copy the
// input into the archive, publish 48240 bytes as the scan file, delete the
// input.
// BM_exsitu_reading: the reading alone (lines from the file and the reader),
// where the conversion's own work shows.
// BM_exsitu_parsing: the bytes of the file already in memory, decoded,
// split into lines, checked and read: the parsing alone.
// BM_from_chars_floor: std::from_chars alone on the same numbers, already cut
// out of the file: what no parser of this text can beat.
// BM_comma_field_exsitu_file: the same fields taken one comma_field call
// each, for scale.
//
// The ratio conversion / floor is what the reading adds to the file system's
// share. Each iteration puts a fresh input file in place outside the timing.

#include "basics/exsitu_file.h"
#include "basics/scan_data.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "platform/env.h"
#include "support/exsitu_file.h"

#include <QDir>
#include <QTemporaryDir>

#include <charconv>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir& bench_folder() {
  static QTemporaryDir folder;
  return folder;
}

QString bench_path(const QString& name) {
  return QDir::toNativeSeparators(bench_folder().filePath(name));
}

// `name` inside the subfolder `folder`, which is created.
QString bench_file(const QString& folder, const QString& name) {
  QDir(bench_folder().path()).mkpath(folder);
  return bench_path(folder + u'/' + name);
}

QByteArray measurement_bytes() {
  return basics::bytes_from_lines(
      test_support::exsitu_lines(test_support::plate_with(33, QStringLiteral("4711"))));
}

void fail_on(const platform::Status& status, benchmark::State& state) {
  if (!status.ok()) state.SkipWithError(status.message().toStdString().c_str());
}

// Puts the measurement file in place with the timing paused.
void drop_input(benchmark::State& state, const QString& input, const QByteArray& bytes) {
  state.PauseTiming();
  fail_on(platform::env().write_file(input, bytes), state);
  state.ResumeTiming();
}

// The reading the scanner does: the lines, the refusal checks, the reader.
void read_measurement(const QString& input, basics::scan_data& record, qint32& plate,
                      benchmark::State& state) {
  const QStringList lines = basics::read_lines(input);
  if (basics::exsitu_refusal(lines, input, input)) state.SkipWithError("refused");
  basics::read_exsitu_lines(
      lines, platform::env().last_modified(input), [](int) { return true; }, record, plate,
      [&state](const QString&) { state.SkipWithError("a value did not convert"); });
}

void BM_exsitu_conversion(benchmark::State& state) {
  const QByteArray bytes = measurement_bytes();
  const QString input = bench_file("in", "measurement.tmp");
  const QString output = platform::folder_of(bench_file("out", "x"));
  const QString archive = platform::folder_of(bench_file("archive", "x"));
  basics::scan_data record;
  basics::shape_exsitu_record(record);
  qint32 plate = 0;
  for (auto _ : state) {
    drop_input(state, input, bytes);
    read_measurement(input, record, plate, state);
    record.savetofile(output + QString::number(plate) + QStringLiteral(".scn"));
    fail_on(platform::copy_file(
                input, archive + QStringLiteral("exsitu_") + QString::number(plate) + ".csv"),
            state);
    fail_on(platform::env().delete_file(input), state);
  }
}
BENCHMARK(BM_exsitu_conversion)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_exsitu_file_floor(benchmark::State& state) {
  const QByteArray bytes = measurement_bytes();
  const QByteArray scan_file(48240, '\x2a');
  const QString input = bench_file("in", "floor.tmp");
  const QString output = bench_file("out", "floor.scn");
  const QString archive = bench_file("archive", "exsitu_floor.csv");
  for (auto _ : state) {
    drop_input(state, input, bytes);
    fail_on(platform::copy_file(input, archive), state);
    fail_on(platform::publish_file(output, scan_file), state);
    fail_on(platform::env().delete_file(input), state);
  }
}
BENCHMARK(BM_exsitu_file_floor)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_exsitu_reading(benchmark::State& state) {
  const QString input = bench_file("in", "reading.csv");
  fail_on(platform::env().write_file(input, measurement_bytes()), state);
  basics::scan_data record;
  basics::shape_exsitu_record(record);
  qint32 plate = 0;
  for (auto _ : state) read_measurement(input, record, plate, state);
}
BENCHMARK(BM_exsitu_reading)->Unit(benchmark::kMicrosecond);

void BM_exsitu_parsing(benchmark::State& state) {
  const QByteArray bytes = measurement_bytes();
  const QDateTime time = QDateTime::currentDateTime();
  basics::scan_data record;
  basics::shape_exsitu_record(record);
  qint32 plate = 0;
  for (auto _ : state) {
    const QStringList lines = basics::lines_from_bytes(bytes);
    if (basics::exsitu_refusal(lines, QString(), QString())) state.SkipWithError("refused");
    basics::read_exsitu_lines(
        lines, time, [](int) { return true; }, record, plate,
        [&state](const QString&) { state.SkipWithError("a value did not convert"); });
    benchmark::DoNotOptimize(record.spectral_data.data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_exsitu_parsing)->Unit(benchmark::kMicrosecond);

// The numeric fields of every value line of the file (the sheet resistances
// and the three spectra), as the bytes that from_chars takes.
std::vector<std::string> value_fields() {
  const QStringList lines = basics::lines_from_bytes(measurement_bytes());
  const int positions = basics::exsitu_position_count(lines);
  QList<int> value_lines = {10};
  for (const int first : {36, 160, 284}) {
    for (int j = 0; j < 121; ++j) value_lines.append(first - 1 + j);
  }
  std::vector<std::string> fields;
  for (const int line : value_lines) {
    const QStringList cells = lines[line].split(u',');
    for (int i = 0; i < positions; ++i) fields.push_back(cells[i + 3].trimmed().toStdString());
  }
  return fields;
}

void BM_from_chars_floor(benchmark::State& state) {
  const std::vector<std::string> fields = value_fields();
  for (auto _ : state) {
    for (const std::string& field : fields) {
      double value = 0.0;
      std::from_chars(field.data(), field.data() + field.size(), value);
      benchmark::DoNotOptimize(value);
    }
  }
  state.SetItemsProcessed(state.iterations() * qint64(fields.size()));
}
BENCHMARK(BM_from_chars_floor)->Unit(benchmark::kMicrosecond);

// Every field the exsitu reader takes, one comma_field call each: what
// reading the file cost before the reader split each line once.
void BM_comma_field_exsitu_file(benchmark::State& state) {
  const QStringList lines = basics::lines_from_bytes(measurement_bytes());
  const int positions = basics::exsitu_position_count(lines);
  QList<int> value_lines = {7, 10};
  for (const int first : {36, 160, 284}) {
    for (int j = 0; j < 121; ++j) value_lines.append(first - 1 + j);
  }
  qint64 fields = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(basics::comma_field(lines[3], 2));
    for (const int line : value_lines) {
      for (int i = 0; i < positions; ++i) {
        benchmark::DoNotOptimize(basics::comma_field(lines[line], i + 4));
      }
    }
    fields += 1 + qint64(value_lines.size()) * positions;
  }
  state.SetItemsProcessed(fields);
}
BENCHMARK(BM_comma_field_exsitu_file);

}  // namespace

BENCHMARK_MAIN();
