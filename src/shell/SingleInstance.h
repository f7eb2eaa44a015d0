// One running program per user and program folder: two would log the running time twice and
// write one database file at the same time.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// Used by main() before anything is read or written:
//
//     SingleInstance guard(AppPath());
//     if (!guard.Claim())
//         return 0;            // the running one has been told to come to the front
//     ... connect(&guard, &SingleInstance::activationRequested, &w, <restore the window>);
//
// The lock is a lock file named after the program folder; a lock left behind by a program
// that is no longer running never blocks a start. The running program listens on a local
// socket of the same name for later starts.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // runtimeDir: where the lock and the socket live (default: the user's runtime folder).
    explicit SingleInstance(const QString& programFolder, const QString& runtimeDir = {},
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only running program: it now holds the lock and listens. False
    // when another one runs; that one has been asked to come to the front, and this one must
    // end at once without writing anything.
    bool Claim();

    QString LockPath() const { return m_base + QStringLiteral(".lock"); }
    QString ServerPath() const { return m_base + QStringLiteral(".sock"); }

signals:
    // A later start asked this (the first) program to come to the front.
    void activationRequested();

private:
    void Listen();
    bool AskRunningOne() const;

    QString m_base;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
