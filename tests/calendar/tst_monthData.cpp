// Holiday rules and the month's data as they fill the 42 cells.

#include "TestSupport.h"
#include "calendar/MonthData.h"
#include "core/Colors.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/Dates.h"

#include <QtTest>

namespace {

// The cell of a date in the grid of year/month.
int Cell(int year, int month, const QDate& d) {
    return int(GridStart(year, month).daysTo(d));
}

} // namespace

class tst_monthData : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void substituteMondayAfterASundayHoliday();
    void substituteFromThePreviousMonthsSunday();
    void fixedHolidayHasNoSubstitute();
    void firstMatchingDateRuleWins();
    void nthWeekdayCountsOnlyTheDisplayedMonth();
    void nthWeekdayBeforeAnniversaryText();
    void laterNthWeekdayRuleStandsFirst();
    void nthWeekdayEdgeRules_data();
    void nthWeekdayEdgeRules();
    void weekendColours();
    void monthStartingOnASunday();
    void schedulesAndDiariesAlsoOnNeighbouringDays();
    void diaryColourOnlyWhereTheBackgroundIsPlain();
    void anniversariesInEntryOrder();
    void failingQueryReportsAndKeepsCells();
    void selectionCarriesAndClicksSelect();
    void holidayMarksWithoutReading();
    void lawWhereRulesMeet_data();
    void lawWhereRulesMeet();

private:
    bool load(int year, int month) {
        cells = MonthCells();
        Db db = OpenDB(env->program());
        if (!db)
            return false;
        const bool ok = LoadMonthCells(*db, cells, year, month, ColorFromBgr(0xC0E0FF));
        CloseDB(*db);
        return ok;
    }
    const GridCell& at(int year, int month, const QDate& d) const {
        return cells[size_t(Cell(year, month, d))];
    }
    void rules(const QString& values) {
        env->exec(QStringLiteral("DELETE FROM T_Holiday"));
        QVERIFY(
            env->exec(QStringLiteral("INSERT INTO T_Holiday (Kind, Month, Day, Week, Yobi, Name) "
                                     "VALUES ") +
                      values));
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    MonthCells cells;
};

void tst_monthData::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
}

void tst_monthData::cleanup() {
    msgs.reset();
    env.reset();
}

void tst_monthData::substituteMondayAfterASundayHoliday() {
    // 3 May 2026 is a Sunday: Monday the 4th is a substitute and also a holiday of its own.
    QVERIFY(load(2026, 5));
    QCOMPARE(at(2026, 5, QDate(2026, 5, 3)).dayCaption, QStringLiteral(" 3［憲法記念日］"));
    QCOMPARE(at(2026, 5, QDate(2026, 5, 4)).dayCaption,
             QStringLiteral(" 4[振替休日]［みどりの日］"));
    QCOMPARE(at(2026, 5, QDate(2026, 5, 4)).dayLook, (CellLook{true, kHolidayRed}));
    // A substitute never moves on to Tuesday.
    QCOMPARE(at(2026, 5, QDate(2026, 5, 5)).dayCaption, QStringLiteral(" 5［こどもの日］"));
    QCOMPARE(at(2026, 5, QDate(2026, 5, 6)).dayCaption, QStringLiteral(" 6"));
    QCOMPARE(at(2026, 5, QDate(2026, 5, 6)).dayLook, (CellLook{false, kWhite}));
}

void tst_monthData::substituteFromThePreviousMonthsSunday() {
    // The grid of May 2029 starts on Sunday 29 April, a holiday; the substitute is 30 April.
    QCOMPARE(GridStart(2029, 5), QDate(2029, 4, 29));
    QVERIFY(load(2029, 5));
    QCOMPARE(cells[0].dayCaption, QStringLiteral("29［昭和の日］"));
    QCOMPARE(cells[1].dayCaption, QStringLiteral("30[振替休日]"));
    QCOMPARE(cells[1].dayLook, (CellLook{true, kHolidayRed}));
}

void tst_monthData::fixedHolidayHasNoSubstitute() {
    rules(QStringLiteral("(1, 5, 3, NULL, NULL, '固定')"));
    QVERIFY(load(2026, 5));
    QCOMPARE(at(2026, 5, QDate(2026, 5, 3)).dayCaption, QStringLiteral(" 3［固定］"));
    QCOMPARE(at(2026, 5, QDate(2026, 5, 4)).dayCaption, QStringLiteral(" 4"));
    QCOMPARE(at(2026, 5, QDate(2026, 5, 4)).dayLook, (CellLook{false, kWhite}));
}

