// The running-time log on a long history: the timer tick, the start-up step and the two charts
// of the work-time viewer.
//
//   QT_QPA_PLATFORM=offscreen bench_worktime [Google Benchmark options]
//
// The logs: one week, the standard database's 20 years (about 5 periods a day, one in four
// days with a period across midnight) and the load database's 500,000 periods over 50 years
// (bench/BenchDatabase.h). Set BENCH_WORKTIME_DIR to put the databases on another file system
// (for example /dev/shm, to leave the disk's flushes out).

#include "BenchDatabase.h"
#include "BenchMain.h"
#include "alarm/Alarm.h"
#include "core/DatabaseMessages.h"
#include "mainwindow/TimerTick.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "worktime/RunningTime.h"
#include "worktime/WorkTimeWindow.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QDate kLogEnd(2024, 1, 1); // the logs end just before this day
const QDateTime kRunStart(kLogEnd, QTime(9, 0, 0));

struct Log {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<AppContext> app; // on dir, at g_now
    qint64 rows = 0;
    QDate first;
};
// One week, twenty years, the load database's log.
Log g_logs[3];
QDateTime g_now;

QString NewFolder(Log& log) {
    const QByteArray base = qgetenv("BENCH_WORKTIME_DIR");
    log.dir = base.isEmpty() ? std::make_unique<QTemporaryDir>()
                             : std::make_unique<QTemporaryDir>(QString::fromLocal8Bit(base) +
                                                               QStringLiteral("/worktime-XXXXXX"));
    log.app =
        std::make_unique<AppContext>(log.dir->path(), log.dir->path() + QStringLiteral("/config"));
    log.app->program().clock().setSource([] { return g_now; });
    return QDir(log.dir->path()).filePath(QStringLiteral("Vaskel.pdb"));
}

bool BuildWeek(Log& log) {
    const QString path = NewFolder(log);
    if (!CreateTestDatabase(path) || !MakeSchema(path, TestEnv::Schema::V106))
        return false;
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO T_WorkTime VALUES (?, ?)", -1, &st, nullptr);
    bench_detail::Rng r;
    log.first = kLogEnd.addDays(-7);
    for (QDate d = log.first; d < kLogEnd; d = d.addDays(1))
        bench_detail::SeedWorkDay(st, d, r, log.rows);
    sqlite3_finalize(st);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

bool BuildLog(Log& log, BenchSize size) {
    BenchCounts counts;
    if (!BuildBenchDatabase(NewFolder(log), size, kLogEnd, kLogEnd, &counts))
        return false;
    log.rows = counts.periods;
    log.first = kLogEnd.addYears(-ShapeOf(size).logYears);
    return true;
}

// Points the program at a log, and runs the start-up step once so that a period is open and
// the lookup indexes exist.
bool Use(const Log& log) {
    g_now = kRunStart;
    Db db = OpenDB(log.app->program());
    return db && RecordRunningTimeAtStart(*db, g_now) && CloseDB(*db);
}

// Without the lookup indexes the tick reads the whole log; the comparison shows what they buy.
bool DropIndexes(const Program& program) {
    Db db = OpenDB(program);
    return db && db->exec(QStringLiteral("DROP INDEX WorkTimeEnd")) &&
           db->exec(QStringLiteral("DROP INDEX WorkTimeLength")) && CloseDB(*db);
}

void BM_Tick(benchmark::State& state) {
    const Log& log = g_logs[state.range(0)];
    const bool indexed = state.range(1) != 0;
    if (!Use(log) || (!indexed && !DropIndexes(log.app->program()))) {
        state.SkipWithError("no database");
        return;
    }
    const AlarmState alarm;
    for (auto _ : state) {
        g_now = g_now.addSecs(50);
        benchmark::DoNotOptimize(RunTick(log.app->program(), g_now, alarm));
    }
    state.counters["rows"] = double(log.rows);
    if (!indexed)
        Use(log); // puts the indexes back
}
// log: 0 one week, 1 twenty years, 2 the load database's.
BENCHMARK(BM_Tick)
    ->ArgNames({"log", "indexed"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMicrosecond);

void BM_StartupStep(benchmark::State& state) {
    const Log& log = g_logs[state.range(0)];
    if (!Use(log)) {
        state.SkipWithError("no database");
        return;
    }
    for (auto _ : state) {
        g_now = g_now.addSecs(50);
        Db db = OpenDB(log.app->program());
        benchmark::DoNotOptimize(RecordRunningTimeAtStart(*db, g_now));
        CloseDB(*db);
    }
    state.counters["rows"] = double(log.rows);
}
BENCHMARK(BM_StartupStep)->ArgName("log")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// The week or month shown: 0 the present one, 1 ten years back, 2 the log's first.
QDate ShownDay(const Log& log, int which) {
    switch (which) {
    case 1:
        return QDate(2013, 12, 18);
    case 2:
        return log.first.addDays(13);
    default:
        return kLogEnd.addDays(-10);
    }
}

void BM_DrawWeekChart(benchmark::State& state) {
    const Log& log = g_logs[1 + state.range(0)];
    if (!Use(log)) {
        state.SkipWithError("no database");
        return;
    }
    WorkTimeWindow w(*log.app);
    w.showWeekOf(ShownDay(log, int(state.range(1))));
    for (auto _ : state) {
        if (!w.DrawWeekChart()) {
            state.SkipWithError("drawing failed");
            break;
        }
    }
}
BENCHMARK(BM_DrawWeekChart)
    ->ArgNames({"load", "shown"})
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

void BM_DrawMonthChart(benchmark::State& state) {
    const Log& log = g_logs[1 + state.range(0)];
    if (!Use(log)) {
        state.SkipWithError("no database");
        return;
    }
    WorkTimeWindow w(*log.app);
    const QDate d = ShownDay(log, int(state.range(1)));
    w.showMonth(d.year(), d.month());
    for (auto _ : state) {
        if (!w.DrawMonthChart()) {
            state.SkipWithError("drawing failed");
            break;
        }
    }
}
BENCHMARK(BM_DrawMonthChart)
    ->ArgNames({"load", "shown"})
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QuietSizeHintWarnings();
    QApplication app(argc, argv);
    BenchSession session;
    if (!BuildWeek(g_logs[0]) || !BuildLog(g_logs[1], BenchSize::Standard) ||
        !BuildLog(g_logs[2], BenchSize::Load)) {
        std::fprintf(stderr, "cannot build the databases\n");
        return 1;
    }
    return RunBenchmarks(argc, argv, session.msgs);
}
