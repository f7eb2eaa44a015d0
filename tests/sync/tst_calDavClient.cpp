// The CalDAV client against real Radicale and Xandikos servers, checked with an independent
// client (python3-caldav); and against a stand-in peer for the answers no real server gives on
// purpose (oversized, garbage, silent, cut short).

#include "DavServer.h"
#include "sync/CalDavClient.h"
#include "sync/DavXml.h"

#include <QAuthenticator>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

// Failed comparisons of error kinds print the number.
char* toString(DavError e) {
    return QTest::toString(int(e));
}

namespace {

// Runs one operation and waits for its callback.
template <typename R, typename Op> R Await(Op op, int msecs = 60000) {
    auto result = std::make_shared<std::optional<R>>();
    op([result](const R& r) { *result = r; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, msecs)) {
        R r;
        r.error = DavError::Cancelled;
        r.message = QStringLiteral("no answer from the client");
        return r;
    }
    return **result;
}

QByteArray Ics(const QString& uid, const QString& summary) {
    return QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Vaskel//test//JA\r\n"
                          "BEGIN:VEVENT\r\nUID:%1\r\nDTSTAMP:20270101T000000Z\r\n"
                          "DTSTART;VALUE=DATE:20270105\r\nSUMMARY:%2\r\nEND:VEVENT\r\n"
                          "END:VCALENDAR\r\n")
        .arg(uid, summary)
        .toUtf8();
}

QByteArray Http(int status, const QByteArray& body, const QByteArray& headers = {}) {
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: text/xml\r\n" +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n" +
           headers + "\r\n" + body;
}

QStringList Names(const std::vector<DavItem>& items) {
    QStringList names;
    for (const DavItem& i : items)
        names << i.url.fileName();
    names.sort();
    return names;
}

// A stand-in server: serves the given raw answers in turn, the last one again when they run
// out. "silent" never answers; "stream" sends a 207 whose body goes on for 100 MiB,
// "stream+length" announces that in Content-Length.
class CannedPeer : public QTcpServer {
public:
    static constexpr qint64 kStream = 100 * 1024 * 1024;
    explicit CannedPeer(QList<QByteArray> answers) : m_answers(std::move(answers)) {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { read(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QUrl url(const QString& path = QStringLiteral("/cal/")) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
    }
    QList<QByteArray> requests;
    qint64 streamed = 0;

private:
    void read(QTcpSocket* s) {
        QByteArray& in = m_in[s];
        in += s->readAll();
        const qsizetype end = in.indexOf("\r\n\r\n");
        static const QRegularExpression length(QStringLiteral("content-length:\\s*(\\d+)"),
                                               QRegularExpression::CaseInsensitiveOption);
        const auto m = length.match(QString::fromLatin1(in.left(end)));
        if (end < 0 || in.size() < end + 4 + (m.hasMatch() ? m.captured(1).toLongLong() : 0))
            return;
        requests << in;
        in.clear();
        const QByteArray answer = m_answers.value(std::min(requests.size(), m_answers.size()) - 1);
        if (answer == "silent")
            return;
        if (!answer.startsWith("stream")) {
            s->write(answer);
            s->disconnectFromHost();
            return;
        }
        s->write("HTTP/1.1 207 Multi-Status\r\nContent-Type: text/xml\r\nConnection: close\r\n" +
                 (answer == "stream+length"
                      ? "Content-Length: " + QByteArray::number(kStream) + "\r\n"
                      : QByteArray()) +
                 "\r\n<multistatus xmlns=\"DAV:\">");
        auto more = [this, s] {
            if (streamed >= kStream)
                return s->disconnectFromHost();
            if (s->bytesToWrite() < 1024 * 1024) {
                s->write(QByteArray(1024 * 1024, ' '));
                streamed += 1024 * 1024;
            }
        };
        connect(s, &QTcpSocket::bytesWritten, s, more);
        more();
    }
    QList<QByteArray> m_answers;
    QHash<QTcpSocket*, QByteArray> m_in;
};

} // namespace

class tst_calDavClient : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void discovery_data();
    void discovery();
    void conditionalWrites_data();
    void conditionalWrites();
    void changes_data();
    void changes();
    void cannedAnswers_data();
    void cannedAnswers();
    void truncatedSync();
    void queueAndAbort();
    void serverFaults_data();
    void serverFaults();

private:
    DavServer& server(const QString& name) {
        return name == "radicale" ? *m_radicale : *m_xandikos;
    }
    QUrl newCalendar(DavServer& s) { return s.newCalendar(QStringLiteral("cal%1").arg(++m_made)); }
    static void serverRows();
    static QJsonArray peerList(DavServer& s, const QUrl& calendar, QString* error);