void tst_monthData::firstMatchingDateRuleWins() {
    rules(QStringLiteral("(0, 3, 20, NULL, NULL, '最初'), (0, 3, 20, NULL, NULL, '二番目'), "
                         "(2, 3, NULL, 1, 0, 'ＨＭ'), (0, 3, NULL, NULL, NULL, '日なし')"));
    QVERIFY(load(2026, 3));
    QCOMPARE(at(2026, 3, QDate(2026, 3, 20)).dayCaption, QStringLiteral("20［最初］"));
    // A rule with a Null day matches no date.
    for (const GridCell& c : cells)
        QVERIFY(!c.dayCaption.contains(QStringLiteral("日なし")));
}

void tst_monthData::nthWeekdayCountsOnlyTheDisplayedMonth() {
    // 1 January 2019 is a Tuesday: the grid's first Monday is 31 December.
    QVERIFY(load(2019, 1));
    QCOMPARE(cells[1].dayCaption, QStringLiteral("31"));
    QCOMPARE(at(2019, 1, QDate(2019, 1, 14)).dayCaption, QStringLiteral("14[成人の日]"));
    QCOMPARE(at(2019, 1, QDate(2019, 1, 7)).dayCaption, QStringLiteral(" 7"));
    QCOMPARE(at(2019, 1, QDate(2019, 1, 14)).dayLook, (CellLook{true, kHolidayRed}));
    // Neighbouring months never get an nth-weekday holiday: February's grid shows no 成人の日.
    QVERIFY(load(2018, 12));
    for (const GridCell& c : cells)
        QVERIFY(!c.dayCaption.contains(QStringLiteral("成人の日")));
}

void tst_monthData::nthWeekdayBeforeAnniversaryText() {
    env->exec(
        QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (1, 14, ' 記念日 ')"));
    QVERIFY(load(2019, 1));
    QCOMPARE(at(2019, 1, QDate(2019, 1, 14)).dayCaption, QStringLiteral("14[成人の日]［記念日］"));
}

void tst_monthData::laterNthWeekdayRuleStandsFirst() {
    rules(QStringLiteral("(2, 6, NULL, 3, 0, '父の日'), (2, 6, NULL, 3, 0, '後の規則')"));
    QVERIFY(load(2026, 6));
    QCOMPARE(at(2026, 6, QDate(2026, 6, 21)).dayCaption, QStringLiteral("21[後の規則][父の日]"));
}

void tst_monthData::nthWeekdayEdgeRules_data() {
    QTest::addColumn<QString>("rule");
    QTest::addColumn<int>("markedCell"); // -1: nothing marked
    // June 2026 starts on a Monday and has four Sundays; its grid starts on Sunday 31 May.
    QTest::newRow("fifth Sunday that does not exist") << "(2, 6, NULL, 5, 0, 'x')" << -1;
    QTest::newRow("fifth Monday") << "(2, 6, NULL, 5, 1, 'x')" << 29;
    QTest::newRow("Null week") << "(2, 6, NULL, NULL, 1, 'x')" << -1;
    QTest::newRow("Null weekday") << "(2, 6, NULL, 2, NULL, 'x')" << -1;
    QTest::newRow("weekday out of range") << "(2, 6, NULL, 1, 9, 'x')" << -1;
    // Rules out of their ranges mark nothing.
    QTest::newRow("week 0") << "(2, 6, NULL, 0, 0, 'x')" << -1;
    QTest::newRow("week -1") << "(2, 6, NULL, -1, 1, 'x')" << -1;
    QTest::newRow("week 6") << "(2, 6, NULL, 6, 1, 'x')" << -1;
    QTest::newRow("month 0") << "(2, 0, NULL, 1, 1, 'x')" << -1;
    QTest::newRow("kind 7 with a date") << "(7, 6, 1, NULL, NULL, 'x')" << -1;
    QTest::newRow("day 0") << "(0, 6, 0, NULL, NULL, 'x')" << -1;
    QTest::newRow("first Monday") << "(2, 6, NULL, 1, 1, 'x')" << 1;
    QTest::newRow("fourth Monday") << "(2, 6, NULL, 4, 1, 'x')" << 22;
    QTest::newRow("other month") << "(2, 7, NULL, 1, 1, 'x')" << -1;
}

void tst_monthData::nthWeekdayEdgeRules() {
    QFETCH(QString, rule);
    QFETCH(int, markedCell);
    rules(rule);
    QVERIFY(load(2026, 6));
    for (int i = 0; i < kGridCells; ++i)
        QCOMPARE(cells[size_t(i)].dayCaption.contains(QStringLiteral("[x]")), i == markedCell);
}

void tst_monthData::weekendColours() {
    rules(QStringLiteral("(1, 12, 31, NULL, NULL, 'y')"));
    QVERIFY(load(2026, 12));
    for (int i = 0; i < kGridCells; ++i) {
        const CellLook want = i % 7 == 0   ? CellLook{true, kHolidayRed}
                              : i % 7 == 6 ? CellLook{true, kSaturdayBlue}
                              : i == 32    ? CellLook{true, kHolidayRed} // 31 December
                                           : CellLook{false, kWhite};
        QCOMPARE(cells[size_t(i)].dayLook, want);
    }
}

void tst_monthData::monthStartingOnASunday() {
    QVERIFY(load(2004, 2));
    QCOMPARE(cells[0].dayCaption, QStringLiteral(" 1"));
    QCOMPARE(cells[28].dayCaption, QStringLiteral("29"));
    QCOMPARE(cells[29].dayCaption, QStringLiteral(" 1"));
    QCOMPARE(cells[41].dayCaption, QStringLiteral("13"));
    QCOMPARE(cells[10].dayCaption, QStringLiteral("11［建国記念の日］"));
}

void tst_monthData::schedulesAndDiariesAlsoOnNeighbouringDays() {
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-01-31', '  前月の予定\r\n'), "
                             "('2004-03-13', '翌月'), ('2004-02-10', '会議'), "
                             "('2004-03-14', '枠外')"));
    env->exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2004-03-13', 'd'), ('2004-02-10', 'd'), "
                             "('2004-01-31', 'outside')"));
    QVERIFY(load(2004, 2));
    QCOMPARE(cells[9].schedule, QStringLiteral("会議"));
    QCOMPARE(cells[9].tag, kDiaryMark);
    QCOMPARE(cells[41].schedule, QStringLiteral("翌月"));
    QCOMPARE(cells[41].tag, kDiaryMark);
    // 31 January and 14 March lie outside the grid of February 2004.
    for (int i = 0; i < kGridCells; ++i) {
        QVERIFY(cells[size_t(i)].schedule != QStringLiteral("枠外"));
        if (i != 9 && i != 41) {
            QVERIFY(cells[size_t(i)].schedule.isEmpty());
            QVERIFY(cells[size_t(i)].tag.isEmpty());
        }
    }
    // Blanks and line breaks around a schedule are not shown.
    QVERIFY(load(2004, 1));
    QCOMPARE(at(2004, 1, QDate(2004, 1, 31)).schedule, QStringLiteral("前月の予定"));
}

