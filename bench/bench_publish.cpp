// Publishing 300 scan files of 48 KB into one folder: one publish_file each
// (two flushes per file, as the scanner does it one file at a time) against
// one publish_files batch (two flushes of the file system in all, as the
// batch converter does it). Both keep the same guarantee after a power cut.

#include "platform/env.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kFiles = 300;

QList<platform::pending_file> scan_files(const QString& folder) {
  QList<platform::pending_file> files;
  for (int n = 0; n < kFiles; ++n) {
    files.append({folder + QStringLiteral("/%1.scn").arg(n), QByteArray(48240, char('a' + n % 26))});
  }
  return files;
}

void BM_publish_one_by_one(benchmark::State& state) {
  QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/bench_publish_XXXXXX"));
  const QList<platform::pending_file> files = scan_files(folder.path());
  for (auto _ : state) {
    for (const platform::pending_file& file : files) {
      if (!platform::publish_file(file.target, file.data).ok()) state.SkipWithError("not published");
    }
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_publish_one_by_one)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_publish_batch(benchmark::State& state) {
  QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/bench_publish_XXXXXX"));
  const QList<platform::pending_file> files = scan_files(folder.path());
  for (auto _ : state) {
    for (const platform::Status& status : platform::publish_files(files)) {
      if (!status.ok()) state.SkipWithError("not published");
    }
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_publish_batch)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
