// What the history costs in memory when files of unreadable values come:
// a file of 12,000 "n.a." values says 12,000 board lines. Measured is the
// resident memory (RSS), not time; each benchmark runs once.
//
// BM_HandledFilesOfUnreadableValues/N: N such files handled as the window
// handles them: the lines noted while the file is converted, its record
// appended to the day file and shown on top of the operator's panel (the
// panel keeps its 200 rows). rss_growth_MB is what stays afterwards.
// BM_StartWithOldDayFile/N: a day file of N records as they were written
// before messages were limited (each message the 12,000 lines joined,
// 0.9 MB), read back at start and shown on the panel. rss_growth_MB is
// what stays, peak_growth_MB the most that was resident meanwhile.
//
// Both should stay within 20 MB, whatever N.

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include "basics/history_file.h"
#include "conversion/handled_file.h"
#include "scanner/operator_panel.h"

namespace {

constexpr int kValuesPerFile = 12000;

double resident_mb(const char* field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(field))
      return line.mid(int(qstrlen(field))).trimmed().split(' ')[0].toDouble() / 1024;
  }
  return 0;
}

double rss_mb() {
  return resident_mb("VmRSS:");
}

// The most resident since the last reset_peak().
double peak_mb() {
  return resident_mb("VmHWM:");
}

void reset_peak() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

QString unreadable(int n) {
  return QStringLiteral(
             "T, Pos. %1  , spectral pos. %2   n.a. could not be converted to a "
             "spectral value.")
      .arg(n / 121)
      .arg(n % 121);
}

void BM_HandledFilesOfUnreadableValues(benchmark::State& state) {
  const int files = int(state.range(0));
  for (auto _ : state) {
    QTemporaryDir dir;
    scanner::operator_panel panel;
    basics::history_writer writer(dir.path() + QStringLiteral("/history"));
    conversion::context ctx;
    ctx.input_folder = dir.path();
    qsizetype message_chars = 0;
    ctx.handled = [&](const basics::history_record& record) {
      static_cast<void>(writer.append(record));
      panel.add_history(record, record.time.date());
      message_chars = qMax(message_chars, record.message.size());
    };
    const double before = rss_mb();
    for (int f = 0; f < files; ++f) {
      conversion::handled_file file(ctx, QStringLiteral("plate_%1.csv").arg(f));
      for (int n = 0; n < kValuesPerFile; ++n) file.ctx().board(unreadable(n));
      file.note_output(dir.path() + QStringLiteral("/%1.scn").arg(f));
      file.tell();
    }
    state.counters["rss_growth_MB"] = rss_mb() - before;
    state.counters["message_chars"] = double(message_chars);
  }
}

void BM_StartWithOldDayFile(benchmark::State& state) {
  const int records = int(state.range(0));
  QTemporaryDir dir;
  const QString folder = dir.path() + QStringLiteral("/history");
  {
    QStringList values;
    for (int n = 0; n < kValuesPerFile; ++n) values << unreadable(n);
    basics::history_record old;
    old.time = QDateTime::currentDateTime();
    old.input = QStringLiteral("plate.csv");
    old.input_folder = dir.path() + u'/';
    old.output = dir.path() + QStringLiteral("/1.scn");
    old.message = values.join(u' ');
    const QByteArray line = basics::history_line(old) + '\n';
    basics::history_writer writer(folder);
    static_cast<void>(writer.append(old));  // makes the folder
    QFile day(basics::history_file(folder, old.time.date()));
    if (!day.open(QIODevice::Append)) state.SkipWithError("no day file");
    for (int r = 1; r < records; ++r) day.write(line);
  }
  for (auto _ : state) {
    const double before = rss_mb();
    reset_peak();
    scanner::operator_panel panel;
    const QList<basics::history_record> newest_first =
        basics::read_history(folder, scanner::operator_panel::kHistoryRows);
    for (auto it = newest_first.crbegin(); it != newest_first.crend(); ++it) panel.add_history(*it, QDate::currentDate());
    state.counters["rss_growth_MB"] = rss_mb() - before;
    state.counters["peak_growth_MB"] = peak_mb() - before;
    state.counters["rows"] = double(newest_first.size());
  }
}

BENCHMARK(BM_HandledFilesOfUnreadableValues)
    ->Arg(10)
    ->Arg(200)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartWithOldDayFile)->Arg(10)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