void tst_monthData::diaryColourOnlyWhereTheBackgroundIsPlain() {
    env->exec(
        QStringLiteral("INSERT INTO T_Diary VALUES ('2004-02-10', 'a'), ('2004-02-11', 'b')"));
    cells = MonthCells();
    cells[10].scheduleLook = {true, ColorFromBgr(0xC0FFC0)}; // drawn as the selected day
    Db db = OpenDB(env->program());
    QVERIFY(LoadMonthCells(*db, cells, 2004, 2, ColorFromBgr(0x123456)));
    QVERIFY(CloseDB(*db));
    QCOMPARE(cells[9].scheduleLook, (CellLook{true, ColorFromBgr(0x123456)}));
    QCOMPARE(cells[10].scheduleLook, (CellLook{true, ColorFromBgr(0xC0FFC0)}));
    QCOMPARE(cells[10].tag, kDiaryMark);

    // The drawing rules: selected, then today, then other month, then diary.
    const GridColors colors;
    const QDate sel(2004, 2, 10), today(2004, 2, 11);
    QCOMPARE(ScheduleLook(sel, sel, today, 2, kDiaryMark, colors), (CellLook{true, colors.select}));
    QCOMPARE(ScheduleLook(today, sel, today, 2, kDiaryMark, colors),
             (CellLook{true, colors.today}));
    QCOMPARE(ScheduleLook(QDate(2004, 3, 1), sel, today, 2, kDiaryMark, colors),
             (CellLook{true, kOtherMonthGrey}));
    QCOMPARE(ScheduleLook(QDate(2004, 3, 1), sel, QDate(2004, 3, 1), 2, QString(), colors),
             (CellLook{true, colors.today}));
    QCOMPARE(ScheduleLook(QDate(2004, 2, 20), sel, today, 2, kDiaryMark, colors),
             (CellLook{true, colors.diary}));
    QCOMPARE(ScheduleLook(QDate(2004, 2, 20), sel, today, 2, QString(), colors),
             (CellLook{false, kWhite}));
}

