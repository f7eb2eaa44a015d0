// The statistics window on a long history: each tab computed from the database, and computed
// and drawn as a selection of the tab does it.
//
//   QT_QPA_PLATFORM=offscreen bench_statistics --benchmark_repetitions=9
//
// The database: a schedule and a diary entry on every day of 30 years, and 20 years of running
// periods (about 5 a day, one in four days with a period across midnight). Set
// BENCH_STATISTICS_DIR to put it on another file system.

#include "NewDatabase.h"
#include "RunningTime.h"
#include "SettingsStore.h"
#include "Statistics.h"
#include "TestSupport.h"
#include "frmStatistics.h"
#include "mdlVaskel.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

const QDate kEnd(2024, 1, 1); // the history ends just before this day
const QDateTime kNow(kEnd, QTime(9, 0, 0));

std::unique_ptr<QTemporaryDir> g_dir;
qint64 g_entries = 0;
qint64 g_periods = 0;

// One day's running periods: morning, late morning, afternoon, evening, and on every fourth
// day a night period that runs past midnight.
void SeedWorkDay(sqlite3_stmt* st, const QDate& d, quint32& seed) {
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(n));
    };
    auto add = [&](const QDateTime& s, const QDateTime& e) {
        const QByteArray a = SqlDateTime(s).toUtf8();
        const QByteArray b = SqlDateTime(e).toUtf8();
        sqlite3_reset(st);
        sqlite3_bind_text(st, 1, a.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, b.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(st);
        ++g_periods;
    };
    for (int m : {7 * 60, 10 * 60 + 30, 13 * 60, 18 * 60}) {
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
}

// Built in one transaction with prepared statements.
bool BuildDatabase() {
    const QByteArray base = qgetenv("BENCH_STATISTICS_DIR");
    g_dir = base.isEmpty() ? std::make_unique<QTemporaryDir>()
                           : std::make_unique<QTemporaryDir>(QString::fromLocal8Bit(base) +
                                                             QStringLiteral("/statistics-XXXXXX"));
    const QString path = QDir(g_dir->path()).filePath(QStringLiteral("Vaskel.pdb"));
    if (!CreateTestDatabase(path) || !MakeSchema(path, TestEnv::Schema::V106))
        return false;
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* schedule = nullptr;
    sqlite3_stmt* diary = nullptr;
    sqlite3_stmt* work = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO T_Schedule VALUES (?, 'meeting')", -1, &schedule, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO T_Diary VALUES (?, 'a day')", -1, &diary, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO T_WorkTime VALUES (?, ?)", -1, &work, nullptr);
    for (QDate d = kEnd.addYears(-30); d < kEnd; d = d.addDays(1)) {
        const QByteArray day = SqlDate(d).toUtf8();
        for (sqlite3_stmt* st : {schedule, diary}) {
            sqlite3_reset(st);
            sqlite3_bind_text(st, 1, day.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_step(st);
        }
        ++g_entries;
    }
    quint32 seed = 20040101;
    for (QDate d = kEnd.addYears(-20); d < kEnd; d = d.addDays(1))
        SeedWorkDay(work, d, seed);
    for (sqlite3_stmt* st : {schedule, diary, work})
        sqlite3_finalize(st);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!ok)
        return false;
    // The program's start-up: the current period and the log's lookup indexes.
    SetAppPath(g_dir->path());
    Db conn = OpenDB();
    return conn && RecordRunningTimeAtStart(*conn, kNow) && CloseDB(*conn);
}

template <class Stats> void Check(benchmark::State& state, const Stats& s) {
    if (s.status != StatsStatus::Done)
        state.SkipWithError("computation failed");
}

void BM_CalcScheduleStats(benchmark::State& state) {
    for (auto _ : state) {
        const EntryStats s = CalcScheduleStats();
        Check(state, s);
    }
    state.counters["rows"] = double(g_entries);
}
BENCHMARK(BM_CalcScheduleStats)->Unit(benchmark::kMillisecond);

void BM_CalcDiaryStats(benchmark::State& state) {
    for (auto _ : state) {
        const EntryStats s = CalcDiaryStats();
        Check(state, s);
    }
    state.counters["rows"] = double(g_entries);
}
BENCHMARK(BM_CalcDiaryStats)->Unit(benchmark::kMillisecond);

void BM_CalcWorkTimeStats(benchmark::State& state) {
    for (auto _ : state) {
        const WorkTimeStats s = CalcWorkTimeStats();
        Check(state, s);
    }
    state.counters["rows"] = double(g_periods);
}
BENCHMARK(BM_CalcWorkTimeStats)->Unit(benchmark::kMillisecond);

// A selection of the tab: computed, written into the labels and the whole window rendered.
void BM_TabSelected(benchmark::State& state) {
    frmStatistics w;
    w.show();
    w.tabStatistics->setCurrentIndex(int(state.range(0)));
    QCoreApplication::processEvents();
    for (auto _ : state) {
        w.tabStatistics_Click();
        benchmark::DoNotOptimize(w.grab());
    }
}
BENCHMARK(BM_TabSelected)->ArgName("tab")->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform says this of every window shown; it says nothing about the program.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    g_previousHandler(type, context, text);
}

} // namespace

int main(int argc, char** argv) {
    g_previousHandler = qInstallMessageHandler(QuietHandler);
    QApplication app(argc, argv);
    QTemporaryDir config;
    SetSettingsFolder(config.path());
    // A failure must be seen, not wait for a click.
    MsgRecorder msgs;
    SetNowOverride([] { return kNow; });
    if (!BuildDatabase()) {
        std::fprintf(stderr, "cannot build the database\n");
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
