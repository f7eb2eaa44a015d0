// The options dialog: OK saves every key in its order and encoding and asks the main window to
// apply them and to change the tray icon; the picture check; the enabling rules; Cancel.

#include "TestSupport.h"
#include "core/Colors.h"
#include "core/ProgramWindows.h"
#include "settings/SettingsStore.h"
#include "shell/OptionsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

namespace {
const QString kTitle = QStringLiteral("ｵﾌﾟｼｮﾝ");
const QString kNotFound = QStringLiteral("指定したファイルが見つかりません。");
} // namespace

class tst_options : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void okSavesEveryKeyInOrder_data();
    void okSavesEveryKeyInOrder();
    void residencyChangesTheIcon_data();
    void residencyChangesTheIcon();
    void pictureCheck_data();
    void pictureCheck();
    void enablingRules();
    void choosersAndCancelChangeNothing();
    void oneDialogAtATime();

private:
    OptionsDialog* open(QWidget* owner = nullptr) {
        dlg = new OptionsDialog(env->app(), owner);
        dlg->setAttribute(Qt::WA_DeleteOnClose);
        dlg->show();
        QApplication::setActiveWindow(dlg);
        return dlg;
    }
    QString picture() const {
        const QString path = env->dir() + QStringLiteral("/back.png");
        QImage img(8, 8, QImage::Format_RGB32);
        img.fill(Qt::red);
        img.save(path);
        return path;
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    QStringList writes;
    QPointer<OptionsDialog> dlg;
};

void tst_options::initTestCase() {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}

void tst_options::init() {
    env = std::make_unique<TestEnv>(TestEnv::Schema::None);
    msgs = std::make_unique<MsgRecorder>();
    writes.clear();
    env->settings().setWriteHook([this](SettingKey k, const QString& text) {
        writes << QString::fromLatin1(SettingName(k)) + QLatin1Char('=') + text;
    });
}

void tst_options::cleanup() {
    delete dlg;
    env->settings().setWriteHook({});
    SetColorChooserHook({});
    SetFileChooserHook({});
    SetTrayUsableOverride(std::nullopt);
    msgs.reset();
    env.reset();
}

void tst_options::okSavesEveryKeyInOrder_data() {
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("defaults") << false << QStringList{"WindowSave=0",        "StartUp=1",
                                                      "TodayColor=8978431",  "SelectColor=12648384",
                                                      "DiaryColor=12640511", "BackColor=16777215",
                                                      "BackPic=False",       "BackPicPath=",
                                                      "YearFormat=0",        "MonthFormat=0",
                                                      "WeekFormat=0",        "Stationed=True",
                                                      "TaskTray=0",          "TrayHint=0"};
    QTest::newRow("everything changed")
        << true << QStringList{"WindowSave=1",      "StartUp=0",           "TodayColor=255",
                               "SelectColor=65280", "DiaryColor=16711680", "BackColor=1",
                               "BackPic=True",      "BackPicPath=PIC",     "YearFormat=4",
                               "MonthFormat=2",     "WeekFormat=3",        "Stationed=False",
                               "TaskTray=1",        "TrayHintText= 予定 ", "TrayHint=9"};
}

