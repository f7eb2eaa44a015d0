// Month switching and start-up of the main window on large databases.
//
//   bench_month                              month switches (load + draw), Google Benchmark
//   bench_month --startup FOLDER [--load]    one start-up to the first drawn month
//
// The databases (bench/BenchDatabase.h): argument load:0 is the standard one (30 years of
// daily schedules and diaries, 1,000 anniversaries, a 20-year log), load:1 the load one (50
// years, 10,000 anniversaries, 500,000 running periods). The entries end with this year, the
// log yesterday.
//
// The start-up runs as main() does (single-instance guard, appearance, the main window's
// load) and ends when the window has painted its month and the events that the painting
// queued are done. Its figure counts from the launch when BENCH_LAUNCH_US (microseconds since
// the epoch, taken just before the launch) is given, else from the first line of main().

#include "BenchDatabase.h"
#include "BenchMain.h"
#include "core/DatabaseMessages.h"
#include "mainwindow/CellLabel.h"
#include "mainwindow/MainApplication.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MonthView.h"
#include "settings/AppContext.h"
#include "shell/SingleInstance.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const QDate kEnd(QDate::currentDate().year() + 1, 1, 1);

int FirstYear(BenchSize size) {
    return kEnd.year() - ShapeOf(size).entryYears;
}

bool BuildDatabase(const QString& folder, BenchSize size) {
    const QString path = QDir(folder).filePath(QStringLiteral("Vaskel.pdb"));
    if (QFile::exists(path))
        return true;
    return BuildBenchDatabase(path, size, kEnd, QDate::currentDate());
}

// The program on folder, with settings of its own there.
std::unique_ptr<AppContext> Prepare(const QString& folder) {
    auto app = std::make_unique<AppContext>(folder, folder + QStringLiteral("/config"));
    // Neither the today's-schedule window nor a resident close may wait for a user here.
    app->settings().writeText(SettingKey::StartUp, QStringLiteral("0"));
    app->settings().writeText(SettingKey::Stationed, QStringLiteral("False"));
    return app;
}

std::unique_ptr<QTemporaryDir> g_folders[2];

BenchSize SizeArg(const benchmark::State& state) {
    return state.range(0) ? BenchSize::Load : BenchSize::Standard;
}

std::unique_ptr<AppContext> Use(BenchSize size) {
    return Prepare(g_folders[size == BenchSize::Load]->path());
}

// A month switch as the user sees it: load, labels, and the window painted.
void BM_MonthSwitch(benchmark::State& state) {
    const BenchSize size = SizeArg(state);
    const auto app = Use(size);
    MainWindow w(*app);
    if (!w.start()) {
        state.SkipWithError("start-up failed");
        return;
    }
    const int months = ShapeOf(size).entryYears * 12;
    int i = 0;
    for (auto _ : state) {
        // Every switch is to another month, so that every one reads the database.
        const int m = i % months;
        w.monthView()->showMonth(FirstYear(size) + m / 12, 1 + m % 12);
        QCoreApplication::processEvents();
        ++i;
    }
    w.close();
}
BENCHMARK(BM_MonthSwitch)
    ->ArgName("load")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// Only the month's data: one connection and its queries.
void BM_MonthLoadOnly(benchmark::State& state) {
    const BenchSize size = SizeArg(state);
    const auto app = Use(size);
    const Program& program = app->program();
    const int months = ShapeOf(size).entryYears * 12;
    MonthCells cells;
    int i = 0;
    for (auto _ : state) {
        const int m = i++ % months;
        Db db = OpenDB(program);
        LoadMonthCells(*db, cells, FirstYear(size) + m / 12, 1 + m % 12, 0xC0E0FF);
        CloseDB(*db);
        benchmark::DoNotOptimize(cells);
    }
}
BENCHMARK(BM_MonthLoadOnly)->ArgName("load")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same switches up to the labels' new state, without letting the window paint.
void BM_MonthSwitchNoPaint(benchmark::State& state) {
    const BenchSize size = SizeArg(state);
    const auto app = Use(size);
    MainWindow w(*app);
    w.start();
    const int months = ShapeOf(size).entryYears * 12;
    int i = 0;
    for (auto _ : state) {
        const int m = i % months;
        w.monthView()->showMonth(FirstYear(size) + m / 12, 1 + m % 12);
        ++i;
    }
    w.close();
}
BENCHMARK(BM_MonthSwitchNoPaint)->ArgName("load")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Milliseconds since the launch the script noted, or -1.
double SinceLaunchMs() {
    const QByteArray launch = qgetenv("BENCH_LAUNCH_US");
    bool ok = false;
    const qint64 us = launch.toLongLong(&ok);
    if (!ok)
        return -1;
    return double(QDateTime::currentMSecsSinceEpoch() * 1000 - us) / 1000.0;
}

// As main() runs, up to the first drawn month.
int Startup(int argc, char** argv, const QString& folder) {
    QElapsedTimer t;
    t.start();
    const auto context = Prepare(folder);
    QApplication app(argc, argv);
    SetUpApplication();
    SingleInstance guard(context->program().folder());
    if (guard.Claim() != SingleInstance::ClaimResult::Claimed)
        return 1;
    SetUpAppearance();
    MainWindow w(*context);
    if (!w.start())
        return 1;
    // The month is drawn once the window has painted itself.
    w.repaint();
    QCoreApplication::processEvents();
    const double fromMain = double(t.nsecsElapsed()) / 1e6;
    const double fromLaunch = SinceLaunchMs();
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("startup_ms=%.1f from_main_ms=%.1f peak_rss_mb=%.1f platform=%s\n",
                fromLaunch >= 0 ? fromLaunch : fromMain, fromMain, double(ru.ru_maxrss) / 1024.0,
                qPrintable(QGuiApplication::platformName()));
    w.close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QuietSizeHintWarnings();
    if (argc >= 3 && std::strcmp(argv[1], "--startup") == 0) {
        const QString folder = QString::fromLocal8Bit(argv[2]);
        const BenchSize size = argc >= 4 && std::strcmp(argv[3], "--load") == 0
                                   ? BenchSize::Load
                                   : BenchSize::Standard;
        QDir().mkpath(folder);
        if (!BuildDatabase(folder, size))
            return 1;
        return Startup(1, argv, folder);
    }
    QApplication app(argc, argv);
    SetUpAppearance();
    for (BenchSize size : {BenchSize::Standard, BenchSize::Load}) {
        auto& dir = g_folders[size == BenchSize::Load];
        dir = std::make_unique<QTemporaryDir>();
        if (!BuildDatabase(dir->path(), size)) {
            std::fprintf(stderr, "cannot build the %s database\n", SizeName(size));
            return 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
