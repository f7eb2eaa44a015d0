// The faults that end a sync, each against a real server (Radicale, Xandikos) reached through a
// small proxy that fails the requests it is told to: the sync ends with its line in the log and
// a failed outcome, the database holds only the steps that were committed and passes its
// integrity check, and the next sync completes the work: the database and the server (read by
// an independent client, python3-caldav) hold the same texts, and a sync after that has
// nothing to do.

#include "DavServer.h"
#include "SyncTestSupport.h"
#include "TestSupport.h"
#include "sync/CalDavClient.h"
#include "sync/SyncAccount.h"
#include "sync/SyncEngine.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <condition_variable>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <thread>

namespace {

using namespace sync_test;

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

QByteArray Http(int status, const QByteArray& body = {}) {
    return "HTTP/1.1 " + QByteArray::number(status) +
           " X\r\nContent-Type: text/xml\r\nConnection: close\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// Stands between the program and the real server, on a port of its own, and passes every
// request on, except the ones it is told to fail: those get a canned answer, no answer at all
// (the client's timeout), an endless body, or go to the server with the connections cut as soon
// as it answers (the server did the work, the answer is lost) and the proxy down after that.
class FaultProxy : public QObject {
public:
    enum class Act { Pass, Answer, Silent, Endless, Cut };
    static constexpr qint64 kEndless = 100 * 1024 * 1024;

    explicit FaultProxy(int upstream) : m_upstream(quint16(upstream)) {
        connect(&m_listener, &QTcpServer::newConnection, this, &FaultProxy::accept);
        up();
    }
    ~FaultProxy() override {
        for (const QPointer<QTcpSocket>& c : std::as_const(m_clients)) {
            if (!c)
                continue;
            for (QTcpSocket* s : c->findChildren<QTcpSocket*>())
                s->disconnect();
            c->disconnect();
            delete c;
        }
    }
    bool up() {
        if (!m_listener.isListening() && m_listener.listen(QHostAddress::LocalHost, m_port))
            m_port = m_listener.serverPort();
        return m_listener.isListening();
    }
    // Nothing listens any more; the open connections are cut.
    void down() {
        m_listener.close();
        for (const QPointer<QTcpSocket>& c : std::as_const(m_clients))
            if (c)
                c->abort();
    }
    QUrl url(QUrl real) const {
        real.setPort(m_port);
        return real;
    }
    // The requests "METHOD" (or "METHOD what", naming something in their bodies) from the
    // skip-th one on (counting from 0) get act.
    void fail(const QByteArray& request, Act act, const QByteArray& answer = {}, int skip = 0) {
        const qsizetype space = request.indexOf(' ');
        m_method = space < 0 ? request : request.left(space);
        m_body = space < 0 ? QByteArray() : request.mid(space + 1);
        m_act = act;
        m_answer = answer;
        m_skip = skip + m_seen[m_method];
    }
    void heal() { m_method.clear(); }
    // From now on every request must carry Digest credentials of this user and password
    // (RFC 7616, MD5, qop=auth); they go on to the server as Basic ones, which it knows.
    void requireDigest(const QString& user, const QString& password) {
        m_digestUser = user.toUtf8();
        m_digestPassword = password.toUtf8();
    }
    // Told of every request: its method and how many of that method came before.
    std::function<void(const QByteArray&, int)> seen;
    qint64 endlessSent = 0;

private:
    void accept() {
        while (QTcpSocket* c = m_listener.nextPendingConnection()) {
            m_clients << c;
            auto* s = new QTcpSocket(c);
            s->connectToHost(QHostAddress::LocalHost, m_upstream);
            connect(c, &QTcpSocket::readyRead, this, [this, c, s] { request(c, s); });
            connect(s, &QTcpSocket::readyRead, this, [this, c, s] {
                if (s->property("cut").toBool())
                    return down();
                c->write(s->readAll());
            });
            connect(s, &QTcpSocket::disconnected, c, &QTcpSocket::disconnectFromHost);
            connect(c, &QTcpSocket::disconnected, this, [this, c, s] {
                s->abort();
                m_in.remove(c);
                c->deleteLater();
            });
        }
    }
    void request(QTcpSocket* c, QTcpSocket* s) {
        QByteArray& in = m_in[c];
        in += c->readAll();
        static const QRegularExpression length(QStringLiteral("content-length:\\s*(\\d+)"),
                                               QRegularExpression::CaseInsensitiveOption);
        const qsizetype head = in.indexOf("\r\n\r\n");
        if (head < 0)
            return;
        const auto m = length.match(QString::fromLatin1(in.left(head)));
        const qsizetype size = head + 4 + (m.hasMatch() ? m.captured(1).toLongLong() : 0);
        if (in.size() < size)
            return;
        QByteArray req = in.left(size);
        in.remove(0, size);
        const QByteArray method = req.left(req.indexOf(' '));
        if (!m_digestUser.isEmpty() && !digestToBasic(method, req)) {
            c->write(QByteArray("HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n"
                                "WWW-Authenticate: Digest realm=\"cal\", nonce=\"") +
                     kNonce + "\", qop=\"auth\", algorithm=MD5\r\n\r\n");
            return;
        }
        const int n = m_seen[method]++;
        if (seen)
            seen(method, n);
        const Act act =
            method == m_method && n >= m_skip && (m_body.isEmpty() || req.contains(m_body))
                ? m_act
                : Act::Pass;
        switch (act) {
        case Act::Pass:
        case Act::Cut:
            s->setProperty("cut", act == Act::Cut);
            s->write(req);
            break;
        case Act::Answer:
            c->write(m_answer);
            c->disconnectFromHost();
            break;
        case Act::Silent:
            break;
        case Act::Endless: {
            c->write("HTTP/1.1 207 Multi-Status\r\nContent-Type: text/xml\r\n"
                     "Connection: close\r\n\r\n<multistatus xmlns=\"DAV:\">");
            const auto more = [this, c] {
                if (endlessSent < kEndless && c->bytesToWrite() < 1024 * 1024) {
                    c->write(QByteArray(1024 * 1024, ' '));
                    endlessSent += 1024 * 1024;
                }
            };
            connect(c, &QTcpSocket::bytesWritten, c, more);
            more();
            break;
        }
        }
    }

    static constexpr const char* kNonce = "a1b2c3d4";
    static QByteArray Md5(const QByteArray& s) {
        return QCryptographicHash::hash(s, QCryptographicHash::Md5).toHex();
    }
    // Whether the request's Digest answer is right; if so its credentials become Basic ones.
    bool digestToBasic(const QByteArray& method, QByteArray& req) const {
        const qsizetype head = req.indexOf("\r\n\r\n");
        static const QRegularExpression line(QStringLiteral("\r\nauthorization: *digest ([^\r]*)"),
                                             QRegularExpression::CaseInsensitiveOption);
        const auto m = line.match(QString::fromLatin1(req.left(head)));
        if (!m.hasMatch())
            return false;
        QHash<QString, QByteArray> p;
        static const QRegularExpression pair(QStringLiteral("(\\w+)=(?:\"([^\"]*)\"|([^,\\s]*))"));
        for (auto it = pair.globalMatch(m.captured(1)); it.hasNext();) {
            const auto kv = it.next();
            p[kv.captured(1).toLower()] = (kv.captured(2) + kv.captured(3)).toLatin1();
        }
        const QByteArray ha1 = Md5(m_digestUser + ":cal:" + m_digestPassword);
        const QByteArray ha2 = Md5(method + ':' + p[QStringLiteral("uri")]);
        const QByteArray expected = Md5(ha1 + ':' + kNonce + ':' + p[QStringLiteral("nc")] + ':' +
                                        p[QStringLiteral("cnonce")] + ":auth:" + ha2);
        if (p[QStringLiteral("username")] != m_digestUser || p[QStringLiteral("nonce")] != kNonce ||
            p[QStringLiteral("response")] != expected)
            return false;
        req.replace(m.capturedStart(0), m.capturedLength(0),
                    "\r\nAuthorization: Basic " +
                        (m_digestUser + ':' + m_digestPassword).toBase64());
        return true;
    }

    QTcpServer m_listener;
    quint16 m_upstream;
    quint16 m_port = 0;
    QList<QPointer<QTcpSocket>> m_clients;
    QHash<QTcpSocket*, QByteArray> m_in;
    QHash<QByteArray, int> m_seen;
    QByteArray m_method;
    QByteArray m_body;
    Act m_act = Act::Pass;
    QByteArray m_answer;
    int m_skip = 0;
    QByteArray m_digestUser;
    QByteArray m_digestPassword;
};

// Another connection's write transaction on the database, as the tick holds one, in a thread
// of its own: held for a while, or until released.
class Lock {
public:
    explicit Lock(const QString& path) : m_path(path.toUtf8()) {}
    ~Lock() { release(); }
    // Returns once the lock is held (true) or could not be taken.
    bool take(bool exclusive, int holdMs) {
        std::promise<bool> taken;
        std::future<bool> result = taken.get_future();
        m_thread = std::thread([this, exclusive, holdMs, &taken] {
            sqlite3* db = nullptr;
            sqlite3_open_v2(m_path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
            taken.set_value(sqlite3_exec(db,
                                         exclusive ? "BEGIN EXCLUSIVE"
                                                   : "BEGIN IMMEDIATE; INSERT INTO T_WorkTime "
                                                     "VALUES ('2027-03-01 09:00:00', "
                                                     "'2027-03-01 09:01:00')",
                                         nullptr, nullptr, nullptr) == SQLITE_OK);
            std::unique_lock lock(m_mutex);
            const auto released = [this] { return m_released; };
            if (holdMs < 0)
                m_wake.wait(lock, released);
            else
                m_wake.wait_for(lock, std::chrono::milliseconds(holdMs), released);
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        });
        return result.get();
    }
    void release() {
        {
            std::lock_guard lock(m_mutex);
            m_released = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    QByteArray m_path;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_released = false;
};

// Another client's event put on the server as a phone would send it.
bool PhonePut(const DavServer& server, const QUrl& item, const QByteArray& ics) {
    QNetworkAccessManager nam;
    QNetworkRequest request(item);
    request.setRawHeader("Authorization",
                         "Basic " + (server.user() + u':' + server.password()).toUtf8().toBase64());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/calendar"));
    QNetworkReply* reply = nam.put(request, ics);
    QSignalSpy done(reply, &QNetworkReply::finished);
    const bool ok = (done.count() || done.wait(20000)) &&
                    reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() / 100 == 2;
    delete reply;
    return ok;
}

const QByteArray kDentist = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\n"
                            "BEGIN:VEVENT\r\nUID:phone-1@example.com\r\n"
                            "DTSTAMP:20270101T000000Z\r\nDTSTART:20270304T003000Z\r\n"
                            "DTEND:20270304T013000Z\r\nSUMMARY:歯医者\r\nEND:VEVENT\r\n"
                            "END:VCALENDAR\r\n";

// A database synced once with a calendar on a real server behind a proxy; then changed on both
// sides, so that the next sync has something to fetch, merge, send and delete.
struct Scene {
    explicit Scene(DavServer& server)
        : server(server), env(TestEnv::Schema::V107),
          clock(env.program(), QDateTime(QDate(2027, 3, 1), QTime(9, 0))),
          settings(settingsDir.path()), engine(env.program(), settings) {}

    // Empty when it all went well. days: as many more days of two lines.
    QString setUp(int days = 0) {
        calendar = server.newCalendar(QStringLiteral("同期%1").arg(++made));
        if (!calendar.isValid())
            return server.error();
        proxy = std::make_unique<FaultProxy>(server.port());
        account.url = proxy->url(calendar).toString();
        account.user = server.user();
        const bool ok =
            env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2027-03-01', '一日目'), "
                                    "('2027-03-02', ?), ('2027-03-03', '三日目')"),
                     {QStringLiteral("二日目\r\n二行目")}) &&
            env.exec(QStringLiteral(
                "INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (5, 5, 'こどもの日')")) &&
            (days == 0 ||
             env.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 "
                                     "FROM n WHERE i + 1 < ?) INSERT INTO T_Schedule "
                                     "SELECT date('2027-04-01', '+' || i || ' days'), '予定 ' || "
                                     "i || char(13, 10) || '二行目 ' || i FROM n"),
                      {days}));
        return ok ? QString() : QStringLiteral("cannot fill the database");
    }
    // Changes on both sides: here one day edited, one added, one deleted; on the server one day
    // edited (by the independent client) and a phone's event added. Returns the texts both
    // sides end with.
    Texts change(QString* error) {
        const bool ok =
            env.exec(QStringLiteral("UPDATE T_Schedule SET Schedule = ? WHERE Date = '2027-03-01'"),
                     {QStringLiteral("一日目\r\nこちらで追加")}) &&
            env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2027-03-05', '五日目')")) &&
            env.exec(QStringLiteral("DELETE FROM T_Schedule WHERE Date = '2027-03-03'")) &&
            Peer(server, calendar,
                 {QStringLiteral("edit"), QStringLiteral("schedule-20270302@vaskel"),
                  QStringLiteral("description"), QStringLiteral("二日目\n電話で変更")}) &&
            PhonePut(server, calendar.resolved(QUrl(QStringLiteral("phone-1.ics"))), kDentist);
        if (!ok)
            *error = QStringLiteral("cannot change the texts");
        Texts t = LocalTexts(env);
        t[QStringLiteral("2027-03-02")] = QStringLiteral("二日目\n電話で変更");
        const QDateTime at =
            QDateTime(QDate(2027, 3, 4), QTime(0, 30), QTimeZone::utc()).toLocalTime();
        t[at.date().toString(Qt::ISODate)] = at.toString(QStringLiteral("HH:mm ")) + "歯医者";
        return t;
    }
    // The integrity check's answer.
    QString integrity() const { return env.scalar(QStringLiteral("PRAGMA integrity_check")); }

    DavServer& server;
    static inline int made = 0;
    QUrl calendar;
    std::unique_ptr<FaultProxy> proxy;
    TestEnv env;
    ClockOverride clock;
    QTemporaryDir settingsDir;
    SyncSettings settings;
    SyncEngine engine;
    SyncAccount account;
    MsgRecorder boxes;
};

// The outcome of a sync that failed: its line is the last of the log and the outcome kept, no
// box was shown, and the database is intact with no connection left open.
#define VERIFY_FAILED_CLEANLY(scene, outcome, pattern)                                             \
    do {                                                                                           \
        QVERIFY2(!(outcome).ok, qPrintable((outcome).summary));                                    \
        QVERIFY2(QRegularExpression(pattern).match((outcome).summary).hasMatch(),                  \
                 qPrintable((outcome).summary));                                                   \
        QVERIFY((scene).settings.log().last().endsWith(QStringLiteral("同期できませんでした: ") +  \
                                                       (outcome).summary));                        \
        QCOMPARE((scene).settings.lastOutcome().summary, (outcome).summary);                       \
        QVERIFY(!(scene).settings.lastOutcome().ok);                                               \
        QCOMPARE((scene).boxes.messages.size(), size_t(0));                                        \
        QCOMPARE((scene).integrity(), QStringLiteral("ok"));                                       \
        QCOMPARE((scene).env.openConnections(), 0);                                                \
    } while (false)

// The next syncs complete the work: both sides hold the texts, and then nothing moves.
#define VERIFY_CONVERGES(scene, expected)                                                          \
    do {                                                                                           \
        const SyncOutcome next = Sync((scene).engine, (scene).account, (scene).server.password()); \
        QVERIFY2(next.ok, qPrintable(next.summary));                                               \
        const SyncOutcome idle = Sync((scene).engine, (scene).account, (scene).server.password()); \
        QCOMPARE(idle.summary, QStringLiteral("受信 0件、送信 0件"));                              \
        QCOMPARE(LocalTexts((scene).env), expected);                                               \
        QString peerError;                                                                         \
        QCOMPARE(ServerTexts((scene).server, (scene).calendar, &peerError), expected);             \
        QVERIFY2(peerError.isEmpty(), qPrintable(peerError));                                      \
        QCOMPARE((scene).integrity(), QStringLiteral("ok"));                                       \
    } while (false)

} // namespace

