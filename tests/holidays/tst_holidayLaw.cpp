// The statutory rule table against the official list of national holidays, day by day, and
// the pieces of the law it rests on.

#include "TestSupport.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/VersionUp.h"
#include "holidays/HolidayRules.h"

#include <QtTest>

class tst_holidayLaw : public QObject {
    Q_OBJECT
private slots:
    void everyDayOfTheOfficialList();
    void afterTheList_data();
    void afterTheList();
    void equinoxOutsideItsPeriods();
    void runBoundaries();
    void upgradeReplacesOnlyAnUntouchedTable_data();
    void upgradeReplacesOnlyAnUntouchedTable();
};

// Every day from 1948 to 2027 is a holiday or not, with its name, exactly as the list says; the
// rules are read from a new database, as the program reads them.
void tst_holidayLaw::everyDayOfTheOfficialList() {
    QFile file(QFINDTESTDATA("holidays-jp-1948-2027.tsv"));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QMap<QDate, QString> official;
    while (!file.atEnd()) {
        const QStringList f = QString::fromUtf8(file.readLine()).trimmed().split(QLatin1Char('\t'));
        const QDate d = QDate::fromString(f.value(0), Qt::ISODate);
        if (d.isValid())
            official.insert(d, f.value(1));
    }
    QCOMPARE(official.size(), 1124);

    TestEnv env(TestEnv::Schema::V107);
    MsgRecorder msgs;
    HolidayRules rules;
    {
        Db db = OpenDB(env.program());
        QVERIFY(db && ReadHolidayRules(*db, rules));
        db->rollback();
    }
    const QDate first(1948, 1, 1);
    const QDate last(2027, 12, 31);
    const HolidayCalendar calendar(rules, first, last);
    QStringList wrong;
    for (QDate d = first; d <= last; d = d.addDays(1)) {
        const QString got = calendar.mark(d).names.join(QLatin1Char('+'));
        if (got != official.value(d))
            wrong << d.toString(Qt::ISODate) + QLatin1Char(' ') + got + QStringLiteral(" != ") +
                         official.value(d);
    }
    QCOMPARE(wrong, QStringList());
    QCOMPARE(calendar.holidays().size(), official.size());
}

// Beyond the list the law's computation goes on.
void tst_holidayLaw::afterTheList_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("names");
    QTest::newRow("autumnal equinox 2028") << QDate(2028, 9, 22) << "秋分の日";
    QTest::newRow("not 9-23 in 2028") << QDate(2028, 9, 23) << "";
    QTest::newRow("Sunday 5-3 2037, substitute on 5-6") << QDate(2037, 5, 6) << "振替休日";
    QTest::newRow("between 敬老の日 and 秋分の日 2032") << QDate(2032, 9, 21) << "国民の休日";
    QTest::newRow("Sunday 2-23 2031") << QDate(2031, 2, 24) << "振替休日";
}

void tst_holidayLaw::afterTheList() {
    QFETCH(QDate, date);
    QFETCH(QString, names);
    const HolidayCalendar calendar(DefaultHolidayRules(), date.addDays(-3), date.addDays(3));
    QCOMPARE(calendar.mark(date).names.join(QLatin1Char('+')), names);
}

void tst_holidayLaw::equinoxOutsideItsPeriods() {
    QCOMPARE(EquinoxDay(1850, 3), std::nullopt);
    QCOMPARE(EquinoxDay(2151, 9), std::nullopt);
    QCOMPARE(EquinoxDay(2000, 6), std::nullopt);
    QCOMPARE(EquinoxDay(1851, 3), std::optional<int>(21));
    QCOMPARE(EquinoxDay(1900, 9), std::optional<int>(23));
}

