#include "sync/SyncEngine.h"

#include "core/Program.h"
#include "sync/CalDavClient.h"
#include "sync/DavXml.h"
#include "sync/SyncPlan.h"
#include "sync/SyncState.h"

#include <QTimer>

#include <map>

namespace {

// Rounds of pull and push in one sync: a further round fetches what a round left open (a
// conflict, an item the server gave no ETag for) and moves the sync token past a large upload.
constexpr int kMaxRounds = 3;

// A round that sent more items than this moves the token at once: the listing is a small part
// of such a sync, and would otherwise slow the next one. Fewer are named by the next listing,
// with the ETags recorded here, and not fetched.
constexpr int kPullAfterSending = 20;

// Answers of the server are recorded together: one transaction for as many as arrive within
// this time or this number, instead of one each (a commit costs several writes to the disk, on
// the window's thread; a large collection answers only a few PUTs a second). A sync cut off
// loses at most these; the next one finds them on the server with the ETags it expects or
// answers 412 and merges the same text.
constexpr int kRecordAfterMs = 1000;
constexpr size_t kRecordAtMost = 100;

// The kinds of items a sync takes, as the collection's state remembers them.
QString ScopeKey(const SyncScope& s) {
    return QStringLiteral("%1%2%3").arg(s.schedules ? u'S' : u'-', s.anniversaries ? u'A' : u'-',
                                        s.diaries ? u'D' : u'-');
}

} // namespace

// An answer of the server to one of our requests, not yet recorded.
struct SyncEngine::Answer {
    PushOp op;
    DavError error = DavError::None;
    QString message;
    QByteArray etag;
};

struct SyncEngine::Run {
    SyncAccount account;
    QUrl collection;
    SyncOptions options;
    int round = 0;
    int received = 0; // items of the server integrated here
    int sent = 0;     // requests of ours the server took
    int sentThisRound = 0;
    bool pullAgain = false; // something of this round is settled only by another listing
    bool changedHere = false;
    std::vector<PushOp> ops;
    size_t opsLeft = 0; // not yet answered
    std::vector<Answer> answers;
    QString firstError;
    quint64 id = 0; // answers of an ended run are dropped
};

SyncEngine::SyncEngine(const Program& program, SyncSettings& settings, QObject* parent)
    : QObject(parent), m_program(program), m_settings(settings), m_client(new CalDavClient(this)),
      m_recordTimer(new QTimer(this)) {
    m_recordTimer->setSingleShot(true);
    m_recordTimer->setInterval(kRecordAfterMs);
    connect(m_recordTimer, &QTimer::timeout, this, [this] {
        if (m_run)
            recordAnswers();
    });
}

SyncEngine::~SyncEngine() = default;

void SyncEngine::start(const SyncAccount& account, const QString& password) {
    if (m_run) {
        m_again = true;
        m_nextAccount = account;
        m_nextPassword = password;
        return;
    }
    m_run = std::make_unique<Run>();
    m_run->id = ++m_lastRunId;
    m_run->account = account;
    m_run->options.scope = SyncScope{account.schedules, account.anniversaries, account.diaries};
    m_run->options.placing = DefaultImportOptions(m_program.clock().today());
    m_client->setCredentials(account.user, password);
    emit started();
    resolveCollection();
}

void SyncEngine::cancel() {
    if (!m_run)
        return;
    m_again = false;
    // Ended first: the requests it aborts then answer an ended run, and their "cancelled"
    // does not become the outcome.
    finish(false, QStringLiteral("同期を中止しました。"));
}

QUrl SyncEngine::urlOf(const QString& href) const {
    QUrl u = m_run->collection;
    u.setPath(href, QUrl::TolerantMode);
    return DavNormalUrl(u);
}

QString SyncEngine::hrefOf(const QUrl& url) const {
    return DavNormalUrl(url).path(QUrl::FullyEncoded);
}

