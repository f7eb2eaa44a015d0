// Whole syncs of a database with a calendar on a real server (Radicale, Xandikos), the other
// side being an independent client (python3-caldav): the first upload, a sync with nothing to
// do, another client's event shown as a line, that line edited and deleted here, changes on
// both sides merged, and the faults that end a sync.

#include "DavServer.h"
#include "SyncTestSupport.h"
#include "TestSupport.h"
#include "sync/CalDavClient.h"
#include "sync/SyncAccount.h"
#include "sync/SyncEngine.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimeZone>
#include <QtTest>

namespace {

using sync_test::Sync;

// The collection's items by UID, as the independent client reads them.
std::map<QString, QJsonObject> Items(const DavServer& server, const QUrl& calendar) {
    QString error;
    const QJsonDocument doc = DavServer::peer(
        {QStringLiteral("list"), calendar.toString(), server.user(), server.password()}, &error);
    std::map<QString, QJsonObject> out;
    for (const QJsonValue& v : doc.array())
        out[v.toObject().value(QStringLiteral("uid")).toString()] = v.toObject();
    return out;
}

bool PeerPut(const DavServer& server, const QUrl& calendar, const QByteArray& ics) {
    QTemporaryFile file;
    if (!file.open() || file.write(ics) != ics.size() || !file.flush())
        return false;
    QString error;
    return !DavServer::peer({QStringLiteral("put"), calendar.toString(), server.user(),
                             server.password(), file.fileName()},
                            &error)
                .isNull();
}

bool Peer(const DavServer& server, const QUrl& calendar, QStringList args) {
    args.insert(1, calendar.toString());
    args.insert(2, server.user());
    args.insert(3, server.password());
    QString error;
    const bool ok = !DavServer::peer(args, &error).isNull();
    if (!ok)
        qWarning("%s", qPrintable(error));
    return ok;
}

const QByteArray kDentist = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\n"
                            "BEGIN:VEVENT\r\nUID:phone-1@example.com\r\n"
                            "DTSTAMP:20270101T000000Z\r\nDTSTART:20270106T003000Z\r\n"
                            "DTEND:20270106T013000Z\r\nSUMMARY:歯医者\r\nEND:VEVENT\r\n"
                            "END:VCALENDAR\r\n";

} // namespace

class tst_syncEngine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void twoWays_data();
    void twoWays();
    void faultsEndTheSync();
};

void tst_syncEngine::initTestCase() {
    qRegisterMetaType<SyncOutcome>();
}

void tst_syncEngine::twoWays_data() {
    QTest::addColumn<DavServer::Kind>("kind");
    QTest::newRow("Radicale") << DavServer::Kind::Radicale;
    QTest::newRow("Xandikos") << DavServer::Kind::Xandikos;
}

