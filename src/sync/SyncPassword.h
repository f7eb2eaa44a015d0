// The sync password in the desktop's secret store, through QtKeychain. Where the desktop has
// none, the password is kept in this object's memory for the run only and asked again on the
// next start: it is never written to a file (no insecure fallback).
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class SyncPassword : public QObject {
    Q_OBJECT
public:
    enum class Status {
        Found,   // password holds it
        Missing, // nothing stored for this account: ask the user
        NoStore, // no usable secret store (error says why): ask, keep it for this run only
    };
    struct Result {
        Status status = Status::Missing;
        QString password;
        QString error;
    };
    using Done = std::function<void(const Result&)>;

    // service: the name the secret store files the password under.
    explicit SyncPassword(const QString& service = QStringLiteral("Vaskel"),
                          QObject* parent = nullptr);

    // The password of the account (its address and user name). done is called later, from the
    // event loop, never after this object is gone.
    void read(const QString& url, const QString& user, Done done);
    // Stores it: in the secret store (Found), or, without one, in memory for this run (NoStore).
    void write(const QString& url, const QString& user, const QString& password, Done done);
    // Forgets it everywhere (the set-up window's account was changed or removed).
    void remove(const QString& url, const QString& user, Done done);

    // Whether the store failed in this run; from then on, memory only.
    bool storeMissing() const { return m_noStore; }

private:
    static QString key(const QString& url, const QString& user);

    QString m_service;
    bool m_noStore = false;
    // Only used where there is no secret store: the account's key and its password.
    QString m_memoryKey;
    QString m_memoryPassword;
};
