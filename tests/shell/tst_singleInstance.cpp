// One running program per program folder: a later start is refused and raises the first one;
// another folder is another program; a lock left by a program that died never blocks; the
// runtime folder of a start does not decide, and a guard that cannot be taken says why.

#include "shell/SingleInstance.h"

#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_singleInstance : public QObject {
    Q_OBJECT
private slots:
    void laterStartIsRefusedAndRaisesTheFirst();
    void staleLockNeverBlocks();
    void oneProgramWhateverTheRuntimeFolders_data();
    void oneProgramWhateverTheRuntimeFolders();
    void unusableProgramFolderSaysWhy();
};

using Claim = SingleInstance::ClaimResult;

void tst_singleInstance::laterStartIsRefusedAndRaisesTheFirst() {
    QTemporaryDir runtime, programA, programB;
    SingleInstance first(programA.path(), runtime.path());
    QSignalSpy raised(&first, &SingleInstance::activationRequested);
    QCOMPARE(first.Claim(), Claim::Claimed);
    // The first program has been running for an hour: its lock is old, not stale.
    QFile lock(first.LockPath());
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                             QFileDevice::FileModificationTime));
    lock.close();
    {
        SingleInstance second(programA.path() + QStringLiteral("/."), runtime.path());
        QCOMPARE(second.Claim(), Claim::Activated);
    }
    QTRY_COMPARE(raised.count(), 1);
    // Another program folder is another program.
    SingleInstance other(programB.path(), runtime.path());
    QCOMPARE(other.Claim(), Claim::Claimed);
    QCOMPARE(raised.count(), 1);
}

void tst_singleInstance::staleLockNeverBlocks() {
    QTemporaryDir runtime, program;
    SingleInstance guard(program.path(), runtime.path());
    // A lock and a socket left behind by a program that is no longer running.
    QProcess dead;
    dead.start(QStringLiteral("true"));
    QVERIFY(dead.waitForStarted());
    const qint64 deadPid = dead.processId();
    QVERIFY(dead.waitForFinished());
    QByteArray info;
    {
        QLockFile made(guard.LockPath());
        QVERIFY(made.tryLock(0));
        QFile f(guard.LockPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        info = f.readAll();
        made.unlock();
    }
    info = QByteArray::number(deadPid) + info.mid(info.indexOf('\n'));
    QFile lock(guard.LockPath());
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(info);
    lock.close();
    QFile socket(guard.ServerPath());
    QVERIFY(socket.open(QIODevice::WriteOnly));
    socket.close();

    QCOMPARE(guard.Claim(), Claim::Claimed);
    QSignalSpy raised(&guard, &SingleInstance::activationRequested);
    SingleInstance later(program.path(), runtime.path());
    QCOMPARE(later.Claim(), Claim::Activated);
    QTRY_COMPARE(raised.count(), 1);
}

void tst_singleInstance::oneProgramWhateverTheRuntimeFolders_data() {
    // Each start's runtime folder: "private", "other" (another private one), "shared" (mode
    // 0777), "missing"; and what the later start hears.
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("later");
    QTest::addColumn<Claim>("result");
    QTest::newRow("one runtime folder") << "private"
                                        << "private" << Claim::Activated;
    QTest::newRow("two logins, two runtime folders") << "private"
                                                     << "other" << Claim::RunningUnreachable;
    QTest::newRow("shared runtime folders fall back to the private cache")
        << "shared"
        << "shared" << Claim::Activated;
    QTest::newRow("a missing one too") << "missing"
                                       << "shared" << Claim::Activated;
}

void tst_singleInstance::oneProgramWhateverTheRuntimeFolders() {
    QFETCH(QString, first);
    QFETCH(QString, later);
    QFETCH(Claim, result);
    QTemporaryDir program, root;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root.filePath(QStringLiteral("cache"))));
    const auto folder = [&root](const QString& kind) {
        const QString dir = root.filePath(kind);
        if (kind != QLatin1String("missing")) {
            QDir().mkpath(dir);
            QFile::setPermissions(dir, kind == QLatin1String("shared")
                                           ? QFileDevice::Permissions(0x7777)
                                           : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
        }
        return dir;
    };
    SingleInstance running(program.path(), folder(first));
    QCOMPARE(running.Claim(), Claim::Claimed);
    QVERIFY(!running.ServerPath().isEmpty());
    QVERIFY(!running.ServerPath().startsWith(root.filePath(QStringLiteral("shared"))));
    QSignalSpy raised(&running, &SingleInstance::activationRequested);
    SingleInstance second(program.path(), folder(later));
    QCOMPARE(second.Claim(), result);
    if (result == Claim::Activated)
        QTRY_COMPARE(raised.count(), 1);
    // The lock lives beside the database.
    QCOMPARE(running.LockPath(), QDir(program.path()).filePath(QStringLiteral("Vaskel.lock")));
    qunsetenv("XDG_CACHE_HOME");
}

void tst_singleInstance::unusableProgramFolderSaysWhy() {
    QTemporaryDir runtime, root;
    const QString missing = root.filePath(QStringLiteral("gone"));
    SingleInstance guard(missing, runtime.path());
    QCOMPARE(guard.Claim(), Claim::Failed);
    QVERIFY(guard.errorText().contains(missing));
}

QTEST_MAIN(tst_singleInstance)
#include "tst_singleInstance.moc"
