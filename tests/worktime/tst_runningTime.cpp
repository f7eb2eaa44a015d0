// The running-time log: the start-up's new or continued period, the extension of open periods,
// and which periods a week or month view reads.

#include "TestSupport.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "worktime/RunningTime.h"

#include <QtTest>

namespace {
const QDateTime kStart(QDate(2004, 9, 6), QTime(9, 0, 0));
}

class tst_runningTime : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstStartOnAnEmptyLog();
    void restartContinuesOnlyARecentPeriod_data();
    void restartContinuesOnlyARecentPeriod();
    void extendsEveryOpenPeriodAndNoOther_data();
    void extendsEveryOpenPeriodAndNoOther();
    void clockSetBackWritesNothing();
    void startupAddsTheLookupIndexes();
    void readsEveryOverlappingPeriod_data();
    void readsEveryOverlappingPeriod();

private:
    QStringList rows() const {
        return env->column(QStringLiteral(
            "SELECT StartTime || ' ' || EndTime FROM T_WorkTime ORDER BY StartTime"));
    }
    void addRow(const QString& s, const QString& e) const {
        QVERIFY(env->exec(QStringLiteral("INSERT INTO T_WorkTime VALUES (?, ?)"), {s, e}));
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
};

void tst_runningTime::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
}

void tst_runningTime::cleanup() {
    QVERIFY(msgs->messages.empty());
    msgs.reset();
    env.reset();
}

void tst_runningTime::firstStartOnAnEmptyLog() {
    Db db = OpenDB(env->program());
    QVERIFY(db);
    // Milliseconds of the clock are not part of the stored time.
    QVERIFY(RecordRunningTimeAtStart(*db, kStart.addMSecs(700)));
    QVERIFY(CloseDB(*db));
    QCOMPARE(rows(), QStringList{"2004-09-06 09:00:00 2004-09-06 09:00:00"});
}

void tst_runningTime::restartContinuesOnlyARecentPeriod_data() {
    QTest::addColumn<int>("gap"); // seconds since the last tick of the previous run
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("90 seconds") << 90 << QStringList{"2004-09-06 08:00:00 2004-09-06 09:01:30"};
    QTest::newRow("exactly 2 minutes")
        << 120 << QStringList{"2004-09-06 08:00:00 2004-09-06 09:02:00"};
    QTest::newRow("2 minutes and 1 second")
        << 121
        << QStringList{"2004-09-06 08:00:00 2004-09-06 09:00:00",
                       "2004-09-06 09:02:01 2004-09-06 09:02:01"};
    QTest::newRow("3 minutes") << 180
                               << QStringList{"2004-09-06 08:00:00 2004-09-06 09:00:00",
                                              "2004-09-06 09:03:00 2004-09-06 09:03:00"};
}

void tst_runningTime::restartContinuesOnlyARecentPeriod() {
    QFETCH(int, gap);
    QFETCH(QStringList, expected);
    addRow(QStringLiteral("2004-09-06 08:00:00"), QStringLiteral("2004-09-06 09:00:00"));
    Db db = OpenDB(env->program());
    QVERIFY(db);
    QVERIFY(RecordRunningTimeAtStart(*db, kStart.addSecs(gap)));
    QVERIFY(CloseDB(*db));
    QCOMPARE(rows(), expected);
}

void tst_runningTime::extendsEveryOpenPeriodAndNoOther_data() {
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("extended");
    QTest::newRow("just written") << "2004-09-06 09:00:00" << true;
    QTest::newRow("exactly 2 minutes old") << "2004-09-06 08:58:00" << true;
    QTest::newRow("2 minutes and 1 second old") << "2004-09-06 08:57:59" << false;
    QTest::newRow("in the future") << "2004-09-06 09:00:01" << false;
}

