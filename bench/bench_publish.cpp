// What publishing a converter's output costs: 300 files of about 50 KB,
// each with publish_file (two flushes per file) against publish_files (one
// data flush for the batch and one per folder), whole or in chunks, and on
// Linux the batch as it runs where syncfs is not used (fdatasync of each
// file, still one folder flush).
//
// The files go to a temporary folder beside this program, so they land on
// the file system of the build, not on a tmpfs whose flushes cost nothing.
// Times are wall-clock: a flush waits for the disk, not for the CPU.

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "platform/env.h"
#ifdef Q_OS_LINUX
#include "platform/env_linux.h"
#endif

namespace {

constexpr int kFiles = 300;
constexpr qsizetype kFileSize = 50 * 1000;

QTemporaryDir& bench_folder() {
  static QTemporaryDir folder(platform::folder_of(platform::env().program_file_path()) +
                              QStringLiteral("bench_publish_XXXXXX"));
  return folder;
}

// The files as a converter hands them over, each with bytes of its own.
QList<platform::pending_file> converted_files() {
  QList<platform::pending_file> files;
  for (int i = 0; i < kFiles; ++i) {
    const QString target =
        QDir::toNativeSeparators(bench_folder().filePath(QStringLiteral("%1.scn").arg(i)));
    files.append({target, QByteArray(kFileSize, char('a' + i % 26))});
  }
  return files;
}

void fail_on(const platform::Status& status, benchmark::State& state) {
  if (!status.ok()) state.SkipWithError(status.message().toStdString().c_str());
}

void BM_PublishOneByOne(benchmark::State& state) {
  const QList<platform::pending_file> files = converted_files();
  for (auto _ : state) {
    for (const platform::pending_file& file : files) {
      fail_on(platform::publish_file(file.target, file.data), state);
    }
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}

// state.range(0): files per publish_files call.
void BM_PublishBatch(benchmark::State& state) {
  const QList<platform::pending_file> files = converted_files();
  const qsizetype chunk = state.range(0);
  for (auto _ : state) {
    for (qsizetype first = 0; first < files.size(); first += chunk) {
      for (const platform::Status& status : platform::publish_files(files.mid(first, chunk))) {
        fail_on(status, state);
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}

#ifdef Q_OS_LINUX
void BM_PublishBatchFileByFile(benchmark::State& state) {
  const auto file_by_file = platform::new_linux_env({.use_syncfs = false});
  const platform::ScopedEnv use(file_by_file.get());
  BM_PublishBatch(state);
}
BENCHMARK(BM_PublishBatchFileByFile)
    ->Arg(kFiles)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
#endif

BENCHMARK(BM_PublishOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_PublishBatch)
    ->Arg(kFiles)
    ->Arg(50)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
