#include "statistics/Statistics.h"

#include "core/Database.h"
#include "core/DateFormat.h"
#include "worktime/RunningTime.h"
#include "worktime/WorkChart.h"

#include <deque>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kSlashDate = QStringLiteral("yyyy/MM/dd");

QString Times(qint64 n) {
    return QString::number(n) + QStringLiteral(" 回");
}

// The fixed texts of the two entry tabs.
struct EntryTexts {
    const char* table;
    const char16_t* empty;
    const char16_t* firstBefore;
    const char16_t* firstAfter;
    const char16_t* lastBefore;
    const char16_t* lastAfter;
};

const EntryTexts& TextsOf(EntryTable table) {
    static const EntryTexts schedule = {
        "T_Schedule",   u"統計対象となるスケジュールが一件も登録されていません。",
        u"一番過去 （", u"） のスケジュールから",
        u"一番未来 （", u"） のスケジュールの間で算出しています。"};
    static const EntryTexts diary = {"T_Diary",
                                     u"統計対象となる日記が一度も記入されていません。",
                                     u"一番過去の日記記入日 （",
                                     u"） から",
                                     u"一番最近の日記記入日 （",
                                     u"） の間で算出しています。"};
    return table == EntryTable::Schedule ? schedule : diary;
}

} // namespace

// ---------------------------------------------------------------- texts

QString RateText(qint64 num, qint64 den) {
    if (den <= 0 || num < 0)
        return QString::fromUtf16(kNoRate);
    const qint64 tenths = (2 * num * 1000 + den) / (2 * den);
    return QString::number(tenths / 10) + QLatin1Char('.') + QString::number(tenths % 10) +
           QStringLiteral(" %");
}

PeriodLength LengthBetween(const QDate& f, const QDate& t) {
    PeriodLength out;
    if (!f.isValid() || !t.isValid() || t < f)
        return out;
    const bool dayBefore = t.day() < f.day();
    out.years = t.year() - f.year();
    if (t.month() < f.month() || (t.month() == f.month() && dayBefore))
        --out.years;
    out.months = ((t.year() * 12 + t.month()) - (f.year() * 12 + f.month())) % 12;
    if (dayBefore)
        --out.months;
    if (out.months < 0)
        out.months += 12;
    if (!dayBefore) {
        out.days = t.day() - f.day();
    } else {
        // Counted from F's day in the month before T's; a day that month lacks (the 31st
        // before March) is its last day, so the count is never negative.
        const QDate prev = QDate(t.year(), t.month(), 1).addMonths(-1);
        const QDate from(prev.year(), prev.month(), std::min(f.day(), prev.daysInMonth()));
        out.days = int(from.daysTo(t));
    }
    return out;
}

QString PeriodLengthText(const QDate& f, const QDate& t) {
    const PeriodLength l = LengthBetween(f, t);
    return QStringLiteral("（　%1年 %2ヶ月 %3日 間で算出　）")
        .arg(l.years)
        .arg(l.months)
        .arg(l.days);
}

int WeekdayCount(const QDate& f, const QDate& t, int w) {
    if (!f.isValid() || !t.isValid() || t < f || w < 0 || w > 6)
        return 0;
    const qint64 days = f.daysTo(t) + 1;
    const int offset = (w - f.dayOfWeek() % 7 + 7) % 7; // days from f to its first weekday w
    return int(days / 7 + (offset < days % 7 ? 1 : 0));
}

QString HoursMinutesText(qint64 minutes) {
    return QString::number(minutes / 60) + QStringLiteral("時間") +
           QString::number(minutes % 60).rightJustified(2, QLatin1Char('0')) + QStringLiteral("分");
}

// ---------------------------------------------------------------- schedules and diaries

EntryStats::EntryStats(EntryTable table)
    : average(QString::fromUtf16(kNoRate)), betweenInfo(QString::fromUtf16(TextsOf(table).empty)) {
    weekdayCount.fill(QString::fromUtf16(kNoCount));
    weekdayAverage.fill(QString::fromUtf16(kNoRate));
    bestYM.fill(QString::fromUtf16(kNoMonth));
    bestCnt.fill(QString::fromUtf16(kNoCount));
    bestAverage.fill(QString::fromUtf16(kNoRate));
}

