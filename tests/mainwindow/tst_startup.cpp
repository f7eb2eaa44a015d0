// Start-up and shutdown of the main window.

#include "TestSupport.h"
#include "core/Database.h"
#include "mainwindow/CellLabel.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MonthView.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QScreen>
#include <QSettings>
#include <QtTest>

namespace {
// The present time of every start.
const QDateTime kStart(QDate(2004, 3, 15), QTime(9, 30, 0));
} // namespace

class tst_startup : public QObject {
    Q_OBJECT

private slots:
    void upgradesAnOldDatabaseAndRuns();
    void failsWithoutAUsableDatabase_data();
    void failsWithoutAUsableDatabase();
    void failingInitMainCommitsNothing();
    void restoresAMaximisedWindowAndSavesOnlyItsState();
    void restoresSavedGeometry();
    void unreachableSavedGeometryIsReplaced_data();
    void unreachableSavedGeometryIsReplaced();
    void residentCloseKeepsTheWindowReachable();
    void endingSavesNothingWhenWindowSaveIsOff();
    void startsInTheTrayWhenAsked();
    void missingBackgroundPictureIsIgnored();

private:
    QString iniValue(const TestEnv& env, const char* key) const {
        QSettings s(env.settingsFile(), QSettings::IniFormat);
        return s.value(QStringLiteral("Calender/") + QLatin1String(key)).toString();
    }
};

