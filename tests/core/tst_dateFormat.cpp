// Date patterns and the Japanese eras.

#include "core/DateFormat.h"

#include <QtTest>

class tst_dateFormat : public QObject {
    Q_OBJECT
private slots:
    void patterns_data();
    void patterns();
    void eraBoundaries_data();
    void eraBoundaries();
    void displayOptions();
};

void tst_dateFormat::patterns_data() {
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    const QDateTime d(QDate(2004, 6, 15), QTime(7, 3, 9));
    QTest::newRow("yyyy/mm/dd") << d << "yyyy/mm/dd"
                                << "2004/06/15";
    QTest::newRow("upper case means the same") << d << "YYYY/MM/DD"
                                               << "2004/06/15";
    QTest::newRow("'yy") << d << "'yy"
                         << "'04";
    QTest::newRow("m and d") << d << "m/d"
                             << "6/15";
    QTest::newRow("month names") << d << "mmm mmmm"
                                 << "Jun June";
    QTest::newRow("weekday names") << d << "ddd dddd"
                                   << "Tue Tuesday";
    QTest::newRow("japanese weekday") << d << "aaa/aaaa"
                                      << "火/火曜日";
    QTest::newRow("schedule caption")
        << QDateTime(QDate(2005, 1, 1), QTime(0, 0)) << "yyyy年mm月dd日（aaa）の予定"
        << "2005年01月01日（土）の予定";
    QTest::newRow("diary caption, upper case")
        << QDateTime(QDate(2004, 3, 15), QTime(0, 0)) << "MM月DD日（AAA）の日記"
        << "03月15日（月）の日記";
    QTest::newRow("era forms") << d << "g.e|gg e|ggg e年|ee"
                               << "H.16|平 16|平成 16年|16";
    QTest::newRow("hours and minutes") << d << "h:n hh:nn"
                                       << "7:3 07:03";
    QTest::newRow("alarm caption")
        << QDateTime(QDate(2004, 9, 5), QTime(7, 3)) << "yyyy年mm月dd日 hh時nn分です。"
        << "2004年09月05日 07時03分です。";
    QTest::newRow("other characters copied") << d << "[x] b#c!"
                                             << "[x] b#c!";
    QTest::newRow("single y copied") << d << "y"
                                     << "y";
    // What an unreadable stored date becomes: numbers of zero, and no names.
    QTest::newRow("invalid date") << QDateTime(QDate(), QTime(0, 0))
                                  << "yyyy/mm/dd mmm|mmmm|ddd|dddd|aaa|aaaa|ggg"
                                  << "0000/00/00 ||||||";
}

void tst_dateFormat::patterns() {
    QFETCH(QDateTime, when);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(FormatDate(when, pattern), expected);
}

void tst_dateFormat::eraBoundaries_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");
    QTest::newRow("last day of Showa") << QDate(1989, 1, 7) << "昭和 64年 S.64";
    QTest::newRow("first day of Heisei") << QDate(1989, 1, 8) << "平成 1年 H.1";
    QTest::newRow("last day of Heisei") << QDate(2019, 4, 30) << "平成 31年 H.31";
    QTest::newRow("first day of Reiwa") << QDate(2019, 5, 1) << "令和 1年 R.1";
    QTest::newRow("Reiwa 8") << QDate(2026, 12, 8) << "令和 8年 R.8";
    QTest::newRow("first day of Showa") << QDate(1926, 12, 25) << "昭和 1年 S.1";
    QTest::newRow("last day of Taisho") << QDate(1926, 12, 24) << "大正 15年 T.15";
    QTest::newRow("first day of Taisho") << QDate(1912, 7, 30) << "大正 1年 T.1";
    QTest::newRow("Meiji") << QDate(1900, 1, 1) << "明治 33年 M.33";
}

void tst_dateFormat::eraBoundaries() {
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    QCOMPARE(FormatDate(date, QStringLiteral("ggg e年 g.e")), expected);
}

void tst_dateFormat::displayOptions() {
    const QDate d(2004, 6, 15);
    const QStringList years = {"'04", "2004", "H.16", "平 16", "平成 16年"};
    for (int i = 0; i < years.size(); ++i)
        QCOMPARE(FormatDate(d, YearFormatPattern(i)), years.at(i));
    QCOMPARE(FormatDate(d, MonthFormatPattern(0)), QStringLiteral("6"));
    QCOMPARE(FormatDate(d, MonthFormatPattern(1)), QStringLiteral("Jun"));
    QCOMPARE(FormatDate(d, MonthFormatPattern(2)), QStringLiteral("June"));
    const QDate sunday(2004, 6, 13);
    QCOMPARE(FormatDate(sunday, WeekFormatPattern(0)), QStringLiteral("日"));
    QCOMPARE(FormatDate(sunday, WeekFormatPattern(1)), QStringLiteral("日曜日"));
    QCOMPARE(FormatDate(sunday, WeekFormatPattern(2)), QStringLiteral("Sun"));
    QCOMPARE(FormatDate(sunday, WeekFormatPattern(3)), QStringLiteral("Sunday"));
    QVERIFY(YearFormatPattern(5).isEmpty());
    QVERIFY(MonthFormatPattern(3).isEmpty());
    QVERIFY(WeekFormatPattern(-1).isEmpty());
}

QTEST_MAIN(tst_dateFormat)
#include "tst_dateFormat.moc"
