// Splitting running periods into days, the week and month totals, the averages and texts, and
// the month cells' holiday colours.

#include "core/Colors.h"
#include "holidays/HolidayRules.h"
#include "worktime/WorkChart.h"

#include <QtTest>

namespace {
QDateTime T(const char* s) {
    return QDateTime::fromString(QString::fromLatin1(s), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
using Period = std::pair<QDateTime, QDateTime>;
using Periods = QList<Period>;
using CellMinutes = QMap<int, int>; // cell -> minutes
} // namespace

class tst_workChart : public QObject {
    Q_OBJECT
private slots:
    void splitIntoDays_data();
    void splitIntoDays();
    void weekColumns_data();
    void weekColumns();
    void texts_data();
    void texts();
    void averages_data();
    void averages();
    void monthCells_data();
    void monthCells();
    void monthColours_data();
    void monthColours();
};

void tst_workChart::splitIntoDays_data() {
    QTest::addColumn<QDateTime>("s");
    QTest::addColumn<QDateTime>("e");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QStringList>("shares"); // "MM-dd begin-end minutes"
    const QDate from(2004, 9, 1), to(2004, 9, 30);
    QTest::newRow("within one minute") << T("2004-09-06 10:00:10") << T("2004-09-06 10:00:50")
                                       << from << to << QStringList{"09-06 600-600 1"};
    QTest::newRow("an hour counts 61") << T("2004-09-06 10:00:00") << T("2004-09-06 11:00:00")
                                       << from << to << QStringList{"09-06 600-660 61"};
    QTest::newRow("across midnight") << T("2004-09-06 23:30:00") << T("2004-09-07 01:15:00") << from
                                     << to << QStringList{"09-06 1410-1439 30", "09-07 0-75 76"};
    QTest::newRow("from the previous month") << T("2004-08-31 23:00:00") << T("2004-09-01 02:00:00")
                                             << from << to << QStringList{"09-01 0-120 121"};
    QTest::newRow("a year long, clipped to three days")
        << T("2004-01-01 00:00:00") << T("2004-12-31 12:00:00") << QDate(2004, 9, 5)
        << QDate(2004, 9, 7)
        << QStringList{"09-05 0-1439 1440", "09-06 0-1439 1440", "09-07 0-1439 1440"};
    QTest::newRow("end before start")
        << T("2004-09-06 11:00:00") << T("2004-09-06 10:00:00") << from << to << QStringList{};
}

void tst_workChart::splitIntoDays() {
    QFETCH(QDateTime, s);
    QFETCH(QDateTime, e);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QStringList, shares);
    QStringList got;
    for (const DayShare& d : SplitIntoDays(s, e, first, last))
        got << QStringLiteral("%1 %2-%3 %4")
                   .arg(d.day.toString(QStringLiteral("MM-dd")))
                   .arg(d.begin)
                   .arg(d.end)
                   .arg(d.minutes());
    QCOMPARE(got, shares);
}

void tst_workChart::weekColumns_data() {
    QTest::addColumn<QDate>("sunday");
    QTest::addColumn<Periods>("periods");
    QTest::addColumn<QStringList>("tips");
    QTest::addColumn<QList<int>>("totals");
    const QDate w(2004, 9, 5);
    QTest::newRow("Monday night into Tuesday")
        << w << Periods{{T("2004-09-06 23:30:00"), T("2004-09-07 01:15:00")}}
        << QStringList{"", "23:30～23:59", "00:00～01:15", "", "", "", ""}
        << QList<int>{0, 30, 76, 0, 0, 0, 0};
    QTest::newRow("two periods on one day")
        << w
        << Periods{{T("2004-09-08 09:00:00"), T("2004-09-08 12:00:00")},
                   {T("2004-09-08 13:00:00"), T("2004-09-08 18:00:00")}}
        << QStringList{"", "", "", "09:00～12:00, 13:00～18:00", "", "", ""}
        << QList<int>{0, 0, 0, 482, 0, 0, 0};
    const Period weekend{T("2004-09-10 22:00:00"), T("2004-09-13 02:00:00")};
    QTest::newRow("Friday to Monday, first week")
        << w << Periods{weekend} << QStringList{"", "", "", "", "", "22:00～23:59", "00:00～23:59"}
        << QList<int>{0, 0, 0, 0, 0, 120, 1440};
    QTest::newRow("Friday to Monday, second week")
        << w.addDays(7) << Periods{weekend}
        << QStringList{"00:00～23:59", "00:00～02:00", "", "", "", "", ""}
        << QList<int>{1440, 121, 0, 0, 0, 0, 0};
    QTest::newRow("begun on the previous Saturday")
        << w << Periods{{T("2004-09-04 20:00:00"), T("2004-09-05 01:00:00")}}
        << QStringList{"00:00～01:00", "", "", "", "", "", ""} << QList<int>{61, 0, 0, 0, 0, 0, 0};
    const QString full = QStringLiteral("00:00～23:59");
    QTest::newRow("longer than the week on both sides")
        << w << Periods{{T("2004-09-01 08:00:00"), T("2004-09-20 08:00:00")}}
        << QStringList(7, full) << QList<int>(7, 1440);
    QTest::newRow("overlapping periods keep their separators")
        << w
        << Periods{{T("2004-09-06 20:00:00"), T("2004-09-07 03:00:00")},
                   {T("2004-09-07 01:00:00"), T("2004-09-07 02:00:00")}}
        << QStringList{"", "20:00～23:59", "00:00～03:00, 01:00～02:00", "", "", "", ""}
        << QList<int>{0, 240, 181 + 61, 0, 0, 0, 0};
}

void tst_workChart::weekColumns() {
    QFETCH(QDate, sunday);
    QFETCH(Periods, periods);
    QFETCH(QStringList, tips);
    QFETCH(QList<int>, totals);
    WeekChart chart(sunday);
    for (const Period& p : periods)
        chart.add(p.first, p.second);
    QStringList gotTips;
    QList<int> gotTotals;
    for (const WeekColumn& c : chart.columns) {
        gotTips << c.tip;
        gotTotals << c.total;
        int sum = 0;
        for (const DayShare& b : c.bars)
            sum += b.minutes();
        QCOMPARE(sum, c.total); // every counted minute is drawn
    }
    QCOMPARE(gotTips, tips);
    QCOMPARE(gotTotals, totals);
}

void tst_workChart::texts_data() {
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("dayTotal");
    QTest::addColumn<QString>("monthTip");
    QTest::newRow("1") << 1 << "------\r\n1分"
                       << "1分";
    QTest::newRow("45") << 45 << "------\r\n45分"
                        << "45分";
    QTest::newRow("60") << 60 << "1時間\r\n0分"
                        << "1時間0分";
    QTest::newRow("120") << 120 << "2時間\r\n0分"
                         << "2時間0分";
    QTest::newRow("125") << 125 << "2時間\r\n5分"
                         << "2時間5分";
    QTest::newRow("482") << 482 << "8時間\r\n2分"
                         << "8時間2分";
    QTest::newRow("1440") << 1440 << "24時間\r\n0分"
                          << "24時間0分";
    QCOMPARE(DayTotalText(0), QStringLiteral("------\r\n----"));
}

void tst_workChart::texts() {
    QFETCH(int, minutes);
    QFETCH(QString, dayTotal);
    QFETCH(QString, monthTip);
    QCOMPARE(DayTotalText(minutes), dayTotal);
    QCOMPARE(MonthTipText(minutes), monthTip);
}

void tst_workChart::averages_data() {
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("text");
    QTest::newRow("3h30 over a week") << qint64(210) << 7 << "平均稼働時間　00時間 30分";
    QTest::newRow("3 minutes over a week") << qint64(3) << 7 << "平均稼働時間　--時間 --分";
    QTest::newRow("4 minutes over a week") << qint64(4) << 7 << "平均稼働時間　00時間 01分";
    QTest::newRow("half rounds to even 0") << qint64(15) << 30 << "平均稼働時間　--時間 --分";
    QTest::newRow("half rounds to even 2") << qint64(45) << 30 << "平均稼働時間　00時間 02分";
    QTest::newRow("2.5 rounds to even 2") << qint64(75) << 30 << "平均稼働時間　00時間 02分";
    QTest::newRow("full days") << qint64(1440 * 31) << 31 << "平均稼働時間　24時間 00分";
    QTest::newRow("5h24 a day") << qint64(2269) << 7 << "平均稼働時間　05時間 24分";
}

void tst_workChart::averages() {
    QFETCH(qint64, total);
    QFETCH(int, days);
    QFETCH(QString, text);
    QCOMPARE(AverageText(AverageMinutes(total, days)), text);
}

void tst_workChart::monthCells_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<Periods>("periods");
    QTest::addColumn<CellMinutes>("cells"); // cell -> minutes; the others are 0
    QTest::addColumn<int>("average");
    // August 2004 begins on a Sunday: the 1st is cell 0.
    QTest::newRow("1st on a Sunday")
        << 2004 << 8 << Periods{{T("2004-08-01 10:00:00"), T("2004-08-01 10:59:00")}}
        << CellMinutes{{0, 60}} << 2;
    // September 2004 begins on a Wednesday: the 1st is cell 3.
    QTest::newRow("from the last day of the previous month")
        << 2004 << 9 << Periods{{T("2004-08-31 23:00:00"), T("2004-09-01 02:00:00")}}
        << CellMinutes{{3, 121}} << 4;
    QTest::newRow("into the next month")
        << 2004 << 9 << Periods{{T("2004-09-30 23:00:00"), T("2004-10-01 02:00:00")}}
        << CellMinutes{{32, 60}} << 2;
    CellMinutes all;
    for (int c = 3; c < 33; ++c)
        all.insert(c, 1440);
    QTest::newRow("longer than the month on both sides")
        << 2004 << 9 << Periods{{T("2004-08-20 00:00:00"), T("2004-10-10 00:00:00")}} << all
        << 1440;
    QTest::newRow("overlapping periods add up")
        << 2004 << 9
        << Periods{{T("2004-09-06 09:00:00"), T("2004-09-06 12:00:00")},
                   {T("2004-09-06 11:00:00"), T("2004-09-06 11:59:00")}}
        << CellMinutes{{8, 241}} << 8;
}

