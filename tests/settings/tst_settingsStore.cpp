// The settings store: defaults, encodings, the start-up read and the save at exit.

#include "TestSupport.h"
#include "core/Colors.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

#include <chrono>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class tst_settingsStore : public QObject {
    Q_OBJECT
    // The options in force for the windows under test.
    Options opt;

private slots:
    void init();
    void cleanup();
    void defaultsOnAnEmptyStore();
    void encodings();
    void windowKeysReadOnlyWhenWindowSaveIsOn();
    void unreadableValuesKeepTheirDefault();
    void savingTheWindowAtExit_data();
    void savingTheWindowAtExit();
    void largeFileIsParsedOnceAndWrittenOnce();
    void onlyARegularFileIsReadOrWritten_data();
    void onlyARegularFileIsReadOrWritten();

private:
    std::unique_ptr<TestEnv> env;
    QString value(const char* key) const {
        QSettings s(env->settingsFile(), QSettings::IniFormat);
        return s.value(QStringLiteral("Calender/") + QLatin1String(key)).toString();
    }
};

void tst_settingsStore::init() {
    env = std::make_unique<TestEnv>(TestEnv::Schema::None);
    opt = Options();
}

void tst_settingsStore::cleanup() {
    env.reset();
}

void tst_settingsStore::defaultsOnAnEmptyStore() {
    Options o;
    o.saveWindow = true; // overwritten by the read
    env->settings().readStartup(o);
    QCOMPARE(o.saveWindow, false);
    QCOMPARE(o.showTodayAtStart, true);
    // 7000 by 10000 twips.
    QCOMPARE(o.windowWidth, 467);
    QCOMPARE(o.windowHeight, 667);
    QCOMPARE(o.resident, true);
    QCOMPARE(o.startInTray, false);
    QCOMPARE(o.trayTip, TrayTip::Title);
    QCOMPARE(o.todayColor, ColorFromBgr(0x88FFFF));
    QCOMPARE(o.selectColor, ColorFromBgr(0xC0FFC0));
    QCOMPARE(o.diaryColor, ColorFromBgr(0xC0E0FF));
    QCOMPARE(o.backColor, ColorFromBgr(0xFFFFFF));
    QCOMPARE(o.backPicture, false);
    QVERIFY(o.backPicturePath.isEmpty());
    QCOMPARE(o.yearFormat, 0);
    QCOMPARE(o.monthFormat, 0);
    QCOMPARE(o.weekFormat, 0);
    // Reading never writes.
    QVERIFY(!QFile::exists(env->settingsFile()));
    // Missing keys read as their defaults in their stored form.
    QCOMPARE(env->settings().readText(SettingKey::Stationed), QStringLiteral("True"));
    QCOMPARE(env->settings().readText(SettingKey::TodayColor), QStringLiteral("8978431"));
    QCOMPARE(env->settings().readText(SettingKey::SelectColor), QStringLiteral("12648384"));
    QCOMPARE(env->settings().readText(SettingKey::DiaryColor), QStringLiteral("12640511"));
    QCOMPARE(env->settings().readText(SettingKey::BackColor), QStringLiteral("16777215"));
}

void tst_settingsStore::encodings() {
    Options o;
    o.resident = false;
    o.backPicture = true;
    o.todayColor = ColorFromBgr(0x123456);
    o.windowLeft = -20; // pixels, stored as twips
    o.trayTipText = QStringLiteral("今日も一日 \"がんばろう\"");
    for (SettingKey k : {SettingKey::Stationed, SettingKey::BackPic, SettingKey::TodayColor,
                         SettingKey::WindowLeft, SettingKey::TrayHintText})
        env->settings().writeOption(o, k);
    QCOMPARE(value("Stationed"), QStringLiteral("False"));
    QCOMPARE(value("BackPic"), QStringLiteral("True"));
    QCOMPARE(value("TodayColor"), QString::number(0x123456));
    QCOMPARE(value("WindowLeft"), QStringLiteral("-300"));
    QCOMPARE(value("TrayHintText"), o.trayTipText);
    // The file lives under the application's own folder, in the "Calender" section.
    QFile f(env->settingsFile());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray ini = f.readAll();
    QVERIFY(ini.contains("[Calender]"));
    QVERIFY(ini.contains("Stationed=False"));
    QVERIFY(ini.contains("BackPic=True"));

    Options back;
    env->settings().readStartup(back);
    QCOMPARE(back.resident, false);
    QCOMPARE(back.backPicture, true);
    QCOMPARE(back.todayColor, ColorFromBgr(0x123456));
    QCOMPARE(back.trayTipText, o.trayTipText);
}

void tst_settingsStore::windowKeysReadOnlyWhenWindowSaveIsOn() {
    env->settings().writeText(SettingKey::WindowState, QStringLiteral("2"));
    env->settings().writeText(SettingKey::WindowLeft, QStringLiteral("1500"));
    env->settings().writeText(SettingKey::WindowWidth, QStringLiteral("9000"));
    Options off;
    env->settings().readStartup(off);
    QCOMPARE(off.windowShow, WindowShow::Normal);
    QCOMPARE(off.windowLeft, 0);
    QCOMPARE(off.windowWidth, 467);

    env->settings().writeText(SettingKey::WindowSave, QStringLiteral("1"));
    Options on;
    env->settings().readStartup(on);
    QCOMPARE(on.windowShow, WindowShow::Maximized);
    // The stored twips, in pixels.
    QCOMPARE(on.windowLeft, 100);
    QCOMPARE(on.windowWidth, 600);
    QCOMPARE(on.windowHeight, 667);
}

