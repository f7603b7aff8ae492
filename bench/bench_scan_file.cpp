// What publishing a scan file costs next to a plain write of the same bytes,
// and what splitting an exsitu measurement file into fields costs.
//
// The files go to one temporary folder in the system's temporary folder, so
// every variant meets the same file system. "Plain" writes the 48240 bytes
// of an exsitu scan file over the same file each time: write + fsync (like
// with like) and, for scale, without fsync.
//
// Publishing does more than the plain write by design: a new file per save,
// the rename onto the target and the folder flush that makes the rename
// durable. BM_publish_without_folder_sync and BM_scan_file_bytes separate
// those costs from the encoding.

#include "basics/scan_data.h"
#include "basics/text.h"
#include "platform/env.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

QTemporaryDir& bench_folder() {
  static QTemporaryDir folder;
  return folder;
}

QString bench_file(const char* name) {
  return QDir::toNativeSeparators(bench_folder().filePath(QString::fromLatin1(name)));
}

// The exsitu shape: 33 positions, 3 spectra of 121 points.
basics::scan_data exsitu_record() {
  basics::scan_data data;
  data.set_size(33, 3, 121);
  for (qint32 p = 0; p < 33; ++p) {
    data.positions[p] = 50 * p;
    data.sheet_resistance[p] = 3.5f + 0.01f * float(p);
  }
  for (qint32 s = 0; s < 3; ++s) {
    data.x_min[s] = 380.0f;
    data.x_max[s] = 980.0f;
    data.no_points[s] = 121;
  }
  for (qsizetype i = 0; i < data.spectral_data.size(); ++i) {
    data.spectral_data[i] = 0.001f * float(i % 1000);
  }
  data.time_of_measurement = 45366.4275;
  return data;
}

void fail_on(const platform::Status& status, benchmark::State& state) {
  if (!status.ok()) state.SkipWithError(status.message().toStdString().c_str());
}

void BM_savetofile(benchmark::State& state) {
  const basics::scan_data data = exsitu_record();
  const QString target = bench_file("4711.scn");
  for (auto _ : state) data.savetofile(target);
  state.SetBytesProcessed(state.iterations() * 48240);
}
BENCHMARK(BM_savetofile)->UseRealTime();

// publish_file alone: savetofile less the encoding.
void BM_publish_file(benchmark::State& state) {
  const QByteArray bytes = basics::scan_file_bytes(exsitu_record());
  const QString target = bench_file("published.scn");
  for (auto _ : state) fail_on(platform::publish_file(target, bytes), state);
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_publish_file)->UseRealTime();

// publish_file without its last step, the folder fsync that makes the rename
// durable: what that second flush costs.
void BM_publish_without_folder_sync(benchmark::State& state) {
  const QByteArray bytes = basics::scan_file_bytes(exsitu_record());
  const QString target = bench_file("unsynced.scn");
  for (auto _ : state) {
    QString temporary;
    fail_on(platform::env().create_unique_file(bench_folder().path(), ".unsynced.", &temporary),
            state);
    fail_on(platform::env().write_file(temporary, bytes), state);
    if (std::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(target).constData()) != 0) {
      state.SkipWithError("rename failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_publish_without_folder_sync)->UseRealTime();

void BM_plain_write_fsync(benchmark::State& state) {
  const QByteArray bytes = basics::scan_file_bytes(exsitu_record());
  const QString target = bench_file("plain.scn");
  for (auto _ : state) fail_on(platform::env().write_file(target, bytes), state);
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_plain_write_fsync)->UseRealTime();

void BM_plain_write_no_fsync(benchmark::State& state) {
  const QByteArray bytes = basics::scan_file_bytes(exsitu_record());
  const QString target = bench_file("plain_no_fsync.scn");
  for (auto _ : state) {
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
      state.SkipWithError("plain write failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_plain_write_no_fsync)->UseRealTime();

void BM_scan_file_bytes(benchmark::State& state) {
  const basics::scan_data data = exsitu_record();
  for (auto _ : state) benchmark::DoNotOptimize(basics::scan_file_bytes(data));
}
BENCHMARK(BM_scan_file_bytes);

// 404 lines laid out as the exsitu measurement file: plate in line 4, 33
// positions from field 4 of line 8, the sheet resistances after their marker
// line, and R glass, R coating and T in lines 36-156, 160-280 and 284-404,
// each line holding its wavelength and label and then one value per position.
QStringList exsitu_lines() {
  constexpr int kPositions = 33;
  const auto values_line = [](const QString& head, int seed) {
    QString line = head;
    for (int i = 0; i < kPositions; ++i) {
      line += QStringLiteral(",%1").arg(0.05 + 0.0137 * ((seed * 31 + i * 7) % 61), 0, 'f', 4);
    }
    return line;
  };
  QStringList lines(404, QStringLiteral(",,"));
  lines[0] = QStringLiteral("Spectral traverse measurement");
  lines[3] = QStringLiteral("Plate, 4711");
  QString positions = QStringLiteral("Position,mm,");
  for (int i = 0; i < kPositions; ++i) positions += QStringLiteral(",%1").arg(-800 + 50 * i);
  lines[7] = positions;
  lines[9] = QStringLiteral("Sheet resistance");
  lines[10] = values_line(QStringLiteral("Ohm/sq,,"), 1);
  const struct {
    int first_line;
    const char* label;
  } blocks[] = {{36, "R glass"}, {160, "R coating"}, {284, "T"}};
  for (const auto& block : blocks) {
    for (int j = 0; j < 121; ++j) {
      const QString head = QStringLiteral("%1,nm,%2").arg(380 + 5 * j).arg(block.label);
      lines[block.first_line - 1 + j] = values_line(head, j);
    }
  }
  return lines;
}

// Every field the exsitu conversion reads: the plate, the positions, the
// sheet resistances and 3 × 121 spectral lines of 33 values.
void BM_comma_field_exsitu_file(benchmark::State& state) {
  const QStringList lines = exsitu_lines();
  const int positions = basics::count_commas(lines[7]) - 2;
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