// The collection the database is kept in step with: the one recorded, if the account still
// names it; else the one the account's address leads to, and then every item starts anew.
void SyncEngine::resolveCollection() {
    QString why;
    CollectionState state;
    const QUrl wanted = DavCollectionUrl(QUrl(m_run->account.url));
    const QString scope = ScopeKey(m_run->options.scope);
    {
        const Db db = m_program.openDatabase(&why, Begin::Immediate);
        if (!db || !CreateSyncTable(*db) || !ReadCollection(*db, state))
            return fail(
                QStringLiteral("データベースを開けません: %1").arg(db ? db->errorText() : why));
        // Items of a kind just taken in were passed over by the listings the token stands
        // for: everything is listed once more.
        if (state.url == wanted.toString() && state.scope != scope) {
            state.token.clear();
            state.scope = scope;
            if (!WriteCollection(*db, state))
                return fail(
                    QStringLiteral("データベースを更新できません: %1").arg(db->errorText()));
        }
        if (!db->commit())
            return fail(QStringLiteral("データベースを更新できません: %1").arg(db->errorText()));
    }
    if (!state.url.isEmpty() && state.url == wanted.toString()) {
        m_run->collection = wanted;
        return pull();
    }
    const quint64 id = m_run->id;
    m_client->discover(wanted, [this, id, state, scope](const DavDiscovery& found) {
        if (!m_run || m_run->id != id)
            return;
        if (!found.ok())
            return failed(found);
        const DavCalendar* chosen = nullptr;
        int withEvents = 0;
        for (const DavCalendar& c : found.calendars) {
            if (DavCollectionUrl(c.url) == DavCollectionUrl(QUrl(m_run->account.url)))
                chosen = &c;
            withEvents += c.events ? 1 : 0;
        }
        if (!chosen && withEvents == 1) {
            for (const DavCalendar& c : found.calendars)
                if (c.events)
                    chosen = &c;
        }
        if (!chosen)
            return fail(withEvents == 0
                            ? QStringLiteral("サーバーに予定を置けるカレンダーがありません。")
                            : QStringLiteral("サーバーにカレンダーが複数あります。同期の設定で"
                                             "一つを選んで下さい。"));
        m_run->collection = DavCollectionUrl(chosen->url);
        const QString url = m_run->collection.toString();
        if (url != state.url || state.scope != scope) {
            QString why;
            const Db db = m_program.openDatabase(&why, Begin::Immediate);
            if (!db || !WriteCollection(*db, CollectionState{url, QString(), scope}) ||
                (url != state.url && !ClearSyncItems(*db)) || !db->commit())
                return fail(QStringLiteral("データベースを更新できません: %1")
                                .arg(db ? db->errorText() : why));
            if (!state.url.isEmpty() && url != state.url)
                log(QStringLiteral("同期するカレンダーが変わりました: %1").arg(url));
        }
        pull();
    });
}

void SyncEngine::pull(bool retried) {
    CollectionState state;
    QString why;
    {
        const Db db = m_program.openDatabase(&why);
        if (!db || !ReadCollection(*db, state) || !db->commit())
            return fail(
                QStringLiteral("データベースを開けません: %1").arg(db ? db->errorText() : why));
    }
    const quint64 id = m_run->id;
    const QString token = state.token;
    m_client->syncCollection(
        m_run->collection, token.toUtf8(), [this, id, token, retried](const DavChanges& ch) {
            if (!m_run || m_run->id != id)
                return;
            if (ch.error == DavError::InvalidSyncToken && !retried) {
                // The server forgot where we were: everything is listed once more.
                QString why;
                const Db db = m_program.openDatabase(&why, Begin::Immediate);
                if (!db || !WriteSyncToken(*db, QString()) || !db->commit())
                    return fail(QStringLiteral("データベースを更新できません: %1")
                                    .arg(db ? db->errorText() : why));
                return pull(true);
            }
            if (ch.error == DavError::Refused || ch.error == DavError::Forbidden)
                return listAll(); // no sync-collection here: the ETags of one PROPFIND
            if (!ch.ok())
                return failed(ch);
            std::vector<std::pair<QString, QString>> listed;
            for (const DavItem& item : ch.changed)
                listed.emplace_back(hrefOf(item.url), QString::fromUtf8(item.etag));
            QStringList removed;
            // A first listing may name items deleted long ago: everything not listed is gone
            // anyway.
            if (!token.isEmpty())
                for (const QUrl& u : ch.removed)
                    removed.append(hrefOf(u));
            fetch(std::move(listed), removed, token.isEmpty(), QString::fromUtf8(ch.token));
        });
}

void SyncEngine::listAll() {
    const quint64 id = m_run->id;
    m_client->listItems(m_run->collection, [this, id](const DavItems& items) {
        if (!m_run || m_run->id != id)
            return;
        if (!items.ok())
            return failed(items);
        std::vector<std::pair<QString, QString>> listed;
        for (const DavItem& item : items.items)
            listed.emplace_back(hrefOf(item.url), QString::fromUtf8(item.etag));
        fetch(std::move(listed), {}, true, std::nullopt);
    });
}