void tst_workChart::monthCells() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(Periods, periods);
    QFETCH(CellMinutes, cells);
    QFETCH(int, average);
    MonthChart chart(year, month);
    for (const Period& p : periods)
        chart.add(p.first, p.second);
    for (int c = 0; c < 42; ++c)
        QCOMPARE(chart.minutes[size_t(c)], cells.value(c, 0));
    QCOMPARE(chart.average(), average);
}

void tst_workChart::monthColours_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<HolidayRules>("rules");
    QTest::addColumn<QList<int>>("red"); // the red cells besides the Sunday column
    auto date = [](int kind, int m, int d) {
        HolidayRule r;
        r.kind = kind;
        r.month = m;
        r.day = d;
        return r;
    };
    auto nth = [](int m, int week, int weekday) {
        HolidayRule r;
        r.kind = kHolidayNthWeekday;
        r.month = m;
        r.week = week;
        r.weekday = weekday;
        return r;
    };
    // September 2004: the 1st is a Wednesday (cell 3), the 5th a Sunday (cell 7).
    QTest::newRow("no rules") << 2004 << 9 << HolidayRules{} << QList<int>{};
    QTest::newRow("kind 0 on a Sunday gives the Monday")
        << 2004 << 9 << HolidayRules{date(kHolidayNormal, 9, 5)} << QList<int>{8};
    QTest::newRow("kind 1 on a Sunday gives nothing")
        << 2004 << 9 << HolidayRules{date(kHolidayFixed, 9, 5)} << QList<int>{};
    QTest::newRow("a weekday holiday")
        << 2004 << 9 << HolidayRules{date(kHolidayFixed, 9, 23)} << QList<int>{25};
    QTest::newRow("a neighbouring day stays grey")
        << 2004 << 9 << HolidayRules{date(kHolidayFixed, 8, 30), date(kHolidayFixed, 10, 1)}
        << QList<int>{};
    // August 2004 ends on Tuesday 31st; its grid's last row starts on Sunday 5 September.
    QTest::newRow("a neighbouring Sunday's substitute stays grey")
        << 2004 << 8 << HolidayRules{date(kHolidayNormal, 9, 5)} << QList<int>{};
    // November 2004: the 1st is a Monday; the grid starts on Sunday 31 October.
    QTest::newRow("a neighbouring Sunday gives a substitute inside the month")
        << 2004 << 11 << HolidayRules{date(kHolidayNormal, 10, 31)} << QList<int>{1};
    QTest::newRow("second Monday, not the grid's first")
        << 2004 << 9 << HolidayRules{nth(9, 2, 1)} << QList<int>{15};
    QTest::newRow("third Monday") << 2004 << 9 << HolidayRules{nth(9, 3, 1)} << QList<int>{22};
    // Rules out of their ranges are ignored here as in the month grid.
    QTest::newRow("week 0") << 2004 << 9 << HolidayRules{nth(9, 0, 4)} << QList<int>{};
    QTest::newRow("week -1") << 2004 << 9 << HolidayRules{nth(9, -1, 4)} << QList<int>{};
    QTest::newRow("kind 7 with a date")
        << 2004 << 9 << HolidayRules{date(7, 9, 23)} << QList<int>{};
    QTest::newRow("a fifth Monday that does not exist")
        << 2004 << 9 << HolidayRules{nth(9, 5, 1)} << QList<int>{};
    QTest::newRow("another month's nth rule")
        << 2004 << 9 << HolidayRules{nth(10, 2, 1)} << QList<int>{};
}

void tst_workChart::monthColours() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(HolidayRules, rules);
    QFETCH(QList<int>, red);
    MonthChart chart(year, month);
    chart.colour(rules);
    for (int c = 0; c < 42; ++c) {
        QColor expected = kWhite;
        if (!chart.inMonth(c))
            expected = kOtherMonthGrey;
        else if (c % 7 == 0 || red.contains(c))
            expected = kHolidayRed;
        else if (c % 7 == 6)
            expected = kSaturdayBlue;
        QVERIFY2(chart.back[size_t(c)] == expected, qPrintable(QStringLiteral("cell %1").arg(c)));
    }
}

QTEST_GUILESS_MAIN(tst_workChart)
#include "tst_workChart.moc"
