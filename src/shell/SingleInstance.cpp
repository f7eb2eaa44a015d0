#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace {

// How long a later start keeps trying to reach a running program that holds the lock but
// is not listening yet (it may be starting up itself).
constexpr int kReachMs = 3000;

QString RuntimeFolder() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}

} // namespace

SingleInstance::SingleInstance(const QString& programFolder, const QString& runtimeDir,
                               QObject* parent)
    : QObject(parent) {
    const QDir folder(programFolder);
    QString key = folder.canonicalPath();
    if (key.isEmpty())
        key = folder.absolutePath();
    const QByteArray hash =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    const QString dir = runtimeDir.isEmpty() ? RuntimeFolder() : runtimeDir;
    m_base = QDir(dir).filePath(QStringLiteral("vaskel-") + QString::fromLatin1(hash));
}

// Closing the server removes its socket; the lock goes with m_lock.
SingleInstance::~SingleInstance() {
    if (m_server)
        m_server->close();
}

bool SingleInstance::Claim() {
    QDir().mkpath(QFileInfo(m_base).absolutePath());
    m_lock = std::make_unique<QLockFile>(LockPath());
    // The running program holds the lock for as long as it runs: age alone never makes it
    // stale, only an owner that is no longer running does.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        Listen();
        return true;
    }
    if (m_lock->error() != QLockFile::LockFailedError) {
        // No lock can be made at all (an unwritable folder): starting is better than not.
        return true;
    }
    AskRunningOne();
    return false;
}

void SingleInstance::Listen() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a program that ended without cleaning up; we own the lock now.
    QLocalServer::removeServer(ServerPath());
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            s->disconnectFromServer();
            emit activationRequested();
        }
    });
    m_server->listen(ServerPath());
}

bool SingleInstance::AskRunningOne() const {
    const QDeadlineTimer deadline(kReachMs);
    while (!deadline.hasExpired()) {
        QLocalSocket s;
        s.connectToServer(ServerPath());
        if (s.waitForConnected(int(deadline.remainingTime()))) {
            s.disconnectFromServer();
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}
