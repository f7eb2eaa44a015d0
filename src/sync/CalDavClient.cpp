#include "sync/CalDavClient.h"

#include "sync/DavXml.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUuid>

#include <map>
#include <set>

struct CalDavClient::Call {
    QNetworkRequest request;
    QByteArray verb;
    QByteArray body;
    qint64 cap = 0;
    Then then;
    QNetworkReply* reply = nullptr;
    QByteArray received;
    bool offeredCredentials = false;
    bool tooLarge = false;
    QString tlsError;
};

struct CalDavClient::Discovery {
    QUrl start;
    Done<DavDiscovery> done;
    DavDiscovery result;
    bool probedStart = false;
    bool triedWellKnown = false;
};

struct CalDavClient::SyncState {
    QUrl collection;
    Done<DavChanges> done;
    int rounds = 0;
    qint64 budget = kDavMaxListingBytes; // for all rounds together
    std::map<QUrl, QByteArray> changed;
    std::set<QUrl> removed;
};

namespace {

DavResult Failure(DavError error, int status, const QString& message) {
    return DavResult{error, status, message};
}

template <typename R> R With(const DavResult& result) {
    R r;
    static_cast<DavResult&>(r) = result;
    return r;
}

DavResult Classify(const QNetworkReply* reply, bool tooLarge, const QString& tlsError, qint64 cap,
                   int timeout) {
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const auto error = reply->error();
    if (tooLarge) {
        return Failure(DavError::TooLarge, status,
                       QStringLiteral("サーバーの応答が大きすぎます (上限 %1 MiB)。")
                           .arg(cap / (1024 * 1024)));
    }
    if (!tlsError.isEmpty() || error == QNetworkReply::SslHandshakeFailedError) {
        return Failure(DavError::Tls, status,
                       QStringLiteral("サーバーの証明書を確認できません: %1")
                           .arg(tlsError.isEmpty() ? reply->errorString() : tlsError));
    }
    // Our own aborts never get here (their replies are disconnected first): a cancelled
    // transfer is the transfer timeout.
    if (error == QNetworkReply::TimeoutError || error == QNetworkReply::OperationCanceledError) {
        return Failure(DavError::Timeout, status,
                       QStringLiteral("サーバーが %1 秒以内に応答しませんでした。")
                           .arg((timeout + 999) / 1000));
    }
    if (status == 401 || error == QNetworkReply::AuthenticationRequiredError) {
        return Failure(DavError::Authentication, status,
                       QStringLiteral("ユーザー名またはパスワードが違います。"));
    }
    if (status == 0) {
        return Failure(DavError::Network, 0,
                       QStringLiteral("サーバーに接続できません: %1").arg(reply->errorString()));
    }
    if (status / 100 == 2) {
        if (error == QNetworkReply::NoError)
            return {DavError::None, status, {}};
        return Failure(
            DavError::Network, status,
            QStringLiteral("サーバーとの接続が途中で切れました: %1").arg(reply->errorString()));
    }
    switch (status) {
    case 403:
        return Failure(DavError::Forbidden, status,
                       QStringLiteral("サーバーがこの操作を許可していません (HTTP 403)。"));
    case 404:
    case 410:
        return Failure(DavError::NotFound, status,
                       QStringLiteral("サーバーに見つかりません (HTTP %1): %2")
                           .arg(status)
                           .arg(reply->url().path()));
    case 412:
        return Failure(DavError::PreconditionFailed, status,
                       QStringLiteral("サーバー上の項目が先に変更されています (HTTP 412)。"));
    case 507:
        return Failure(DavError::InsufficientStorage, status,
                       QStringLiteral("サーバーの容量が足りません (HTTP 507)。"));
    default:
        break;
    }
    if (status / 100 == 5) {
        return Failure(DavError::ServerError, status,
                       QStringLiteral("サーバーでエラーが起きました (HTTP %1)。").arg(status));
    }
    return Failure(DavError::Refused, status,
                   QStringLiteral("サーバーが要求を受け付けません (HTTP %1)。").arg(status));
}

// A multistatus read from a successful answer; otherwise nullopt, and result says why.
std::optional<DavMultistatus> ReadMultistatus(DavResult& result, const QByteArray& body) {
    if (!result.ok())
        return std::nullopt;
    QString why;
    auto ms = DavParseMultistatus(body, &why);
    if (!ms) {
        result = Failure(DavError::Unreadable, result.httpStatus,
                         QStringLiteral("サーバーの応答を読み取れません: %1").arg(why));
    }
    return ms;
}

DavCalendar CalendarOf(const QUrl& url, const DavResponse& r) {
    auto takes = [&r](const char* comp) {
        return !r.hasComponentSet || r.components.contains(QLatin1StringView(comp));
    };
    return DavCalendar{DavCollectionUrl(url), r.displayName, takes("VEVENT"), takes("VJOURNAL"),
                       r.syncCollection};
}

bool IsCalendarItem(const QUrl& collection, const QUrl& url, const DavResponse& r) {
    return DavIsMember(collection, url) && !r.collection &&
           (r.contentType.isEmpty() ||
            r.contentType.startsWith(QLatin1String("text/calendar"), Qt::CaseInsensitive));
}

// Where a redirect may lead: never from https to http, and plain http only on the same server,
// since the password goes along.
bool SafeRedirect(const QUrl& from, const QUrl& to) {
    if (!to.isValid())
        return false;
    if (to.scheme() == QLatin1String("https"))
        return true;
    return to.scheme() == QLatin1String("http") && from.scheme() == QLatin1String("http") &&
           to.host() == from.host() && to.port(80) == from.port(80);
}

QUrl WellKnown(const QUrl& url) {
    QUrl u = url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
    u.setPath(QStringLiteral("/.well-known/caldav"));
    return u;
}

// Errors after which another way to the calendars would fail just the same.
bool EndsDiscovery(DavError e) {
    return e == DavError::Network || e == DavError::Timeout || e == DavError::Authentication ||
           e == DavError::Tls || e == DavError::TooLarge || e == DavError::Cancelled;
}

} // namespace