bool ComputeEntryStats(Connection& db, EntryTable table, EntryStats& out) {
    const EntryTexts& texts = TextsOf(table);
    const QString from = QStringLiteral(" FROM ") + QLatin1String(texts.table);

    // The whole period. Both tables hold one row per date, so rows count days.
    Recordset rs;
    if (!rs.open(db, QStringLiteral("SELECT min([Date]) AS FROM_DATE, max([Date]) AS TO_DATE, "
                                    "count(*) AS CNT") +
                         from))
        return false;
    const QDate f = rs.date("FROM_DATE");
    const QDate t = rs.date("TO_DATE");
    const qint64 n = rs.integer("CNT");
    rs.close();
    if (n <= 0 || !f.isValid() || !t.isValid())
        return true;
    out.average = RateText(n, f.daysTo(t) + 1);
    out.betweenInfo = QString::fromUtf16(texts.firstBefore) + f.toString(kSlashDate) +
                      QString::fromUtf16(texts.firstAfter) + kCrLf +
                      QString::fromUtf16(texts.lastBefore) + t.toString(kSlashDate) +
                      QString::fromUtf16(texts.lastAfter);
    out.between = PeriodLengthText(f, t);

    // Weekdays: 1 Sunday ... 7 Saturday.
    if (!rs.open(db, QStringLiteral("SELECT CAST(strftime('%w', [Date]) AS INTEGER) + 1 AS YOBI, "
                                    "count(*) AS CNT") +
                         from + QStringLiteral(" GROUP BY YOBI")))
        return false;
    const int cWeekday = rs.column("YOBI");
    const int cCnt = rs.column("CNT");
    while (!rs.eof()) {
        const int i = int(rs.integer(cWeekday)) - 1;
        if (i >= 0 && i < 7) {
            const qint64 cnt = rs.integer(cCnt);
            out.weekdayCount[size_t(i)] = Times(cnt);
            out.weekdayAverage[size_t(i)] = RateText(cnt, WeekdayCount(f, t, i));
        }
        if (!rs.moveNext())
            return false;
    }
    rs.close();

    // The ten best months: more entries first, then the shorter month (the higher rate), then
    // the later month.
    // The days of the month follow from the month, so they are worked out once per group.
    if (!rs.open(db,
                 QStringLiteral("SELECT strftime('%Y/%m', [Date]) AS YM, count(*) AS CNT, "
                                "CAST(julianday(min([Date]), 'start of month', '+1 month') - "
                                "julianday(min([Date]), 'start of month') AS INTEGER) AS DAYCNT") +
                     from +
                     QStringLiteral(" WHERE YM IS NOT NULL GROUP BY YM "
                                    "ORDER BY CNT DESC, DAYCNT ASC, YM DESC LIMIT 10")))
        return false;
    const int cYm = rs.column("YM");
    const int cMonthCnt = rs.column("CNT");
    for (size_t i = 0; i < 10 && !rs.eof(); ++i) {
        const QString ym = rs.text(cYm);
        const qint64 cnt = rs.integer(cMonthCnt);
        out.bestYM[i] = ym.left(4) + QStringLiteral("年") + ym.mid(5) + QStringLiteral("月");
        out.bestCnt[i] = Times(cnt);
        const QDate first(ym.left(4).toInt(), ym.mid(5).toInt(), 1);
        out.bestAverage[i] = RateText(cnt, first.daysInMonth());
        if (!rs.moveNext())
            return false;
    }
    return true;
}

// ---------------------------------------------------------------- running time

void BestDays::offer(const QDate& day, qint64 minutes) {
    // The first slot the day's total reaches; an equal total goes above, so the later day
    // ranks higher. The tenth drops out.
    size_t j = 0;
    while (j < m_slots.size() && m_slots[j].day.isValid() && minutes < m_slots[j].minutes)
        ++j;
    if (j == m_slots.size())
        return;
    for (size_t k = m_slots.size() - 1; k > j; --k)
        m_slots[k] = m_slots[k - 1];
    m_slots[j] = BestDay{day, minutes};
}