void tst_options::okSavesEveryKeyInOrder() {
    QFETCH(bool, changed);
    QFETCH(QStringList, expected);
    const QString pic = picture();
    open();
    if (changed) {
        Child<QCheckBox>(*dlg, "chkWindowSave")->setChecked(true);
        Child<QCheckBox>(*dlg, "chkStartup")->setChecked(false);
        std::deque<QColor> colors = {ColorFromBgr(0x0000FF), ColorFromBgr(0x00FF00),
                                     ColorFromBgr(0xFF0000), ColorFromBgr(0x000001)};
        SetColorChooserHook([&colors](QColor& c) {
            c = colors.front();
            colors.pop_front();
            return true;
        });
        for (QPushButton* b :
             {Child<QPushButton>(*dlg, "cmdTodayColor"), Child<QPushButton>(*dlg, "cmdSelectColor"),
              Child<QPushButton>(*dlg, "cmdDiaryColor"), Child<QPushButton>(*dlg, "cmdBackColor")})
            b->click();
        Child<QRadioButton>(*dlg, "optSetBack")->click();
        Child<QLineEdit>(*dlg, "txtPicPath")
            ->setText(QStringLiteral("  ") + pic + QStringLiteral(" "));
        Child<QComboBox>(*dlg, "cboFormatYear")->setCurrentIndex(4);
        Child<QComboBox>(*dlg, "cboFormatMonth")->setCurrentIndex(2);
        Child<QComboBox>(*dlg, "cboFormatWeek")->setCurrentIndex(3);
        Child<QCheckBox>(*dlg, "chkTaskTray")->setChecked(true);
        Child<QRadioButton>(*dlg, "optTrayHint9")->click();
        Child<QLineEdit>(*dlg, "txtTrayHint")->setText(QStringLiteral(" 予定 "));
        Child<QCheckBox>(*dlg, "chkStationed")->click();
        expected.replaceInStrings(QStringLiteral("PIC"), pic);
    }
    QSignalSpy display(dlg, &OptionsDialog::displayChanged);
    Child<QPushButton>(*dlg, "cmdOK")->click();
    QCOMPARE(writes, expected);
    QCOMPARE(display.count(), 1);
    QVERIFY(msgs->messages.empty());
    QVERIFY(!dlg || !dlg->isVisible());
    // The values in memory are the ones written.
    QCOMPARE(env->app().options().backPicturePath, changed ? pic : QString());
    QCOMPARE(env->app().options().resident, !changed);
}

void tst_options::residencyChangesTheIcon_data() {
    QTest::addColumn<bool>("oldStationed");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("ownerHidden");
    QTest::addColumn<int>("action"); // -1: no request
    QTest::addColumn<bool>("restores");
    QTest::newRow("off while hidden") << true << false << true << int(TrayAction::Delete) << true;
    QTest::newRow("off while shown") << true << false << false << int(TrayAction::Delete) << false;
    QTest::newRow("on while hidden") << false << true << true << int(TrayAction::Add) << false;
    QTest::newRow("kept on") << true << true << true << int(TrayAction::Modify) << false;
    QTest::newRow("kept off") << false << false << true << -1 << false;
}

void tst_options::residencyChangesTheIcon() {
    QFETCH(bool, oldStationed);
    QFETCH(bool, ticked);
    QFETCH(bool, ownerHidden);
    QFETCH(int, action);
    QFETCH(bool, restores);
    env->app().options().resident = oldStationed;
    QWidget owner;
    if (!ownerHidden)
        owner.show();
    open(&owner);
    QSignalSpy tray(dlg, &OptionsDialog::trayActionRequested);
    QStringList events;
    connect(dlg, &OptionsDialog::trayActionRequested, [&events, this](TrayAction) {
        // The icon is changed from the new settings, already in memory.
        events << QStringLiteral("tray") + EncodeBool(env->app().options().resident);
    });
    connect(dlg, &OptionsDialog::restoreRequested,
            [&events, this] { events << (dlg->isVisible() ? "restore open" : "restore closed"); });
    if (Child<QCheckBox>(*dlg, "chkStationed")->isChecked() != ticked)
        Child<QCheckBox>(*dlg, "chkStationed")->click();
    Child<QPushButton>(*dlg, "cmdOK")->click();
    QStringList expected;
    if (action >= 0) {
        QCOMPARE(tray.count(), 1);
        QCOMPARE(int(tray.at(0).at(0).value<TrayAction>()), action);
        expected << QStringLiteral("tray") + EncodeBool(ticked);
    }
    if (restores)
        expected << QStringLiteral("restore closed");
    QCOMPARE(events, expected);
}

void tst_options::pictureCheck_data() {
    QTest::addColumn<QString>("path"); // DIR: the program folder, PIC: a picture
    QTest::addColumn<bool>("setBack");
    QTest::addColumn<bool>("passes");
    QTest::newRow("empty") << "" << true << true;
    QTest::newRow("blanks only") << "   " << true << true;
    QTest::newRow("picture") << "PIC" << true << true;
    QTest::newRow("missing") << "DIR/none.png" << true << false;
    QTest::newRow("missing, no picture chosen") << "DIR/none.png" << false << false;
    QTest::newRow("folder") << "DIR" << true << false;
    QTest::newRow("not a picture") << "DIR/text.png" << true << false;
}