void SyncEngine::fetch(std::vector<std::pair<QString, QString>> listed, QStringList removed,
                       bool complete, std::optional<QString> token) {
    std::vector<SyncRow> rows;
    QString why;
    {
        const Db db = m_program.openDatabase(&why);
        if (!db || !ReadSyncRows(*db, rows) || !db->commit())
            return fail(
                QStringLiteral("データベースを開けません: %1").arg(db ? db->errorText() : why));
    }
    const QStringList wanted = HrefsToFetch(rows, listed);
    auto changes = std::make_shared<RemoteChanges>();
    changes->removed = removed;
    changes->complete = complete;
    changes->token = token;
    for (const auto& [href, etag] : listed)
        changes->changed.push_back(RemoteItem{href, etag, QByteArray()});
    if (wanted.isEmpty()) {
        if (!complete)
            changes->changed.clear(); // each one as recorded here
        return integrate(*changes);
    }
    std::vector<QUrl> urls;
    for (const QString& href : wanted)
        urls.push_back(urlOf(href));
    const quint64 id = m_run->id;
    m_client->multiget(m_run->collection, urls, [this, id, changes](const DavItems& items) {
        if (!m_run || m_run->id != id)
            return;
        if (!items.ok())
            return failed(items);
        std::map<QString, size_t> at;
        for (size_t i = 0; i < changes->changed.size(); ++i)
            at[changes->changed[i].href] = i;
        for (const DavItem& item : items.items) {
            const QString href = hrefOf(item.url);
            const auto it = at.find(href);
            RemoteItem r{href, QString::fromUtf8(item.etag), item.data};
            if (it == at.end())
                changes->changed.push_back(r);
            else
                changes->changed[it->second] = r;
        }
        // Gone between the listing and the fetch.
        for (const QUrl& u : items.missing) {
            const QString href = hrefOf(u);
            changes->removed.append(href);
            const auto it = at.find(href);
            if (it != at.end())
                changes->changed[it->second].etag.clear();
        }
        // An item listed as changed whose ETag is the one recorded here was not fetched: it is
        // ours, as we sent it. A full listing keeps it, to say that it is still there.
        std::erase_if(changes->changed, [complete = changes->complete](const RemoteItem& r) {
            return r.etag.isEmpty() || (!complete && r.body.isEmpty());
        });
        m_run->received += int(items.items.size());
        integrate(*changes);
    });
}

// The server's changes integrated and our requests planned, in one transaction.
void SyncEngine::integrate(const RemoteChanges& remote) {
    QString why;
    std::vector<PushOp> ops;
    {
        const Db db = m_program.openDatabase(&why, Begin::Immediate);
        if (!db)
            return fail(QStringLiteral("データベースを開けません: %1").arg(why));
        LocalTexts local;
        std::vector<SyncRow> rows;
        if (!ReadLocalTexts(*db, m_run->options.scope, local) || !ReadSyncRows(*db, rows))
            return fail(QStringLiteral("データベースを読めません: %1").arg(db->errorText()));
        const PullPlan plan = PlanPull(local, rows, remote, m_run->options);
        if (!ApplyPull(*db, plan))
            return fail(QStringLiteral("データベースを更新できません: %1").arg(db->errorText()));
        if (!ReadLocalTexts(*db, m_run->options.scope, local) || !ReadSyncRows(*db, rows))
            return fail(QStringLiteral("データベースを読めません: %1").arg(db->errorText()));
        ops = PlanPush(local, rows, m_run->options, m_run->collection.path(QUrl::FullyEncoded),
                       m_program.clock().now());
        if (!db->commit())
            return fail(QStringLiteral("データベースを更新できません: %1").arg(db->errorText()));
        log(plan.log);
        if (!plan.schedules.empty() || !plan.diaries.empty() || !plan.addAnniversaries.empty() ||
            !plan.removeAnniversaries.empty()) {
            m_run->changedHere = true;
            emit localChanged();
        }
    }
    m_run->ops = std::move(ops);
    push();
}

void SyncEngine::push() {
    m_run->pullAgain = false;
    m_run->sentThisRound = 0;
    m_run->opsLeft = m_run->ops.size();
    if (m_run->ops.empty())
        return roundDone();
    // The client keeps a few on the wire and queues the rest.
    for (size_t i = 0; i < m_run->ops.size(); ++i)
        sendOne(i);
}