WorkTimeStats::WorkTimeStats() : average(QString::fromUtf16(kNoRate)) {
    weekdayWorkTime.fill(QString::fromUtf16(kNoTime));
    weekdayAverage.fill(QString::fromUtf16(kNoRate));
    bestYMD.fill(QString::fromUtf16(kNoDay));
    bestWorkTime.fill(QString::fromUtf16(kNoTime));
    bestAverage.fill(QString::fromUtf16(kNoRate));
}

namespace {

// Adds up the log's running time per weekday and ranks the days by their totals.
bool ReadDayTotals(Connection& db, const QDate& f, const QDate& t, WorkTimeStats& out) {
    // The log is read once, by start. A day's total is complete once a period starts on a
    // later day, so only the days of the periods still running are held (from `base` on) and
    // each day enters the ranking once, in date order.
    BestDays ranking;
    std::deque<qint64> pending;
    QDate base;
    auto settleBefore = [&](const QDate& d) {
        while (!pending.empty() && (!d.isValid() || base < d)) {
            if (pending.front() > 0)
                ranking.offer(base, pending.front());
            pending.pop_front();
            base = base.addDays(1);
        }
        if (pending.empty())
            base = d;
    };
    const bool read = ReadPeriods(db, f, t, [&](const QDateTime& s, const QDateTime& e) {
        settleBefore(s.date());
        for (const DayShare& share : SplitIntoDays(s, e, s.date(), e.date())) {
            // Each share counts for its own day's weekday.
            out.weekdayMinutes[size_t(share.day.dayOfWeek() % 7)] += share.minutes();
            const size_t k = size_t(base.daysTo(share.day));
            if (k >= pending.size())
                pending.resize(k + 1, 0);
            pending[k] += share.minutes();
        }
    });
    if (!read)
        return false;
    settleBefore(QDate());
    out.best = ranking.days();
    return true;
}

// The texts of the weekday table, the overall rate and the ranking, from the totals.
void FillWorkTimeTexts(const QDate& f, const QDate& t, WorkTimeStats& out) {
    qint64 total = 0;
    for (size_t i = 0; i < 7; ++i) {
        const qint64 m = out.weekdayMinutes[i];
        const int w = WeekdayCount(f, t, int(i));
        if (m < 1 || w < 1)
            continue;
        out.weekdayWorkTime[i] = HoursMinutesText(AverageMinutes(m, w));
        out.weekdayAverage[i] = RateText(m, qint64(w) * kMinutesPerDay);
        total += m;
    }
    if (total > 0)
        out.average = RateText(total, (f.daysTo(t) + 1) * kMinutesPerDay);

    for (size_t i = 0; i < out.best.size(); ++i) {
        const BestDay& b = out.best[i];
        if (!b.day.isValid())
            continue;
        out.bestYMD[i] = FormatDate(b.day, QStringLiteral("yyyy年mm月dd日（aaa）"));
        out.bestWorkTime[i] = HoursMinutesText(b.minutes);
        out.bestAverage[i] = RateText(b.minutes, kMinutesPerDay);
    }
}

} // namespace

bool ComputeWorkTimeStats(Connection& db, WorkTimeStats& out) {
    Recordset rs;
    // Each bound on its own is one index lookup; counting the rows would read the whole log
    // once more. An empty log has neither.
    if (!rs.open(db, QStringLiteral("SELECT (SELECT min(StartTime) FROM T_WorkTime) AS FROM_DATE, "
                                    "(SELECT max(EndTime) FROM T_WorkTime) AS TO_DATE")))
        return false;
    const QDate f = rs.dateTime("FROM_DATE").date();
    const QDate t = rs.dateTime("TO_DATE").date();
    rs.close();
    if (!f.isValid() || !t.isValid())
        return true;
    // The latest end is today while the program runs.
    out.betweenInfo = QStringLiteral("一番最初の稼動日 （") + f.toString(kSlashDate) +
                      QStringLiteral("） から") + kCrLf + QStringLiteral("本日 （") +
                      t.toString(kSlashDate) + QStringLiteral("） の間で算出しています。");
    out.between = PeriodLengthText(f, t);
    if (!ReadDayTotals(db, f, t, out))
        return false;
    FillWorkTimeTexts(f, t, out);
    return true;
}
