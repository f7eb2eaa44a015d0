// The sync account and log as the settings folder keeps them, and the password's keeping where
// the desktop has no secret store: asked once, then in memory only, in no file.

#include "TestSupport.h"
#include "sync/SyncAccount.h"
#include "sync/SyncPassword.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

class tst_syncAccount : public QObject {
    Q_OBJECT
private slots:
    void accountRoundTrip();
    void logKeepsTheLastLines();
    void passwordWithoutSecretStore();
};

void tst_syncAccount::accountRoundTrip() {
    QTemporaryDir dir;
    SyncSettings settings(QDir(dir.path()).filePath(QStringLiteral("Vaskel")));
    const SyncAccount defaults = settings.account();
    QVERIFY(!defaults.configured());
    QVERIFY(defaults.schedules && defaults.anniversaries && !defaults.diaries);

    SyncAccount a;
    a.url = QStringLiteral("  https://cal.example.jp/dav/山田/  ");
    a.user = QStringLiteral("山田");
    a.diaries = true;
    a.onStart = false;
    a.everyMinutes = 0;
    QVERIFY(settings.setAccount(a));
    a.url = a.url.trimmed();
    QCOMPARE(SyncSettings(QDir(dir.path()).filePath(QStringLiteral("Vaskel"))).account(), a);

    const SyncOutcome o{QDateTime(QDate(2026, 12, 9), QTime(10, 5), Qt::UTC), false,
                        QStringLiteral("サーバーに接続できません")};
    QVERIFY(settings.setLastOutcome(o));
    const SyncOutcome back = settings.lastOutcome();
    QCOMPARE(back.finished, o.finished);
    QCOMPARE(back.ok, o.ok);
    QCOMPARE(back.summary, o.summary);
}

void tst_syncAccount::logKeepsTheLastLines() {
    QTemporaryDir dir;
    SyncSettings settings(dir.path());
    QVERIFY(settings.appendLog({QStringLiteral("一行目\r\n続き")}));
    QCOMPARE(settings.log(), QStringList{QStringLiteral("一行目  続き")});
    QStringList many;
    for (int i = 0; i < SyncSettings::kMaxLogLines + 5; ++i)
        many.append(QString::number(i));
    QVERIFY(settings.appendLog(many));
    const QStringList log = settings.log();
    QCOMPARE(log.size(), SyncSettings::kMaxLogLines);
    QCOMPARE(log.first(), QStringLiteral("5"));
    QCOMPARE(log.last(), QString::number(SyncSettings::kMaxLogLines + 4));
}

void tst_syncAccount::passwordWithoutSecretStore() {
    // No session bus: no secret store answers.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    const QString url = QStringLiteral("http://127.0.0.1:5232/user/cal/");
    const QString secret = QStringLiteral("秘密-pass-7319");
    SyncPassword store(QStringLiteral("VaskelTest"));
    std::optional<SyncPassword::Result> got;
    const SyncPassword::Done keep = [&got](const SyncPassword::Result& r) { got = r; };
    const QString user = QStringLiteral("user");

    store.read(url, user, keep);
    QTRY_VERIFY_WITH_TIMEOUT(got.has_value(), 30000);
    QCOMPARE(int(got->status), int(SyncPassword::Status::NoStore));
    got.reset();
    store.write(url, user, secret, keep);
    QTRY_VERIFY_WITH_TIMEOUT(got.has_value(), 30000);
    QCOMPARE(int(got->status), int(SyncPassword::Status::NoStore));
    got.reset();
    store.read(url, user, keep);
    QTRY_VERIFY(got.has_value());
    QCOMPARE(int(got->status), int(SyncPassword::Status::Found));
    QCOMPARE(got->password, secret);
    // Another account is not given this one's password.
    got.reset();
    store.read(url, QStringLiteral("other"), keep);
    QTRY_VERIFY(got.has_value());
    QCOMPARE(int(got->status), int(SyncPassword::Status::NoStore));
    // Nothing anywhere under the home folder holds it.
    QDirIterator files(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile f(files.next());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY2(!f.readAll().contains(secret.toUtf8()), qPrintable(f.fileName()));
    }
}

QTEST_MAIN(tst_syncAccount)
#include "tst_syncAccount.moc"