// A run that starts or ends right at a substitute or an in-between day sees it as a run that
// reaches beyond it does, also across a year's end.
void tst_holidayLaw::runBoundaries() {
    const HolidayRules rules = DefaultHolidayRules();
    const QDate days[] = {QDate(2026, 5, 6), QDate(2026, 9, 22), QDate(2027, 3, 22),
                          QDate(2034, 1, 2), QDate(2023, 1, 2)};
    for (const QDate& d : days) {
        const HolidayMark wide = HolidayCalendar(rules, d.addYears(-2), d.addYears(2)).mark(d);
        QVERIFY2(wide.holiday, qPrintable(d.toString(Qt::ISODate)));
        QCOMPARE(HolidayCalendar(rules, d, d).mark(d).names, wide.names);
    }
    // The first and the last year a date can have.
    const HolidayRules legacy = LegacyDefaultHolidayRules();
    for (const QDate& d : {QDate(1, 1, 1), QDate(9999, 11, 23)})
        QVERIFY(HolidayCalendar(legacy, d, d.addDays(30)).isHoliday(d));
}

void tst_holidayLaw::upgradeReplacesOnlyAnUntouchedTable_data() {
    QTest::addColumn<QString>("edit"); // run on the old table before the upgrade
    QTest::addColumn<bool>("replaced");
    QTest::newRow("untouched") << "" << true;
    // The editor writes its list sorted; the same rules in another order are still untouched.
    QTest::newRow("untouched, other order")
        << "CREATE TABLE H AS SELECT * FROM T_Holiday ORDER BY rowid DESC; DELETE FROM T_Holiday;"
           "INSERT INTO T_Holiday SELECT * FROM H; DROP TABLE H"
        << true;
    QTest::newRow("a rule renamed") << "UPDATE T_Holiday SET Name = '元旦' WHERE Month = 1 AND "
                                       "Day = 1"
                                    << false;
    QTest::newRow("a rule added")
        << "INSERT INTO T_Holiday (Kind, Month, Day, Name) VALUES (1, 12, 31, '大晦日')" << false;
    QTest::newRow("a rule deleted") << "DELETE FROM T_Holiday WHERE Name = '山の日'" << false;
}

// An old file, with the rule table as its version had it (no year columns): the upgrade adds
// the columns, and gives the law's rules only to a table nobody has edited.
void tst_holidayLaw::upgradeReplacesOnlyAnUntouchedTable() {
    QFETCH(QString, edit);
    QFETCH(bool, replaced);
    TestEnv env(TestEnv::Schema::V106);
    MsgRecorder msgs;
    // One statement per call.
    const auto run = [&env](const QString& script) {
        for (const QString& sql : script.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            QVERIFY(env.exec(sql));
    };
    run(QStringLiteral("CREATE TABLE H AS SELECT Kind, Month, Day, Week, Yobi, Name FROM T_Holiday "
                       "ORDER BY rowid; DROP TABLE T_Holiday; ALTER TABLE H RENAME TO T_Holiday"));
    QCOMPARE(env.scalar(QStringLiteral("SELECT count(*) FROM pragma_table_info('T_Holiday')")),
             QStringLiteral("6"));
    run(edit);
    const QStringList before = env.column(QStringLiteral(
        "SELECT Kind || '/' || Month || '/' || ifnull(Day, '') || '/' || ifnull(Week, '') || "
        "'/' || ifnull(Yobi, '') || '/' || Name FROM T_Holiday ORDER BY rowid"));

    QVERIFY(VersionUp(env.program(), ReplaceUneditedHolidayRules));
    QVERIFY(msgs.messages.empty());
    QCOMPARE(env.column(QStringLiteral("SELECT ver FROM T_Version")), QStringList{"1.07"});
    HolidayRules rules;
    {
        Db db = OpenDB(env.program());
        QVERIFY(db && ReadHolidayRules(*db, rules));
        db->rollback();
    }
    if (replaced) {
        QCOMPARE(rules, DefaultHolidayRules());
        return;
    }
    QCOMPARE(env.column(QStringLiteral(
                 "SELECT Kind || '/' || Month || '/' || ifnull(Day, '') || '/' || "
                 "ifnull(Week, '') || '/' || ifnull(Yobi, '') || '/' || Name FROM T_Holiday "
                 "WHERE FromYear IS NULL AND ToYear IS NULL ORDER BY rowid")),
             before);
    QCOMPARE(qsizetype(rules.size()), before.size());
}

QTEST_MAIN(tst_holidayLaw)
#include "tst_holidayLaw.moc"
