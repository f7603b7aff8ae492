// A scan lists its input folders every second; this measures list_folder on
// folders of growing size, for a scan mask and for "*.*".

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include "platform/env.h"

namespace {

// A folder holding `files` files, one in ten of them matching "*.csv".
class filled_folder {
 public:
  explicit filled_folder(int files) {
    for (int i = 0; i < files; ++i) {
      const QString name = QStringLiteral("%1/Plate_%2.%3")
                               .arg(dir_.path())
                               .arg(i, 6, 10, QLatin1Char('0'))
                               .arg(i % 10 == 0 ? "CSV" : "tmp");
      ::close(::open(name.toLocal8Bit().constData(), O_CREAT | O_WRONLY, 0644));
    }
  }
  QString path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

void list(benchmark::State& state, const char* mask) {
  const filled_folder folder(int(state.range(0)));
  for (auto _ : state) {
    auto entries = platform::env().list_folder(folder.path(), QString::fromLatin1(mask));
    benchmark::DoNotOptimize(entries);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ListScanMask(benchmark::State& state) {
  list(state, "*.csv");
}
void BM_ListEverything(benchmark::State& state) {
  list(state, "*.*");
}

BENCHMARK(BM_ListScanMask)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListEverything)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
