// The rule table as stored and read back, and the marks the rules give the days of a grid.

#include "TestSupport.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "holidays/HolidayRules.h"

#include <QtTest>

class tst_holidayRules : public QObject {
    Q_OBJECT
private slots:
    void rulesRoundTripInTableOrder();
    void marks_data();
    void marks();
};

void tst_holidayRules::rulesRoundTripInTableOrder() {
    TestEnv env;
    MsgRecorder msgs;
    Db db = OpenDB(env.program());
    HolidayRules read;
    QVERIFY(ReadHolidayRules(*db, read));
    QCOMPARE(read, LegacyDefaultHolidayRules());

    HolidayRules rules = LegacyDefaultHolidayRules();
    rules[0].name = QStringLiteral("O'Brien's \"day\" ｶﾀｶﾅ");
    // The fields a kind does not use are stored as Null whatever the rule holds.
    rules[1].day = 9;
    QVERIFY(db->exec(QStringLiteral("DELETE FROM T_Holiday")));
    QVERIFY(InsertHolidayRules(*db, rules));
    QVERIFY(CloseDB(*db));
    QCOMPARE(env.scalar(QStringLiteral("SELECT count(*) FROM T_Holiday WHERE Kind = 2 AND "
                                       "Day IS NULL AND Week IS NOT NULL")),
             QStringLiteral("4"));
    QCOMPARE(env.scalar(QStringLiteral("SELECT count(*) FROM T_Holiday WHERE Kind = 0 AND "
                                       "Week IS NULL AND Yobi IS NULL")),
             QStringLiteral("12"));
    db = OpenDB(env.program());
    QVERIFY(ReadHolidayRules(*db, read));
    rules[1].day.reset();
    QCOMPARE(read, rules);
    QVERIFY(msgs.messages.empty());
}

void tst_holidayRules::marks_data() {
    QTest::addColumn<QString>("rules"); // kind,month,day,week,weekday,name; ... ("-" for Null)
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QStringList>("expected"); // "cell:dateTexts|nthTexts" of every marked day
    // May 2026: the grid starts on Sunday 26 April; 3 May (cell 7) is a Sunday.
    QTest::newRow("kind 0 on a Sunday and its Monday")
        << "0,5,3,-,-,A" << 2026 << 5 << QStringList{"7:［A］|", "8:[振替休日]|"};
    QTest::newRow("kind 1 gives no substitute")
        << "1,5,3,-,-,A" << 2026 << 5 << QStringList{"7:［A］|"};
    QTest::newRow("first matching date rule wins")
        << "0,5,6,-,-,A;0,5,6,-,-,B" << 2026 << 5 << QStringList{"10:［A］|"};
    QTest::newRow("date rules mark neighbouring days too")
        << "1,4,29,-,-,A;1,6,1,-,-,B" << 2026 << 5 << QStringList{"3:［A］|", "36:［B］|"};
    QTest::newRow("second Monday of the month, not of the grid")
        << "2,5,-,2,1,H" << 2026 << 5 << QStringList{"15:|[H]"};
    QTest::newRow("two nth rules on one day, in table order")
        << "2,5,-,2,1,H;2,5,-,2,1,I" << 2026 << 5 << QStringList{"15:|[H][I]"};
    QTest::newRow("a fifth Friday") << "2,5,-,5,5,H" << 2026 << 5 << QStringList{"33:|[H]"};
    QTest::newRow("a fifth Monday that does not exist")
        << "2,5,-,5,1,H" << 2026 << 5 << QStringList{};
    QTest::newRow("another month's nth rule") << "2,6,-,1,1,H" << 2026 << 5 << QStringList{};
    QTest::newRow("week 0") << "2,5,-,0,0,H" << 2026 << 5 << QStringList{};
    QTest::newRow("week 6") << "2,5,-,6,1,H" << 2026 << 5 << QStringList{};
    QTest::newRow("weekday 7") << "2,5,-,1,7,H" << 2026 << 5 << QStringList{};
    QTest::newRow("Null week") << "2,5,-,-,1,H" << 2026 << 5 << QStringList{};
    QTest::newRow("kind 7") << "7,5,6,1,1,K" << 2026 << 5 << QStringList{};
    QTest::newRow("month 13") << "0,13,6,-,-,M" << 2026 << 5 << QStringList{};
    QTest::newRow("day 32") << "0,5,32,-,-,D" << 2026 << 5 << QStringList{};
    QTest::newRow("Null day") << "0,5,-,-,-,D" << 2026 << 5 << QStringList{};
}

void tst_holidayRules::marks() {
    QFETCH(QString, rules);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QStringList, expected);
    const auto field = [](const QString& t) {
        return t == QLatin1String("-") ? std::optional<int>() : std::optional<int>(t.toInt());
    };
    HolidayRules list;
    for (const QString& r : rules.split(QLatin1Char(';'))) {
        const QStringList f = r.split(QLatin1Char(','));
        HolidayRule rule;
        rule.kind = f[0].toInt();
        rule.month = f[1].toInt();
        rule.day = field(f[2]);
        rule.week = field(f[3]);
        rule.weekday = field(f[4]);
        rule.name = f[5];
        list.push_back(rule);
    }
    const HolidayMarks marks = MarkHolidays(list, year, month);
    QStringList got;
    for (int i = 0; i < kGridDays; ++i) {
        const HolidayMark& m = marks[size_t(i)];
        QCOMPARE(m.holiday, !m.dateTexts.isEmpty() || !m.nthTexts.isEmpty());
        if (m.holiday)
            got << QStringLiteral("%1:%2|%3").arg(i).arg(m.dateTexts, m.nthTexts.join(QString()));
    }
    QCOMPARE(got, expected);
}

QTEST_MAIN(tst_holidayRules)
#include "tst_holidayRules.moc"