CalDavClient::CalDavClient(QObject* parent) : CalDavClient(nullptr, parent) {}

CalDavClient::CalDavClient(QNetworkAccessManager* nam, QObject* parent)
    : QObject(parent), m_nam(nam ? nam : new QNetworkAccessManager(this)) {
    connect(m_nam, &QNetworkAccessManager::authenticationRequired, this,
            &CalDavClient::authenticate);
}

CalDavClient::~CalDavClient() {
    for (auto& call : m_running) {
        call->reply->disconnect(this);
        call->reply->abort();
        call->reply->deleteLater();
    }
}

void CalDavClient::setCredentials(const QString& user, const QString& password) {
    m_user = user;
    m_password = password;
    // The manager would otherwise go on sending the credentials it remembers.
    m_nam->clearAccessCache();
}

void CalDavClient::setMaxInFlight(int n) {
    m_maxInFlight = std::max(1, n);
    startWaiting();
}

void CalDavClient::setTimeout(int msecs) {
    m_timeout = msecs;
}

int CalDavClient::pending() const {
    return int(m_running.size() + m_waiting.size());
}

QNetworkRequest CalDavClient::request(const QUrl& url) const {
    QNetworkRequest r(url);
    // Redirects are followed by hand where they make sense: Qt would turn a PROPFIND into a GET.
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    r.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    r.setTransferTimeout(m_timeout);
    return r;
}

QNetworkRequest CalDavClient::xmlRequest(const QUrl& url, int depth) const {
    QNetworkRequest r = request(url);
    r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/xml; charset=utf-8"));
    if (depth >= 0)
        r.setRawHeader("Depth", QByteArray::number(depth));
    return r;
}

void CalDavClient::send(const QNetworkRequest& request, const QByteArray& verb,
                        const QByteArray& body, qint64 cap, Then then) {
    auto call = std::make_unique<Call>();
    call->request = request;
    call->verb = verb;
    call->body = body;
    call->cap = cap;
    call->then = std::move(then);
    m_waiting.push_back(std::move(call));
    startWaiting();
}

