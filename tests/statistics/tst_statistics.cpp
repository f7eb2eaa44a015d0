// The statistics computed from the database: entry rates of schedules and diaries, running
// time per weekday and the best days, and what a failed query leaves.

#include "TestSupport.h"
#include "core/Database.h"
#include "statistics/Statistics.h"
#include "statistics/StatisticsWindow.h"

#include <QGuiApplication>
#include <QtTest>

namespace {

// The rows that do not show the reset text, as "index:columns"; so every other row is checked
// to show it.
template <size_t N, class... More>
QStringList Filled(const QString& reset, const std::array<QString, N>& first, const More&... more) {
    QStringList out;
    for (size_t i = 0; i < N; ++i) {
        QString row = first[i];
        ((row += QLatin1Char(' ') + more[i]), ...);
        if (row != reset)
            out << QString::number(i) + QLatin1Char(':') + row;
    }
    return out;
}

} // namespace

class tst_statistics : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void entryStats_data();
    void entryStats();
    void periodTextNamesTheTable();
    void workTimeStats_data();
    void workTimeStats();
    void failedQueryIsRolledBack();

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    std::unique_ptr<ClockOverride> clock;
};

void tst_statistics::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
    // Wednesday 15 September 2004.
    clock = std::make_unique<ClockOverride>(env->program(),
                                            QDateTime(QDate(2004, 9, 15), QTime(18, 0)));
}

void tst_statistics::cleanup() {
    QCOMPARE(env->openConnections(), 0);
    QVERIFY(!QGuiApplication::overrideCursor());
    clock.reset();
    msgs.reset();
    env.reset();
}

void tst_statistics::entryStats_data() {
    QTest::addColumn<QStringList>("dates");
    QTest::addColumn<QString>("average");
    QTest::addColumn<QString>("between");
    QTest::addColumn<QStringList>("weekdays");
    QTest::addColumn<QStringList>("ranking");

    QTest::newRow("empty") << QStringList() << "---.- %"
                           << "" << QStringList() << QStringList();
    QTest::newRow("one entry") << QStringList{"2004-08-10"} << "100.0 %"
                               << "（　0年 0ヶ月 0日 間で算出　）" << QStringList{"2:1 回 100.0 %"}
                               << QStringList{"0:2004年08月 1 回 3.2 %"};
    QTest::newRow("a month short of a year")
        << QStringList{"2003-05-20", "2004-05-10"} << "0.6 %"
        << "（　0年 11ヶ月 20日 間で算出　）" << QStringList{"1:1 回 2.0 %", "2:1 回 2.0 %"}
        << QStringList{"0:2004年05月 1 回 3.2 %", "1:2003年05月 1 回 3.2 %"};
    // 66 days from a Saturday to a Monday: ten of those two weekdays, nine of the others.
    QTest::newRow("two months and five days")
        << QStringList{"2004-01-10", "2004-03-15"} << "3.0 %"
        << "（　0年 2ヶ月 5日 間で算出　）" << QStringList{"1:1 回 10.0 %", "6:1 回 10.0 %"}
        << QStringList{"0:2004年03月 1 回 3.2 %", "1:2004年01月 1 回 3.2 %"};
    // The 31st does not exist in February: counted from its last day, never negative.
    QTest::newRow("from a day the month before lacks")
        << QStringList{"2004-01-31", "2004-03-01"} << "6.5 %"
        << "（　0年 1ヶ月 1日 間で算出　）" << QStringList{"1:1 回 20.0 %", "6:1 回 20.0 %"}
        << QStringList{"0:2004年03月 1 回 3.2 %", "1:2004年01月 1 回 3.2 %"};
    QStringList spring; // twenty entries in February and in March 2004
    for (int d = 1; d <= 20; ++d)
        spring << QDate(2004, 2, d).toString(Qt::ISODate)
               << QDate(2004, 3, d).toString(Qt::ISODate);
    QTest::newRow("February above March at equal counts")
        << spring << "81.6 %"
        << "（　0年 1ヶ月 19日 間で算出　）"
        << QStringList{"0:5 回 71.4 %", "1:6 回 85.7 %", "2:6 回 85.7 %", "3:6 回 85.7 %",
                       "4:6 回 85.7 %", "5:6 回 85.7 %", "6:5 回 71.4 %"}
        << QStringList{"0:2004年02月 20 回 69.0 %", "1:2004年03月 20 回 64.5 %"};
    QTest::newRow("the later January first")
        << QStringList{"2003-01-05", "2003-01-06", "2004-01-05", "2004-01-06"} << "1.1 %"
        << "（　1年 0ヶ月 1日 間で算出　）"
        << QStringList{"0:1 回 1.9 %", "1:2 回 3.8 %", "2:1 回 1.9 %"}
        << QStringList{"0:2004年01月 2 回 6.5 %", "1:2003年01月 2 回 6.5 %"};
    // The 1st of every month of 2004 and a second day in June: June, then by length, the later
    // month first; the two earliest 31-day months are left out.
    QStringList year{"2004-06-02"};
    for (int m = 1; m <= 12; ++m)
        year << QDate(2004, m, 1).toString(Qt::ISODate);
    QTest::newRow("ten rows only")
        << year << "3.9 %"
        << "（　0年 11ヶ月 0日 間で算出　）"
        << QStringList{"0:2 回 4.2 %", "1:2 回 4.2 %", "2:1 回 2.1 %", "3:3 回 6.3 %",
                       "4:3 回 6.3 %", "5:1 回 2.1 %", "6:1 回 2.1 %"}
        << QStringList{"0:2004年06月 2 回 6.7 %", "1:2004年02月 1 回 3.4 %",
                       "2:2004年11月 1 回 3.3 %", "3:2004年09月 1 回 3.3 %",
                       "4:2004年04月 1 回 3.3 %", "5:2004年12月 1 回 3.2 %",
                       "6:2004年10月 1 回 3.2 %", "7:2004年08月 1 回 3.2 %",
                       "8:2004年07月 1 回 3.2 %", "9:2004年05月 1 回 3.2 %"};
}

