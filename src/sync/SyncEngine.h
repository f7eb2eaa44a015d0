// One sync of the database with its calendar on the server, run in the background: the
// server's changes are fetched and integrated here in one short transaction, then ours are
// sent, each answer recorded in a transaction of its own. Nothing waits on the network while
// a transaction is open, and nothing here blocks the window: every step continues from the
// client's answer. A sync asked for while one runs follows it.
#pragma once

#include "sync/SyncAccount.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class CalDavClient;
class QTimer;
class Program;
struct DavResult;
struct RemoteChanges;

class SyncEngine : public QObject {
    Q_OBJECT
public:
    // settings: where the outcome and the log go.
    SyncEngine(const Program& program, SyncSettings& settings, QObject* parent = nullptr);
    ~SyncEngine() override;

    bool isRunning() const { return m_run != nullptr; }
    // Starts a sync (or, while one runs, one more after it).
    void start(const SyncAccount& account, const QString& password);
    // Ends the running sync at once; what it recorded stays, the next sync does the rest.
    void cancel();
    // The client, for tests that tune its timeout.
    CalDavClient& client() { return *m_client; }

signals:
    void started();
    // Lines for the log as they come (already written to the log file).
    void logged(const QStringList& lines);
    // Days or anniversaries here changed: what shows them reads them again.
    void localChanged();
    void finished(const SyncOutcome& outcome);

private:
    struct Run;
    struct Answer;
    void resolveCollection();
    void pull(bool retried = false);
    void listAll();
    void fetch(std::vector<std::pair<QString, QString>> listed, QStringList removed, bool complete,
               std::optional<QString> token);
    void integrate(const RemoteChanges& remote);
    void push();
    void sendOne(size_t index);
    void answered(std::optional<Answer> answer);
    void recordAnswers();
    void roundDone();
    void fail(const QString& message);
    void failed(const DavResult& result);
    void finish(bool ok, const QString& summary);
    void log(const QStringList& lines);
    void log(const QString& line) { log(QStringList{line}); }
    QUrl urlOf(const QString& href) const;
    QString hrefOf(const QUrl& url) const;

    const Program& m_program;
    SyncSettings& m_settings;
    CalDavClient* m_client;
    QTimer* m_recordTimer;
    std::unique_ptr<Run> m_run;
    quint64 m_lastRunId = 0; // tells the answers of an ended run from the running one's
    bool m_again = false;
    SyncAccount m_nextAccount;
    QString m_nextPassword;
};