void CalDavClient::startWaiting() {
    while (int(m_running.size()) < m_maxInFlight && !m_waiting.empty()) {
        m_running.push_back(std::move(m_waiting.front()));
        m_waiting.pop_front();
        start(m_running.back().get());
    }
}

void CalDavClient::start(Call* call) {
    QNetworkReply* reply = call->verb == "GET"
                               ? m_nam->get(call->request)
                               : m_nam->sendCustomRequest(call->request, call->verb, call->body);
    call->reply = reply;
    // An answer over its cap is refused as it arrives. abort() finishes the reply at once, so
    // nothing may touch the call afterwards.
    auto refuse = [reply](Call* c) {
        c->tooLarge = true;
        c->received.clear();
        reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply, refuse] {
        Call* c = callOf(reply);
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (c && length.isValid() && length.toLongLong() > c->cap)
            refuse(c);
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply, refuse] {
        Call* c = callOf(reply);
        if (!c)
            return;
        c->received += reply->readAll();
        if (c->received.size() > c->cap)
            refuse(c);
    });
#if QT_CONFIG(ssl)
    // Never ignored: a certificate that does not verify ends the request.
    connect(reply, &QNetworkReply::sslErrors, this, [this, reply](const QList<QSslError>& errors) {
        if (Call* c = callOf(reply); c && !errors.isEmpty())
            c->tlsError = errors.first().errorString();
    });
#endif
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
}

CalDavClient::Call* CalDavClient::callOf(QNetworkReply* reply) const {
    for (const auto& call : m_running) {
        if (call->reply == reply)
            return call.get();
    }
    return nullptr;
}

void CalDavClient::finished(QNetworkReply* reply) {
    const auto it = std::find_if(m_running.begin(), m_running.end(),
                                 [reply](const auto& c) { return c->reply == reply; });
    if (it == m_running.end())
        return;
    std::unique_ptr<Call> call = std::move(*it);
    m_running.erase(it);
    if (!call->tooLarge && reply->isOpen()) {
        call->received += reply->readAll();
        call->tooLarge = call->received.size() > call->cap;
    }
    Answer answer;
    answer.result = Classify(reply, call->tooLarge, call->tlsError, call->cap, m_timeout);
    answer.url = call->request.url();
    answer.body = std::move(call->received);
    answer.etag = reply->rawHeader("ETag");
    answer.location = reply->rawHeader("Location");
    reply->disconnect(this);
    reply->deleteLater();
    startWaiting();
    // Last: the callback may start requests or end the client.
    call->then(answer);
}

void CalDavClient::authenticate(QNetworkReply* reply, QAuthenticator* auth) {
    Call* c = callOf(reply);
    // Unanswered, the challenge ends the request with 401.
    if (!c || c->offeredCredentials || m_user.isEmpty())
        return;
    c->offeredCredentials = true;
    auth->setUser(m_user);
    auth->setPassword(m_password);
}

void CalDavClient::later(std::function<void()> fn) {
    QTimer::singleShot(0, this, std::move(fn));
}

void CalDavClient::abortAll() {
    std::vector<std::unique_ptr<Call>> calls = std::move(m_running);
    m_running.clear();
    for (auto& call : calls) {
        call->reply->disconnect(this);
        call->reply->abort();
        call->reply->deleteLater();
    }
    for (auto& call : m_waiting)
        calls.push_back(std::move(call));
    m_waiting.clear();
    QPointer<CalDavClient> alive(this);
    for (auto& call : calls) {
        if (!alive)
            return;
        Answer answer;
        answer.result = Failure(DavError::Cancelled, 0, QStringLiteral("通信を中止しました。"));
        answer.url = call->request.url();
        call->then(answer);
    }
}

// ---------------------------------------------------------------- finding the calendars

void CalDavClient::propfind(const QUrl& url, int depth, const QByteArray& body, int redirects,
                            Then then) {
    send(xmlRequest(url, depth), "PROPFIND", body, kDavMaxListingBytes,
         [this, url, depth, body, redirects, then](Answer& a) {
             const int s = a.result.httpStatus;
             if (s != 301 && s != 302 && s != 303 && s != 307 && s != 308)
                 return then(a);
             const QUrl target = url.resolved(QUrl::fromEncoded(a.location));
             if (a.location.isEmpty() || redirects >= kDavMaxRedirects ||
                 !SafeRedirect(url, target)) {
                 a.result = Failure(DavError::Refused, s,
                                    QStringLiteral("サーバーの転送先をたどれません (HTTP %1): %2")
                                        .arg(s)
                                        .arg(target.toDisplayString()));
                 return then(a);
             }
             propfind(target, depth, body, redirects + 1, then);
         });
}