void tst_options::pictureCheck() {
    QFETCH(QString, path);
    QFETCH(bool, setBack);
    QFETCH(bool, passes);
    QFile text(env->dir() + QStringLiteral("/text.png"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    path.replace(QStringLiteral("PIC"), picture()).replace(QStringLiteral("DIR"), env->dir());
    env->app().options().backPicture = setBack;
    env->app().options().backPicturePath = path;
    open();
    Child<QPushButton>(*dlg, "cmdOK")->click();
    QCOMPARE(writes.isEmpty(), !passes);
    if (passes) {
        QVERIFY(msgs->messages.empty());
        return;
    }
    QCOMPARE(msgs->texts(), QStringList{kNotFound});
    QCOMPARE(msgs->messages[0].title, kTitle);
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Warning);
    QVERIFY(dlg->isVisible());
    QCOMPARE(Child<QTabWidget>(*dlg, "tabOption")->currentIndex(), 1);
    QCOMPARE(dlg->focusWidget(),
             setBack ? static_cast<QWidget*>(Child<QLineEdit>(*dlg, "txtPicPath"))
                     : static_cast<QWidget*>(Child<QRadioButton>(*dlg, "optSetBack")));
}

void tst_options::enablingRules() {
    SetTrayUsableOverride(false);
    env->app().options().resident = false;
    env->app().options().trayTip = TrayTip::Text;
    env->app().options().backPicturePath = picture();
    open();
    const QList<QWidget*> dependents = {
        Child<QGroupBox>(*dlg, "fmStationed"),     Child<QCheckBox>(*dlg, "chkTaskTray"),
        Child<QLabel>(*dlg, "lblInfomation0"),     Child<QLabel>(*dlg, "lblInfomation1"),
        Child<QGroupBox>(*dlg, "fmTrayHint"),      Child<QRadioButton>(*dlg, "optTrayHint0"),
        Child<QRadioButton>(*dlg, "optTrayHint1"), Child<QRadioButton>(*dlg, "optTrayHint9")};
    const auto enabled = [&dependents](bool on) {
        for (QWidget* w : dependents) {
            if (w->isEnabled() != on)
                return false;
        }
        return true;
    };
    QCOMPARE(Child<QTabWidget>(*dlg, "tabOption")->currentIndex(), 0);
    // Without a notification area the tab says why it has no effect.
    QVERIFY(!Child<QLabel>(*dlg, "lblNoTray")->isHidden() &&
            Child<QLabel>(*dlg, "lblNoTray")->isEnabled());
    QVERIFY(enabled(false));
    QVERIFY(!Child<QLineEdit>(*dlg, "txtTrayHint")->isEnabled());
    QVERIFY(!Child<QLineEdit>(*dlg, "txtPicPath")->isEnabled() &&
            !Child<QPushButton>(*dlg, "cmdSetPic")->isEnabled());
    QVERIFY(Child<QLabel>(*dlg, "imgBack")->pixmap().isNull());

    Child<QCheckBox>(*dlg, "chkStationed")->click();
    QVERIFY(enabled(true));
    QVERIFY(Child<QLineEdit>(*dlg, "txtTrayHint")->isEnabled());
    Child<QRadioButton>(*dlg, "optTrayHint1")->click();
    QVERIFY(!Child<QLineEdit>(*dlg, "txtTrayHint")->isEnabled());
    Child<QRadioButton>(*dlg, "optTrayHint9")->click();
    QVERIFY(Child<QLineEdit>(*dlg, "txtTrayHint")->isEnabled());
    Child<QCheckBox>(*dlg, "chkStationed")->click();
    QVERIFY(enabled(false));
    QVERIFY(!Child<QLineEdit>(*dlg, "txtTrayHint")->isEnabled());

    // The preview shows the saved picture, not the typed path.
    Child<QLineEdit>(*dlg, "txtPicPath")->setText(QStringLiteral("elsewhere.png"));
    Child<QRadioButton>(*dlg, "optSetBack")->click();
    QVERIFY(Child<QLineEdit>(*dlg, "txtPicPath")->isEnabled() &&
            Child<QPushButton>(*dlg, "cmdSetPic")->isEnabled());
    QVERIFY(!Child<QLabel>(*dlg, "imgBack")->pixmap().isNull());
    Child<QRadioButton>(*dlg, "optNonBack")->click();
    QVERIFY(!Child<QLineEdit>(*dlg, "txtPicPath")->isEnabled() &&
            !Child<QPushButton>(*dlg, "cmdSetPic")->isEnabled());
    QVERIFY(Child<QLabel>(*dlg, "imgBack")->pixmap().isNull());
}

void tst_options::choosersAndCancelChangeNothing() {
    env->app().options().backPicture = true;
    open();
    SetColorChooserHook([](QColor& c) {
        c = ColorFromBgr(0x123456);
        return false;
    });
    Child<QPushButton>(*dlg, "cmdTodayColor")->click();
    QCOMPARE(ButtonColor(Child<QPushButton>(*dlg, "cmdTodayColor")), ColorFromBgr(0x88FFFF));

    QStringList asked;
    bool choose = false;
    const QString pic = picture();
    SetFileChooserHook([&](bool save, const QString& title, const QString& filter, QString& p) {
        asked << QString::number(save) << title << filter << p;
        p = pic;
        return choose;
    });
    Child<QLineEdit>(*dlg, "txtPicPath")->setText(QStringLiteral("old.png"));
    Child<QPushButton>(*dlg, "cmdSetPic")->click();
    QCOMPARE(asked, (QStringList{"0", "背景画像の選択",
                                 "画像ファイル(*.bmp *.gif *.jpg *.jpeg *.dib *.png);;"
                                 "全てのファイル(*)",
                                 "old.png"}));
    QCOMPARE(Child<QLineEdit>(*dlg, "txtPicPath")->text(), QStringLiteral("old.png"));
    QCOMPARE(dlg->focusWidget(), Child<QLineEdit>(*dlg, "txtPicPath"));
    choose = true;
    Child<QPushButton>(*dlg, "cmdSetPic")->click();
    QCOMPARE(Child<QLineEdit>(*dlg, "txtPicPath")->text(), pic);
    QVERIFY(!Child<QLabel>(*dlg, "imgBack")->pixmap().isNull());

    SetColorChooserHook([](QColor& c) {
        c = ColorFromBgr(0x123456);
        return true;
    });
    Child<QPushButton>(*dlg, "cmdBackColor")->click();
    QCOMPARE(ButtonColor(Child<QPushButton>(*dlg, "cmdBackColor")), ColorFromBgr(0x123456));
    QSignalSpy display(dlg, &OptionsDialog::displayChanged);
    QTest::keyClick(dlg, Qt::Key_Escape);
    QVERIFY(!dlg || !dlg->isVisible());
    QVERIFY(writes.isEmpty());
    QCOMPARE(display.count(), 0);
    QCOMPARE(env->app().options().backColor, ColorFromBgr(0xFFFFFF));
    QVERIFY(!QFile::exists(env->settings().filePath()));
}

void tst_options::oneDialogAtATime() {
    QWidget owner;
    int setUps = 0;
    const auto setUp = [&setUps](OptionsDialog& d) { setUps += d.isVisible() ? 100 : 1; };
    OpenOptionsDialog(env->app(), &owner, false, setUp);
    OptionsDialog* first = OpenWindowOf<OptionsDialog>(&owner, Counted::WhileShown);
    QVERIFY(first && first->isVisible() && first->parentWidget() == &owner);
    OpenOptionsDialog(env->app(), &owner, false, setUp);
    QCOMPARE(owner.findChildren<OptionsDialog*>().size(), 1);
    QCOMPARE(setUps, 1); // once, before the new dialog showed
    QVERIFY(CloseOpenWindow<OptionsDialog>(&owner));
    QVERIFY(!OpenWindowOf<OptionsDialog>(&owner, Counted::WhileShown));
    QVERIFY(!CloseOpenWindow<OptionsDialog>(&owner));
    QVERIFY(writes.isEmpty());
}

QTEST_MAIN(tst_options)
#include "tst_options.moc"