void tst_statistics::entryStats() {
    QFETCH(QStringList, dates);
    QFETCH(QString, average);
    QFETCH(QString, between);
    QFETCH(QStringList, weekdays);
    QFETCH(QStringList, ranking);
    for (const QString& d : dates) {
        QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, 'S')"), {d}));
        QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Diary VALUES (?, 'D')"), {d}));
    }
    // Both tabs compute the same from the same dates.
    for (const EntryStats& s :
         {CalcScheduleStats(env->program()), CalcDiaryStats(env->program())}) {
        QCOMPARE(s.status, StatsStatus::Done);
        QCOMPARE(s.average, average);
        QCOMPARE(s.between, between);
        QCOMPARE(Filled(QStringLiteral("0 回 ---.- %"), s.weekdayCount, s.weekdayAverage),
                 weekdays);
        QCOMPARE(
            Filled(QStringLiteral("----年--月 0 回 ---.- %"), s.bestYM, s.bestCnt, s.bestAverage),
            ranking);
    }
    QVERIFY(msgs->messages.empty());
}

void tst_statistics::periodTextNamesTheTable() {
    // The schedule's texts are read in the window's tests.
    QCOMPARE(CalcDiaryStats(env->program()).betweenInfo,
             QStringLiteral("統計対象となる日記が一度も記入されていません。"));
    QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2004-03-15', 'x'), "
                                     "('2003-05-20', 'x'), ('2004-01-10', 'x')")));
    QCOMPARE(CalcDiaryStats(env->program()).betweenInfo,
             QStringLiteral("一番過去の日記記入日 （2003/05/20） から\r\n"
                            "一番最近の日記記入日 （2004/03/15） の間で算出しています。"));
}

void tst_statistics::workTimeStats_data() {
    QTest::addColumn<QStringList>("periods"); // "start|end"
    QTest::addColumn<QString>("average");
    QTest::addColumn<QString>("period"); // the period's first and last day and its length
    QTest::addColumn<QStringList>("weekdays");
    QTest::addColumn<QStringList>("ranking");

    QTest::newRow("empty log") << QStringList() << "---.- %"
                               << "" << QStringList() << QStringList();
    QTest::newRow("one period today")
        << QStringList{"2004-09-15 09:00:00|2004-09-15 17:29:40"} << "35.4 %"
        << "2004/09/15 2004/09/15 0 0 0" << QStringList{"3:8時間30分 35.4 %"}
        << QStringList{"0:2004年09月15日（水） 8時間30分 35.4 %"};
    QTest::newRow("two periods of one day")
        << QStringList{"2004-09-15 09:00:00|2004-09-15 11:59:00",
                       "2004-09-15 13:00:00|2004-09-15 13:59:59"}
        << "16.7 %"
        << "2004/09/15 2004/09/15 0 0 0" << QStringList{"3:4時間00分 16.7 %"}
        << QStringList{"0:2004年09月15日（水） 4時間00分 16.7 %"};
    // Saturday evening into Sunday: each share counts for its own day and weekday; at equal
    // totals the later day stands above.
    QTest::newRow("across midnight")
        << QStringList{"2004-09-11 22:00:00|2004-09-12 01:59:00"} << "8.3 %"
        << "2004/09/11 2004/09/12 0 0 1" << QStringList{"0:2時間00分 8.3 %", "6:2時間00分 8.3 %"}
        << QStringList{"0:2004年09月12日（日） 2時間00分 8.3 %",
                       "1:2004年09月11日（土） 2時間00分 8.3 %"};
    // Two Sundays with 5 minutes: 2.5 a Sunday, halves to the even neighbour.
    // A period through a whole day and another inside it: the day is listed once, with both.
    QTest::newRow("overlapping periods")
        << QStringList{"2004-09-01 23:00:00|2004-09-03 00:59:00",
                       "2004-09-02 09:00:00|2004-09-02 09:59:00"}
        << "37.5 %"
        << "2004/09/01 2004/09/03 0 0 2"
        << QStringList{"3:1時間00分 4.2 %", "4:25時間00分 104.2 %", "5:1時間00分 4.2 %"}
        << QStringList{"0:2004年09月02日（木） 25時間00分 104.2 %",
                       "1:2004年09月03日（金） 1時間00分 4.2 %",
                       "2:2004年09月01日（水） 1時間00分 4.2 %"};
    // Twelve days, the k-th with 10k minutes, and a second period that makes the 4th equal to
    // the 5th: the ten longest, the later day first among equals.
    QStringList days{"2004-09-04 20:00:00|2004-09-04 20:09:00"};
    for (int k = 1; k <= 12; ++k) {
        const QDateTime s(QDate(2004, 9, k), QTime(9, 0));
        days << SqlDateTime(s) + QLatin1Char('|') + SqlDateTime(s.addSecs((10 * k - 1) * 60));
    }
    QTest::newRow("more than ten days")
        << days << "4.6 %"
        << "2004/09/01 2004/09/12 0 0 11"
        << QStringList{"0:1時間25分 5.9 %", "1:1時間00分 4.2 %", "2:1時間10分 4.9 %",
                       "3:0時間45分 3.1 %", "4:0時間55分 3.8 %", "5:1時間05分 4.5 %",
                       "6:1時間20分 5.6 %"}
        << QStringList{
               "0:2004年09月12日（日） 2時間00分 8.3 %", "1:2004年09月11日（土） 1時間50分 7.6 %",
               "2:2004年09月10日（金） 1時間40分 6.9 %", "3:2004年09月09日（木） 1時間30分 6.3 %",
               "4:2004年09月08日（水） 1時間20分 5.6 %", "5:2004年09月07日（火） 1時間10分 4.9 %",
               "6:2004年09月06日（月） 1時間00分 4.2 %", "7:2004年09月05日（日） 0時間50分 3.5 %",
               "8:2004年09月04日（土） 0時間50分 3.5 %", "9:2004年09月03日（金） 0時間30分 2.1 %"};
}