void CalDavClient::discover(const QUrl& start, Done<DavDiscovery> done) {
    auto d = std::make_shared<Discovery>();
    d->start = start;
    d->done = std::move(done);
    // A bare server address names no account: ask the server where its calendars are.
    const bool bare = start.path().isEmpty() || start.path() == QLatin1String("/");
    probe(d, bare ? WellKnown(start) : start, bare);
}

void CalDavClient::probe(std::shared_ptr<Discovery> d, const QUrl& url, bool wellKnown) {
    (wellKnown ? d->triedWellKnown : d->probedStart) = true;
    propfind(url, 0, DavPropfindBody(DavProps::Discovery), 0, [this, d](Answer& a) {
        const auto ms = ReadMultistatus(a.result, a.body);
        if (ms && !ms->responses.empty()) {
            const DavResponse& r = ms->responses.front();
            if (r.calendar)
                d->result.calendars.push_back(CalendarOf(a.url, r));
            if (!r.principalHref.isEmpty())
                d->result.principal = DavResolve(a.url, r.principalHref);
            if (!r.homeHref.isEmpty())
                return listHome(d, DavResolve(a.url, r.homeHref));
            if (d->result.principal.isValid())
                return findHome(d);
            if (!d->result.calendars.empty())
                return d->done(d->result);
        }
        if (a.result.ok()) {
            a.result = Failure(
                DavError::NotFound, a.result.httpStatus,
                QStringLiteral("カレンダーが見つかりません: %1").arg(d->start.toDisplayString()));
        }
        if (!EndsDiscovery(a.result.error) && !d->probedStart)
            return probe(d, d->start, false);
        if (!EndsDiscovery(a.result.error) && !d->triedWellKnown)
            return probe(d, WellKnown(d->start), true);
        d->done(With<DavDiscovery>(a.result));
    });
}

void CalDavClient::findHome(std::shared_ptr<Discovery> d) {
    propfind(d->result.principal, 0, DavPropfindBody(DavProps::Principal), 0, [this, d](Answer& a) {
        const auto ms = ReadMultistatus(a.result, a.body);
        if (ms && !ms->responses.empty() && !ms->responses.front().homeHref.isEmpty())
            return listHome(d, DavResolve(a.url, ms->responses.front().homeHref));
        if (!d->result.calendars.empty())
            return d->done(d->result);
        if (a.result.ok()) {
            a.result = Failure(DavError::NotFound, a.result.httpStatus,
                               QStringLiteral("カレンダーの置き場所が見つかりません: %1")
                                   .arg(a.url.toDisplayString()));
        }
        d->done(With<DavDiscovery>(a.result));
    });
}

void CalDavClient::listHome(std::shared_ptr<Discovery> d, const QUrl& home) {
    d->result.home = DavCollectionUrl(home);
    propfind(d->result.home, 1, DavPropfindBody(DavProps::Calendars), 0, [d](Answer& a) {
        const auto ms = ReadMultistatus(a.result, a.body);
        // A calendar named at the start stays found even where its home cannot be listed.
        if (!ms && d->result.calendars.empty())
            return d->done(With<DavDiscovery>(a.result));
        for (const DavResponse& r : ms ? ms->responses : std::vector<DavResponse>{}) {
            const DavCalendar c = CalendarOf(DavResolve(a.url, r.href), r);
            auto& list = d->result.calendars;
            if (r.calendar && std::none_of(list.begin(), list.end(),
                                           [&c](const auto& o) { return o.url == c.url; }))
                list.push_back(c);
        }
        d->done(d->result);
    });
}