void tst_runningTime::extendsEveryOpenPeriodAndNoOther() {
    QFETCH(QString, end);
    QFETCH(bool, extended);
    addRow(QStringLiteral("2004-09-06 07:00:00"), end);
    // A second open period (the program never makes one) is extended as well.
    addRow(QStringLiteral("2004-09-06 08:00:00"), QStringLiteral("2004-09-06 08:59:30"));
    Db db = OpenDB(env->program());
    QVERIFY(db);
    QVERIFY(ExtendRunningTime(*db, kStart));
    QVERIFY(CloseDB(*db));
    QCOMPARE(rows(), (QStringList{QStringLiteral("2004-09-06 07:00:00 ") +
                                      (extended ? QStringLiteral("2004-09-06 09:00:00") : end),
                                  "2004-09-06 08:00:00 2004-09-06 09:00:00"}));
}

void tst_runningTime::clockSetBackWritesNothing() {
    // The latest end lies after the present, but the period contains the last 2 minutes.
    addRow(QStringLiteral("2004-09-06 08:00:00"), QStringLiteral("2004-09-06 09:30:00"));
    Db db = OpenDB(env->program());
    QVERIFY(db);
    QVERIFY(RecordRunningTimeAtStart(*db, kStart));
    QVERIFY(CloseDB(*db));
    QCOMPARE(rows(), QStringList{"2004-09-06 08:00:00 2004-09-06 09:30:00"});
}

void tst_runningTime::startupAddsTheLookupIndexes() {
    Db db = OpenDB(env->program());
    QVERIFY(db);
    QVERIFY(RecordRunningTimeAtStart(*db, kStart));
    QVERIFY(CloseDB(*db));
    QVERIFY(env->indexExists(QStringLiteral("WorkTimeEnd")));
    QVERIFY(env->indexExists(QStringLiteral("WorkTimeLength")));
    // A second start finds them in place.
    db = OpenDB(env->program());
    QVERIFY(db);
    QVERIFY(RecordRunningTimeAtStart(*db, kStart.addSecs(60)));
    QVERIFY(CloseDB(*db));
    QCOMPARE(rows(), QStringList{"2004-09-06 09:00:00 2004-09-06 09:01:00"});
}

void tst_runningTime::readsEveryOverlappingPeriod_data() {
    QTest::addColumn<bool>("indexed");
    QTest::newRow("with the lookup indexes") << true;
    QTest::newRow("without them") << false;
}

void tst_runningTime::readsEveryOverlappingPeriod() {
    QFETCH(bool, indexed);
    const QStringList periods{
        "2004-08-01 10:00:00 2004-09-04 23:59:59", // ends just before the week
        "2004-09-01 10:00:00 2004-09-05 00:00:00", // ends in the week's first second
        "2004-09-06 09:00:00 2004-09-06 10:00:00", // inside
        "2004-09-06 09:00:00 2004-09-06 09:30:00", // same start, shorter: ordered by end
        "2004-09-11 23:59:59 2004-09-12 08:00:00", // begins in the week's last second
        "2004-09-12 00:00:00 2004-09-12 08:00:00", // begins just after
        "2004-06-01 00:00:00 2004-12-01 00:00:00", // longer than the week on both sides
        "2004-09-08 12:00:00 2004-09-08 11:00:00", // ends before it begins: the split drops it
    };
    for (const QString& p : periods)
        addRow(p.left(19), p.mid(20));
    if (indexed) {
        Db db = OpenDB(env->program());
        QVERIFY(db);
        QVERIFY(EnsureRunningTimeIndexes(*db));
        QVERIFY(CloseDB(*db));
    }
    Db db = OpenDB(env->program());
    QVERIFY(db);
    QStringList got;
    QVERIFY(ReadPeriods(*db, QDate(2004, 9, 5), QDate(2004, 9, 11),
                        [&got](const QDateTime& s, const QDateTime& e) {
                            got << SqlDateTime(s) + QLatin1Char(' ') + SqlDateTime(e);
                        }));
    QVERIFY(CloseDB(*db));
    QCOMPARE(got,
             (QStringList{periods[6], periods[1], periods[3], periods[2], periods[7], periods[4]}));
}

QTEST_GUILESS_MAIN(tst_runningTime)
#include "tst_runningTime.moc"