    std::unique_ptr<DavServer> m_radicale;
    std::unique_ptr<DavServer> m_xandikos;
    int m_made = 0;
};

void tst_calDavClient::initTestCase() {
    m_radicale = std::make_unique<DavServer>(DavServer::Kind::Radicale);
    m_xandikos = std::make_unique<DavServer>(DavServer::Kind::Xandikos);
    QVERIFY2(m_radicale->isRunning(), qPrintable(m_radicale->error()));
    QVERIFY2(m_xandikos->isRunning(), qPrintable(m_xandikos->error()));
}

void tst_calDavClient::serverRows() {
    QTest::addColumn<QString>("server");
    QTest::newRow("radicale") << "radicale";
    QTest::newRow("xandikos") << "xandikos";
}

QJsonArray tst_calDavClient::peerList(DavServer& s, const QUrl& calendar, QString* error) {
    return DavServer::peer({"list", calendar.toString(), s.user(), s.password()}, error).array();
}

void tst_calDavClient::discovery_data() {
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("start");
    for (const char* server : {"radicale", "xandikos"}) {
        for (const char* start : {"root", "account", "calendar"})
            QTest::addRow("%s %s", server, start) << server << start;
    }
}

void tst_calDavClient::discovery() {
    QFETCH(QString, server);
    QFETCH(QString, start);
    DavServer& s = this->server(server);
    const QUrl calendar = newCalendar(s);
    QVERIFY2(calendar.isValid(), qPrintable(s.error()));
    const QUrl from = start == "root"      ? s.baseUrl()
                      : start == "account" ? s.accountUrl()
                                           : calendar;
    CalDavClient client;
    client.setCredentials(s.user(), s.password());
    auto find = [&](const DavDiscovery& d, const QUrl& url) {
        return std::find_if(d.calendars.begin(), d.calendars.end(),
                            [&](const DavCalendar& c) { return c.url == DavNormalUrl(url); });
    };

    const auto found = Await<DavDiscovery>([&](auto done) { client.discover(from, done); });
    QVERIFY2(found.ok(), qPrintable(found.message));
    const auto it = find(found, calendar);
    QVERIFY(it != found.calendars.end());
    QVERIFY(it->events && it->journals && it->syncCollection);
    QVERIFY(found.home.isValid());

    const auto made = Await<DavCalendarResult>(
        [&](auto done) { client.createCalendar(found.home, QStringLiteral("同期テスト"), done); });
    QVERIFY2(made.ok(), qPrintable(made.message));
    const auto again = Await<DavDiscovery>([&](auto done) { client.discover(from, done); });
    const auto created = find(again, made.calendar.url);
    QVERIFY(created != again.calendars.end());
    QCOMPARE(created->displayName, QStringLiteral("同期テスト"));
    QVERIFY(created->events && created->journals);
}

void tst_calDavClient::conditionalWrites_data() {
    serverRows();
}