class tst_syncFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void faultThenNextSync_data();
    void faultThenNextSync();
    void lockedDatabase_data();
    void lockedDatabase();
    void cutDuringUpload_data();
    void cutDuringUpload();

private:
    DavServer& server(DavServer::Kind kind) {
        return kind == DavServer::Kind::Radicale ? *m_radicale : *m_xandikos;
    }
    std::unique_ptr<DavServer> m_radicale;
    std::unique_ptr<DavServer> m_xandikos;
};

void tst_syncFaults::initTestCase() {
    qRegisterMetaType<SyncOutcome>();
    m_radicale = std::make_unique<DavServer>(DavServer::Kind::Radicale);
    m_xandikos = std::make_unique<DavServer>(DavServer::Kind::Xandikos);
    QVERIFY2(m_radicale->isRunning(), qPrintable(m_radicale->error()));
    QVERIFY2(m_xandikos->isRunning(), qPrintable(m_xandikos->error()));
}

// Every fault on Radicale; on Xandikos (which asks for no password) those whose next sync takes
// another way there: a token it no longer knows, what it does with a write it took but whose
// answer was lost.
void tst_syncFaults::faultThenNextSync_data() {
    QTest::addColumn<DavServer::Kind>("kind");
    // "password", "down", "cancel", or the requests to fail: "METHOD" or "METHOD what its body
    // names"
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("act");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("pulled"); // whether the server's changes were integrated first
    QTest::addColumn<QString>("message");
    using A = FaultProxy::Act;
    const QByteArray garbage = "<?xml version=\"1.0\"?><D:multistatus xmlns:D=\"DAV:\"><D:respo";
    const QString tooLarge = QStringLiteral("^サーバーの応答が大きすぎます \\(上限 64 MiB\\)。$");
    const QString timeout = QStringLiteral("^サーバーが 2 秒以内に応答しませんでした。$");
    const auto status = [](int code) { return QStringLiteral("\\(HTTP %1\\)").arg(code); };
    const auto radicale = [](const char* what) -> QTestData& {
        return QTest::addRow("Radicale: %s", what) << DavServer::Kind::Radicale;
    };
    const auto both = [](const char* what, auto add) {
        add(QTest::addRow("Radicale: %s", what) << DavServer::Kind::Radicale);
        add(QTest::addRow("Xandikos: %s", what) << DavServer::Kind::Xandikos);
    };
    const char* const changes = "REPORT sync-collection";
    const char* const fetch = "REPORT calendar-multiget";
    radicale("wrong password") << "password" << 0 << QByteArray() << false
                               << "^ユーザー名またはパスワードが違います。$";
    // The server asks for Digest from now on: the wrong password fails, the right one works.
    radicale("wrong password, Digest")
        << "digest" << 0 << QByteArray() << false << "^ユーザー名またはパスワードが違います。$";
    both("server down", [](QTestData& r) {
        r << "down" << 0 << QByteArray() << false << "^サーバーに接続できません: ";
    });
    // Without sync-collection (403) the items are listed instead; then the fetch is refused.
    radicale("reports 403") << "REPORT" << int(A::Answer) << Http(403) << false
                            << "^サーバーがこの操作を許可していません " + status(403) + "。$";
    radicale("changes 404") << changes << int(A::Answer) << Http(404) << false
                            << "^サーバーに見つかりません " + status(404) + ": /";
    both("changes 500", [&](QTestData& r) {
        r << changes << int(A::Answer) << Http(500) << false
          << "^サーバーでエラーが起きました " + status(500) + "。$";
    });
    radicale("changes 507") << changes << int(A::Answer) << Http(507) << false
                            << "^サーバーの容量が足りません " + status(507) + "。$";
    radicale("changes garbage") << changes << int(A::Answer) << Http(207, garbage) << false
                                << "^サーバーの応答を読み取れません: ";
    radicale("changes endless") << changes << int(A::Endless) << QByteArray() << false << tooLarge;
    radicale("changes timeout") << changes << int(A::Silent) << QByteArray() << false << timeout;
    both("fetch garbage", [&](QTestData& r) {
        r << fetch << int(A::Answer) << Http(207, garbage) << false
          << "^サーバーの応答を読み取れません: ";
    });
    // Items asked for and neither given nor said to be gone.
    both("fetch incomplete", [&](QTestData& r) {
        r << fetch << int(A::Answer)
          << Http(207, "<?xml version=\"1.0\"?><D:multistatus xmlns:D=\"DAV:\"/>") << false
          << "^サーバーの応答を読み取れません: ";
    });
    radicale("fetch endless") << fetch << int(A::Endless) << QByteArray() << false << tooLarge;
    radicale("write 403") << "PUT" << int(A::Answer) << Http(403) << true
                          << "^サーバーがこの操作を許可していません " + status(403) + "。$";
    both("write 404", [&](QTestData& r) {
        r << "PUT" << int(A::Answer) << Http(404) << true
          << "^サーバーに見つかりません " + status(404) + ": /";
    });
    radicale("write 500") << "PUT" << int(A::Answer) << Http(500) << true
                          << "^サーバーでエラーが起きました " + status(500) + "。$";
    radicale("write 507") << "PUT" << int(A::Answer) << Http(507) << true
                          << "^サーバーの容量が足りません " + status(507) + "。$";
    both("write timeout",
         [&](QTestData& r) { r << "PUT" << int(A::Silent) << QByteArray() << true << timeout; });
    both("write cut", [](QTestData& r) {
        r << "PUT" << int(A::Cut) << QByteArray() << true
          << "^サーバー(との接続が途中で切れました|に接続できません): ";
    });
    // Ended from here (as the program does when it quits) while the writes are on their way.
    radicale("cancelled") << "cancel" << 0 << QByteArray() << true << "^同期を中止しました。$";
    both("delete 500", [&](QTestData& r) {
        r << "DELETE" << int(A::Answer) << Http(500) << true
          << "^サーバーでエラーが起きました " + status(500) + "。$";
    });
}

