// One running program per database: two would log the running time twice and write one
// database file at the same time.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// Used by main() before anything is read or written:
//
//     SingleInstance guard(app.program().folder());
//     switch (guard.Claim()) { ... }   // Claimed: go on; otherwise end (see ClaimResult)
//     ... connect(&guard, &SingleInstance::activationRequested, &w, <restore the window>);
//
// The guard is a lock file in the program's folder, beside the database it protects, so that
// every start on that database meets it, whoever starts it and from whichever session. A lock
// left behind by a program that is no longer running never blocks a start. The running program
// listens for later starts on a local socket in a folder only the user can reach: the runtime
// folder when it is private and writable, else a private folder of the user's cache.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class ClaimResult {
        Claimed,            // this is the only running program: it holds the lock and listens
        Activated,          // another one runs and has been asked to come to the front
        RunningUnreachable, // another one runs but could not be reached (another session)
        Failed,             // the lock could be neither taken nor checked: errorText() says why
    };

    // runtimeDir: the folder for the socket (default: $XDG_RUNTIME_DIR); it is used only when
    // private to the user, else the private folder of the user's cache is.
    explicit SingleInstance(const QString& programFolder, const QString& runtimeDir = {},
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // Anything but Claimed: this start must end at once without writing anything.
    ClaimResult Claim();
    QString errorText() const { return m_error; }

    QString LockPath() const { return m_lockPath; }
    // Empty when no private folder could be found for the socket.
    QString ServerPath() const { return m_serverPath; }

signals:
    // A later start asked this (the first) program to come to the front.
    void activationRequested();

private:
    void Listen();
    bool AskRunningOne() const;

    QString m_lockPath;
    QString m_serverPath;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
