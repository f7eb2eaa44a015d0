#include "DavServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {

bool WriteFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

int FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

DavServer::DavServer(Kind kind, bool tls) : m_kind(kind), m_tls(tls) {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(m_dir.filePath(QStringLiteral("server.log")));
    // Another program may take the port between our probe and the server's bind: try again.
    for (int attempt = 0; attempt < 3 && !isRunning(); ++attempt)
        start(&m_error);
    if (isRunning())
        m_error.clear();
}

DavServer::~DavServer() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        kill();
}

void DavServer::kill() {
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool DavServer::canTls() {
    return !QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty();
}

bool DavServer::start(QString* why) {
    m_port = FreePort();
    const QString storage = m_dir.filePath(QStringLiteral("storage"));
    const QString host = QStringLiteral("127.0.0.1:%1").arg(m_port);
    QString program;
    QStringList args;
    if (m_kind == Kind::Xandikos) {
        program = QStringLiteral("/usr/bin/xandikos");
        args = {QStringLiteral("--defaults"), QStringLiteral("-d"),        storage,
                QStringLiteral("-l"),         QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                QString::number(m_port)};
    } else {
        const QString users = m_dir.filePath(QStringLiteral("users"));
        const QString config = m_dir.filePath(QStringLiteral("config"));
        QByteArray text = QStringLiteral("[server]\nhosts = %1\n").arg(host).toUtf8();
        if (m_tls) {
            const QString cert = m_dir.filePath(QStringLiteral("cert.pem"));
            const QString key = m_dir.filePath(QStringLiteral("key.pem"));
            if (!QFile::exists(cert)) {
                QProcess openssl;
                openssl.start(QStringLiteral("openssl"),
                              {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                               "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert});
                if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
                    *why = QStringLiteral("openssl: ") + openssl.readAllStandardError();
                    return false;
                }
            }
            text +=
                QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n").arg(cert, key).toUtf8();
        }
        text += QStringLiteral("[auth]\ntype = htpasswd\nhtpasswd_filename = %1\n"
                               "htpasswd_encryption = plain\ndelay = 0\n"
                               "[storage]\nfilesystem_folder = %2\n"
                               "[rights]\ntype = owner_only\n"
                               "[web]\ntype = none\n"
                               "[logging]\nlevel = error\n")
                    .arg(users, storage)
                    .toUtf8();
        if (!WriteFile(users,
                       (user() + QLatin1Char(':') + password() + QLatin1Char('\n')).toUtf8()) ||
            !WriteFile(config, text)) {
            *why = QStringLiteral("cannot write the configuration in ") + m_dir.path();
            return false;
        }
        program = QStringLiteral("/usr/bin/radicale");
        args = {QStringLiteral("-C"), config};
    }
    m_process.start(program, args);
    if (!m_process.waitForStarted(10000)) {
        *why = program + QStringLiteral(": ") + m_process.errorString();
        return false;
    }
    // Ready when it takes connections.
    for (QDeadlineTimer deadline(20000); !deadline.hasExpired(); QThread::msleep(50)) {
        if (m_process.state() != QProcess::Running)
            break;
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(m_port));
        if (socket.waitForConnected(500))
            return true;
    }
    QFile log(m_dir.filePath(QStringLiteral("server.log")));
    log.open(QIODevice::ReadOnly);
    *why = program + QStringLiteral(" did not answer: ") +
           QString::fromUtf8(log.readAll().right(2000));
    kill();
    return false;
}

QUrl DavServer::baseUrl() const {
    return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(m_tls ? "https" : "http").arg(m_port));
}

QUrl DavServer::accountUrl() const {
    return baseUrl().resolved(QUrl(user() + QLatin1Char('/')));
}

QUrl DavServer::newCalendar(const QString& name) {
    const QString home =
        m_kind == Kind::Radicale ? QStringLiteral("user/") : QStringLiteral("user/calendars/");
    const QUrl url = baseUrl().resolved(QUrl(home + name + QLatin1Char('/')));
    QNetworkAccessManager nam;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization",
                         "Basic " + (user() + QLatin1Char(':') + password()).toUtf8().toBase64());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/xml"));
    const QByteArray body =
        "<?xml version=\"1.0\"?><C:mkcalendar xmlns:D=\"DAV:\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:set><D:prop><D:displayname>" +
        name.toUtf8() + "</D:displayname></D:prop></D:set></C:mkcalendar>";
    QNetworkReply* reply = nam.sendCustomRequest(request, "MKCALENDAR", body);
    QSignalSpy done(reply, &QNetworkReply::finished);
    const bool made = (done.count() || done.wait(20000)) &&
                      reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 201;
    if (!made)
        m_error = QStringLiteral("MKCALENDAR %1: %2").arg(url.toString(), reply->errorString());
    delete reply;
    return made ? url : QUrl();
}

QJsonDocument DavServer::peer(const QStringList& args, QString* error) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral(VASKEL_DAV_PEER)} + args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("dav_peer.py %1: %2")
                     .arg(args.value(0), QString::fromUtf8(p.readAllStandardError().right(2000)));
        return {};
    }
    QJsonParseError parse;
    QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &parse);
    if (doc.isNull())
        *error = QStringLiteral("dav_peer.py %1: %2").arg(args.value(0), parse.errorString());
    return doc;
}