void tst_monthData::anniversariesInEntryOrder() {
    env->exec(QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES "
                             "(2, 14, 'ゆ'), (2, 14, 'あ'), (3, 1, '三月'), (1, 31, '一月'), "
                             "(3, 14, '白'), (3, 15, '外')"));
    QVERIFY(load(2004, 2));
    QCOMPARE(cells[13].dayCaption, QStringLiteral("14［ゆ］［あ］"));
    QCOMPARE(cells[29].dayCaption, QStringLiteral(" 1［三月］"));
    // The same anniversaries show every year.
    QVERIFY(load(1999, 2));
    QCOMPARE(at(1999, 2, QDate(1999, 2, 14)).dayCaption, QStringLiteral("14［ゆ］［あ］"));
    QCOMPARE(at(1999, 2, QDate(1999, 1, 31)).dayCaption, QStringLiteral("31［一月］"));
    // Only the grid's days are read, up to its last cell.
    QVERIFY(load(2015, 2));
    QCOMPARE(cells[41].dayCaption, QStringLiteral("14［白］"));
    QCOMPARE(cells[0].dayCaption, QStringLiteral(" 1"));
}

void tst_monthData::failingQueryReportsAndKeepsCells() {
    QVERIFY(load(2004, 2));
    const MonthCells before = cells;
    env->exec(QStringLiteral("DROP TABLE T_WhatDay"));
    Db db = OpenDB(env->program());
    QVERIFY(!LoadMonthCells(*db, cells, 2004, 3, QColor()));
    QVERIFY(db->errorText().contains(QStringLiteral("T_WhatDay")));
    for (int i = 0; i < kGridCells; ++i)
        QCOMPARE(cells[size_t(i)].dayCaption, before[size_t(i)].dayCaption);
}

void tst_monthData::selectionCarriesAndClicksSelect() {
    QCOMPARE(CarrySelection(QDate(2004, 1, 31), 2004, 2), QDate(2004, 3, 2));
    QCOMPARE(CarrySelection(QDate(2004, 3, 31), 2004, 4), QDate(2004, 5, 1));
    QCOMPARE(CarrySelection(QDate(2004, 3, 15), 2003, 12), QDate(2003, 12, 15));
    // A "30" in the first row of January is December of the year before.
    QCOMPARE(DateOfClickedCell(2, QStringLiteral("30"), 2004, 1), QDate(2003, 12, 30));
    QCOMPARE(DateOfClickedCell(5, QStringLiteral("31［大晦日］"), 2004, 1), QDate(2003, 12, 31));
    // Days 1-14 from the fifth row on are the next month.
    QCOMPARE(DateOfClickedCell(28, QStringLiteral("29"), 2004, 2), QDate(2004, 2, 29));
    QCOMPARE(DateOfClickedCell(35, QStringLiteral(" 7[振替休日]"), 2004, 12), QDate(2005, 1, 7));
    QCOMPARE(DateOfClickedCell(29, QStringLiteral(" 1"), 2004, 2), QDate(2004, 3, 1));
    QCOMPARE(DateOfClickedCell(30, QStringLiteral("30"), 2004, 12), QDate(2004, 12, 30));
    QCOMPARE(DateOfClickedCell(3, QStringLiteral(" 1"), 2004, 12), QDate(2004, 12, 1));
    // February 2015 starts on a Sunday and has 28 days: its last cell shows 14 March.
    QCOMPARE(DateOfClickedCell(41, QStringLiteral("14"), 2015, 2), QDate(2015, 3, 14));
    QCOMPARE(DateOfClickedCell(28, QStringLiteral(" 1"), 2015, 2), QDate(2015, 3, 1));
    QCOMPARE(DateOfClickedCell(27, QStringLiteral("28"), 2015, 2), QDate(2015, 2, 28));
    QCOMPARE(JapaneseMonthName(1), QStringLiteral("　睦月"));
    QCOMPARE(JapaneseMonthName(10), QStringLiteral("　神無月"));
    QVERIFY(JapaneseMonthName(13).isEmpty());
}