void tst_syncFaults::faultThenNextSync() {
    QFETCH(DavServer::Kind, kind);
    QFETCH(QString, fault);
    QFETCH(int, act);
    QFETCH(QByteArray, answer);
    QFETCH(bool, pulled);
    QFETCH(QString, message);
    Scene s(server(kind));
    const QString why = s.setUp();
    QVERIFY2(why.isEmpty(), qPrintable(why));
    SyncOutcome o = Sync(s.engine, s.account, s.server.password());
    QVERIFY2(o.ok, qPrintable(o.summary));
    QString error;
    const Texts before = LocalTexts(s.env);
    const Texts after = s.change(&error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const Texts changedHere = LocalTexts(s.env);
    QVERIFY(before != changedHere && changedHere != after);

    s.engine.client().setTimeout(2000);
    if (fault == QLatin1String("down"))
        s.proxy->down();
    else if (fault == QLatin1String("cancel"))
        s.proxy->seen = [&s](const QByteArray& method, int) {
            if (method == "PUT" && s.engine.isRunning())
                s.engine.cancel();
        };
    else if (fault == QLatin1String("digest"))
        s.proxy->requireDigest(s.server.user(), s.server.password());
    else if (fault != QLatin1String("password"))
        s.proxy->fail(fault.toLatin1(), FaultProxy::Act(act), answer);
    o = Sync(s.engine, s.account,
             fault == QLatin1String("password") || fault == QLatin1String("digest")
                 ? QStringLiteral("wrong")
                 : s.server.password());
    VERIFY_FAILED_CLEANLY(s, o, message);
    QCOMPARE(LocalTexts(s.env), pulled ? after : changedHere);
    QVERIFY(s.proxy->endlessSent < FaultProxy::kEndless);

    s.proxy->heal();
    s.proxy->seen = nullptr;
    QVERIFY(s.proxy->up());
    s.engine.client().setTimeout(30000);
    VERIFY_CONVERGES(s, after);
}

// Another connection holding a write transaction: the sync waits for it a while (its writing
// transactions take the lock as they begin); held longer, the sync ends with the engine's
// reason and nothing written.
void tst_syncFaults::lockedDatabase_data() {
    QTest::addColumn<QByteArray>("from"); // the request the lock is taken at; empty: before
    QTest::addColumn<bool>("exclusive");
    QTest::addColumn<int>("holdMs"); // -1: until the sync ends
    QTest::addColumn<bool>("pulled");
    QTest::addColumn<QString>("message"); // empty: the sync succeeds
    QTest::newRow("write lock throughout") << QByteArray() << false << -1 << false
                                           << "^データベースを(開けません|更新できません): "
                                              "database is locked$";
    QTest::newRow("exclusive lock throughout")
        << QByteArray() << true << -1 << false << "^データベースを開けません: database is locked$";
    QTest::newRow("write lock from the first write on the server")
        << QByteArray("PUT") << false << -1 << true
        << "^データベースを更新できません: database is locked$";
    // A commit in progress elsewhere, or a short write: the engine's busy wait covers it.
    QTest::newRow("exclusive lock for a moment")
        << QByteArray() << true << 150 << true << QString();
    QTest::newRow("write lock for a moment at the first write on the server")
        << QByteArray("PUT") << false << 150 << true << QString();
}

void tst_syncFaults::lockedDatabase() {
    QFETCH(QByteArray, from);
    QFETCH(bool, exclusive);
    QFETCH(int, holdMs);
    QFETCH(bool, pulled);
    QFETCH(QString, message);
    Scene s(*m_radicale);
    const QString why = s.setUp();
    QVERIFY2(why.isEmpty(), qPrintable(why));
    SyncOutcome o = Sync(s.engine, s.account, s.server.password());
    QVERIFY2(o.ok, qPrintable(o.summary));
    QString error;
    const Texts after = s.change(&error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const Texts changedHere = LocalTexts(s.env);

    Lock lock(s.env.dbPath());
    bool taken = false;
    if (from.isEmpty())
        taken = lock.take(exclusive, holdMs);
    s.proxy->seen = [&](const QByteArray& method, int) {
        if (method == from && !taken)
            taken = lock.take(exclusive, holdMs);
    };
    o = Sync(s.engine, s.account, s.server.password());
    s.proxy->seen = nullptr;
    lock.release();
    QVERIFY(taken);
    if (message.isEmpty()) {
        QVERIFY2(o.ok, qPrintable(o.summary));
        QCOMPARE(s.integrity(), QStringLiteral("ok"));
    } else {
        VERIFY_FAILED_CLEANLY(s, o, message);
    }
    QCOMPARE(LocalTexts(s.env), pulled ? after : changedHere);
    VERIFY_CONVERGES(s, after);
}

// The connections cut while a hundred days go up, the server having done the last request
// whose answer was lost: what was recorded stays, nothing here changes, and the next sync
// sends the rest.
void tst_syncFaults::cutDuringUpload_data() {
    QTest::addColumn<DavServer::Kind>("kind");
    QTest::newRow("Radicale") << DavServer::Kind::Radicale;
    QTest::newRow("Xandikos") << DavServer::Kind::Xandikos;
}

void tst_syncFaults::cutDuringUpload() {
    QFETCH(DavServer::Kind, kind);
    Scene s(server(kind));
    const QString why = s.setUp(100);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    const Texts local = LocalTexts(s.env);
    QCOMPARE(local.size(), size_t(104));
    s.proxy->fail("PUT", FaultProxy::Act::Cut, {}, 30);
    SyncOutcome o = Sync(s.engine, s.account, s.server.password());
    VERIFY_FAILED_CLEANLY(s, o, "^サーバー(との接続が途中で切れました|に接続できません): ");
    QCOMPARE(LocalTexts(s.env), local);
    const int recorded = s.env
                             .scalar(QStringLiteral("SELECT count(*) FROM T_SyncItem WHERE "
                                                    "Kind = 1 AND Tag <> ''"))
                             .toInt();
    QVERIFY2(recorded >= 25 && recorded <= 31, qPrintable(QString::number(recorded)));
    s.proxy->heal();
    QVERIFY(s.proxy->up());
    VERIFY_CONVERGES(s, local);
}

QTEST_MAIN(tst_syncFaults)
#include "tst_syncFaults.moc"
