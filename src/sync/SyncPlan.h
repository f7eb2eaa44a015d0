// The two-way sync's decisions, without the network: what a pull changes here after the server
// reported its changes, and what a push asks of the server after that. Each plan is computed
// from values (the local texts, the state rows, the server's answers) and returns values; the
// Read and Apply functions move them from and to the database in the caller's transaction.
//
// A sync is: fetch the server's changes; in one transaction ReadLocalTexts, ReadSyncRows,
// PlanPull, ApplyPull, then read again and PlanPush; commit. Then send the push's requests, and
// record each answer with ApplyPushDone or ApplyPushConflict in a short transaction of its own.
#pragma once

#include "entries/EntryStore.h"
#include "exchange/IcsImport.h"
#include "sync/SyncState.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <utility>
#include <vector>

class Connection;

// What the user chose to keep in step.
struct SyncScope {
    bool schedules = true; // our day items and other clients' events
    bool anniversaries = true;
    bool diaries = false; // private: off unless asked for
};

struct SyncOptions {
    SyncScope scope;
    // The range that other clients' repeating events are shown in, and the local zone.
    ImportOptions placing;
};

// The texts the sync compares: every day's stored schedule and diary, every anniversary.
struct LocalTexts {
    std::map<QDate, QString> schedules;
    std::map<QDate, QString> diaries;
    std::vector<Anniversary> anniversaries;
};
bool ReadLocalTexts(Connection& db, const SyncScope& scope, LocalTexts& out);

// ---------------------------------------------------------------- pull

struct RemoteItem {
    QString href;
    QString etag;
    QByteArray body; // may be empty for an item of a full listing whose ETag is the row's
};

// What the server reported since the last pull.
struct RemoteChanges {
    std::vector<RemoteItem> changed; // new or changed items
    QStringList removed;             // hrefs of items gone
    // A full listing: every item is in changed, and a row missing from it is gone.
    bool complete = false;
    // The collection's sync token after these changes; nothing when the server gave none.
    std::optional<QString> token;
};

// The hrefs whose bodies a pull needs among those a listing gave (href, ETag): the new ones,
// those whose ETag is not the row's, and every row whose server version is still to be
// integrated (its tag empty), listed or not.
QStringList HrefsToFetch(const std::vector<SyncRow>& rows,
                         const std::vector<std::pair<QString, QString>>& listed);

struct PullPlan {
    // A day's new text (line feeds), or an empty text when the day's row goes.
    std::map<QDate, QString> schedules;
    std::map<QDate, QString> diaries;
    std::vector<Anniversary> addAnniversaries;
    std::vector<Anniversary> removeAnniversaries;
    std::vector<SyncRow> writeRows; // new or changed rows
    QStringList dropRows;           // hrefs
    std::optional<QString> token;
    QStringList log; // one line per notable event
    bool writesNothing() const {
        return schedules.empty() && diaries.empty() && addAnniversaries.empty() &&
               removeAnniversaries.empty() && writeRows.empty() && dropRows.empty();
    }
};

PullPlan PlanPull(const LocalTexts& local, const std::vector<SyncRow>& rows,
                  const RemoteChanges& remote, const SyncOptions& options);
// Writes the plan in the caller's transaction, the same one that read what it was planned on.
bool ApplyPull(Connection& db, const PullPlan& plan);

// ---------------------------------------------------------------- push

// A line of a day's schedule to change once a request is done: from becomes to (to empty: the
// line goes); when from is no longer there, to is added unless already there.
struct LineChange {
    QDate date;
    QString from;
    QString to;
};

struct PushOp {
    enum class Action {
        Put,     // body to href: If-Match ifMatch, or If-None-Match: * when ifMatch is empty
        Delete,  // href, If-Match ifMatch
        Rewrite, // another client's event: fetch href, then send RewriteForeign's Put
    };
    Action action = Action::Put;
    QString href;
    QString ifMatch;
    QByteArray body;
    QString summary; // Rewrite: the event's new summary
    // Put: the row to record once done (its tag then the server's answer); Delete, Rewrite:
    // the row as it stands.
    SyncRow row;
    std::vector<LineChange> lineChanges; // local lines to change once done
    QString log;                         // the log line once done
};

// The requests that bring the server in step with the local texts, on the rows after a pull.
// collectionPath: where new items go; stamp: their DTSTAMP.
std::vector<PushOp> PlanPush(const LocalTexts& local, const std::vector<SyncRow>& rows,
                             const SyncOptions& options, const QString& collectionPath,
                             const QDateTime& stamp);
// A Rewrite's Put, from the event as fetched: nothing when it changed since the row was
// recorded (the next pull integrates it) or cannot be rewritten.
std::optional<PushOp> RewriteForeign(const PushOp& rewrite, const QByteArray& body,
                                     const QString& etag, const SyncOptions& options);
// Records a done Put (etag: the server's answer, empty when it gave none) or Delete, and
// changes the local lines it names.
bool ApplyPushDone(Connection& db, const PushOp& op, const QString& etag);
// Records a Put or Delete that the server refused with 412: its version is fetched and
// integrated by the next pull, as a change on both sides.
bool ApplyPushConflict(Connection& db, const PushOp& op);
