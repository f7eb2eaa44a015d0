// The main window's timer tick: extending the running period, the alarm check, its failure
// paths, leaving alone a connection that an operation holds, and a lock held by another
// program across ticks.

#include "TestSupport.h"
#include "alarm/Alarm.h"
#include "alarm/AlarmNotice.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/ProgramWindows.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/TimerTick.h"
#include "settings/SettingsStore.h"
#include "worktime/RunningTime.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QScopeGuard>
#include <QtTest>

#include <sqlite3.h>

namespace {
QDateTime At(int y, int mo, int d, int h, int mi, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}
} // namespace

class tst_timerTick : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void runAcrossMidnightIsOneRow();
    void suspensionEndsThePeriod();
    void alarmIsDueOnlyInItsMinute_data();
    void alarmIsDueOnlyInItsMinute();
    void failedUpdateIsSilentAndTheAlarmStillShows();
    void unreachableDatabaseIsReportedNotShown();
    void leavesAHeldConnectionAlone();
    void loadsThePendingAlarm();
    void lockAcrossTicks_data();
    void lockAcrossTicks();

private:
    // The start of the program: the start-up step on its own connection.
    void start(const QDateTime& t) {
        Db db = OpenDB(env->program());
        QVERIFY(db);
        QVERIFY(RecordRunningTimeAtStart(*db, t));
        QVERIFY(CloseDB(*db));
    }
    QStringList rows() const {
        return env->column(QStringLiteral(
            "SELECT StartTime || ' ' || EndTime FROM T_WorkTime ORDER BY StartTime"));
    }
    void failUpdates() const {
        QVERIFY(env->exec(QStringLiteral("CREATE TRIGGER NoUpdate BEFORE UPDATE ON T_WorkTime "
                                         "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    AlarmState alarmState;
};

void tst_timerTick::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
    alarmState.set(std::nullopt);
}

void tst_timerTick::cleanup() {
    QCOMPARE(env->openConnections(), 0);
    msgs.reset();
    env.reset();
}

void tst_timerTick::runAcrossMidnightIsOneRow() {
    QDateTime t = At(2004, 9, 5, 23, 58, 0);
    start(t);
    QDateTime last;
    for (t = t.addSecs(50); t <= At(2004, 9, 6, 0, 5, 0); t = t.addSecs(50)) {
        QVERIFY(!RunTick(env->program(), t, alarmState).alarmDue);
        last = t;
    }
    QCOMPARE(rows(), QStringList{QStringLiteral("2004-09-05 23:58:00 ") + SqlDateTime(last)});
    QVERIFY(last.date() == QDate(2004, 9, 6));
    QVERIFY(msgs->messages.empty());
}

void tst_timerTick::suspensionEndsThePeriod() {
    const QDateTime t = At(2004, 9, 6, 9, 0, 0);
    start(t);
    QVERIFY(RunTick(env->program(), t.addSecs(50), alarmState).recorded);
    // Ten minutes asleep: the ticks after it find no open period and write nothing.
    for (int i = 0; i < 5; ++i)
        QVERIFY(RunTick(env->program(), t.addSecs(50 + 600 + 50 * i), alarmState).recorded);
    QCOMPARE(rows(), QStringList{"2004-09-06 09:00:00 2004-09-06 09:00:50"});
    QCOMPARE(env->count(QStringLiteral("T_WorkTime")), 1);
}

void tst_timerTick::alarmIsDueOnlyInItsMinute_data() {
    QTest::addColumn<QDateTime>("alarm");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QDateTime>("tick");
    QTest::addColumn<bool>("due");
    const QDateTime a = At(2004, 9, 5, 7, 3);
    QTest::newRow("a second before") << a << true << At(2004, 9, 5, 7, 2, 59) << false;
    QTest::newRow("the minute's first tick") << a << true << At(2004, 9, 5, 7, 3, 0) << true;
    QTest::newRow("the minute's last second") << a << true << At(2004, 9, 5, 7, 3, 59) << true;
    QTest::newRow("the next minute") << a << true << At(2004, 9, 5, 7, 4, 0) << false;
    QTest::newRow("the same minute a day later") << a << true << At(2004, 9, 6, 7, 3, 10) << false;
    QTest::newRow("cancelled") << a << false << At(2004, 9, 5, 7, 3, 10) << false;
}

void tst_timerTick::alarmIsDueOnlyInItsMinute() {
    QFETCH(QDateTime, alarm);
    QFETCH(bool, pending);
    QFETCH(QDateTime, tick);
    QFETCH(bool, due);
    start(tick.addSecs(-50));
    alarmState.set(pending ? std::optional<PendingAlarm>(PendingAlarm{alarm, {}}) : std::nullopt);
    QCOMPARE(RunTick(env->program(), tick, alarmState).alarmDue, due);
    // The tick extended the period in any case.
    QCOMPARE(env->scalar(QStringLiteral("SELECT EndTime FROM T_WorkTime")), SqlDateTime(tick));
}

void tst_timerTick::failedUpdateIsSilentAndTheAlarmStillShows() {
    const QDateTime t = At(2004, 9, 5, 7, 2, 30);
    start(t);
    failUpdates();
    alarmState.set(PendingAlarm{At(2004, 9, 5, 7, 3), {}});
    const TickOutcome tick = RunTick(env->program(), t.addSecs(50), alarmState);
    QVERIFY(tick.alarmDue);
    QVERIFY(!tick.recorded);
    QVERIFY(!tick.failure);
    QVERIFY(msgs->messages.empty());
    QCOMPARE(rows(), QStringList{"2004-09-05 07:02:30 2004-09-05 07:02:30"});
}

void tst_timerTick::unreachableDatabaseIsReportedNotShown() {
    alarmState.set(PendingAlarm{At(2004, 9, 5, 7, 3), {}});
    QVERIFY(QFile::remove(env->dbPath()));
    const TickOutcome tick = RunTick(env->program(), At(2004, 9, 5, 7, 3, 10), alarmState);
    QVERIFY(tick.alarmDue);
    QVERIFY(!tick.recorded);
    QCOMPARE(tick.failure, DbFailure::Connect);
    // The tick itself shows nothing, and the file is not created.
    QVERIFY(msgs->messages.empty());
    QVERIFY(!QFile::exists(env->dbPath()));
}

void tst_timerTick::leavesAHeldConnectionAlone() {
    const QDateTime t = At(2004, 9, 5, 7, 2, 30);
    start(t);
    alarmState.set(PendingAlarm{At(2004, 9, 5, 7, 3), {}});
    // An operation holds its connection (a tick can come in any nested event loop of it).
    Db db = OpenDB(env->program());
    QVERIFY(ExecSQL(*db, QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-09-05', 'x')")));
    // The alarm still falls due; the database is left alone.
    QVERIFY(RunTick(env->program(), t.addSecs(50), alarmState).alarmDue);
    QVERIFY(db->isOpen());
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
    QCOMPARE(rows(), QStringList{"2004-09-05 07:02:30 2004-09-05 07:02:30"});
    // The operation's outcome is its own, and the next tick extends the period.
    db->rollback();
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
    QVERIFY(!RunTick(env->program(), t.addSecs(100), alarmState).alarmDue);
    QCOMPARE(rows(), QStringList{"2004-09-05 07:02:30 2004-09-05 07:04:10"});
    QVERIFY(msgs->messages.empty());
}

void tst_timerTick::loadsThePendingAlarm() {
    QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Alarm VALUES ('2004-09-05 07:03:00', ?)"),
                      {QStringLiteral("会議\r\n資料")}));
    Db db = OpenDB(env->program());
    QVERIFY(alarmState.load(*db));
    QVERIFY(CloseDB(*db));
    QVERIFY(alarmState.pending());
    QCOMPARE(alarmState.pending()->time, At(2004, 9, 5, 7, 3));
    QCOMPARE(alarmState.pending()->detail, QStringLiteral("会議\r\n資料"));
    // An alarm whose minute has passed stays pending and never becomes due.
    QVERIFY(!RunTick(env->program(), At(2004, 9, 5, 7, 5), alarmState).alarmDue);
    QVERIFY(alarmState.pending());
}

void tst_timerTick::lockAcrossTicks_data() {
    QTest::addColumn<QByteArray>("lock"); // what another program holds on the file
    QTest::addColumn<QString>("message");
    QTest::newRow("a write lock") << QByteArray("BEGIN EXCLUSIVE")
                                  << QStringLiteral("データベースへの接続に失敗しました。");
    QTest::newRow("a read transaction") << QByteArray("BEGIN; SELECT count(*) FROM T_WorkTime")
                                        << QStringLiteral("データベースの切断に失敗しました。");
}

void tst_timerTick::lockAcrossTicks() {
    QFETCH(QByteArray, lock);
    QFETCH(QString, message);
    // The real message box: a tick that waited for its answer would never return here.
    msgs.reset();
    QVERIFY(
        env->exec(QStringLiteral("INSERT INTO T_Alarm VALUES ('2004-09-05 07:03:00', '会議')")));
    env->settings().writeText(SettingKey::StartUp, QStringLiteral("0"));
    ClockOverride clock(env->program(), At(2004, 9, 5, 7, 2, 30));
    MainWindow w(env->app());
    QVERIFY(w.start());
    const auto end = qScopeGuard([&w] { w.endProgram(); });
    const auto boxes = [&w] { return w.findChildren<QMessageBox*>(); };

    sqlite3* other = nullptr;
    QCOMPARE(
        sqlite3_open_v2(env->dbPath().toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
        SQLITE_OK);
    const auto closeOther = qScopeGuard([other] { sqlite3_close(other); });
    QCOMPARE(sqlite3_exec(other, lock.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    // A tick that waited on a modal box would stop the clock; this one answers it, and says so.
    bool waited = false;
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, [&waited] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            waited = true;
            modal->close();
        }
    });
    watchdog.start(100);
    // Two ticks under the lock, the second in the alarm's minute.
    for (int i = 0; i < 2; ++i) {
        clock.advanceSecs(25);
        w.findChild<TickTimer*>()->tickNow();
    }
    QVERIFY(!waited);
    QVERIFY(w.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    QCOMPARE(boxes().size(), 1);
    QMessageBox* box = boxes().first();
    QCOMPARE(box->text(), message);
    QCOMPARE(box->windowTitle(), QStringLiteral("Vaskel"));
    QTRY_VERIFY(box->isVisible());
    QVERIFY(!box->isModal());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QTRY_VERIFY(OpenWindowOf<AlarmNotice>(&w) && OpenWindowOf<AlarmNotice>(&w)->isVisible());

    // Released, with the message still unanswered: the next tick records again, 70 s after the
    // last one that did, so the period goes on.
    QCOMPARE(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
    clock.advanceSecs(20);
    w.findChild<TickTimer*>()->tickNow();
    QCOMPARE(rows(), QStringList{"2004-09-05 07:02:30 2004-09-05 07:03:40"});
    QCOMPARE(boxes().size(), 1);
    // A later outage, once this message is gone, has a message of its own.
    box->close();
    QTRY_COMPARE(boxes().size(), 0);
    QCOMPARE(sqlite3_exec(other, lock.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    clock.advanceSecs(50);
    w.findChild<TickTimer*>()->tickNow();
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
}

QTEST_MAIN(tst_timerTick)
#include "tst_timerTick.moc"
