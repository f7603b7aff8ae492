// What publishing a scan file costs next to a plain write of the same bytes.
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
#include "platform/env.h"

#include <QDir>
#include <QFile>
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

}  // namespace

BENCHMARK_MAIN();