void tst_syncEngine::twoWays() {
    QFETCH(DavServer::Kind, kind);
    DavServer server(kind);
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    const QUrl calendar = server.newCalendar(QStringLiteral("同期"));
    QVERIFY(calendar.isValid());
    TestEnv env(TestEnv::Schema::V107);
    ClockOverride clock(env.program(), QDateTime(QDate(2027, 1, 4), QTime(9, 0)));
    const QString work = QStringLiteral("仕事始め\r\n10:00 会議\u00a0資料");
    QVERIFY(env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2027-01-05', ?)"), {work}));
    QVERIFY(
        env.exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2027-01-05', '日記は送らない')")));
    QVERIFY(env.exec(
        QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (7, 7, '七夕')")));
    QTemporaryDir settingsDir;
    SyncSettings settings(settingsDir.path());
    SyncEngine engine(env.program(), settings);
    SyncAccount account;
    account.url = calendar.toString();
    account.user = server.user();

    // The first sync uploads our items, the diary left out.
    SyncOutcome o = Sync(engine, account, server.password());
    QVERIFY2(o.ok, qPrintable(o.summary));
    QCOMPARE(env.openConnections(), 0);
    auto items = Items(server, calendar);
    QCOMPARE(items.size(), size_t(2));
    QCOMPARE(
        items[QStringLiteral("schedule-20270105@vaskel")][QStringLiteral("description")].toString(),
        QStringLiteral("仕事始め\n10:00 会議\u00a0資料"));
    QVERIFY(std::any_of(items.begin(), items.end(), [](const auto& i) {
        return i.second[QStringLiteral("summary")].toString() == QStringLiteral("七夕") &&
               i.second[QStringLiteral("rrule")].toString() == QStringLiteral("FREQ=YEARLY");
    }));

    // Nothing to do: nothing moves.
    o = Sync(engine, account, server.password());
    QVERIFY2(o.ok, qPrintable(o.summary));
    QCOMPARE(o.summary, QStringLiteral("受信 0件、送信 0件"));

    // Another client's timed event shows as its line on its local day.
    QVERIFY(PeerPut(server, calendar, kDentist));
    QVERIFY2(Sync(engine, account, server.password()).ok, "after the phone's event");
    const QDateTime at = QDateTime(QDate(2027, 1, 6), QTime(0, 30), QTimeZone::utc()).toLocalTime();
    const QString day = at.date().toString(Qt::ISODate);
    const QString line = at.toString(QStringLiteral("HH:mm ")) + QStringLiteral("歯医者");
    QCOMPARE(env.scalar(QStringLiteral("SELECT Schedule FROM T_Schedule WHERE Date = ?"), {day}),
             line);
    // ... and is not uploaded inside our day item.
    items = Items(server, calendar);
    QCOMPARE(items.size(), size_t(3));

    // The line edited here changes the event's summary on the server, not its time.
    QVERIFY(
        env.exec(QStringLiteral("UPDATE T_Schedule SET Schedule = ? WHERE Date = ?"),
                 {at.toString(QStringLiteral("HH:mm ")) + QStringLiteral("歯医者（変更）"), day}));
    QVERIFY2(Sync(engine, account, server.password()).ok, "after the edit");
    items = Items(server, calendar);
    const QJsonObject dentist = items[QStringLiteral("phone-1@example.com")];
    QCOMPARE(dentist[QStringLiteral("summary")].toString(), QStringLiteral("歯医者（変更）"));
    QCOMPARE(QDateTime::fromString(dentist[QStringLiteral("dtstart")].toString(), Qt::ISODate), at);
    QCOMPARE(items.size(), size_t(3));

    // Changed on both sides: the local lines, then the remote ones not among them.
    QVERIFY(env.exec(
        QStringLiteral("UPDATE T_Schedule SET Schedule = Schedule || ? WHERE Date = '2027-01-05'"),
        {QStringLiteral("\r\nここで追加")}));
    QVERIFY(Peer(server, calendar,
                 {QStringLiteral("edit"), QStringLiteral("schedule-20270105@vaskel"),
                  QStringLiteral("description"), QStringLiteral("仕事始め\n電話で追加")}));
    QVERIFY2(Sync(engine, account, server.password()).ok, "after both changed");
    // Written as the editors write: line feeds, whatever the local text had.
    const QString merged = QString(work).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) +
                           QStringLiteral("\nここで追加\n電話で追加");
    QCOMPARE(
        env.scalar(QStringLiteral("SELECT Schedule FROM T_Schedule WHERE Date = '2027-01-05'")),
        merged);
    items = Items(server, calendar);
    QCOMPARE(
        items[QStringLiteral("schedule-20270105@vaskel")][QStringLiteral("description")].toString(),
        merged);

    // Deleted there: its line goes here.
    QVERIFY(
        Peer(server, calendar, {QStringLiteral("delete"), QStringLiteral("phone-1@example.com")}));
    QVERIFY2(Sync(engine, account, server.password()).ok, "after the delete");
    QCOMPARE(env.scalar(QStringLiteral("SELECT count(*) FROM T_Schedule WHERE Date = ?"), {day}),
             QStringLiteral("0"));

    // Schedules turned off pass the server's events over; turned on again, they come.
    account.schedules = false;
    QVERIFY(PeerPut(server, calendar, kDentist));
    QVERIFY2(Sync(engine, account, server.password()).ok, "with schedules off");
    QCOMPARE(env.scalar(QStringLiteral("SELECT count(*) FROM T_Schedule WHERE Date = ?"), {day}),
             QStringLiteral("0"));
    account.schedules = true;
    QVERIFY2(Sync(engine, account, server.password()).ok, "with schedules on again");
    QCOMPARE(env.scalar(QStringLiteral("SELECT Schedule FROM T_Schedule WHERE Date = ?"), {day}),
             line);
    QCOMPARE(env.openConnections(), 0);
    QVERIFY(settings.log().size() >= 6);
}

// Each fault ends the sync with its message and leaves the database as it was.
void tst_syncEngine::faultsEndTheSync() {
    DavServer server(DavServer::Kind::Radicale);
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    const QUrl calendar = server.newCalendar(QStringLiteral("同期"));
    TestEnv env(TestEnv::Schema::V107);
    QVERIFY(env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2027-01-05', '予定')")));
    QTemporaryDir settingsDir;
    SyncSettings settings(settingsDir.path());
    SyncEngine engine(env.program(), settings);
    SyncAccount account;
    account.url = calendar.toString();
    account.user = server.user();

    SyncOutcome o = Sync(engine, account, QStringLiteral("wrong"));
    QVERIFY(!o.ok);
    QCOMPARE(o.summary, QStringLiteral("ユーザー名またはパスワードが違います。"));
    QVERIFY(Items(server, calendar).empty());
    QCOMPARE(settings.lastOutcome().summary, o.summary);
    QVERIFY(settings.log().last().contains(o.summary));

    // The next sync completes the work.
    o = Sync(engine, account, server.password());
    QVERIFY2(o.ok, qPrintable(o.summary));
    QCOMPARE(Items(server, calendar).size(), size_t(1));

    server.kill();
    QVERIFY(env.exec(QStringLiteral("UPDATE T_Schedule SET Schedule = '変更'")));
    o = Sync(engine, account, server.password());
    QVERIFY(!o.ok);
    QVERIFY2(o.summary.startsWith(QStringLiteral("サーバーに接続できません")),
             qPrintable(o.summary));
    QCOMPARE(env.scalar(QStringLiteral("SELECT Schedule FROM T_Schedule")), QStringLiteral("変更"));
    QCOMPARE(env.openConnections(), 0);
}

QTEST_MAIN(tst_syncEngine)
#include "tst_syncEngine.moc"
