// The statistics window on a long history: each tab computed from the database, and computed
// and drawn as a selection of the tab does it.
//
//   QT_QPA_PLATFORM=offscreen bench_statistics --benchmark_repetitions=9
//
// The databases (bench/BenchDatabase.h): argument load:0 is the standard one (a schedule and a
// diary entry on every day of 30 years, 20 years of running periods, about 5 a day), load:1
// the load one (50 years of entries, 500,000 running periods over the same 50 years). Set
// BENCH_STATISTICS_DIR to put them on another file system.

#include "BenchDatabase.h"
#include "BenchMain.h"
#include "core/DatabaseMessages.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "statistics/Statistics.h"
#include "statistics/StatisticsWindow.h"
#include "worktime/RunningTime.h"

#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QDate kEnd(2024, 1, 1); // the history ends just before this day
const QDateTime kNow(kEnd, QTime(9, 0, 0));

struct Sized {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<AppContext> app; // on dir, at kNow
    BenchCounts counts;
};
Sized g_db[2];

bool BuildDatabase(BenchSize size) {
    Sized& db = g_db[size == BenchSize::Load];
    const QByteArray base = qgetenv("BENCH_STATISTICS_DIR");
    db.dir = base.isEmpty() ? std::make_unique<QTemporaryDir>()
                            : std::make_unique<QTemporaryDir>(QString::fromLocal8Bit(base) +
                                                              QStringLiteral("/statistics-XXXXXX"));
    const QString path = QDir(db.dir->path()).filePath(QStringLiteral("Vaskel.pdb"));
    if (!BuildBenchDatabase(path, size, kEnd, kEnd, &db.counts))
        return false;
    // The program's start-up: the current period and the log's lookup indexes.
    db.app =
        std::make_unique<AppContext>(db.dir->path(), db.dir->path() + QStringLiteral("/config"));
    db.app->program().clock().setSource([] { return kNow; });
    Db conn = OpenDB(db.app->program());
    return conn && RecordRunningTimeAtStart(*conn, kNow) && CloseDB(*conn);
}

const Sized& Use(const benchmark::State& state) {
    return g_db[state.range(0) != 0];
}

template <class Stats> void Check(benchmark::State& state, const Stats& s) {
    if (s.status != StatsStatus::Done)
        state.SkipWithError("computation failed");
}

void BM_CalcScheduleStats(benchmark::State& state) {
    const Sized& db = Use(state);
    const qint64 rows = db.counts.entryDays;
    for (auto _ : state) {
        const EntryStats s = CalcScheduleStats(db.app->program());
        Check(state, s);
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_CalcScheduleStats)->ArgName("load")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CalcDiaryStats(benchmark::State& state) {
    const Sized& db = Use(state);
    const qint64 rows = db.counts.entryDays;
    for (auto _ : state) {
        const EntryStats s = CalcDiaryStats(db.app->program());
        Check(state, s);
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_CalcDiaryStats)->ArgName("load")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CalcWorkTimeStats(benchmark::State& state) {
    const Sized& db = Use(state);
    const qint64 rows = db.counts.periods;
    for (auto _ : state) {
        const WorkTimeStats s = CalcWorkTimeStats(db.app->program());
        Check(state, s);
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_CalcWorkTimeStats)->ArgName("load")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A selection of the tab: computed, written into the labels and the whole window rendered.
void BM_TabSelected(benchmark::State& state) {
    StatisticsWindow w(*Use(state).app);
    w.show();
    w.findChild<QTabWidget*>(QStringLiteral("tabStatistics"))->setCurrentIndex(int(state.range(1)));
    QCoreApplication::processEvents();
    for (auto _ : state) {
        w.computeShownTab();
        benchmark::DoNotOptimize(w.grab());
    }
}
BENCHMARK(BM_TabSelected)
    ->ArgNames({"load", "tab"})
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QuietSizeHintWarnings();
    QApplication app(argc, argv);
    BenchSession session;
    for (BenchSize size : {BenchSize::Standard, BenchSize::Load}) {
        if (!BuildDatabase(size)) {
            std::fprintf(stderr, "cannot build the %s database\n", SizeName(size));
            return 1;
        }
    }
    return RunBenchmarks(argc, argv, session.msgs);
}