void tst_statistics::workTimeStats() {
    QFETCH(QStringList, periods);
    QFETCH(QString, average);
    QFETCH(QString, period);
    QFETCH(QStringList, weekdays);
    QFETCH(QStringList, ranking);
    for (const QString& p : periods)
        QVERIFY(env->exec(QStringLiteral("INSERT INTO T_WorkTime VALUES (?, ?)"),
                          {p.section(QLatin1Char('|'), 0, 0), p.section(QLatin1Char('|'), 1)}));
    const WorkTimeStats s = CalcWorkTimeStats(env->program());
    QCOMPARE(s.status, StatsStatus::Done);
    QCOMPARE(s.average, average);
    const QStringList p = period.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QCOMPARE(s.betweenInfo, p.isEmpty()
                                ? QString()
                                : QStringLiteral("一番最初の稼動日 （%1） から\r\n本日 （%2） "
                                                 "の間で算出しています。")
                                      .arg(p[0], p[1]));
    QCOMPARE(s.between,
             p.isEmpty()
                 ? QString()
                 : QStringLiteral("（　%1年 %2ヶ月 %3日 間で算出　）").arg(p[2], p[3], p[4]));
    QCOMPARE(Filled(QStringLiteral("--時間--分 ---.- %"), s.weekdayWorkTime, s.weekdayAverage),
             weekdays);
    QCOMPARE(Filled(QStringLiteral("----年--月--日（－） --時間--分 ---.- %"), s.bestYMD,
                    s.bestWorkTime, s.bestAverage),
             ranking);
    QVERIFY(msgs->messages.empty());
}

void tst_statistics::failedQueryIsRolledBack() {
    QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2004-03-15', 'x')")));
    for (const char* table : {"T_Schedule", "T_WorkTime"})
        QVERIFY(env->exec(QStringLiteral("DROP TABLE ") + QLatin1String(table)));
    // Nothing is shown here (the window reports the engine's text); the sections not reached
    // keep their reset texts, and the connection and the wait cursor are gone (cleanup).
    const EntryStats schedule = CalcScheduleStats(env->program());
    QCOMPARE(schedule.status, StatsStatus::Failed);
    QCOMPARE(schedule.error, QStringLiteral("no such table: T_Schedule"));
    QCOMPARE(schedule.average, QStringLiteral("---.- %"));
    const WorkTimeStats work = CalcWorkTimeStats(env->program());
    QCOMPARE(work.status, StatsStatus::Failed);
    QCOMPARE(work.error, QStringLiteral("no such table: T_WorkTime"));
    QCOMPARE(work.bestYMD[0], QStringLiteral("----年--月--日（－）"));
    QVERIFY(msgs->messages.empty());
    QCOMPARE(CalcDiaryStats(env->program()).status, StatsStatus::Done);
    // An unreachable database: its own message, nothing to show.
    QVERIFY(QFile::remove(env->dbPath()));
    QCOMPARE(CalcDiaryStats(env->program()).status, StatsStatus::NotOpened);
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データベースへの接続に失敗しました。")});
}

QTEST_MAIN(tst_statistics)
#include "tst_statistics.moc"