void tst_monthData::holidayMarksWithoutReading() {
    env->exec(QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (5, 18, 'A')"));
    QVERIFY(load(2026, 5));
    MonthCells marked = cells;
    const HolidayRules newRules{{kHolidayNthWeekday, 5, {}, 3, 1, QStringLiteral("新")},
                                {kHolidayNormal, 5, 3, {}, {}, QStringLiteral("日")}};
    QVERIFY(!ApplyHolidayMarks(marked, newRules, 2026, 6)); // not the grid the cells hold
    QVERIFY(ApplyHolidayMarks(marked, newRules, 2026, 5));
    QCOMPARE(marked[22].dayCaption, QStringLiteral("18[新]［A］"));
    // Exactly what a load of the same rules shows.
    rules(QStringLiteral("(2, 5, NULL, 3, 1, '新'), (0, 5, 3, NULL, NULL, '日')"));
    QVERIFY(load(2026, 5));
    for (int i = 0; i < kGridCells; ++i) {
        QCOMPARE(marked[size_t(i)].dayCaption, cells[size_t(i)].dayCaption);
        QCOMPARE(marked[size_t(i)].dayLook, cells[size_t(i)].dayLook);
    }
}

// A new database's rules in the grid where they meet, neighbouring months' days included; "law"
// rules of the test's own add a holiday on Sunday 31 January 2027.
void tst_monthData::lawWhereRulesMeet_data() {
    QTest::addColumn<QString>("extra"); // rows added to the table
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QStringList>("expected"); // "yyyy-mm-dd caption" of each checked day
    QTest::newRow("2019-04") << "" << 2019 << 4
                             << QStringList{
                                    "2019-04-29 29［昭和の日］",   "2019-04-30 30[国民の休日]",
                                    "2019-05-01  1［即位の日］",   "2019-05-02  2[国民の休日]",
                                    "2019-05-03  3［憲法記念日］", "2019-04-28 28"};
    QTest::newRow("2019-05") << "" << 2019 << 5
                             << QStringList{"2019-05-05  5［こどもの日］",
                                            "2019-05-06  6[振替休日]", "2019-05-07  7"};
    QTest::newRow("2026-05") << "" << 2026 << 5
                             << QStringList{"2026-05-03  3［憲法記念日］",
                                            "2026-05-04  4［みどりの日］",
                                            "2026-05-06  6[振替休日]", "2026-05-07  7"};
    QTest::newRow("2026-09") << "" << 2026 << 9
                             << QStringList{"2026-09-21 21[敬老の日]", "2026-09-22 22[国民の休日]",
                                            "2026-09-23 23［秋分の日］", "2026-09-24 24"};
    QTest::newRow("2027-03") << "" << 2027 << 3
                             << QStringList{"2027-03-20 20", "2027-03-21 21［春分の日］",
                                            "2027-03-22 22[振替休日]"};
    // Sunday 3 November 2019 in the grid's last row of October, its substitute the next cell.
    QTest::newRow("2019-10, next month's days")
        << "" << 2019 << 10
        << QStringList{"2019-10-14 14[体育の日]", "2019-10-22 22［即位礼正殿の儀］",
                       "2019-11-03  3［文化の日］", "2019-11-04  4[振替休日]"};
    QTest::newRow("substitute in the next month's grid")
        << "(3, 1, 31, NULL, NULL, '月末', 2027, 2027)" << 2027 << 2
        << QStringList{"2027-01-31 31［月末］", "2027-02-01  1[振替休日]"};
    QTest::newRow("substitute in the grid's last row")
        << "(3, 1, 31, NULL, NULL, '月末', 2027, 2027)" << 2027 << 1
        << QStringList{"2027-01-31 31［月末］", "2027-02-01  1[振替休日]",
                       "2027-01-11 11[成人の日]"};
}

void tst_monthData::lawWhereRulesMeet() {
    QFETCH(QString, extra);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QStringList, expected);
    env = std::make_unique<TestEnv>(TestEnv::Schema::V107);
    if (!extra.isEmpty())
        QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Holiday (Kind, Month, Day, Week, Yobi, "
                                         "Name, FromYear, ToYear) VALUES ") +
                          extra));
    QVERIFY(load(year, month));
    for (const QString& row : expected) {
        const QDate d = QDate::fromString(row.left(10), Qt::ISODate);
        const GridCell& c = at(year, month, d);
        QCOMPARE(row.mid(11), c.dayCaption);
        // Holidays in the holiday colour, other days by their weekday.
        const bool holiday = c.dayCaption.size() > 2;
        const int weekday = d.dayOfWeek() % 7;
        QCOMPARE(c.dayLook, (holiday || weekday == 0 ? CellLook{true, kHolidayRed}
                             : weekday == 6          ? CellLook{true, kSaturdayBlue}
                                                     : CellLook{false, kWhite}));
    }
}

QTEST_MAIN(tst_monthData)
#include "tst_monthData.moc"
