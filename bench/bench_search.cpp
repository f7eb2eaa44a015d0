// The search for a word that every schedule and every diary entry contains: two result lines
// a day, read, listed, sorted and the window painted.
//
//   QT_QPA_PLATFORM=offscreen bench_search [Google Benchmark options]
//
// The databases (bench/BenchDatabase.h): argument load:0 is the standard one (30 years of
// daily schedules and diaries, 1,000 anniversaries), load:1 the load one (50 years, 10,000
// anniversaries).

#include "BenchDatabase.h"
#include "BenchMain.h"
#include "TestSupport.h"
#include "entries/SearchDialog.h"
#include "mainwindow/MainApplication.h"
#include "mainwindow/MainWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QDate kEnd(2024, 1, 1);
std::unique_ptr<QTemporaryDir> g_folders[2];

void BM_Search(benchmark::State& state) {
    const Program program(g_folders[state.range(0) != 0]->path());
    SearchDialog w(program);
    w.show();
    QCoreApplication::processEvents();
    Child<QLineEdit>(w, "txtSearchString")->setText(kCommonWord);
    for (auto _ : state) {
        w.search();
        // The list laid out and painted.
        QCoreApplication::processEvents();
    }
    state.counters["lines"] = double(Child<QListWidget>(w, "lstSearch")->count());
}
BENCHMARK(BM_Search)->ArgName("load")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QuietSizeHintWarnings();
    QApplication app(argc, argv);
    SetUpAppearance();
    BenchSession session;
    for (BenchSize size : {BenchSize::Standard, BenchSize::Load}) {
        auto& dir = g_folders[size == BenchSize::Load];
        dir = std::make_unique<QTemporaryDir>();
        if (!BuildBenchDatabase(QDir(dir->path()).filePath(QStringLiteral("Vaskel.pdb")), size,
                                kEnd, kEnd)) {
            std::fprintf(stderr, "cannot build the %s database\n", SizeName(size));
            return 1;
        }
    }
    return RunBenchmarks(argc, argv, session.msgs);
}