void tst_startup::upgradesAnOldDatabaseAndRuns() {
    TestEnv env(TestEnv::Schema::V100);
    ClockOverride clock(env.program(), kStart);
    MsgRecorder msgs;
    MainWindow w(env.app());
    QVERIFY(w.start());
    QVERIFY(w.isVisible());
    QVERIFY(!w.hasEnded());
    QCOMPARE(w.windowTitle(), QStringLiteral("Vaskel"));
    QCOMPARE(env.openConnections(), 0);
    QCOMPARE(env.column(QStringLiteral("SELECT ver FROM T_Version")), QStringList{"1.07"});
    QVERIFY(env.indexExists(QStringLiteral("StartEndTime")));
    QVERIFY(env.tableExists(QStringLiteral("T_Alarm")));
    // The start opened a running period.
    QCOMPARE(env.column(QStringLiteral("SELECT StartTime || '/' || EndTime FROM T_WorkTime")),
             QStringList{"2004-03-15 09:30:00/2004-03-15 09:30:00"});
    QCOMPARE(w.monthView()->selectedDate(), QDate(2004, 3, 15));
    QCOMPARE(w.statusPanel(QStringLiteral("AlarmLabel"))->text(), QStringLiteral("ｱﾗｰﾑ"));
    QCOMPARE(w.statusPanel(QStringLiteral("Alarm"))->text(), QStringLiteral("OFF"));
    QCOMPARE(w.findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 50000);
    QVERIFY(w.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    QVERIFY(msgs.messages.empty());

    QVERIFY(!QFile::exists(env.settingsFile()));
    w.endProgram();
    QVERIFY(w.hasEnded());
    QVERIFY(!w.isVisible());
    QVERIFY(QFile::exists(env.settingsFile()));
}

void tst_startup::failsWithoutAUsableDatabase_data() {
    QTest::addColumn<bool>("writeJunk");
    QTest::newRow("no database") << false;
    QTest::newRow("not a database") << true;
}

void tst_startup::failsWithoutAUsableDatabase() {
    QFETCH(bool, writeJunk);
    TestEnv env(TestEnv::Schema::None);
    ClockOverride clock(env.program(), kStart);
    if (writeJunk) {
        QFile f(env.dbPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("hello");
    }
    const QStringList before = QDir(env.dir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    MsgRecorder msgs;
    MainWindow w(env.app());
    QVERIFY(!w.start());
    QVERIFY(w.hasEnded());
    QVERIFY(!w.isVisible());
    QCOMPARE(msgs.texts(), QStringList{QStringLiteral("データベースへの接続に失敗しました。")});
    QCOMPARE(QDir(env.dir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void tst_startup::failingInitMainCommitsNothing() {
    TestEnv env;
    ClockOverride clock(env.program(), kStart);
    env.exec(QStringLiteral("DROP TABLE T_Alarm"));
    MsgRecorder msgs;
    MainWindow w(env.app());
    QVERIFY(!w.start());
    QCOMPARE(msgs.messages.size(), size_t(1));
    QVERIFY(msgs.messages.front().text.startsWith(QStringLiteral("初期処理に失敗しました。\r\n")));
    QVERIFY(msgs.messages.front().text.contains(QStringLiteral("T_Alarm")));
    QCOMPARE(msgs.messages.front().title, QStringLiteral("Vaskel"));
    QCOMPARE(msgs.messages.front().icon, MsgIcon::Critical);
    // The running period written before the failure was not committed.
    QCOMPARE(env.count(QStringLiteral("T_WorkTime")), 0);
    QCOMPARE(env.openConnections(), 0);
}

void tst_startup::restoresAMaximisedWindowAndSavesOnlyItsState() {
    TestEnv env;
    ClockOverride clock(env.program(), kStart);
    env.settings().writeText(SettingKey::WindowSave, QStringLiteral("1"));
    env.settings().writeText(SettingKey::WindowState, QStringLiteral("2"));
    env.settings().writeText(SettingKey::WindowLeft, QStringLiteral("1500"));
    env.settings().writeText(SettingKey::WindowWidth, QStringLiteral("4500"));
    MsgRecorder msgs;
    MainWindow w(env.app());
    QVERIFY(w.start());
    QVERIFY(w.windowState() & Qt::WindowMaximized);
    w.endProgram();
    QCOMPARE(iniValue(env, "WindowState"), QStringLiteral("2"));
    QCOMPARE(iniValue(env, "WindowLeft"), QStringLiteral("1500"));
    QCOMPARE(iniValue(env, "WindowWidth"), QStringLiteral("4500"));
    QVERIFY(iniValue(env, "WindowHeight").isEmpty());
}

void tst_startup::restoresSavedGeometry() {
    TestEnv env;
    ClockOverride clock(env.program(), kStart);
    env.settings().writeText(SettingKey::WindowSave, QStringLiteral("1"));
    env.settings().writeText(SettingKey::WindowLeft, QStringLiteral("1500"));
    env.settings().writeText(SettingKey::WindowTop, QStringLiteral("750"));
    env.settings().writeText(SettingKey::WindowWidth, QStringLiteral("9000"));
    env.settings().writeText(SettingKey::WindowHeight, QStringLiteral("7500"));
    MsgRecorder msgs;
    MainWindow w(env.app());
    QVERIFY(w.start());
    QCOMPARE(w.frameGeometry().size(), QSize(600, 500));
    w.resize(700, 520);
    w.endProgram();
    QCOMPARE(iniValue(env, "WindowState"), QStringLiteral("0"));
    QCOMPARE(iniValue(env, "WindowWidth"), QString::number(w.frameGeometry().width() * 15));
    QCOMPARE(iniValue(env, "WindowHeight"), QString::number(w.frameGeometry().height() * 15));
    QCOMPARE(iniValue(env, "WindowLeft"), QString::number(w.frameGeometry().x() * 15));
}

void tst_startup::unreachableSavedGeometryIsReplaced_data() {
    QTest::addColumn<QStringList>("saved"); // left, top, width, height in twips, as stored
    QTest::newRow("far left") << QStringList{"-100000", "750", "9000", "7500"};
    QTest::newRow("title bar above the screen") << QStringList{"1500", "-1500", "9000", "7500"};
    QTest::newRow("huge width") << QStringList{"1500", "750", "2147483647", "7500"};
}

void tst_startup::unreachableSavedGeometryIsReplaced() {
    QFETCH(QStringList, saved);
    TestEnv env;
    ClockOverride clock(env.program(), kStart);
    env.settings().writeText(SettingKey::WindowSave, QStringLiteral("1"));
    const SettingKey keys[] = {SettingKey::WindowLeft, SettingKey::WindowTop,
                               SettingKey::WindowWidth, SettingKey::WindowHeight};
    for (int i = 0; i < 4; ++i)
        env.settings().writeText(keys[i], saved.at(i));
    MsgRecorder msgs;
    MainWindow w(env.app());
    QVERIFY(w.start());
    const QRect g = w.frameGeometry();
    QVERIFY2(w.screen()->availableGeometry().contains(g), qPrintable(QDebug::toString(g)));
    QVERIFY(g.width() >= w.minimumSizeHint().width());
    // The end saves what the user saw.
    w.endProgram();
    QCOMPARE(iniValue(env, "WindowLeft"), QString::number(g.x() * 15));
    QCOMPARE(iniValue(env, "WindowTop"), QString::number(g.y() * 15));
    QCOMPARE(iniValue(env, "WindowWidth"), QString::number(g.width() * 15));
    QCOMPARE(iniValue(env, "WindowHeight"), QString::number(g.height() * 15));
}

void tst_startup::residentCloseKeepsTheWindowReachable() {
    TestEnv env;
    ClockOverride clock(env.program(), kStart);
    MsgRecorder msgs;
    MainWindow w(env.app());
    QVERIFY(w.start());
    // Closing twice: the program keeps running, minimised, and says why only once.
    QVERIFY(!w.close());
    QVERIFY(!w.close());
    QVERIFY(!w.hasEnded());
    QVERIFY(w.windowState() & Qt::WindowMinimized);
    QCOMPARE(msgs.messages.size(), size_t(1));
    QCOMPARE(msgs.messages.front().icon, MsgIcon::Information);
    // Without a notification area the file menu's exit ends the program.
    w.exitProgram();
    QVERIFY(w.hasEnded());
}

void tst_startup::endingSavesNothingWhenWindowSaveIsOff() {
    TestEnv env;
    ClockOverride clock(env.program(), kStart);
    env.settings().writeText(SettingKey::Stationed, QStringLiteral("False"));
    MsgRecorder msgs;
    MainWindow w(env.app());
    QVERIFY(w.start());
    // Not resident: closing ends the program.
    QVERIFY(w.close());
    QVERIFY(w.hasEnded());
    QVERIFY(iniValue(env, "WindowState").isEmpty());
    QVERIFY(iniValue(env, "WindowLeft").isEmpty());
    QVERIFY(msgs.messages.empty());
}

void tst_startup::startsInTheTrayWhenAsked() {
    TestEnv env;
    ClockOverride clock(env.program(), kStart);
    env.settings().writeText(SettingKey::TaskTray, QStringLiteral("1"));
    MsgRecorder msgs;
    MainWindow w(env.app());
    QVERIFY(w.start());
    QVERIFY(!w.hasEnded());
    // Without a notification area it starts minimised rather than invisible.
    QVERIFY(w.windowState() & Qt::WindowMinimized);
}

void tst_startup::missingBackgroundPictureIsIgnored() {
    TestEnv env;
    ClockOverride clock(env.program(), kStart);
    env.settings().writeText(SettingKey::BackPic, QStringLiteral("True"));
    env.settings().writeText(SettingKey::BackPicPath, env.dir() + QStringLiteral("/gone.png"));
    env.settings().writeText(SettingKey::BackColor, QString::number(0x00FF00));
    MsgRecorder msgs;
    MainWindow w(env.app());
    QVERIFY(w.start());
    QVERIFY(msgs.messages.empty());
    QVERIFY(w.findChild<QLabel*>(QStringLiteral("imgBack"))->pixmap().isNull());
    QCOMPARE(w.monthView()->palette().color(QPalette::Window), QColor(0, 255, 0));
}

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
