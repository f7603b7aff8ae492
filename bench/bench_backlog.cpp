// A backlog: thousands of files wait in one input folder (the scanner was
// off over a weekend, or a share came back). Each tick claims ten of them;
// the cost of a tick must grow with the folder's size, not with its square,
// so the backlog drains at ten files a tick and the heartbeat and a stop
// request are still served within the second.
//
// Measured per tick, for 1,000, 10,000 and 30,000 waiting files:
// - the claim loop of the main window's conversions (ten files claimed and
//   deleted, their conversion left out, so only the queue's cost shows);
// - the rename-away-and-back loop of the older scan steps (31 files);
// - the operator panel's waiting count and oldest file after the tick.
// The files taken are put back before the next tick, outside the timing.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include "basics/files.h"
#include "basics/listing_census.h"
#include "conversion/claimed_file.h"
#include "conversion/renamable_files.h"
#include "platform/env.h"

namespace {

const QString kMask = QStringLiteral("*.csv");
constexpr qint64 kAlwaysFresh = qint64(1) << 50;

class backlog {
 public:
  explicit backlog(int files) {
    for (int i = 0; i < files; ++i) drop(i);
    QDir().mkpath(output());
  }
  QString input() const { return dir_.path() + QStringLiteral("/in"); }
  QString output() const { return dir_.path() + QStringLiteral("/out"); }
  // Puts files back until the folder holds `files` again: the first ones
  // by name, which the tick took.
  void refill(int files) {
    for (int i = 0; i < files; ++i) {
      if (!QFile::exists(name(i))) drop(i);
    }
  }

 private:
  QString name(int i) const {
    return QStringLiteral("%1/plate_%2.csv").arg(input()).arg(i, 6, 10, QLatin1Char('0'));
  }
  void drop(int i) {
    QDir().mkpath(input());
    const int fd = ::open(name(i).toLocal8Bit().constData(), O_CREAT | O_WRONLY, 0644);
    benchmark::DoNotOptimize(::write(fd, "1,2\r\n", 5));
    ::close(fd);
  }

  QTemporaryDir dir_;
};

conversion::context context_of(const backlog& folder) {
  conversion::context ctx;
  ctx.input_folder = folder.input();
  ctx.output_folder = folder.output();
  return ctx;
}

void BM_ClaimTick(benchmark::State& state) {
  const int files = int(state.range(0));
  backlog folder(files);
  const conversion::context ctx = context_of(folder);
  int claimed = 0;
  for (auto _ : state) {
    conversion::claim_files(ctx, QStringLiteral("Converting"), {},
                            [&claimed](conversion::claimed_file&) { ++claimed; });
    state.PauseTiming();
    folder.refill(files);
    state.ResumeTiming();
  }
  state.counters["files_per_tick"] = benchmark::Counter(double(claimed) / state.iterations());
  basics::forget_listings();
}

void BM_RenameAwayAndBackTick(benchmark::State& state) {
  const int files = int(state.range(0));
  backlog folder(files);
  const conversion::context ctx = context_of(folder);
  int handled = 0;
  for (auto _ : state) {
    conversion::scan_renamable_files(ctx, kMask, {}, [&](const QString& name, auto&) {
      ++handled;
      static_cast<void>(
          platform::env().delete_file(platform::with_delimiter(ctx.input_folder) + name));
    });
    state.PauseTiming();
    folder.refill(files);
    state.ResumeTiming();
  }
  state.counters["files_per_tick"] = benchmark::Counter(double(handled) / state.iterations());
  basics::forget_listings();
}

// The panel's look after a tick that took ten files: the scan's listing
// reused, the new names' times read.
void BM_PanelAfterTick(benchmark::State& state) {
  const int files = int(state.range(0));
  backlog folder(files);
  const conversion::context ctx = context_of(folder);
  for (auto _ : state) {
    state.PauseTiming();
    conversion::claim_files(ctx, QStringLiteral("Converting"), {},
                            [](conversion::claimed_file&) {});
    folder.refill(files);
    static_cast<void>(basics::count_files(folder.input(), kMask));
    state.ResumeTiming();
    benchmark::DoNotOptimize(basics::waiting_in(folder.input(), kMask, kAlwaysFresh));
  }
  basics::forget_listings();
}

BENCHMARK(BM_ClaimTick)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenameAwayAndBackTick)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PanelAfterTick)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
