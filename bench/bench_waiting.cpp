// What the operator's panel adds to an idle scanner. Every second the scan
// counts the files of its input folders; the panel shows how many wait and
// the age of the oldest. Measured: the scan's count as it is now (noting
// its listing for the panel), the bare listing it was before, and the
// panel's share, reusing the scan's listing or, when the scan did not list
// the folder (scanning off, output folder missing), listing it itself.
// Folders of 0, 10 and 1000 waiting files.

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include "basics/files.h"
#include "basics/listing_census.h"
#include "platform/env.h"

namespace {

const QString kMask = QStringLiteral("*.csv");
constexpr qint64 kAlwaysFresh = qint64(1) << 50;

class waiting_folder {
 public:
  explicit waiting_folder(int files) {
    for (int i = 0; i < files; ++i) {
      const QString name =
          QStringLiteral("%1/plate_%2.csv").arg(dir_.path()).arg(i, 6, 10, QLatin1Char('0'));
      ::close(::open(name.toLocal8Bit().constData(), O_CREAT | O_WRONLY, 0644));
    }
  }
  QString path() const { return dir_.path() + QLatin1Char('/'); }

 private:
  QTemporaryDir dir_;
};

// The scan step's count before the panel: the listing, files counted.
void BM_ScanCountBare(benchmark::State& state) {
  const waiting_folder folder(int(state.range(0)));
  for (auto _ : state) {
    int count = 0;
    for (const platform::DirEntry& entry :
         platform::env().list_folder(folder.path(), kMask).value_or(QList<platform::DirEntry>())) {
      if (entry.is_file) ++count;
    }
    benchmark::DoNotOptimize(count);
  }
}

// The scan step's count now: the same listing, noted for the panel.
void BM_ScanCountNoted(benchmark::State& state) {
  const waiting_folder folder(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(basics::count_files(folder.path(), kMask));
  basics::forget_listings();
}

// The panel's second tick while the scan lists the folder.
void BM_PanelReusesTheScansListing(benchmark::State& state) {
  const waiting_folder folder(int(state.range(0)));
  static_cast<void>(basics::count_files(folder.path(), kMask));
  static_cast<void>(basics::waiting_in(folder.path(), kMask, kAlwaysFresh));  // times read once
  for (auto _ : state) {
    benchmark::DoNotOptimize(basics::waiting_in(folder.path(), kMask, kAlwaysFresh));
  }
  basics::forget_listings();
}

// The panel's tick where the scan does not list the folder.
void BM_PanelListsItself(benchmark::State& state) {
  const waiting_folder folder(int(state.range(0)));
  static_cast<void>(basics::waiting_in(folder.path(), kMask, 0));  // times read once
  for (auto _ : state) benchmark::DoNotOptimize(basics::waiting_in(folder.path(), kMask, 0));
  basics::forget_listings();
}

BENCHMARK(BM_ScanCountBare)->Arg(0)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScanCountNoted)->Arg(0)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PanelReusesTheScansListing)->Arg(0)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PanelListsItself)->Arg(0)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
