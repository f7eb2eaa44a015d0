// Whole syncs that must end with the same texts everywhere, on real servers (Radicale,
// Xandikos), the server's side read by an independent client (python3-caldav): two databases
// and the independent client editing the same days between syncs; the user saving schedules
// while a long sync is on its way; and the program killed at random moments of its syncs,
// looped as the crash test does (this program started again with --child).

#include "DavServer.h"
#include "SyncTestSupport.h"
#include "TestSupport.h"
#include "core/Program.h"
#include "entries/EntryStore.h"
#include "sync/SyncAccount.h"
#include "sync/SyncEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <map>
#include <set>
#include <unistd.h>

namespace {

using namespace sync_test;

const QDateTime kNow(QDate(2027, 1, 4), QTime(9, 0));

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

// Another client's event put on the server as a phone would send it.
bool PhonePut(const QString& user, const QString& password, const QUrl& item,
              const QByteArray& ics) {
    QNetworkAccessManager nam;
    QNetworkRequest request(item);
    request.setRawHeader("Authorization", "Basic " + (user + u':' + password).toUtf8().toBase64());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/calendar"));
    QNetworkReply* reply = nam.put(request, ics);
    QSignalSpy done(reply, &QNetworkReply::finished);
    const bool ok = (done.count() || done.wait(20000)) &&
                    reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() / 100 == 2;
    delete reply;
    return ok;
}

QByteArray PhoneEvent(const QString& uid, const QString& start, const QString& summary) {
    return QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\n"
                          "BEGIN:VEVENT\r\nUID:%1\r\nDTSTAMP:20270101T000000Z\r\n%2\r\n"
                          "SUMMARY:%3\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
        .arg(uid, start, summary)
        .toUtf8();
}

// A schedule saved as the editor saves it: the day's whole text in a transaction of its own.
bool Save(const Program& program, const QDate& day, const QString& text) {
    const Db db = program.openDatabase();
    std::optional<DayText> stored;
    return db && (stored = ReadDay(*db, DayEntry::Schedule, day)) &&
           WriteDay(*db, DayEntry::Schedule, day, text, stored->exists) && db->commit();
}

// One program: its database, its sync settings and engine.
struct Device {
    Device() : clock(env.program(), kNow), settings(settingsDir.path()) {}
    TestEnv env{TestEnv::Schema::V107};
    ClockOverride clock;
    QTemporaryDir settingsDir;
    SyncSettings settings;
    SyncEngine engine{env.program(), settings};
};

// ---------------------------------------------------------------- the killed program

// The child's edits, numbered across children: an even one saves a new day, an odd one adds a
// line to one of the first days (each day once).
constexpr int kDays = 200;
constexpr int kMaxEdits = 300;
constexpr int kKills = 16;
constexpr qint64 kBudgetMs = 35'000;
const QDate kFirstDay(2027, 1, 1);

QDate EditDay(int i) {
    return i % 2 == 0 ? QDate(2028, 1, 1).addDays(i / 2) : kFirstDay.addDays(i / 2);
}
QString EditedText(const QString& before, int i) {
    return i % 2 == 0 ? QStringLiteral("新しい日 %1").arg(i)
                      : before + QStringLiteral("\n追記 %1").arg(i);
}
void ApplyEdit(Texts& texts, int i) {
    const QString key = EditDay(i).toString(Qt::ISODate);
    texts[key] = EditedText(texts[key], i);
}

// Edits and syncs, edits and syncs, until killed: prints "edit N" after each edit's commit.
int RunChild(char** argv) {
    Program program(QString::fromLocal8Bit(argv[2]));
    ClockOverride clock(program, kNow);
    QTemporaryDir settingsDir;
    SyncSettings settings(settingsDir.path());
    SyncEngine engine(program, settings);
    SyncAccount account;
    account.url = QString::fromLocal8Bit(argv[3]);
    account.user = QString::fromLocal8Bit(argv[4]);
    const QString password = QString::fromLocal8Bit(argv[5]);
    int next = std::atoi(argv[6]);
    const auto editAndSync = [&] {
        for (int n = 0; n < 5 && next < kMaxEdits; ++n, ++next) {
            const QDate day = EditDay(next);
            const Db db = program.openDatabase();
            std::optional<DayText> stored;
            if (!db || !(stored = ReadDay(*db, DayEntry::Schedule, day)) ||
                !WriteDay(*db, DayEntry::Schedule, day,
                          next % 2 == 0 ? EditedText(QString(), next)
                                        : stored->text + QStringLiteral("\r\n追記 %1").arg(next),
                          stored->exists) ||
                !db->commit()) {
                std::printf("failed: edit %d\n", next);
                std::fflush(stdout);
                _exit(3);
            }
            std::printf("edit %d\n", next);
            std::fflush(stdout);
        }
        engine.start(account, password);
    };
    QObject::connect(&engine, &SyncEngine::finished, [&](const SyncOutcome& o) {
        std::printf("synced %s\n", o.summary.toUtf8().constData());
        std::fflush(stdout);
        QTimer::singleShot(0, editAndSync);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    editAndSync();
    return QCoreApplication::exec();
}

} // namespace

class tst_syncConverge : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void threeParties_data();
    void threeParties();
    void savedWhileSyncing_data();
    void savedWhileSyncing();
    void killedWhileSyncing();
};

void tst_syncConverge::initTestCase() {
    qRegisterMetaType<SyncOutcome>();
}

void tst_syncConverge::threeParties_data() {
    QTest::addColumn<DavServer::Kind>("kind");
    QTest::newRow("Radicale") << DavServer::Kind::Radicale;
    QTest::newRow("Xandikos") << DavServer::Kind::Xandikos;
}

// Two databases and the independent client edit the same days between syncs: our items of
// days, other clients' events and their lines, anniversaries. After each database has synced
// twice, all three hold the same texts, every line typed anywhere is there, and what was only
// deleted is gone everywhere.
void tst_syncConverge::threeParties() {
    QFETCH(DavServer::Kind, kind);
    DavServer server(kind);
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    const QUrl calendar = server.newCalendar(QStringLiteral("共有"));
    QVERIFY2(calendar.isValid(), qPrintable(server.error()));
    SyncAccount account;
    account.url = calendar.toString();
    account.user = server.user();
    Device a, b;
    const auto syncBoth = [&](const char* when) {
        for (Device* d : {&a, &b}) {
            const SyncOutcome o = Sync(d->engine, account, server.password());
            if (!o.ok) {
                qWarning("%s: %s", when, qPrintable(o.summary));
                return false;
            }
        }
        return true;
    };
    const auto phone = [&](const QString& uid, const QString& start, const QString& summary) {
        return PhonePut(server.user(), server.password(), calendar.resolved(QUrl(uid + ".ics")),
                        PhoneEvent(uid, start, summary));
    };
    const auto timeOf = [](int hour) {
        return QDateTime(QDate(2027, 3, 4), QTime(hour, 30), QTimeZone::utc()).toLocalTime();
    };
    const QString dentistDay = timeOf(1).date().toString(Qt::ISODate);
    const QString dentistAt = timeOf(1).toString(QStringLiteral("HH:mm "));
    const QString lunchAt = timeOf(3).toString(QStringLiteral("HH:mm "));
    QVERIFY(a.env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2027-03-01', ?), "
                                      "('2027-03-02', '二日目'), ('2027-03-03', '三日目'), "
                                      "('2027-03-08', '八日目')"),
                       {QStringLiteral("朝会\r\n資料")}));
    QVERIFY(a.env.exec(
        QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (5, 5, 'こどもの日')")));
    QVERIFY(syncBoth("first"));
    QVERIFY(phone(QStringLiteral("dentist"),
                  QStringLiteral("DTSTART:20270304T013000Z\r\nDTEND:20270304T023000Z"),
                  QStringLiteral("歯医者")));
    QVERIFY(phone(QStringLiteral("lunch"),
                  QStringLiteral("DTSTART:20270304T033000Z\r\nDTEND:20270304T043000Z"),
                  QStringLiteral("昼食")));
    QVERIFY(phone(QStringLiteral("meeting"), QStringLiteral("DTSTART;VALUE=DATE:20270305"),
                  QStringLiteral("会議")));
    QVERIFY(phone(QStringLiteral("walk"), QStringLiteral("DTSTART;VALUE=DATE:20270309"),
                  QStringLiteral("散歩")));
    QVERIFY(syncBoth("after the phone's events"));
    QString error;
    Texts all = ServerTexts(server, calendar, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(all[QStringLiteral("2027-03-05")], QStringLiteral("会議"));
    QCOMPARE(LocalTexts(a.env), all);
    QCOMPARE(LocalTexts(b.env), all);

    // Everyone edits. A day of ours on all three sides:
    QVERIFY(Save(a.env.program(), QDate(2027, 3, 1), "朝会\r\n資料\r\n一号機で追加"));
    QVERIFY(Save(b.env.program(), QDate(2027, 3, 1), "朝会\r\n資料\r\n二号機で追加"));
    QVERIFY(Peer(server, calendar,
                 {"edit", "schedule-20270301@vaskel", "description", "朝会\n資料\n電話で追加"}));
    // deleted on one side, changed on another (twice), deleted only:
    QVERIFY(a.env.exec(QStringLiteral("DELETE FROM T_Schedule WHERE Date = '2027-03-02'")));
    QVERIFY(Peer(server, calendar,
                 {"edit", "schedule-20270302@vaskel", "description", "二日目\n電話で変更"}));
    QVERIFY(a.env.exec(QStringLiteral("DELETE FROM T_Schedule WHERE Date = '2027-03-08'")));
    QVERIFY(Save(b.env.program(), QDate(2027, 3, 8), "八日目（二号機で変更）"));
    QVERIFY(a.env.exec(QStringLiteral("DELETE FROM T_Schedule WHERE Date = '2027-03-03'")));
    // the same new day on both databases:
    QVERIFY(Save(a.env.program(), QDate(2027, 3, 7), "一号機の予定"));
    QVERIFY(Save(b.env.program(), QDate(2027, 3, 7), "二号機の予定"));
    // another client's event changed there and its line here, one line changed, one deleted:
    QVERIFY(Peer(server, calendar, {"edit", "dentist", "summary", "歯医者（電話で変更）"}));
    QVERIFY(Save(a.env.program(), QDate::fromString(dentistDay, Qt::ISODate),
                 dentistAt + "歯医者（一号機で変更）\r\n" + lunchAt + "昼食"));
    QVERIFY(Save(b.env.program(), QDate::fromString(dentistDay, Qt::ISODate),
                 dentistAt + "歯医者\r\n" + lunchAt + "昼食（場所変更）"));
    QVERIFY(b.env.exec(QStringLiteral("DELETE FROM T_Schedule WHERE Date = '2027-03-05'")));
    // a line of ours typed below another client's line:
    QVERIFY(Save(a.env.program(), QDate(2027, 3, 9), "散歩\r\n散歩の後で買い物"));
    // an anniversary added on one, another deleted on the other.
    QVERIFY(a.env.exec(
        QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (7, 7, '七夕')")));
    QVERIFY(b.env.exec(QStringLiteral("DELETE FROM T_WhatDay WHERE Month = 5")));
    QVERIFY(syncBoth("after the edits"));
    QVERIFY(syncBoth("once more"));

    // The same texts everywhere, in the same order: our lines first, then other clients' (a
    // line typed below another client's line on one database moves above it there as well).
    all = ServerTexts(server, calendar, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(LocalTexts(a.env), LocalTexts(b.env));
    QCOMPARE(LocalTexts(a.env), all);
    QCOMPARE(LocalTexts(a.env)[QStringLiteral("2027-03-09")],
             QStringLiteral("散歩の後で買い物\n散歩"));
    const auto lines = [&all](const char* day) {
        QStringList l = all[QString::fromLatin1(day)].split(u'\n');
        l.sort();
        return l;
    };
    QCOMPARE(lines("2027-03-01"),
             QStringList({"一号機で追加", "二号機で追加", "朝会", "資料", "電話で追加"}));
    QCOMPARE(all[QStringLiteral("2027-03-02")], QStringLiteral("二日目\n電話で変更"));
    QCOMPARE(all[QStringLiteral("2027-03-08")], QStringLiteral("八日目（二号機で変更）"));
    QCOMPARE(lines("2027-03-07"), QStringList({"一号機の予定", "二号機の予定"}));
    QCOMPARE(lines(qPrintable(dentistDay)),
             QStringList({dentistAt + "歯医者（一号機で変更）", dentistAt + "歯医者（電話で変更）",
                          lunchAt + "昼食（場所変更）"}));
    QCOMPARE(lines("2027-03-09"), QStringList({"散歩", "散歩の後で買い物"}));
    QCOMPARE(all[QStringLiteral("7/7")], QStringLiteral("七夕"));
    for (const char* gone : {"2027-03-03", "2027-03-05", "5/5"})
        QVERIFY2(!all.count(QString::fromLatin1(gone)), gone);
    for (Device* d : {&a, &b})
        QCOMPARE(Sync(d->engine, account, server.password()).summary,
                 QStringLiteral("受信 0件、送信 0件"));
}

void tst_syncConverge::savedWhileSyncing_data() {
    threeParties_data();
}

// Schedules saved while a long first sync is on its way: one of a day already sent, one of a
// day still to be sent, a new day; the saves ask for a sync, which follows the running one.
// What was saved is in the database and on the server.
void tst_syncConverge::savedWhileSyncing() {
    QFETCH(DavServer::Kind, kind);
    DavServer server(kind);
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    const QUrl calendar = server.newCalendar(QStringLiteral("同期"));
    QVERIFY2(calendar.isValid(), qPrintable(server.error()));
    SyncAccount account;
    account.url = calendar.toString();
    account.user = server.user();
    Device d;
    QVERIFY(d.env.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 "
                                      "FROM n WHERE i + 1 < 120) INSERT INTO T_Schedule "
                                      "SELECT date('2027-04-01', '+' || i || ' days'), '予定 ' "
                                      "|| i FROM n")));
    QSignalSpy done(&d.engine, &SyncEngine::finished);
    d.engine.start(account, server.password());
    const QString sentSql = QStringLiteral("SELECT Date FROM T_SyncItem WHERE Kind = 1 AND "
                                           "Tag <> '' ORDER BY Date");
    QTRY_VERIFY_WITH_TIMEOUT(d.env.column(sentSql).size() >= 10 || !done.isEmpty(), 60000);
    QVERIFY2(done.isEmpty(), "the sync ended before the schedules were saved");
    const QDate sent = QDate::fromString(d.env.column(sentSql).first(), Qt::ISODate);
    const QDate toSend = QDate(2027, 4, 1).addDays(119); // the last day, the last to go
    QVERIFY(!d.env.column(sentSql).contains(toSend.toString(Qt::ISODate)));
    const QDate added(2027, 12, 24);
    QVERIFY(Save(d.env.program(), sent, QStringLiteral("送った後で保存\r\n二行目")));
    QVERIFY(Save(d.env.program(), toSend, QStringLiteral("送る前に保存")));
    QVERIFY(Save(d.env.program(), added, QStringLiteral("新しい日")));
    QVERIFY(d.engine.isRunning());
    // As a save asks for a sync: it follows the running one.
    d.engine.start(account, server.password());
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 2, 120000);
    for (const QList<QVariant>& end : done)
        QVERIFY2(end.at(0).value<SyncOutcome>().ok,
                 qPrintable(end.at(0).value<SyncOutcome>().summary));
    QCOMPARE(Sync(d.engine, account, server.password()).summary,
             QStringLiteral("受信 0件、送信 0件"));
    const Texts local = LocalTexts(d.env);
    QCOMPARE(local.size(), size_t(121));
    QCOMPARE(local.at(sent.toString(Qt::ISODate)), QStringLiteral("送った後で保存\n二行目"));
    QCOMPARE(local.at(toSend.toString(Qt::ISODate)), QStringLiteral("送る前に保存"));
    QCOMPARE(local.at(added.toString(Qt::ISODate)), QStringLiteral("新しい日"));
    QString error;
    QCOMPARE(ServerTexts(server, calendar, &error), local);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

// The program killed at random moments while it edits and syncs a database of a few hundred
// days (the first sync of them among it). After each kill the file is intact and holds every
// edit it reported committed, and every change of the server it integrated; the next child's
// syncs go on from there. Every few kills (and at the end) a sync here completes the work, the
// next one has nothing to do, and (now and then) the server holds every day with the
// database's text.
void tst_syncConverge::killedWhileSyncing() {
    DavServer server(DavServer::Kind::Radicale);
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    const QUrl calendar = server.newCalendar(QStringLiteral("同期"));
    QVERIFY2(calendar.isValid(), qPrintable(server.error()));
    SyncAccount account;
    account.url = calendar.toString();
    account.user = server.user();
    Device d;
    QVERIFY(d.env.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 "
                                      "FROM n WHERE i + 1 < ?) INSERT INTO T_Schedule "
                                      "SELECT date('2027-01-01', '+' || i || ' days'), '予定 ' "
                                      "|| i || char(13, 10) || '二行目 ' || i FROM n"),
                       {kDays}));
    Texts expected = LocalTexts(d.env);
    // Changes on the server that a child may or may not have integrated when killed: the text
    // each brings.
    Texts remote;
    const auto converge = [&](const char* where) {
        const SyncOutcome o = Sync(d.engine, account, server.password());
        if (!o.ok || Sync(d.engine, account, server.password()).summary !=
                         QStringLiteral("受信 0件、送信 0件")) {
            qWarning("%s: %s", where, qPrintable(o.summary));
            return false;
        }
        for (const auto& [key, text] : remote)
            expected[key] = text;
        remote.clear();
        return true;
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QElapsedTimer elapsed;
    elapsed.start();
    int next = 0;  // the edit the next child begins with
    int kills = 0; // ... and the kills that caught a sync on its way
    int synced = 0;
    for (; kills < kKills && elapsed.elapsed() < kBudgetMs; ++kills) {
        const quint32 seed = 2000 + quint32(kills);
        const QByteArray where = "seed " + QByteArray::number(seed);
        // Another client's event on a day of its own.
        const QDate phoneDay = QDate(2028, 7, 1).addDays(kills);
        QVERIFY(PhonePut(server.user(), server.password(),
                         calendar.resolved(QUrl(QStringLiteral("phone-%1.ics").arg(kills))),
                         PhoneEvent(QStringLiteral("phone-%1").arg(kills),
                                    QStringLiteral("DTSTART;VALUE=DATE:") +
                                        phoneDay.toString(QStringLiteral("yyyyMMdd")),
                                    QStringLiteral("電話の予定 %1").arg(kills))));
        remote[phoneDay.toString(Qt::ISODate)] = QStringLiteral("電話の予定 %1").arg(kills);

        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), d.env.dir(), account.url, account.user,
                     server.password(), QString::number(next)});
        QVERIFY2(child.waitForStarted(), where);
        while (!child.canReadLine())
            QVERIFY2(child.waitForReadyRead(30'000), where);
        QCOMPARE(child.readLine(), QByteArray("ready\n"));
        const int delay = 100 + int(QRandomGenerator(seed).bounded(1500));
        const bool ended = child.waitForFinished(delay);
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        const QByteArray output = child.readAll();
        QVERIFY2(!ended, where + ": the child ended by itself: " + output.right(400));
        int reported = next - 1;
        for (const QByteArray& line : output.split('\n')) {
            QVERIFY2(!line.startsWith("failed"), where + ": " + line);
            if (line.startsWith("edit "))
                reported = line.mid(5).toInt();
            synced += line.startsWith("synced 受信") ? 1 : 0;
        }
        for (int i = next; i <= reported; ++i)
            ApplyEdit(expected, i);

        // As the next start finds the file: intact, with every reported edit, each change of
        // the server integrated or not, the edit after the reported ones done or not.
        QCOMPARE(d.env.scalar(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        const Texts found = LocalTexts(d.env);
        Texts after = expected;
        if (reported + 1 < kMaxEdits)
            ApplyEdit(after, reported + 1);
        std::set<QString> keys;
        for (const Texts* t :
             {&found, static_cast<const Texts*>(&expected), static_cast<const Texts*>(&after)})
            for (const auto& [key, text] : *t)
                keys.insert(key);
        bool nextDone = false;
        for (const QString& key : keys) {
            const QString is = found.count(key) ? found.at(key) : QString();
            const QString was = expected.count(key) ? expected.at(key) : QString();
            const QString edited = after.count(key) ? after.at(key) : QString();
            const auto fetched = remote.find(key);
            if (fetched != remote.end() && is == fetched->second) {
                expected[key] = after[key] = is; // integrated: it must stay
                remote.erase(fetched);
                continue;
            }
            if (is != was && is == edited) {
                nextDone = true;
                continue;
            }
            QVERIFY2(is == was, qPrintable(QStringLiteral("%1, after edit %2: %3 holds «%4», "
                                                          "not «%5»")
                                               .arg(QString::fromLatin1(where))
                                               .arg(reported)
                                               .arg(key, is, was)));
        }
        if (nextDone) {
            expected = after;
            ++reported;
        }
        next = reported + 1;

        // Every few kills, a sync here completes the work; then the independent client
        // changes one of our days, for the next children to integrate.
        if (kills % 4 == 3) {
            QVERIFY2(converge(where), where);
            QCOMPARE(LocalTexts(d.env), expected);
            if (kills % 8 == 7) {
                QString error;
                QCOMPARE(ServerTexts(server, calendar, &error), expected);
                QVERIFY2(error.isEmpty(), qPrintable(error));
            }
            const QDate day = kFirstDay.addDays(kDays - 1 - kills);
            QVERIFY(
                Peer(server, calendar,
                     {QStringLiteral("edit"),
                      QStringLiteral("schedule-%1@vaskel").arg(day.toString("yyyyMMdd")),
                      QStringLiteral("description"), QStringLiteral("電話で変更 %1").arg(kills)}));
            remote[day.toString(Qt::ISODate)] = QStringLiteral("電話で変更 %1").arg(kills);
        }
    }
    QVERIFY(converge("at the end"));
    QCOMPARE(LocalTexts(d.env), expected);
    QString error;
    QCOMPARE(ServerTexts(server, calendar, &error), expected);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    qInfo("%d kills, %d edits, %d syncs completed by the children, %lld ms", kills, next, synced,
          elapsed.elapsed());
    QVERIFY(kills >= kKills / 2);
    QVERIFY(next > 20);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 7 && qstrcmp(argv[1], "--child") == 0)
        return RunChild(argv);
    tst_syncConverge test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_syncConverge.moc"