void CalDavClient::createCalendar(const QUrl& home, const QString& displayName,
                                  Done<DavCalendarResult> done) {
    const QUrl url =
        DavCollectionUrl(DavItemUrl(home, QUuid::createUuid().toString(QUuid::WithoutBraces)));
    send(xmlRequest(url, -1), "MKCALENDAR", DavMkcalendarBody(displayName), kDavMaxItemBytes,
         [this, url, displayName, done](Answer& a) {
             if (!a.result.ok())
                 return done(With<DavCalendarResult>(a.result));
             // Read back what the server made of it (the components it takes, its reports).
             propfind(url, 0, DavPropfindBody(DavProps::Calendars), 0,
                      [url, displayName, done](Answer& b) {
                          auto r = With<DavCalendarResult>(b.result);
                          r.calendar = DavCalendar{url, displayName};
                          const auto ms = ReadMultistatus(r, b.body);
                          if (ms && !ms->responses.empty())
                              r.calendar = CalendarOf(url, ms->responses.front());
                          if (r.calendar.displayName.isEmpty())
                              r.calendar.displayName = displayName;
                          done(r);
                      });
         });
}

// ---------------------------------------------------------------- items

void CalDavClient::listItems(const QUrl& collection, Done<DavItems> done) {
    const QUrl c = DavCollectionUrl(collection);
    send(xmlRequest(c, 1), "PROPFIND", DavPropfindBody(DavProps::Items), kDavMaxListingBytes,
         [c, done](Answer& a) {
             auto r = With<DavItems>(a.result);
             if (const auto ms = ReadMultistatus(r, a.body)) {
                 for (const DavResponse& resp : ms->responses) {
                     const QUrl url = DavResolve(a.url, resp.href);
                     if (IsCalendarItem(c, url, resp))
                         r.items.push_back(DavItem{url, resp.etag, {}});
                 }
             }
             done(r);
         });
}

void CalDavClient::syncCollection(const QUrl& collection, const QByteArray& token,
                                  Done<DavChanges> done) {
    auto s = std::make_shared<SyncState>();
    s->collection = DavCollectionUrl(collection);
    s->done = std::move(done);
    syncRound(s, token);
}

void CalDavClient::syncRound(std::shared_ptr<SyncState> s, const QByteArray& token) {
    send(xmlRequest(s->collection, 0), "REPORT", DavSyncCollectionBody(token), s->budget,
         [this, s, token](Answer& a) {
             const int status = a.result.httpStatus;
             if (!token.isEmpty() &&
                 ((status / 100 == 4 && DavNamesInvalidSyncToken(a.body)) || status == 500)) {
                 a.result = Failure(DavError::InvalidSyncToken, status,
                                    QStringLiteral("サーバーが同期トークンを受け付けません (HTTP "
                                                   "%1)。")
                                        .arg(status));
             }
             const auto ms = ReadMultistatus(a.result, a.body);
             if (!ms)
                 return s->done(With<DavChanges>(a.result));
             bool truncated = false;
             for (const DavResponse& r : ms->responses) {
                 const QUrl url = DavResolve(a.url, r.href);
                 if (url.isValid() && DavCollectionUrl(url) == s->collection) {
                     truncated = truncated || r.status == 507;
                 } else if (r.status == 404 || r.status == 410) {
                     if (DavIsMember(s->collection, url)) {
                         s->changed.erase(url);
                         s->removed.insert(url);
                     }
                 } else if (IsCalendarItem(s->collection, url, r)) {
                     s->removed.erase(url);
                     s->changed[url] = r.etag;
                 }
             }
             if (ms->syncToken.isEmpty()) {
                 a.result = Failure(DavError::Unreadable, status,
                                    QStringLiteral("サーバーの応答に同期トークンがありません。"));
                 return s->done(With<DavChanges>(a.result));
             }
             s->budget -= a.body.size();
             if (truncated && ++s->rounds < kDavMaxSyncRounds)
                 return syncRound(s, ms->syncToken);
             if (truncated) {
                 a.result = Failure(DavError::Unreadable, status,
                                    QStringLiteral("サーバーの変更一覧が終わりません。"));
                 return s->done(With<DavChanges>(a.result));
             }
             auto r = With<DavChanges>(a.result);
             for (const auto& [url, etag] : s->changed)
                 r.changed.push_back(DavItem{url, etag, {}});
             r.removed.assign(s->removed.begin(), s->removed.end());
             r.token = ms->syncToken;
             s->done(r);
         });
}