void SyncEngine::sendOne(size_t index) {
    const quint64 id = m_run->id;
    const PushOp op = m_run->ops[index];
    const auto record = [this, id](const PushOp& done, const DavResult& r, const QByteArray& etag) {
        if (m_run && m_run->id == id)
            answered(Answer{done, r.error, r.message, etag});
    };
    switch (op.action) {
    case PushOp::Action::Put:
        m_client->put(urlOf(op.href), op.body, op.ifMatch.toUtf8(),
                      [record, op](const DavItemResult& r) { record(op, r, r.item.etag); });
        break;
    case PushOp::Action::Delete:
        m_client->remove(urlOf(op.href), op.ifMatch.toUtf8(),
                         [record, op](const DavResult& r) { record(op, r, QByteArray()); });
        break;
    case PushOp::Action::Rewrite:
        m_client->get(urlOf(op.href), [this, id, op, record](const DavItemResult& got) {
            if (!m_run || m_run->id != id)
                return;
            if (!got.ok())
                return record(op, got, QByteArray());
            const std::optional<PushOp> put =
                RewriteForeign(op, got.item.data, QString::fromUtf8(got.item.etag), m_run->options);
            if (!put) {
                // It changed since, or cannot be rewritten: the next listing shows the server's.
                m_run->pullAgain = true;
                return answered(std::nullopt);
            }
            m_client->put(
                urlOf(put->href), put->body, put->ifMatch.toUtf8(),
                [record, p = *put](const DavItemResult& r) { record(p, r, r.item.etag); });
        });
        break;
    }
}

void SyncEngine::answered(std::optional<Answer> answer) {
    if (answer)
        m_run->answers.push_back(std::move(*answer));
    if (m_run->opsLeft > 0)
        --m_run->opsLeft;
    if (m_run->opsLeft > 0 && m_run->answers.size() < kRecordAtMost) {
        if (!m_recordTimer->isActive())
            m_recordTimer->start();
        return;
    }
    recordAnswers();
    if (m_run && m_run->opsLeft == 0)
        roundDone();
}

// The answers so far, in one transaction.
void SyncEngine::recordAnswers() {
    m_recordTimer->stop();
    std::vector<Answer> answers = std::move(m_run->answers);
    m_run->answers.clear();
    if (answers.empty())
        return;
    QString why;
    Db db = m_program.openDatabase(&why, Begin::Immediate);
    bool written = db != nullptr;
    int sent = 0;
    bool linesChanged = false;
    QStringList lines;
    for (const Answer& a : answers) {
        if (!written)
            break;
        const PushOp& op = a.op;
        if (a.error == DavError::None ||
            (op.action == PushOp::Action::Delete && a.error == DavError::NotFound)) {
            written = ApplyPushDone(*db, op, QString::fromUtf8(a.etag));
            ++sent;
            linesChanged = linesChanged || !op.lineChanges.empty();
            if (!op.log.isEmpty())
                lines << op.log;
            // Without an ETag the item must be fetched before it is ours to change again.
            if (op.action == PushOp::Action::Put && a.etag.isEmpty())
                m_run->pullAgain = true;
        } else if (a.error == DavError::PreconditionFailed) {
            // Changed on the server meanwhile: the next round fetches it and merges.
            written = ApplyPushConflict(*db, op);
            m_run->pullAgain = true;
        } else if (m_run->firstError.isEmpty()) {
            m_run->firstError = a.message;
        }
    }
    written = written && db->commit();
    if (!written) {
        if (m_run->firstError.isEmpty())
            m_run->firstError =
                QStringLiteral("データベースを更新できません: %1").arg(db ? db->errorText() : why);
        return;
    }
    db.reset(); // closed before what shows the days reads them again
    m_run->sent += sent;
    m_run->sentThisRound += sent;
    log(lines);
    if (linesChanged) {
        m_run->changedHere = true;
        emit localChanged();
    }
}

void SyncEngine::roundDone() {
    if (!m_run->firstError.isEmpty())
        return fail(m_run->firstError);
    const bool again = m_run->pullAgain || m_run->sentThisRound > kPullAfterSending;
    if (again && ++m_run->round < kMaxRounds)
        return pull();
    finish(true, QStringLiteral("受信 %1件、送信 %2件").arg(m_run->received).arg(m_run->sent));
}

void SyncEngine::failed(const DavResult& result) {
    fail(result.message);
}

void SyncEngine::fail(const QString& message) {
    finish(false, message);
}

void SyncEngine::log(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    const QString now = m_program.clock().now().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss "));
    QStringList stamped;
    for (const QString& line : lines)
        stamped << now + line;
    // The log file is written whole: once for all the lines of a step.
    m_settings.appendLog(stamped);
    emit logged(stamped);
}

void SyncEngine::finish(bool ok, const QString& summary) {
    if (!m_run)
        return;
    // What the server has already taken is recorded even when the sync ends here.
    recordAnswers();
    const SyncOutcome outcome{m_program.clock().now(), ok, summary};
    log(ok ? QStringLiteral("同期しました（%1）").arg(summary)
           : QStringLiteral("同期できませんでした: %1").arg(summary));
    m_settings.setLastOutcome(outcome);
    m_run.reset();
    // Answers still on their way belong to the ended run.
    m_client->abortAll();
    emit finished(outcome);
    if (m_again) {
        m_again = false;
        start(m_nextAccount, m_nextPassword);
    }
}