void tst_settingsStore::unreadableValuesKeepTheirDefault() {
    env->settings().writeText(SettingKey::StartUp, QStringLiteral("yes"));
    env->settings().writeText(SettingKey::Stationed, QStringLiteral("maybe"));
    env->settings().writeText(SettingKey::YearFormat, QStringLiteral("99999")); // beyond 16 bits
    env->settings().writeText(SettingKey::TodayColor, QStringLiteral("-1"));
    Options o;
    env->settings().readStartup(o);
    QCOMPARE(o.showTodayAtStart, true);
    QCOMPARE(o.resident, true);
    QCOMPARE(o.yearFormat, 0);
    QCOMPARE(o.todayColor, ColorFromBgr(0x88FFFF));
    // A format value out of its list is still a number and is kept (the drawing ignores it).
    env->settings().writeText(SettingKey::YearFormat, QStringLiteral("7"));
    env->settings().readStartup(o);
    QCOMPARE(o.yearFormat, 7);
}

void tst_settingsStore::savingTheWindowAtExit_data() {
    QTest::addColumn<int>("windowSave");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("savedState");
    QTest::addColumn<QString>("savedLeft");
    QTest::newRow("normal") << 1 << 0 << "0"
                            << "150";
    QTest::newRow("minimised keeps the geometry") << 1 << 1 << "1"
                                                  << "3000";
    QTest::newRow("maximised keeps the geometry") << 1 << 2 << "2"
                                                  << "3000";
    QTest::newRow("option off saves nothing") << 0 << 0 << ""
                                              << "3000";
}

void tst_settingsStore::savingTheWindowAtExit() {
    QFETCH(int, windowSave);
    QFETCH(int, state);
    QFETCH(QString, savedState);
    QFETCH(QString, savedLeft);
    env->settings().writeText(SettingKey::WindowLeft, QStringLiteral("3000"));
    Options o;
    o.saveWindow = windowSave == 1;
    env->settings().saveWindowSettings(o, WindowShow(state), QRect(10, -3, 467, 666)); // pixels
    QCOMPARE(value("WindowState"), savedState);
    QCOMPARE(value("WindowLeft"), savedLeft);
    if (windowSave == 1 && state == 0) {
        QCOMPARE(value("WindowTop"), QStringLiteral("-45"));
        QCOMPARE(value("WindowWidth"), QStringLiteral("7005"));
        QCOMPARE(value("WindowHeight"), QStringLiteral("9990"));
    } else {
        QVERIFY(value("WindowWidth").isEmpty());
    }
}

void tst_settingsStore::largeFileIsParsedOnceAndWrittenOnce() {
    // Another program's section of 200,000 keys beside ours.
    QByteArray text = "[Calender]\nWindowSave=1\nWindowLeft=1500\n\n[Other]\n";
    for (int i = 0; i < 200000; ++i)
        text += "key" + QByteArray::number(i) + "=value " + QByteArray::number(i) + '\n';
    QDir().mkpath(QFileInfo(env->settingsFile()).absolutePath());
    {
        QFile f(env->settingsFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    const SettingsFileStats before = env->settings().fileCounts();
    // A start: every key read; an exit: the window saved.
    Options o;
    env->settings().readStartup(o);
    QCOMPARE(o.windowLeft, 100);
    QCOMPARE(env->settings().fileCounts().reads - before.reads, 1);
    env->settings().saveWindowSettings(o, WindowShow::Normal, QRect(10, 2, 467, 666));
    QCOMPARE(env->settings().fileCounts().reads - before.reads, 1);
    QCOMPARE(env->settings().fileCounts().writes - before.writes, 1);
    QCOMPARE(value("WindowLeft"), QStringLiteral("150"));
    QSettings other(env->settingsFile(), QSettings::IniFormat);
    QCOMPARE(other.value(QStringLiteral("Other/key199999")).toString(),
             QStringLiteral("value 199999"));
    // Changed by someone else meanwhile: read again, and that change is kept.
    QSettings(env->settingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("Calender/WindowTop"), QStringLiteral("77"));
    QCOMPARE(env->settings().readText(SettingKey::WindowTop), QStringLiteral("77"));
    QCOMPARE(env->settings().fileCounts().reads - before.reads, 2);
}

void tst_settingsStore::onlyARegularFileIsReadOrWritten_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("a FIFO") << "fifo";
    QTest::newRow("a folder") << "folder";
}

void tst_settingsStore::onlyARegularFileIsReadOrWritten() {
    QFETCH(QString, kind);
    const QString file = env->settingsFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkpath(file));
    // Nobody ever writes into the FIFO: a read that opened it would wait for good.
    SettingsStore& store = env->settings();
    auto start = std::async(std::launch::async, [&store] {
        Options o;
        o.showTodayAtStart = false;
        store.readStartup(o);
        return o;
    });
    if (start.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Let the blocked read end before failing.
        const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        start.wait();
        QFAIL("the start waited on the settings file");
    }
    const Options o = start.get();
    QCOMPARE(o.showTodayAtStart, true);
    QCOMPARE(o.resident, true);
    // The exit keeps its values in memory and leaves the file as it is.
    Options exit = o;
    exit.saveWindow = true;
    env->settings().saveWindowSettings(exit, WindowShow::Normal, QRect(10, 2, 467, 666));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
    QVERIFY(kind == QLatin1String("fifo") ? S_ISFIFO(st.st_mode) : S_ISDIR(st.st_mode));
    QCOMPARE(env->settings().readText(SettingKey::WindowLeft), QStringLiteral("150"));
}

QTEST_MAIN(tst_settingsStore)
#include "tst_settingsStore.moc"
