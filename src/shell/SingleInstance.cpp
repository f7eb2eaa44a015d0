#include "shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// How long a later start keeps trying to reach a running program that holds the lock but
// is not listening yet (it may be starting up itself).
constexpr int kReachMs = 3000;

const char* const kLockName = "Vaskel.lock";

// A folder that only this user can enter and write: ours, not a link, no access for anyone
// else. A socket in a shared folder could be replaced or reached by another local user.
bool IsPrivateFolder(const QString& dir) {
    if (dir.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(dir);
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0 && ::access(path.constData(), W_OK | X_OK) == 0;
}

QString SocketFolder(const QString& runtimeDir) {
    const QString runtime =
        runtimeDir.isEmpty() ? QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")) : runtimeDir;
    if (IsPrivateFolder(runtime))
        return runtime;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return QString();
    const QString own = QDir(cache).filePath(QStringLiteral("vaskel"));
    QDir().mkpath(cache);
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    return IsPrivateFolder(own) ? own : QString();
}

QString LockErrorText(QLockFile::LockError e) {
    switch (e) {
    case QLockFile::PermissionError:
        return QStringLiteral("フォルダに書き込む権限がありません。");
    default:
        return QStringLiteral("ロックファイルを作成できません。");
    }
}

} // namespace

SingleInstance::SingleInstance(const QString& programFolder, const QString& runtimeDir,
                               QObject* parent)
    : QObject(parent) {
    const QDir folder(programFolder);
    QString key = folder.canonicalPath();
    if (key.isEmpty())
        key = folder.absolutePath();
    m_lockPath = QDir(key).filePath(QLatin1String(kLockName));
    const QString sockets = SocketFolder(runtimeDir);
    if (!sockets.isEmpty()) {
        const QByteArray hash =
            QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
        m_serverPath = QDir(sockets).filePath(QStringLiteral("vaskel-") +
                                              QString::fromLatin1(hash) + QStringLiteral(".sock"));
    }
}

// Closing the server removes its socket; the lock goes with m_lock.
SingleInstance::~SingleInstance() {
    if (m_server)
        m_server->close();
}

SingleInstance::ClaimResult SingleInstance::Claim() {
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // The running program holds the lock for as long as it runs: age alone never makes it
    // stale, only an owner that is no longer running does.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        Listen();
        return ClaimResult::Claimed;
    }
    if (m_lock->error() == QLockFile::LockFailedError)
        return AskRunningOne() ? ClaimResult::Activated : ClaimResult::RunningUnreachable;
    m_error = m_lockPath + QStringLiteral("\r\n") + LockErrorText(m_lock->error());
    return ClaimResult::Failed;
}

void SingleInstance::Listen() {
    if (m_serverPath.isEmpty())
        return;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a program that ended without cleaning up; we own the lock now.
    QLocalServer::removeServer(m_serverPath);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            s->disconnectFromServer();
            emit activationRequested();
        }
    });
    m_server->listen(m_serverPath);
}

bool SingleInstance::AskRunningOne() const {
    if (m_serverPath.isEmpty())
        return false;
    const QDeadlineTimer deadline(kReachMs);
    while (!deadline.hasExpired()) {
        QLocalSocket s;
        s.connectToServer(m_serverPath);
        if (s.waitForConnected(int(deadline.remainingTime()))) {
            s.disconnectFromServer();
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}
