#include "sync/SyncPassword.h"

#include <QTimer>

#include <qt6keychain/keychain.h>

SyncPassword::SyncPassword(const QString& service, QObject* parent)
    : QObject(parent), m_service(service) {}

QString SyncPassword::key(const QString& url, const QString& user) {
    return user + QLatin1Char('@') + url.trimmed();
}

void SyncPassword::read(const QString& url, const QString& user, Done done) {
    const QString k = key(url, user);
    if (m_noStore) {
        Result r;
        r.status =
            m_memoryKey == k && !m_memoryPassword.isEmpty() ? Status::Found : Status::NoStore;
        if (r.status == Status::Found)
            r.password = m_memoryPassword;
        // Always from the event loop, as the store's own answers come.
        QTimer::singleShot(0, this, [done, r] { done(r); });
        return;
    }
    auto* job = new QKeychain::ReadPasswordJob(m_service, this);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(k);
    connect(job, &QKeychain::Job::finished, this, [this, job, done] {
        Result r;
        if (job->error() == QKeychain::NoError) {
            r.status = Status::Found;
            r.password = job->textData();
        } else if (job->error() == QKeychain::EntryNotFound) {
            r.status = Status::Missing;
        } else {
            // No store on this desktop, or one that does not answer: the same to the user,
            // who is asked once and whose answer stays in memory.
            m_noStore = true;
            r.status = Status::NoStore;
            r.error = job->errorString();
        }
        done(r);
    });
    job->start();
}

void SyncPassword::write(const QString& url, const QString& user, const QString& password,
                         Done done) {
    const QString k = key(url, user);
    if (m_noStore) {
        m_memoryKey = k;
        m_memoryPassword = password;
        // Said as NoStore: the caller tells the user it is kept for this run only.
        Result r{Status::NoStore, password, QString()};
        QTimer::singleShot(0, this, [done, r] { done(r); });
        return;
    }
    auto* job = new QKeychain::WritePasswordJob(m_service, this);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(k);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [this, job, k, password, done] {
        Result r{Status::Found, password, QString()};
        if (job->error() != QKeychain::NoError) {
            m_noStore = true;
            m_memoryKey = k;
            m_memoryPassword = password;
            r = Result{Status::NoStore, password, job->errorString()};
        }
        done(r);
    });
    job->start();
}

void SyncPassword::remove(const QString& url, const QString& user, Done done) {
    const QString k = key(url, user);
    if (m_memoryKey == k) {
        m_memoryKey.clear();
        m_memoryPassword.clear();
    }
    if (m_noStore) {
        QTimer::singleShot(0, this, [done] { done(Result{Status::Missing, {}, {}}); });
        return;
    }
    auto* job = new QKeychain::DeletePasswordJob(m_service, this);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(k);
    connect(job, &QKeychain::Job::finished, this, [job, done] {
        done(Result{Status::Missing, QString(),
                    job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound
                        ? QString()
                        : job->errorString()});
    });
    job->start();
}
