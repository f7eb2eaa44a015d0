// The about box: the version text, its labels and buttons, the icon's message, and the
// system-information tool started when the desktop has one.

#include "TestSupport.h"
#include "core/ProgramWindows.h"
#include "shell/AboutDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class tst_about : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void versionText_data();
    void versionText();
    void showsTheProgram();
    void systemInformation_data();
    void systemInformation();

private:
    QByteArray m_path = qgetenv("PATH");
};

void tst_about::initTestCase() {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}

void tst_about::cleanup() {
    qputenv("PATH", m_path);
    SetProgramStarter({});
}

void tst_about::versionText_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1.6") << 1 << 6 << "ver.1.06";
    QTest::newRow("1.12") << 1 << 12 << "ver.1.12";
}

void tst_about::versionText() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, expected);
    QCOMPARE(VersionText(major, minor), expected);
}

void tst_about::showsTheProgram() {
    MsgRecorder msgs;
    QWidget owner;
    OpenAboutDialog(&owner, false);
    AboutDialog* box = OpenWindowOf<AboutDialog>(&owner, Counted::WhileShown);
    QVERIFY(box);
    OpenAboutDialog(&owner, false);
    QCOMPARE(owner.findChildren<AboutDialog*>().size(), 1);
    QCOMPARE(box->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    const auto label = [box](const char* name) {
        return box->findChild<QLabel*>(QLatin1String(name));
    };
    const auto button = [box](const char* name) {
        return box->findChild<QPushButton*>(QLatin1String(name));
    };
    QCOMPARE(label("lblTitle")->text(), QStringLiteral("Vaskel"));
    QCOMPARE(label("lblVersion")->text(), QStringLiteral("ver.1.07"));
    QVERIFY(!label("lblComments")->text().isEmpty() && !label("lblDescription")->text().isEmpty());
    QCOMPARE(button("cmdSysInfo")->text(), QStringLiteral("ｼｽﾃﾑ情報(&S)..."));
    QVERIFY(button("cmdOK")->isDefault());

    QTest::mouseClick(label("picIcon"), Qt::LeftButton);
    QCOMPARE(msgs.texts(), QStringList{QStringLiteral("（*゜・゜）ンッ？バグ探し？")});
    QCOMPARE(msgs.messages[0].icon, MsgIcon::Question);
    QCOMPARE(msgs.messages[0].title, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));

    QApplication::setActiveWindow(box);
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(!OpenWindowOf<AboutDialog>(&owner, Counted::WhileShown));
    QVERIFY(!CloseOpenWindow<AboutDialog>(&owner));
}

void tst_about::systemInformation_data() {
    QTest::addColumn<QStringList>("tools"); // executables on the PATH
    QTest::addColumn<bool>("starts");
    QTest::addColumn<QString>("started"); // empty: the message
    QTest::newRow("none") << QStringList{} << true << QString();
    QTest::newRow("one") << QStringList{"xfce4-taskmanager"} << true << "xfce4-taskmanager";
    QTest::newRow("the most informative first")
        << QStringList{"gnome-system-monitor", "hardinfo"} << true << "hardinfo";
    QTest::newRow("fails to start") << QStringList{"kinfocenter"} << false << QString();
}

void tst_about::systemInformation() {
    QFETCH(QStringList, tools);
    QFETCH(bool, starts);
    QFETCH(QString, started);
    QTemporaryDir bin;
    for (const QString& name : tools) {
        QFile f(QDir(bin.path()).filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    qputenv("PATH", bin.path().toUtf8());
    QStringList runs;
    SetProgramStarter([&](const QString& program) {
        runs << program;
        return starts;
    });
    MsgRecorder msgs;
    AboutDialog box;
    box.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
    if (!started.isEmpty()) {
        QCOMPARE(runs, QStringList{QDir(bin.path()).filePath(started)});
        QVERIFY(msgs.messages.empty());
        return;
    }
    QCOMPARE(msgs.texts(), QStringList{QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません")});
    QCOMPARE(msgs.messages[0].icon, MsgIcon::None);
    QCOMPARE(msgs.messages[0].buttons, MsgButtons::OK);
    QCOMPARE(msgs.messages[0].title, QStringLiteral("Vaskel"));
}

QTEST_MAIN(tst_about)
#include "tst_about.moc"
