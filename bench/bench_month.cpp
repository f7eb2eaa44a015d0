// Month switching and start-up of the main window on a large database.
//
//   bench_month                      month switches (load + draw), Google Benchmark
//   bench_month --startup [folder]   one start-up to the first drawn month: time and peak memory
//
// The database: 30 years of daily schedules and diaries, 1,000 anniversaries, default holidays.

#include "NewDatabase.h"
#include "SettingsStore.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "mdlVaskel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>

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

constexpr int kFirstYear = 1997;
constexpr int kYears = 30;

bool BuildDatabase(const QString& folder) {
    const QString path = QDir(folder).filePath(QStringLiteral("Vaskel.pdb"));
    if (QFile::exists(path))
        return true;
    if (!CreateTestDatabase(path) || !MakeSchema(path, TestEnv::Schema::V106))
        return false;
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* sched = nullptr;
    sqlite3_stmt* diary = nullptr;
    sqlite3_stmt* what = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO T_Schedule VALUES (?, ?)", -1, &sched, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO T_Diary VALUES (?, ?)", -1, &diary, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (?, ?, ?)", -1,
                       &what, nullptr);
    const QByteArray text = QStringLiteral("会議 10:00 打ち合わせ\r\n資料の準備").toUtf8();
    const QByteArray entry = QStringLiteral("今日は一日よく働いた。").repeated(8).toUtf8();
    for (QDate d(kFirstYear, 1, 1); d < QDate(kFirstYear + kYears, 1, 1); d = d.addDays(1)) {
        const QByteArray iso = SqlDate(d).toUtf8();
        for (sqlite3_stmt* st : {sched, diary}) {
            sqlite3_reset(st);
            sqlite3_bind_text(st, 1, iso.constData(), -1, SQLITE_TRANSIENT);
            const QByteArray& t = st == sched ? text : entry;
            sqlite3_bind_text(st, 2, t.constData(), int(t.size()), SQLITE_STATIC);
            sqlite3_step(st);
        }
    }
    for (int i = 0; i < 1000; ++i) {
        const QByteArray t = QStringLiteral("記念日 %1").arg(i).toUtf8();
        sqlite3_reset(what);
        sqlite3_bind_int(what, 1, 1 + i % 12);
        sqlite3_bind_int(what, 2, 1 + (i * 7) % 28);
        sqlite3_bind_text(what, 3, t.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(what);
    }
    sqlite3_finalize(sched);
    sqlite3_finalize(diary);
    sqlite3_finalize(what);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

void Prepare(const QString& folder) {
    SetAppPath(folder);
    SetSettingsFolder(folder + QStringLiteral("/config"));
    // Neither the today's-schedule window nor a resident close may wait for a user here.
    WriteSettingText(SettingKey::StartUp, QStringLiteral("0"));
    WriteSettingText(SettingKey::Stationed, QStringLiteral("False"));
}

QString g_folder;

// A month switch as the user sees it: load, labels, and the window painted.
void BM_MonthSwitch(benchmark::State& state) {
    frmMain w;
    if (!w.Form_Load()) {
        state.SkipWithError("start-up failed");
        return;
    }
    int i = 0;
    for (auto _ : state) {
        // Every switch is to another month, so that every one reads the database.
        const int m = i % (kYears * 12);
        w.S_DispCal(kFirstYear + m / 12, 1 + m % 12);
        QCoreApplication::processEvents();
        ++i;
    }
    w.close();
}
BENCHMARK(BM_MonthSwitch)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// Only the month's data: one connection and its queries.
void BM_MonthLoadOnly(benchmark::State& state) {
    MonthCells cells;
    int i = 0;
    for (auto _ : state) {
        const int m = i++ % (kYears * 12);
        Db db = OpenDB();
        LoadMonthCells(*db, cells, kFirstYear + m / 12, 1 + m % 12, 0xC0E0FF);
        CloseDB(*db);
        benchmark::DoNotOptimize(cells);
    }
}
BENCHMARK(BM_MonthLoadOnly)->Unit(benchmark::kMicrosecond);

// The same switches up to the labels' new state, without letting the window paint.
void BM_MonthSwitchNoPaint(benchmark::State& state) {
    frmMain w;
    w.Form_Load();
    int i = 0;
    for (auto _ : state) {
        const int m = i % (kYears * 12);
        w.S_DispCal(kFirstYear + m / 12, 1 + m % 12);
        ++i;
    }
    w.close();
}
BENCHMARK(BM_MonthSwitchNoPaint)->Unit(benchmark::kMicrosecond);

int Startup(int argc, char** argv, const QString& folder) {
    QElapsedTimer t;
    t.start();
    QApplication app(argc, argv);
    SetUpAppearance();
    Prepare(folder);
    frmMain w;
    if (!w.Form_Load())
        return 1;
    // The month is drawn once the window has painted itself.
    w.repaint();
    QCoreApplication::processEvents();
    const qint64 ms = t.elapsed();
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("startup_to_first_draw_ms=%lld peak_rss_mb=%.1f platform=%s\n",
                static_cast<long long>(ms), double(ru.ru_maxrss) / 1024.0,
                qPrintable(QGuiApplication::platformName()));
    w.close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    g_nextHandler = qInstallMessageHandler(DropSizeHintWarning);
    if (argc >= 2 && std::strcmp(argv[1], "--startup") == 0) {
        const QString folder = argc >= 3 ? QString::fromLocal8Bit(argv[2])
                                         : QDir::tempPath() + QStringLiteral("/vaskel-bench");
        QDir().mkpath(folder);
        if (!BuildDatabase(folder))
            return 1;
        return Startup(1, argv, folder);
    }
    QApplication app(argc, argv);
    SetUpAppearance();
    QTemporaryDir dir;
    g_folder = dir.path();
    if (!BuildDatabase(g_folder))
        return 1;
    Prepare(g_folder);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
