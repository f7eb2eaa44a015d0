// The CalDAV client of the calendar sync: finds a server's calendars, lists, fetches, writes and
// deletes items, and asks for the changes since a sync token. Asynchronous on one
// QNetworkAccessManager: every operation returns at once and answers through its callback.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QAuthenticator;
class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// What one answer may bring, so that a broken or hostile server cannot fill the memory: the
// body is refused as it arrives once it passes its cap.
constexpr qint64 kDavMaxListingBytes = 64 * 1024 * 1024; // a multistatus (listings, reports)
constexpr qint64 kDavMaxItemBytes = 4 * 1024 * 1024;     // one item, and any other answer
// hrefs per calendar-multiget request.
constexpr int kDavMultigetBatch = 100;
// Redirects followed while looking for the calendars.
constexpr int kDavMaxRedirects = 5;
// Rounds of a sync-collection report the server cut short (507 on the collection).
constexpr int kDavMaxSyncRounds = 1000;

enum class DavError {
    None,
    Network,             // no connection, or it broke off
    Timeout,             // no data for the transfer timeout
    Authentication,      // user name or password refused
    Forbidden,           // 403
    NotFound,            // 404, 410
    PreconditionFailed,  // 412: the item changed on the server (or already exists)
    ServerError,         // 5xx
    InsufficientStorage, // 507
    Tls,                 // the server's certificate did not verify
    TooLarge,            // an answer over its cap
    Unreadable,          // an answer that is not what was asked for
    InvalidSyncToken,    // the server no longer knows the token: list everything again
    Refused,             // any other answer: 3xx not followed, 400, 405, 409, 415 ...
    Cancelled,           // abortAll()
};

// The outcome every operation reports: the kind of error, the HTTP status (0 without an
// answer) and one line for the sync log.
struct DavResult {
    DavError error = DavError::None;
    int httpStatus = 0;
    QString message;
    bool ok() const { return error == DavError::None; }
};

struct DavCalendar {
    QUrl url;
    QString displayName;
    bool events = true;   // takes VEVENT
    bool journals = true; // takes VJOURNAL
    bool syncCollection = false;
};

struct DavDiscovery : DavResult {
    QUrl principal; // empty when the server named none
    QUrl home;      // where new calendars go; empty when not found
    std::vector<DavCalendar> calendars;
};

struct DavCalendarResult : DavResult {
    DavCalendar calendar;
};

// One item of a collection. URLs are normalised (DavNormalUrl), so equal items compare equal.
// ETags are kept as the server spells them, quotes included: that is what If-Match takes.
struct DavItem {
    QUrl url;
    QByteArray etag;
    QByteArray data; // the iCalendar text, where the operation fetches it
};

struct DavItems : DavResult {
    std::vector<DavItem> items;
    std::vector<QUrl> missing; // asked for by multiget, not on the server
};

struct DavChanges : DavResult {
    std::vector<DavItem> changed; // new or changed since the token (without data)
    std::vector<QUrl> removed;
    QByteArray token; // for the next call
};

struct DavItemResult : DavResult {
    DavItem item;
};

// Callbacks run from the client's own slots (never inside the call that asked, never after the
// client is gone); one may start further requests, and may end the client only by deleteLater().
class CalDavClient : public QObject {
    Q_OBJECT
public:
    template <typename R> using Done = std::function<void(const R&)>;

    // With a network manager of its own, or with the given one (which must outlive the client).
    explicit CalDavClient(QObject* parent = nullptr);
    explicit CalDavClient(QNetworkAccessManager* nam, QObject* parent = nullptr);
    // Aborts whatever is open; no callback runs any more.
    ~CalDavClient() override;

    // Offered once per request when the server asks (Basic or Digest); a second challenge on
    // the same request means they were refused. Set them before starting requests: the
    // manager's remembered credentials and idle connections are dropped.
    void setCredentials(const QString& user, const QString& password);
    // Requests on the wire at once; more wait in a queue.
    void setMaxInFlight(int n);
    // Milliseconds without any data before a request fails with Timeout.
    void setTimeout(int msecs);
    // Requests sent or waiting.
    int pending() const;

    // Finds the calendars from a calendar's URL, an account URL, or the server's address
    // (through /.well-known/caldav, current-user-principal and calendar-home-set).
    void discover(const QUrl& start, Done<DavDiscovery> done);
    // Makes a new calendar (for events and journals) in the calendar home and reads back what
    // the server made of it. Where only the reading back fails, calendar.url is still set.
    void createCalendar(const QUrl& home, const QString& displayName, Done<DavCalendarResult> done);
    // The URL and ETag of every calendar item in the collection (one PROPFIND).
    void listItems(const QUrl& collection, Done<DavItems> done);
    // What changed since token (URLs and ETags; multiget brings the data). An empty token lists
    // everything, and removed may then name items deleted long ago (Radicale does). Asks again
    // where the server cuts the answer short. A token the server refuses is InvalidSyncToken;
    // Xandikos answers 500 to an unknown token, so a 500 to a non-empty token counts as refused
    // too: at worst the caller lists everything once more.
    void syncCollection(const QUrl& collection, const QByteArray& token, Done<DavChanges> done);
    // The items at urls with their data, kDavMultigetBatch per request.
    void multiget(const QUrl& collection, const std::vector<QUrl>& urls, Done<DavItems> done);
    void get(const QUrl& url, Done<DavItemResult> done);
    // Writes an item over the version etag, or (with an empty etag) only where none exists.
    // The result carries the new ETag when the server tells it.
    void put(const QUrl& url, const QByteArray& data, const QByteArray& etag,
             Done<DavItemResult> done);
    // Deletes the version etag of an item; with an empty etag whatever is there.
    void remove(const QUrl& url, const QByteArray& etag, Done<DavResult> done);

    // Ends every open and waiting request; each callback runs with Cancelled before this
    // returns. Requests made from those callbacks go ahead.
    void abortAll();

private:
    struct Call;
    // What came back for one request: its outcome, the URL it went to, the body and headers.
    struct Answer {
        DavResult result;
        QUrl url;
        QByteArray body;
        QByteArray etag;
        QByteArray location;
    };
    using Then = std::function<void(Answer&)>;

    void send(const QNetworkRequest& request, const QByteArray& verb, const QByteArray& body,
              qint64 cap, Then then);
    void startWaiting();
    void start(Call* call);
    void finished(QNetworkReply* reply);
    void authenticate(QNetworkReply* reply, QAuthenticator* auth);
    Call* callOf(QNetworkReply* reply) const;
    // A PROPFIND that follows safe redirects (the discovery's entry points).
    void propfind(const QUrl& url, int depth, const QByteArray& body, int redirects, Then then);
    QNetworkRequest request(const QUrl& url) const;
    QNetworkRequest xmlRequest(const QUrl& url, int depth) const;
    struct SyncState;
    void syncRound(std::shared_ptr<SyncState> s, const QByteArray& token);
    struct Discovery;
    void probe(std::shared_ptr<Discovery> d, const QUrl& url, bool wellKnown);
    void findHome(std::shared_ptr<Discovery> d);
    void listHome(std::shared_ptr<Discovery> d, const QUrl& home);
    // Runs fn from the event loop (never inside the call that asked), unless the client is gone.
    void later(std::function<void()> fn);

    QNetworkAccessManager* m_nam;
    QString m_user;
    QString m_password;
    int m_maxInFlight = 4;
    int m_timeout = 30000;
    std::deque<std::unique_ptr<Call>> m_waiting;
    std::vector<std::unique_ptr<Call>> m_running;
};