void tst_calDavClient::conditionalWrites() {
    QFETCH(QString, server);
    DavServer& s = this->server(server);
    const QUrl calendar = newCalendar(s);
    QVERIFY2(calendar.isValid(), qPrintable(s.error()));
    CalDavClient client;
    client.setCredentials(s.user(), s.password());
    // An '@' and a space in the name: the answers' hrefs spell them their own way.
    const QUrl item = DavItemUrl(calendar, QStringLiteral("2027-01-05@vaskel test.ics"));
    auto put = [&](const QString& summary, const QByteArray& etag) {
        return Await<DavItemResult>([&](auto done) {
            client.put(item, Ics(QStringLiteral("2027-01-05@vaskel"), summary), etag, done);
        });
    };
    auto remove = [&](const QByteArray& etag) {
        return Await<DavResult>([&](auto done) { client.remove(item, etag, done); });
    };

    const auto created = put(QStringLiteral("仕事始め"), {});
    QVERIFY2(created.ok(), qPrintable(created.message));
    QCOMPARE(created.httpStatus, 201);
    QCOMPARE(put(QStringLiteral("二度目"), {}).error, DavError::PreconditionFailed);

    const auto listing = Await<DavItems>([&](auto done) { client.listItems(calendar, done); });
    QVERIFY2(listing.ok(), qPrintable(listing.message));
    QCOMPARE(listing.items.size(), size_t(1));
    QCOMPARE(listing.items[0].url, DavNormalUrl(item));
    const QByteArray etag = listing.items[0].etag;
    if (!created.item.etag.isEmpty())
        QCOMPARE(created.item.etag, etag);
    QString error;
    const QJsonArray peer = peerList(s, calendar, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(peer.size(), 1);
    QCOMPARE(peer[0]["etag"].toString().toUtf8(), etag);
    QCOMPARE(DavNormalUrl(QUrl(peer[0]["href"].toString())), DavNormalUrl(item));
    QCOMPARE(peer[0]["summary"].toString(), QStringLiteral("仕事始め"));

    const auto stale = put(QStringLiteral("変更"), "\"stale\"");
    QCOMPARE(stale.error, DavError::PreconditionFailed);
    QCOMPARE(stale.httpStatus, 412);
    const auto updated = put(QStringLiteral("変更"), etag);
    QVERIFY2(updated.ok(), qPrintable(updated.message));
    const auto got = Await<DavItemResult>([&](auto done) { client.get(item, done); });
    QVERIFY2(got.ok(), qPrintable(got.message));
    QVERIFY(got.item.data.contains("SUMMARY:変更"));
    QVERIFY(got.item.etag != etag);
    if (!updated.item.etag.isEmpty())
        QCOMPARE(updated.item.etag, got.item.etag);

    QCOMPARE(remove(etag).error, DavError::PreconditionFailed);
    const auto removed = remove(got.item.etag);
    QVERIFY2(removed.ok(), qPrintable(removed.message));
    const auto gone = Await<DavItemResult>([&](auto done) { client.get(item, done); });
    QCOMPARE(gone.error, DavError::NotFound);
    QCOMPARE(gone.httpStatus, 404);
    QCOMPARE(peerList(s, calendar, &error).size(), 0);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_calDavClient::changes_data() {
    serverRows();
}

void tst_calDavClient::changes() {
    QFETCH(QString, server);
    DavServer& s = this->server(server);
    const QUrl calendar = newCalendar(s);
    QVERIFY2(calendar.isValid(), qPrintable(s.error()));
    CalDavClient client;
    client.setCredentials(s.user(), s.password());
    const QStringList args{calendar.toString(), s.user(), s.password()};
    auto sync = [&](const QByteArray& token) {
        return Await<DavChanges>([&](auto done) { client.syncCollection(calendar, token, done); });
    };
    // More items than one multiget request takes.
    std::vector<QUrl> urls;
    for (int i = 0; i < kDavMultigetBatch + 2; ++i) {
        const QString uid = QStringLiteral("i%1").arg(i, 3, 10, QChar('0'));
        urls.push_back(DavItemUrl(calendar, uid + QStringLiteral(".ics")));
        client.put(urls.back(), Ics(uid, QStringLiteral("予定")), {},
                   [](const DavItemResult& r) { QVERIFY2(r.ok(), qPrintable(r.message)); });
    }
    QTRY_COMPARE_WITH_TIMEOUT(client.pending(), 0, 120000);

    const auto initial = sync({});
    QVERIFY2(initial.ok(), qPrintable(initial.message));
    QCOMPARE(initial.changed.size(), urls.size());
    QVERIFY(initial.removed.empty());
    QVERIFY(!initial.token.isEmpty());

    QString error;
    const QJsonObject edited =
        DavServer::peer(QStringList{"edit"} + args + QStringList{"i000", "SUMMARY", "電話で変更"},
                        &error)
            .object();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const auto next = sync(initial.token);
    QVERIFY2(next.ok(), qPrintable(next.message));
    QCOMPARE(Names(next.changed), QStringList{"i000.ics"});
    QCOMPARE(next.changed[0].etag, edited["etag"].toString().toUtf8());
    QVERIFY(next.removed.empty());

    DavServer::peer(QStringList{"delete"} + args + QStringList{"i001"}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const auto after = sync(next.token);
    QVERIFY2(after.ok(), qPrintable(after.message));
    QVERIFY(after.changed.empty());
    QCOMPARE(after.removed, std::vector<QUrl>{urls[1]});
    const auto quiet = sync(after.token);
    QVERIFY(quiet.ok() && quiet.changed.empty() && quiet.removed.empty());

    const auto bogus = sync("http://example.com/unknown-token/1");
    QCOMPARE(bogus.error, DavError::InvalidSyncToken);

    const auto got = Await<DavItems>([&](auto done) { client.multiget(calendar, urls, done); });
    QVERIFY2(got.ok(), qPrintable(got.message));
    QCOMPARE(got.items.size(), urls.size() - 1);
    QCOMPARE(got.missing, std::vector<QUrl>{urls[1]});
    const auto first = std::find_if(got.items.begin(), got.items.end(),
                                    [&](const DavItem& i) { return i.url == urls[0]; });
    QVERIFY(first != got.items.end());
    QVERIFY(first->data.contains("SUMMARY:電話で変更"));
    QCOMPARE(first->etag, edited["etag"].toString().toUtf8());
}

void tst_calDavClient::cannedAnswers_data() {
    QTest::addColumn<QString>("op");
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<DavError>("error");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("requests");
    const QByteArray invalidToken = "<?xml version=\"1.0\"?><error xmlns=\"DAV:\">"
                                    "<valid-sync-token/></error>";
    QTest::newRow("403") << "list" << QList{Http(403, {})} << DavError::Forbidden << 403 << 1;
    QTest::newRow("404") << "get" << QList{Http(404, {})} << DavError::NotFound << 404 << 1;
    QTest::newRow("500") << "list" << QList{Http(500, {})} << DavError::ServerError << 500 << 1;
    QTest::newRow("507") << "list" << QList{Http(507, {})} << DavError::InsufficientStorage << 507
                         << 1;
    QTest::newRow("405") << "list" << QList{Http(405, {})} << DavError::Refused << 405 << 1;
    QTest::newRow("broken xml") << "list"
                                << QList{Http(207, "<multistatus xmlns=\"DAV:\"><response>")}
                                << DavError::Unreadable << 207 << 1;
    QTest::newRow("html") << "list" << QList{Http(200, "<html><body>hello</body></html>")}
                          << DavError::Unreadable << 200 << 1;
    QTest::newRow("listing over its cap, announced")
        << "list" << QList<QByteArray>{"stream+length"} << DavError::TooLarge << 207 << 1;
    QTest::newRow("listing over its cap, streamed")
        << "list" << QList<QByteArray>{"stream"} << DavError::TooLarge << 207 << 1;
    QTest::newRow("item over its cap")
        << "get" << QList<QByteArray>{"stream"} << DavError::TooLarge << 207 << 1;
    QTest::newRow("no answer") << "list" << QList<QByteArray>{"silent"} << DavError::Timeout << 0
                               << 1;
    QTest::newRow("token refused")
        << "sync" << QList{Http(403, invalidToken)} << DavError::InvalidSyncToken << 403 << 1;
    QTest::newRow("token breaks the server")
        << "sync" << QList{Http(500, {})} << DavError::InvalidSyncToken << 500 << 1;
    // Both the account URL and /.well-known/caldav redirect without end.
    QTest::newRow("redirect loop")
        << "discover" << QList{Http(301, {}, "Location: /elsewhere/\r\n")} << DavError::Refused
        << 301 << 2 * (1 + kDavMaxRedirects);
    QTest::newRow("redirect off the server")
        << "discover" << QList{Http(302, {}, "Location: http://192.0.2.1/dav/\r\n")}
        << DavError::Refused << 302 << 2;
}

void tst_calDavClient::cannedAnswers() {
    QFETCH(QString, op);
    QFETCH(QList<QByteArray>, answers);
    QFETCH(DavError, error);
    QFETCH(int, status);
    QFETCH(int, requests);
    CannedPeer peer(answers);
    CalDavClient client;
    client.setTimeout(500);
    DavResult result;
    if (op == "list") {
        result = Await<DavItems>([&](auto done) { client.listItems(peer.url(), done); });
    } else if (op == "get") {
        result = Await<DavItemResult>([&](auto done) { client.get(peer.url("/cal/a.ics"), done); });
    } else if (op == "sync") {
        result =
            Await<DavChanges>([&](auto done) { client.syncCollection(peer.url(), "t0", done); });
    } else {
        result = Await<DavDiscovery>([&](auto done) { client.discover(peer.url("/dav/"), done); });
    }
    QCOMPARE(result.error, error);
    QCOMPARE(result.httpStatus, status);
    QVERIFY(!result.message.isEmpty());
    QCOMPARE(peer.requests.size(), requests);
    // Refused while it arrived, not after all of it was in memory.
    if (error == DavError::TooLarge)
        QVERIFY(peer.streamed < CannedPeer::kStream);
}

void tst_calDavClient::truncatedSync() {
    auto answer = [](const QByteArray& responses, const QByteArray& token) {
        return Http(207, "<multistatus xmlns=\"DAV:\">" + responses + "<sync-token>" + token +
                             "</sync-token></multistatus>");
    };
    auto item = [](const QByteArray& href, const QByteArray& etag) {
        return "<response><href>" + href + "</href><propstat><prop><getetag>" + etag +
               "</getetag></prop><status>HTTP/1.1 200 OK</status></propstat></response>";
    };
    CannedPeer peer({answer(item("/cal/a.ics", "\"1\"") + item("/cal/b.ics", "\"1\"") +
                                "<response><href>/cal/</href><status>HTTP/1.1 507 Insufficient "
                                "Storage</status></response>",
                            "t1"),
                     answer(item("/cal/a.ics", "\"2\"") + item("/other/x.ics", "\"1\"") +
                                "<response><href>/cal/b.ics</href><status>HTTP/1.1 404 Not "
                                "Found</status></response>",
                            "t2")});
    CalDavClient client;
    const auto changes =
        Await<DavChanges>([&](auto done) { client.syncCollection(peer.url(), {}, done); });
    QVERIFY2(changes.ok(), qPrintable(changes.message));
    QCOMPARE(peer.requests.size(), 2);
    QVERIFY(peer.requests[1].contains("<d:sync-token>t1</d:sync-token>"));
    QCOMPARE(Names(changes.changed), QStringList{"a.ics"});
    QCOMPARE(changes.changed[0].etag, QByteArray("\"2\""));
    QCOMPARE(changes.removed, std::vector<QUrl>{peer.url("/cal/b.ics")});
    QCOMPARE(changes.token, QByteArray("t2"));
}

void tst_calDavClient::queueAndAbort() {
    CannedPeer peer({"silent"});
    std::vector<DavError> errors;
    {
        CalDavClient client;
        client.setMaxInFlight(2);
        for (int i = 0; i < 5; ++i)
            client.listItems(peer.url(), [&](const DavItems& r) { errors.push_back(r.error); });
        QTRY_COMPARE(peer.requests.size(), 2);
        QTest::qWait(200); // and no third request goes out
        QCOMPARE(peer.requests.size(), 2);
        client.abortAll();
        QCOMPARE(errors, std::vector<DavError>(5, DavError::Cancelled));
        QCOMPARE(client.pending(), 0);
        client.listItems(peer.url(), [&](const DavItems& r) { errors.push_back(r.error); });
        QTRY_COMPARE(peer.requests.size(), 3);
    }
    // Ended with a request open: its callback never runs.
    QTest::qWait(100);
    QCOMPARE(errors.size(), size_t(5));
}

void tst_calDavClient::serverFaults_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<DavError>("error");
    QTest::newRow("wrong password") << "password" << DavError::Authentication;
    QTest::newRow("nothing listening") << "closed port" << DavError::Network;
    QTest::newRow("server killed while writing") << "killed" << DavError::Network;
    QTest::newRow("self-signed certificate") << "tls" << DavError::Tls;
}

void tst_calDavClient::serverFaults() {
    QFETCH(QString, fault);
    QFETCH(DavError, error);
    QNetworkAccessManager nam;
    CalDavClient client(&nam);
    client.setTimeout(10000);
    DavResult result;
    if (fault == "password") {
        int challenges = 0;
        connect(&nam, &QNetworkAccessManager::authenticationRequired, this, [&] { ++challenges; });
        client.setCredentials(m_radicale->user(), QStringLiteral("wrong"));
        result =
            Await<DavItems>([&](auto done) { client.listItems(m_radicale->accountUrl(), done); });
        QCOMPARE(result.message, QStringLiteral("ユーザー名またはパスワードが違います。"));
        QCOMPARE(challenges, 2); // offered once, refused the second time
    } else if (fault == "closed port") {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/cal/").arg(probe.serverPort()));
        probe.close();
        result = Await<DavItems>([&](auto done) { client.listItems(url, done); });
        QVERIFY(result.message.startsWith(QStringLiteral("サーバーに接続できません: ")));
    } else if (fault == "killed") {
        DavServer s(DavServer::Kind::Radicale);
        const QUrl calendar = newCalendar(s);
        QVERIFY2(calendar.isValid(), qPrintable(s.error()));
        client.setCredentials(s.user(), s.password());
        std::vector<DavResult> results;
        for (int i = 0; i < 20; ++i) {
            client.put(DavItemUrl(calendar, QStringLiteral("%1.ics").arg(i)),
                       Ics(QString::number(i), QStringLiteral("予定")), {},
                       [&](const DavItemResult& r) {
                           if (results.empty())
                               s.kill();
                           results.push_back(r);
                       });
        }
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), size_t(20), 30000);
        QVERIFY(results.front().ok());
        result = results.back();
        for (const DavResult& r : results)
            QVERIFY2(r.ok() || r.error == DavError::Network, qPrintable(r.message));
    } else {
        if (!DavServer::canTls())
            QSKIP("openssl is not installed");
        DavServer s(DavServer::Kind::Radicale, true);
        QVERIFY2(s.isRunning(), qPrintable(s.error()));
        client.setCredentials(s.user(), s.password());
        result = Await<DavItems>([&](auto done) { client.listItems(s.accountUrl(), done); });
        QVERIFY(result.message.startsWith(QStringLiteral("サーバーの証明書を確認できません: ")));
    }
    QCOMPARE(result.error, error);
}

QTEST_MAIN(tst_calDavClient)
#include "tst_calDavClient.moc"
