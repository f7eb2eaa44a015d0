// The tray icon on a desktop that has a notification area: it appears, its menu restores the
// hidden window, and its end command ends the program. Runs on a virtual X display with a tray
// (with_tray.sh); elsewhere it skips.

#include "TestSupport.h"
#include "mainwindow/MainWindow.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtTest>

namespace {

// The icon's own window in the notification area.
QWidget* IconWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (QLatin1String(w->metaObject()->className()) == QLatin1String("QSystemTrayIconSys"))
            return w;
    }
    return nullptr;
}

// Right-presses the icon and, once the tray menu is up, notes its default entry and triggers
// the entry named. Qt closes every open pop-up when the icon's window is shown again, which it
// is when the notification area announces itself once more (late, on a busy virtual display):
// then the icon is pressed again, as a user would.
QString ChooseFromTrayMenu(const QString& entry, MainWindow& w) {
    QString defaultEntry = QStringLiteral("(no menu)");
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu != w.findMenu(QStringLiteral("mnuTaskTray")))
            return;
        poll.stop();
        defaultEntry = menu->defaultAction() ? menu->defaultAction()->objectName() : QString();
        menu->close();
        w.findAction(entry)->trigger();
    });
    poll.start();
    for (int attempt = 0; attempt < 5 && poll.isActive(); ++attempt) {
        QTest::mousePress(IconWindow(), Qt::RightButton);
        QTest::mouseRelease(IconWindow(), Qt::RightButton);
        if (QTest::qWaitFor([&poll] { return !poll.isActive(); }, 1000))
            break;
    }
    return defaultEntry;
}

} // namespace

class tst_trayDesktop : public QObject {
    Q_OBJECT

private slots:
    void iconRestoresAndEnds();
};

void tst_trayDesktop::iconRestoresAndEnds() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs a desktop with a notification area");
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    TestEnv env;
    MsgRecorder msgs;
    env.settings().writeText(SettingKey::StartUp, QStringLiteral("0"));
    MainWindow w(env.app());
    QVERIFY(w.start());
    auto* icon = w.findChild<QSystemTrayIcon*>();
    QVERIFY(icon);
    QTRY_VERIFY_WITH_TIMEOUT(icon->isVisible() && IconWindow() && IconWindow()->isVisible(), 10000);
    QCOMPARE(icon->toolTip(), QStringLiteral("Vaskel"));

    // Closing hides the resident window behind its icon.
    w.close();
    QVERIFY(w.isHidden());
    QVERIFY(!w.hasEnded());
    QCOMPARE(ChooseFromTrayMenu(QStringLiteral("mnuRestore"), w), QStringLiteral("mnuRestore"));
    QTRY_VERIFY(w.isVisible());

    // Shown again: the menu has no default entry; its end command ends the program.
    QCOMPARE(ChooseFromTrayMenu(QStringLiteral("mnuEnd"), w), QString());
    QVERIFY(w.hasEnded());
    QVERIFY(!icon->isVisible());
    QVERIFY(msgs.messages.empty());
}

QTEST_MAIN(tst_trayDesktop)
#include "tst_trayDesktop.moc"
