// Holidays as the program computes them:
//   BM_HolidaysOfTheLaw   every holiday of 1948-2150 from the statutory table
//   BM_MonthGridMarks     the marks of one month's grid, statutory table (0) or the old one (1)

#include "BenchMain.h"
#include "holidays/HolidayRules.h"

#include <QCoreApplication>

namespace {

void BM_HolidaysOfTheLaw(benchmark::State& state) {
    const HolidayRules rules = DefaultHolidayRules();
    qsizetype count = 0;
    for (auto _ : state) {
        const HolidayCalendar calendar(rules, QDate(1948, 1, 1), QDate(2150, 12, 31));
        count = calendar.holidays().size();
        benchmark::DoNotOptimize(count);
    }
    state.counters["holidays"] = double(count);
}
BENCHMARK(BM_HolidaysOfTheLaw)->Unit(benchmark::kMillisecond);

void BM_MonthGridMarks(benchmark::State& state) {
    const HolidayRules rules =
        state.range(0) == 0 ? DefaultHolidayRules() : LegacyDefaultHolidayRules();
    int i = 0;
    for (auto _ : state) {
        const int m = i++ % 1200;
        benchmark::DoNotOptimize(MarkHolidays(rules, 1950 + m / 12, 1 + m % 12));
    }
}
BENCHMARK(BM_MonthGridMarks)->ArgName("legacy")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BenchSession session;
    return RunBenchmarks(argc, argv, session.msgs);
}
