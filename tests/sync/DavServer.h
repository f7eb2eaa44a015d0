// A real CalDAV server for a test: Radicale or Xandikos as a child process on 127.0.0.1 and a
// free port, with its storage in a temporary folder, stopped when the object goes. And the
// second device the tests compare with: python3-caldav through tests/sync/dav_peer.py.
#pragma once

#include <QJsonDocument>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

class DavServer {
public:
    enum class Kind { Radicale, Xandikos };
    // tls: Radicale over https with a self-signed certificate (needs openssl).
    explicit DavServer(Kind kind, bool tls = false);
    ~DavServer();
    DavServer(const DavServer&) = delete;
    DavServer& operator=(const DavServer&) = delete;

    // Whether the server answers; why not otherwise.
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    QString error() const { return m_error; }

    QUrl baseUrl() const;    // http://127.0.0.1:PORT/
    QUrl accountUrl() const; // the user's principal
    QString user() const { return QStringLiteral("user"); }
    QString password() const { return QStringLiteral("secret"); }
    int port() const { return m_port; }
    // A new empty calendar collection (made with a plain MKCALENDAR); invalid on failure.
    QUrl newCalendar(const QString& name);
    // Ends the server at once, as a crash would.
    void kill();

    static bool canTls();
    // Runs dav_peer.py with args and returns what it printed (JSON), or a null document and
    // error set.
    static QJsonDocument peer(const QStringList& args, QString* error);

private:
    bool start(QString* why);

    Kind m_kind;
    bool m_tls;
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};
