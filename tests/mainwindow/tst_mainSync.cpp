// The main window's sync where the desktop has no secret store: the password is asked once a
// run, in a window that blocks nothing, and kept for the run; closed unanswered, the run goes on
// with a line in the status bar and is not asked again.

#include "TestSupport.h"
#include "mainwindow/MainSync.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "sync/SyncEngine.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QSignalSpy>
#include <QtTest>

class tst_mainSync : public QObject {
    Q_OBJECT
private slots:
    void passwordAskedOnceARun_data();
    void passwordAskedOnceARun();
};

namespace {

QList<QInputDialog*> Questions() {
    QList<QInputDialog*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmSyncPassword") && w->isVisible())
            out << static_cast<QInputDialog*>(w);
    return out;
}

} // namespace

void tst_mainSync::passwordAskedOnceARun_data() {
    QTest::addColumn<bool>("answered");
    QTest::newRow("answered") << true;
    QTest::newRow("closed") << false;
}

void tst_mainSync::passwordAskedOnceARun() {
    QFETCH(bool, answered);
    qunsetenv("DBUS_SESSION_BUS_ADDRESS"); // no secret store answers
    TestEnv env;
    const QString folder = QFileInfo(env.app().settings().filePath()).absolutePath();
    SyncAccount account;
    account.url = QStringLiteral("http://127.0.0.1:9/user/calendar/"); // nothing listens there
    account.user = QStringLiteral("user");
    QVERIFY(SyncSettings(folder).setAccount(account));
    QWidget window;
    window.show();
    MainSync sync(env.app(), &window);
    QSignalSpy started(&sync.engine(), &SyncEngine::started);
    QSignalSpy status(&sync, &MainSync::statusLine);

    sync.programStarted();
    QTRY_COMPARE_WITH_TIMEOUT(Questions().size(), 1, 30000);
    QInputDialog* question = Questions().front();
    QCOMPARE(question->windowTitle(), QStringLiteral("カレンダー同期"));
    QVERIFY(!question->isModal()); // the month stays usable meanwhile
    if (answered) {
        question->setTextValue(QStringLiteral("secret"));
        question->accept();
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 30000);
    } else {
        question->reject();
        QTRY_VERIFY(!status.isEmpty());
        QVERIFY(status.last().first().toString().contains(QStringLiteral("パスワードが必要")));
    }
    QTRY_VERIFY_WITH_TIMEOUT(!sync.engine().isRunning(), 30000);

    // The next sync of the run asks nothing: it runs with the password given, or says again
    // that one is needed.
    status.clear();
    sync.programStarted();
    if (answered)
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 2, 30000);
    else
        QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty(), 30000);
    QCOMPARE(Questions().size(), 0);
}

QTEST_MAIN(tst_mainSync)
#include "tst_mainSync.moc"
