// The running-time log on a long history: the timer tick, the start-up step and the two charts
// of the work-time viewer.
//
//   QT_QPA_PLATFORM=offscreen bench_worktime [Google Benchmark options]
//
// The databases: 20 years of running periods (about 5 a day, one in four days with a period
// across midnight), and for comparison a log of one week. Set BENCH_WORKTIME_DIR to put the
// databases on another file system (for example /dev/shm, to leave the disk's flushes out).

#include "Alarm.h"
#include "NewDatabase.h"
#include "RunningTime.h"
#include "SettingsStore.h"
#include "TestSupport.h"
#include "TimerTick.h"
#include "frmWorkTime.h"
#include "mdlVaskel.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

// The offscreen platform warns about size hints for every window it shows; hundreds of copies
// of that one line would bury the figures. Every other message passes on.
QtMessageHandler g_nextHandler = nullptr;
void DropSizeHintWarning(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
    if (type == QtWarningMsg &&
        msg == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    g_nextHandler(type, context, msg);
}

const QDate kLogEnd(2024, 1, 1); // the logs end just before this day
const QDateTime kRunStart(kLogEnd, QTime(9, 0, 0));

struct Log {
    std::unique_ptr<QTemporaryDir> dir;
    qint64 rows = 0;
};
Log g_big;
Log g_small;
QDateTime g_now;

// One working day's periods: morning, late morning, afternoon, evening, and on every fourth
// day a night period that runs past midnight.
int SeedDay(sqlite3_stmt* st, const QDate& d, quint32& seed) {
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(n));
    };
    const int starts[4] = {7 * 60, 10 * 60 + 30, 13 * 60, 18 * 60};
    int count = 0;
    auto add = [&](const QDateTime& s, const QDateTime& e) {
        const QByteArray a = SqlDateTime(s).toUtf8();
        const QByteArray b = SqlDateTime(e).toUtf8();
        sqlite3_reset(st);
        sqlite3_bind_text(st, 1, a.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, b.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(st);
        ++count;
    };
    for (int m : starts) {
        const QDateTime s(d, QTime(0, 0).addSecs((m + next(60)) * 60 + next(60)));
        add(s, s.addSecs((60 + next(90)) * 60 + next(60)));
    }
    if (d.day() % 4 == 0) {
        const QDateTime s(d, QTime(22, next(60), next(60)));
        add(s, s.addSecs((150 + next(180)) * 60));
    } else {
        const QDateTime s(d, QTime(20, 30 + next(20), next(60)));
        add(s, s.addSecs((30 + next(40)) * 60));
    }
    return count;
}

bool BuildLog(Log& log, const QDate& first) {
    const QByteArray base = qgetenv("BENCH_WORKTIME_DIR");
    log.dir = base.isEmpty() ? std::make_unique<QTemporaryDir>()
                             : std::make_unique<QTemporaryDir>(QString::fromLocal8Bit(base) +
                                                               QStringLiteral("/worktime-XXXXXX"));
    const QString path = QDir(log.dir->path()).filePath(QStringLiteral("Vaskel.pdb"));
    if (!CreateTestDatabase(path) || !MakeSchema(path, TestEnv::Schema::V106))
        return false;
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO T_WorkTime VALUES (?, ?)", -1, &st, nullptr);
    quint32 seed = 20040101;
    for (QDate d = first; d < kLogEnd; d = d.addDays(1))
        log.rows += SeedDay(st, d, seed);
    sqlite3_finalize(st);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Points the program at a log, and runs the start-up step once so that a period is open and
// the lookup indexes exist.
bool Use(const Log& log) {
    SetAppPath(log.dir->path());
    g_now = kRunStart;
    Db db = OpenDB();
    return db && RecordRunningTimeAtStart(*db, g_now) && CloseDB(*db);
}

// Without the lookup indexes the tick reads the whole log; the comparison shows what they buy.
bool DropIndexes() {
    Db db = OpenDB();
    return db && db->exec(QStringLiteral("DROP INDEX WorkTimeEnd")) &&
           db->exec(QStringLiteral("DROP INDEX WorkTimeLength")) && CloseDB(*db);
}

void BM_Tick(benchmark::State& state) {
    const Log& log = state.range(0) ? g_big : g_small;
    const bool indexed = state.range(1) != 0;
    if (!Use(log) || (!indexed && !DropIndexes())) {
        state.SkipWithError("no database");
        return;
    }
    for (auto _ : state) {
        g_now = g_now.addSecs(50);
        benchmark::DoNotOptimize(Timer1Tick(g_now));
    }
    state.counters["rows"] = double(log.rows);
    if (!indexed)
        Use(log); // puts the indexes back
}
BENCHMARK(BM_Tick)
    ->ArgNames({"twenty_years", "indexed"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMicrosecond);

void BM_StartupStep(benchmark::State& state) {
    const Log& log = state.range(0) ? g_big : g_small;
    if (!Use(log)) {
        state.SkipWithError("no database");
        return;
    }
    for (auto _ : state) {
        g_now = g_now.addSecs(50);
        Db db = OpenDB();
        benchmark::DoNotOptimize(RecordRunningTimeAtStart(*db, g_now));
        CloseDB(*db);
    }
    state.counters["rows"] = double(log.rows);
}
BENCHMARK(BM_StartupStep)->ArgName("twenty_years")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The week or month shown: 0 the present one, 1 ten years back, 2 the log's first.
QDate ShownDay(int which) {
    switch (which) {
    case 1:
        return QDate(2013, 12, 18);
    case 2:
        return QDate(2004, 1, 14);
    default:
        return kLogEnd.addDays(-10);
    }
}

void BM_DrawWeekChart(benchmark::State& state) {
    if (!Use(g_big)) {
        state.SkipWithError("no database");
        return;
    }
    frmWorkTime w;
    w.SetWeek(ShownDay(int(state.range(0))));
    for (auto _ : state) {
        if (!w.DrawWeekChart()) {
            state.SkipWithError("drawing failed");
            break;
        }
    }
}
BENCHMARK(BM_DrawWeekChart)
    ->ArgName("shown")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond);

void BM_DrawMonthChart(benchmark::State& state) {
    if (!Use(g_big)) {
        state.SkipWithError("no database");
        return;
    }
    frmWorkTime w;
    const QDate d = ShownDay(int(state.range(0)));
    w.SetMonth(d.year(), d.month());
    for (auto _ : state) {
        if (!w.DrawMonthChart()) {
            state.SkipWithError("drawing failed");
            break;
        }
    }
}
BENCHMARK(BM_DrawMonthChart)
    ->ArgName("shown")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    g_nextHandler = qInstallMessageHandler(DropSizeHintWarning);
    QApplication app(argc, argv);
    QTemporaryDir config;
    SetSettingsFolder(config.path());
    // A failure must be seen, not wait for a click.
    MsgRecorder msgs;
    SetNowOverride([] { return g_now; });
    if (!BuildLog(g_big, QDate(2004, 1, 1)) || !BuildLog(g_small, kLogEnd.addDays(-7))) {
        std::fprintf(stderr, "cannot build the databases\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SetAppPath(QString());
    for (const MsgRecord& m : msgs.messages)
        std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
    return msgs.messages.empty() ? 0 : 1;
}
