#include "worktime/WorkChart.h"

#include "core/Colors.h"
#include "core/Dates.h"

#include <algorithm>

namespace {
QString Two(int n) {
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}
QString HourMinute(int index) {
    return Two(index / 60) + QLatin1Char(':') + Two(index % 60);
}
} // namespace

int MinuteIndex(const QTime& t) {
    return t.hour() * 60 + t.minute();
}

std::vector<DayShare> SplitIntoDays(const QDateTime& s, const QDateTime& e, const QDate& first,
                                    const QDate& last) {
    std::vector<DayShare> out;
    if (!s.isValid() || !e.isValid() || e < s)
        return out;
    const QDate sd = s.date();
    const QDate ed = e.date();
    // Only the days shown are walked, however long the period is.
    const QDate from = std::max(sd, first);
    const QDate to = std::min(ed, last);
    for (QDate d = from; d <= to; d = d.addDays(1)) {
        DayShare share;
        share.day = d;
        share.begin = d == sd ? MinuteIndex(s.time()) : 0;
        share.end = d == ed ? MinuteIndex(e.time()) : kLastMinute;
        out.push_back(share);
    }
    return out;
}

int AverageMinutes(qint64 total, int days) {
    if (days <= 0)
        return 0;
    qint64 q = total / days;
    const qint64 r2 = 2 * (total % days);
    if (r2 > days || (r2 == days && (q % 2) != 0))
        ++q;
    return int(q);
}

QString AverageText(int minutes) {
    if (minutes == 0)
        return QStringLiteral("平均稼働時間　--時間 --分");
    return QStringLiteral("平均稼働時間　") + Two(minutes / 60) + QStringLiteral("時間 ") +
           Two(minutes % 60) + QStringLiteral("分");
}

QString DayTotalText(int minutes) {
    const int hours = minutes / 60;
    const QString first =
        hours == 0 ? QStringLiteral("------") : QString::number(hours) + QStringLiteral("時間");
    const QString second = minutes == 0 ? QStringLiteral("----")
                                        : QString::number(minutes % 60) + QStringLiteral("分");
    return first + QStringLiteral("\r\n") + second;
}

QString MonthTipText(int minutes) {
    QString out;
    if (minutes >= 60)
        out = QString::number(minutes / 60) + QStringLiteral("時間");
    return out + QString::number(minutes % 60) + QStringLiteral("分");
}

QString WeekTipText(int begin, int end) {
    return HourMinute(begin) + QStringLiteral("～") + HourMinute(end);
}

// ---------------------------------------------------------------- week

void WeekChart::add(const QDateTime& s, const QDateTime& e) {
    for (const DayShare& share : SplitIntoDays(s, e, sunday, sunday.addDays(6))) {
        WeekColumn& col = columns[size_t(sunday.daysTo(share.day))];
        // Entries are separated also on a day that a period runs into, so that overlapping
        // periods stay readable.
        if (!col.tip.isEmpty())
            col.tip += QStringLiteral(", ");
        col.tip += WeekTipText(share.begin, share.end);
        col.total += share.minutes();
        col.bars.push_back(share);
    }
}

int WeekChart::average() const {
    qint64 sum = 0;
    for (const WeekColumn& c : columns)
        sum += c.total;
    // Every day of the week counts, with or without running time.
    return AverageMinutes(sum, 7);
}

// ---------------------------------------------------------------- month

MonthChart::MonthChart(int y, int m)
    : year(y), month(m), gridStart(GridStart(y, m)), first(y, m, 1),
      last(LastDayOfMonth(qint16(y), qint16(m))) {
    back.fill(kWhite);
}

bool MonthChart::inMonth(int cell) const {
    const QDate d = date(cell);
    return d.year() == year && d.month() == month;
}

void MonthChart::colour(const HolidayRules& rules) {
    const HolidayMarks holidays = MarkHolidays(rules, year, month);
    for (int c = 0; c < 42; ++c) {
        QColor& b = back[size_t(c)];
        // Days of the neighbouring months never change colour.
        if (!inMonth(c))
            b = kOtherMonthGrey;
        else if (holidays[size_t(c)].holiday || c % 7 == 0)
            b = kHolidayRed;
        else if (c % 7 == 6)
            b = kSaturdayBlue;
        else
            b = kWhite;
    }
}

void MonthChart::add(const QDateTime& s, const QDateTime& e) {
    for (const DayShare& share : SplitIntoDays(s, e, first, last))
        minutes[size_t(gridStart.daysTo(share.day))] += share.minutes();
}

qint64 MonthChart::total() const {
    qint64 sum = 0;
    for (int m : minutes)
        sum += m;
    return sum;
}

int MonthChart::average() const {
    // Every day of the month counts, also those still to come.
    return AverageMinutes(total(), last.day());
}
