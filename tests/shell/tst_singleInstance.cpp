// One running program per program folder: a later start is refused and raises the first one;
// another folder is another program; a lock left by a program that died never blocks.

#include "SingleInstance.h"

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
};

void tst_singleInstance::laterStartIsRefusedAndRaisesTheFirst() {
    QTemporaryDir runtime, programA, programB;
    SingleInstance first(programA.path(), runtime.path());
    QSignalSpy raised(&first, &SingleInstance::activationRequested);
    QVERIFY(first.Claim());
    // The first program has been running for an hour: its lock is old, not stale.
    QFile lock(first.LockPath());
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                             QFileDevice::FileModificationTime));
    lock.close();
    {
        SingleInstance second(programA.path() + QStringLiteral("/."), runtime.path());
        QVERIFY(!second.Claim());
    }
    QTRY_COMPARE(raised.count(), 1);
    // Another program folder is another program.
    SingleInstance other(programB.path(), runtime.path());
    QVERIFY(other.Claim());
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

    QVERIFY(guard.Claim());
    QSignalSpy raised(&guard, &SingleInstance::activationRequested);
    SingleInstance later(program.path(), runtime.path());
    QVERIFY(!later.Claim());
    QTRY_COMPARE(raised.count(), 1);
}

QTEST_MAIN(tst_singleInstance)
#include "tst_singleInstance.moc"
