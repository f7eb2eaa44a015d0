// The tray icon's tooltip, the tray menu's restore item in both window states, and what each
// kind of click on the icon asks for.

#include "TestSupport.h"
#include "core/CodePageText.h"
#include "settings/SettingsStore.h"
#include "shell/Tray.h"

#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

class tst_tray : public QObject {
    Q_OBJECT

private slots:
    void tooltip_data();
    void tooltip();
    void iconTakesTheTooltipWhenAddedOrModified();
    void restoreItemOnlyWhileHidden();
    void clicks_data();
    void clicks();
};

void tst_tray::tooltip_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString a62 = QString(62, QLatin1Char('a'));
    const QString kanji = QString(40, QChar(0x6F22)); // 80 bytes
    QTest::newRow("title") << 0 << "free"
                           << "Vaskel";
    QTest::newRow("unknown mode is the title") << 5 << "free"
                                               << "Vaskel";
    QTest::newRow("date") << 1 << "free"
                          << "2004年9月29日";
    QTest::newRow("free text kept with its blanks") << 9 << " a b "
                                                    << " a b ";
    QTest::newRow("empty free text") << 9 << ""
                                     << "";
    QTest::newRow("63 bytes fit") << 9 << a62 + "b" << a62 + "b";
    QTest::newRow("64th byte cut") << 9 << a62 + "bc" << a62 + "b";
    QTest::newRow("double-byte never halved") << 9 << a62 + "漢" << a62;
    QTest::newRow("double-byte up to 62 bytes") << 9 << kanji << kanji.left(31);
    QTest::newRow("half-width kana are one byte")
        << 9 << QString(70, QChar(0xFF71)) << QString(63, QChar(0xFF71));
    QTest::newRow("surrogate pair kept whole")
        << 9 << a62 + QString::fromUcs4(U"\U0001F600") << a62;
}

void tst_tray::tooltip() {
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    // The mode as the settings file holds it.
    const TrayTip tip = OptionFromStored<TrayTip>(qint16(mode));
    QCOMPARE(TrayTipText(tip, text, QDate(2004, 9, 29)), expected);
    QVERIFY(cp932Length(TrayTipText(tip, text, QDate(2004, 9, 29))) <= kTrayTipBytes);
}

void tst_tray::iconTakesTheTooltipWhenAddedOrModified() {
    TestEnv env;
    ClockOverride clock(env.program(), QDateTime(QDate(2004, 9, 29), QTime(23, 59)));
    env.app().options().trayTip = TrayTip::Date;
    TrayIcon icon(env.app(), [] { return false; });
    icon.add();
    QVERIFY(icon.isAdded());
    clock.advanceSecs(120);
    // Not refreshed by the passing day, only by a modification.
    QCOMPARE(icon.toolTip(), QStringLiteral("2004年9月29日"));
    icon.modify();
    QCOMPARE(icon.toolTip(), QStringLiteral("2004年9月30日"));
    env.app().options().trayTip = TrayTip::Text;
    env.app().options().trayTipText = QStringLiteral("予定");
    icon.apply(TrayAction::Modify);
    QCOMPARE(icon.toolTip(), QStringLiteral("予定"));
    icon.apply(TrayAction::Delete);
    QVERIFY(!icon.isAdded());
    QVERIFY(!icon.icon()->isVisible());
}

void tst_tray::restoreItemOnlyWhileHidden() {
    // The tray menu as the main window builds it: names and separators in order.
    QMenu menu;
    const QStringList names = {
        "mnuCancel",       "mnuTaskTrayBar4", "mnuRestore",   "mnuTaskTrayBar2", "mnuAlarm2",
        "mnuTaskTrayBar3", "mnuStatistics2",  "mnuWorkTimes", "mnuTaskTrayBar1", "mnuOption",
        "mnuVersion",      "mnuTaskTrayBar0", "mnuEnd"};
    for (const QString& n : names) {
        QAction* a = n.contains(QLatin1String("Bar")) ? menu.addSeparator() : menu.addAction(n);
        a->setObjectName(n);
    }
    const auto visible = [&menu] {
        QStringList out;
        for (QAction* a : menu.actions()) {
            if (a->isVisible())
                out << a->objectName();
        }
        return out;
    };
    for (bool hidden : {true, false, true}) {
        UpdateTrayMenu(&menu, hidden);
        QStringList expected = names;
        if (!hidden)
            expected.removeAll(QStringLiteral("mnuRestore")),
                expected.removeAll(QStringLiteral("mnuTaskTrayBar2"));
        QCOMPARE(visible(), expected);
        QCOMPARE(menu.defaultAction() ? menu.defaultAction()->objectName() : QString(),
                 hidden ? QStringLiteral("mnuRestore") : QString());
    }
}

void tst_tray::clicks_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<int>("restores");
    QTest::addColumn<int>("menus");
    QTest::newRow("double click, hidden") << int(QSystemTrayIcon::DoubleClick) << true << 1 << 0;
    QTest::newRow("double click, shown") << int(QSystemTrayIcon::DoubleClick) << false << 1 << 0;
    QTest::newRow("single click, hidden") << int(QSystemTrayIcon::Trigger) << true << 1 << 0;
    QTest::newRow("single click, shown") << int(QSystemTrayIcon::Trigger) << false << 0 << 0;
    QTest::newRow("context") << int(QSystemTrayIcon::Context) << true << 0 << 1;
    QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << true << 0 << 0;
}

void tst_tray::clicks() {
    QFETCH(int, reason);
    QFETCH(bool, hidden);
    QFETCH(int, restores);
    QFETCH(int, menus);
    AppContext app;
    TrayIcon icon(app, [hidden] { return hidden; });
    QSignalSpy restore(&icon, &TrayIcon::restoreRequested);
    QSignalSpy menu(&icon, &TrayIcon::menuRequested);
    emit icon.icon()->activated(QSystemTrayIcon::ActivationReason(reason));
    // Nothing runs inside the icon's own handler: the end command would destroy the icon.
    QCOMPARE(restore.count() + menu.count(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(restore.count(), restores);
    QCOMPARE(menu.count(), menus);
}

QTEST_MAIN(tst_tray)
#include "tst_tray.moc"
