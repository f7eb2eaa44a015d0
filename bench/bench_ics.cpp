// iCalendar files in and out of the standard database.
//
//   QT_QPA_PLATFORM=offscreen bench_ics [Google Benchmark options]
//
// Export: everything of the standard database (bench/BenchDatabase.h: 30 years of daily
// schedules and diaries, 1,000 anniversaries) and its holidays of the same 30 years, written
// to a file. Import: a file of 10,000 events as the common producers write them (a third
// timed in a zone with a VTIMEZONE, a third in UTC, a third all-day, one in ten repeating
// weekly) planned and written into an empty database.

#include "BenchDatabase.h"
#include "BenchMain.h"
#include "TestSupport.h"
#include "core/Program.h"
#include "exchange/IcsFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QDate kEnd(2024, 1, 1);
constexpr int kEvents = 10000;
std::unique_ptr<QTemporaryDir> g_standard;
std::unique_ptr<QTemporaryDir> g_work;

QString EmptyTemplate() {
    return QDir(g_work->path()).filePath(QStringLiteral("empty.pdb"));
}
QString EventsFile() {
    return QDir(g_work->path()).filePath(QStringLiteral("events.ics"));
}

QByteArray TenThousandEvents() {
    QByteArray ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n"
                     "BEGIN:VTIMEZONE\r\nTZID:Asia/Tokyo\r\nBEGIN:STANDARD\r\n"
                     "DTSTART:19700101T000000\r\nTZOFFSETFROM:+0900\r\nTZOFFSETTO:+0900\r\n"
                     "TZNAME:JST\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
    const QDate first(2023, 1, 1);
    for (int i = 0; i < kEvents; ++i) {
        const QDate d = first.addDays(i % 1000);
        const QByteArray day = d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        const QByteArray next = d.addDays(1).toString(QStringLiteral("yyyyMMdd")).toLatin1();
        const QByteArray time = QByteArray::number(1000000 + (8 + i % 12) * 10000).mid(1);
        ics += "BEGIN:VEVENT\r\nUID:bench-" + QByteArray::number(i) +
               "@example.com\r\nDTSTAMP:20240101T000000Z\r\n";
        switch (i % 3) {
        case 0:
            ics += "DTSTART;TZID=Asia/Tokyo:" + day + "T" + time + "\r\n";
            ics += "DTEND;TZID=Asia/Tokyo:" + day + "T" + time.left(2) + "3000\r\n";
            break;
        case 1:
            ics += "DTSTART:" + day + "T" + time + "Z\r\nDURATION:PT1H\r\n";
            break;
        default:
            ics += "DTSTART;VALUE=DATE:" + day + "\r\nDTEND;VALUE=DATE:" + next + "\r\n";
        }
        if (i % 10 == 0)
            ics += "RRULE:FREQ=WEEKLY;COUNT=4\r\n";
        ics += "SUMMARY:打ち合わせ " + QByteArray::number(i) + "\r\nEND:VEVENT\r\n";
    }
    return ics + "END:VCALENDAR\r\n";
}

void BM_ExportEverything(benchmark::State& state) {
    const Program program(g_standard->path());
    ExportChoice choice;
    choice.schedules = choice.diaries = choice.anniversaries = choice.holidays = true;
    choice.holidaysFrom = kEnd.year() - 30;
    choice.holidaysTo = kEnd.year() - 1;
    const QString path = QDir(g_work->path()).filePath(QStringLiteral("export.ics"));
    ExportCounts counts;
    for (auto _ : state) {
        QString error;
        if (!ExportCalendarFile(program, choice, path, &counts, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
    state.counters["items"] =
        double(counts.schedules + counts.diaries + counts.anniversaries + counts.holidays);
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_ExportEverything)->Unit(benchmark::kMillisecond);

void BM_Import10000Events(benchmark::State& state) {
    const QString folder = QDir(g_work->path()).filePath(QStringLiteral("import"));
    const QString db = QDir(folder).filePath(QStringLiteral("Vaskel.pdb"));
    QDir().mkpath(folder);
    ImportOptions options = DefaultImportOptions(QDate(2024, 1, 1));
    options.localZone = QTimeZone("Asia/Tokyo");
    int lines = 0;
    qsizetype notPlaced = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(db);
        QFile::copy(EmptyTemplate(), db);
        const Program program(folder);
        state.ResumeTiming();
        ImportFile file;
        QString error;
        if (!PlanImportFile(program, EventsFile(), options, file, &error) ||
            !ApplyImportFile(program, file, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        lines = file.plan.scheduleLines;
        notPlaced = file.plan.notPlaced.size();
        if (notPlaced)
            std::fprintf(stderr, "%s\n", qPrintable(file.plan.notPlaced.first()));
    }
    state.counters["lines"] = lines;
    state.counters["not placed"] = double(notPlaced);
}
BENCHMARK(BM_Import10000Events)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BenchSession session;
    g_standard = std::make_unique<QTemporaryDir>();
    g_work = std::make_unique<QTemporaryDir>();
    QFile events(EventsFile());
    if (!BuildBenchDatabase(QDir(g_standard->path()).filePath(QStringLiteral("Vaskel.pdb")),
                            BenchSize::Standard, kEnd, kEnd) ||
        !CreateTestDatabase(EmptyTemplate()) || !events.open(QIODevice::WriteOnly) ||
        events.write(TenThousandEvents()) < 0) {
        std::fprintf(stderr, "cannot prepare the benchmark's files\n");
        return 1;
    }
    events.close();
    return RunBenchmarks(argc, argv, session.msgs);
}