void CalDavClient::multiget(const QUrl& collection, const std::vector<QUrl>& urls,
                            Done<DavItems> done) {
    if (urls.empty()) {
        later([done] { done(DavItems{}); });
        return;
    }
    struct State {
        DavItems result;
        int open = 0;
        bool over = false;
    };
    auto st = std::make_shared<State>();
    const QUrl c = DavCollectionUrl(collection);
    for (size_t from = 0; from < urls.size(); from += kDavMultigetBatch) {
        std::vector<QUrl> batch;
        std::vector<QByteArray> hrefs;
        for (size_t i = from; i < std::min(urls.size(), from + kDavMultigetBatch); ++i) {
            batch.push_back(DavNormalUrl(urls[i]));
            hrefs.push_back(batch.back().path(QUrl::FullyEncoded).toUtf8());
        }
        ++st->open;
        send(xmlRequest(c, -1), "REPORT", DavMultigetBody(hrefs), kDavMaxListingBytes,
             [c, st, batch, done](Answer& a) {
                 --st->open;
                 if (st->over)
                     return;
                 std::set<QUrl> found;
                 std::set<QUrl> gone;
                 if (const auto ms = ReadMultistatus(a.result, a.body)) {
                     for (const DavResponse& r : ms->responses) {
                         const QUrl url = DavResolve(a.url, r.href);
                         if (r.status / 100 == 2 || (r.status == 0 && !r.calendarData.isEmpty())) {
                             if (IsCalendarItem(c, url, r) && found.insert(url).second)
                                 st->result.items.push_back(DavItem{url, r.etag, r.calendarData});
                         } else if (r.status == 404 || r.status == 410) {
                             gone.insert(url);
                         }
                     }
                 }
                 // Only an item the server says is gone is missing: one it left out of its
                 // answer would otherwise count as deleted.
                 for (const QUrl& url : batch) {
                     if (!a.result.ok() || found.count(url) || gone.count(url))
                         continue;
                     a.result = Failure(DavError::Unreadable, a.result.httpStatus,
                                        QStringLiteral("サーバーの応答を読み取れません: %1 が"
                                                       "答えにありません")
                                            .arg(url.path()));
                 }
                 if (!a.result.ok()) {
                     st->over = true;
                     return done(With<DavItems>(a.result));
                 }
                 for (const QUrl& url : batch) {
                     if (!found.count(url))
                         st->result.missing.push_back(url);
                 }
                 if (st->open == 0) {
                     st->over = true;
                     done(st->result);
                 }
             });
    }
}

void CalDavClient::get(const QUrl& url, Done<DavItemResult> done) {
    QNetworkRequest r = request(url);
    r.setRawHeader("Accept", "text/calendar");
    send(r, "GET", {}, kDavMaxItemBytes, [done](Answer& a) {
        auto result = With<DavItemResult>(a.result);
        if (result.ok())
            result.item = DavItem{DavNormalUrl(a.url), a.etag, std::move(a.body)};
        done(result);
    });
}

void CalDavClient::put(const QUrl& url, const QByteArray& data, const QByteArray& etag,
                       Done<DavItemResult> done) {
    QNetworkRequest r = request(url);
    r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/calendar; charset=utf-8"));
    if (etag.isEmpty())
        r.setRawHeader("If-None-Match", "*");
    else
        r.setRawHeader("If-Match", etag);
    send(r, "PUT", data, kDavMaxItemBytes, [done](Answer& a) {
        auto result = With<DavItemResult>(a.result);
        if (result.ok())
            result.item = DavItem{DavNormalUrl(a.url), a.etag, {}};
        done(result);
    });
}

void CalDavClient::remove(const QUrl& url, const QByteArray& etag, Done<DavResult> done) {
    QNetworkRequest r = request(url);
    if (!etag.isEmpty())
        r.setRawHeader("If-Match", etag);
    send(r, "DELETE", {}, kDavMaxItemBytes, [done](Answer& a) { done(a.result); });
}
