// The main window's commands that open other windows or change entries, end to end:
// what the user does in the grid and what the grid shows afterwards.

#include "TestSupport.h"
#include "alarm/AlarmDialog.h"
#include "alarm/AlarmNotice.h"
#include "core/Database.h"
#include "core/Dates.h"
#include "core/ProgramWindows.h"
#include "entries/ScheduleDialog.h"
#include "entries/TodayDialog.h"
#include "holidays/HolidayEditor.h"
#include "mainwindow/CellLabel.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MonthView.h"
#include "mainwindow/TimerTick.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QtTest>

namespace {

// Runs f on the modal window of type T as soon as it is shown, while the watcher lives.
template <class T> std::unique_ptr<QTimer> WhenShown(std::function<void(T*)> f) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(10);
    QTimer* t = timer.get();
    QObject::connect(t, &QTimer::timeout, [t, f] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            t->stop();
            f(w);
        }
    });
    timer->start();
    return timer;
}

} // namespace

class tst_mainCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void doubleClickEditsTheSchedule();
    void cancelledEditorStillReloads();
    void deleteKeysAskAndReload();
    void cutAndPasteMovesASchedule();
    void todaysScheduleGreetsAtStart();
    void noGreetingWithoutASchedule();
    void ticksExtendTheRunAndFireTheAlarm();
    void alarmPanelOpensTheAlarmDialog();
    void holidayEditorRedrawsWithoutReading_data();
    void holidayEditorRedrawsWithoutReading();
    void windowEntriesOpenTheirWindows_data();
    void windowEntriesOpenTheirWindows();
    void restoreClosesTheTrayWindowsFirst();

private:
    void start() {
        w = std::make_unique<MainWindow>(env->app());
        QVERIFY(w->start());
    }
    int cellOf(const QDate& d) const {
        return int(
            GridStart(w->monthView()->loadedYear(), w->monthView()->loadedMonth()).daysTo(d));
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    std::unique_ptr<ClockOverride> clock;
    std::unique_ptr<MainWindow> w;
};

void tst_mainCommands::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
    clock =
        std::make_unique<ClockOverride>(env->program(), QDateTime(QDate(2004, 3, 15), QTime(9, 0)));
    env->settings().writeText(SettingKey::Stationed, QStringLiteral("False"));
    env->settings().writeText(SettingKey::StartUp, QStringLiteral("0"));
}

void tst_mainCommands::cleanup() {
    w.reset();
    clock.reset();
    msgs.reset();
    env.reset();
}

void tst_mainCommands::doubleClickEditsTheSchedule() {
    start();
    const int cell = cellOf(QDate(2004, 3, 18));
    QString caption;
    const auto watcher = WhenShown<ScheduleDialog>([&caption](ScheduleDialog* f) {
        caption = f->windowTitle();
        Child<QPlainTextEdit>(*f, "txtSchedule")
            ->setPlainText(QStringLiteral("  歯医者 \"15時\"  "));
        Child<QPushButton>(*f, "OKButton")->click();
    });
    QTest::mouseClick(w->monthView()->scheduleCell(cell), Qt::LeftButton);
    QTest::mouseDClick(w->monthView()->scheduleCell(cell), Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("2004年03月18日（木）の予定"));
    QCOMPARE(
        env->scalar(QStringLiteral("SELECT Schedule FROM T_Schedule WHERE Date = '2004-03-18'")),
        QStringLiteral("  歯医者 \"15時\"  "));
    // The grid was read again and shows the text without its blanks.
    QCOMPARE(w->monthView()->scheduleCell(cell)->text(), QStringLiteral("歯医者 \"15時\""));
    QCOMPARE(env->openConnections(), 0);
}

void tst_mainCommands::cancelledEditorStillReloads() {
    start();
    // Another program changed the day meanwhile; the reload after the editor shows it.
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-16', 'outside')"));
    const auto watcher = WhenShown<ScheduleDialog>(
        [](ScheduleDialog* f) { Child<QPushButton>(*f, "CancelButton")->click(); });
    QTest::keyClick(w->monthView(), Qt::Key_Return);
    QCOMPARE(w->monthView()->scheduleCell(cellOf(QDate(2004, 3, 16)))->text(),
             QStringLiteral("outside"));
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 1);
}

void tst_mainCommands::deleteKeysAskAndReload() {
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-15', 'A')"));
    env->exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2004-03-15', 'D')"));
    start();
    const int cell = cellOf(QDate(2004, 3, 15));
    QCOMPARE(w->monthView()->scheduleCell(cell)->text(), QStringLiteral("A"));
    // Cancel first: nothing changes.
    msgs->answers = {MsgResult::Cancel};
    w->findAction(QStringLiteral("mnuDelSchedule"))->trigger();
    QCOMPARE(msgs->messages.back().text,
             QStringLiteral("2004年03月15日（月）の予定を削除してよろしいですか？"));
    QCOMPARE(msgs->messages.back().icon, MsgIcon::Question);
    QCOMPARE(msgs->messages.back().buttons, MsgButtons::OKCancel);
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 1);
    msgs->answers = {MsgResult::OK};
    w->findAction(QStringLiteral("mnuDelSchedule"))->trigger();
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
    QCOMPARE(w->monthView()->scheduleCell(cell)->text(), QString());
    QCOMPARE(w->monthView()->scheduleCell(cell)->tag(), QStringLiteral("日記記入日"));
    msgs->answers = {MsgResult::OK};
    w->findAction(QStringLiteral("mnuDelDiary"))->trigger();
    QCOMPARE(msgs->messages.back().text,
             QStringLiteral("2004年03月15日（月）の日記を削除してよろしいですか？"));
    QCOMPARE(env->count(QStringLiteral("T_Diary")), 0);
    QCOMPARE(w->monthView()->scheduleCell(cell)->tag(), QString());
}

void tst_mainCommands::cutAndPasteMovesASchedule() {
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-15', ' 移す '), "
                             "('2004-03-20', '既存')"));
    start();
    w->findAction(QStringLiteral("切り取り"))->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral(" 移す "));
    QTest::keyClick(w->monthView(), Qt::Key_Right);
    QTest::keyClick(w->monthView(), Qt::Key_Right);
    QTest::keyClick(w->monthView(), Qt::Key_Right);
    QTest::keyClick(w->monthView(), Qt::Key_Right);
    QTest::keyClick(w->monthView(), Qt::Key_Right);
    QCOMPARE(w->monthView()->selectedDate(), QDate(2004, 3, 20));
    w->findAction(QStringLiteral("貼り付け"))->trigger();
    QCOMPARE(w->monthView()->scheduleCell(cellOf(QDate(2004, 3, 20)))->text(),
             QStringLiteral("既存移す"));
    QCOMPARE(w->monthView()->scheduleCell(cellOf(QDate(2004, 3, 15)))->text(), QString());
    QCOMPARE(env->column(QStringLiteral("SELECT Date FROM T_Schedule")), QStringList{"2004-03-20"});
}

void tst_mainCommands::todaysScheduleGreetsAtStart() {
    env->settings().writeText(SettingKey::StartUp, QStringLiteral("1"));
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-15', '朝会')"));
    QString shown;
    int workTimeRowsMeanwhile = -1;
    const auto watcher = WhenShown<TodayDialog>([&](TodayDialog* f) {
        shown = Child<QPlainTextEdit>(*f, "txtSchedule")->toPlainText();
        // The start-up has committed before the window waits, and holds nothing meanwhile: its
        // running period is in the file, and a tick now commits as usual.
        QCOMPARE(env->openConnections(), 0);
        workTimeRowsMeanwhile = env->count(QStringLiteral("T_WorkTime"));
        clock->advanceSecs(50);
        w->findChild<TickTimer*>()->tickNow();
        Child<QCheckBox>(*f, "chkStartup")->click();
        Child<QPushButton>(*f, "cmdOK")->click();
    });
    start();
    QCOMPARE(workTimeRowsMeanwhile, 1);
    QCOMPARE(env->scalar(QStringLiteral("SELECT EndTime FROM T_WorkTime")),
             QStringLiteral("2004-03-15 09:00:50"));
    QCOMPARE(shown, QStringLiteral("朝会"));
    QCOMPARE(env->openConnections(), 0);
    QCOMPARE(env->app().options().showTodayAtStart, false);
    QSettings s(env->settingsFile(), QSettings::IniFormat);
    QCOMPARE(s.value(QStringLiteral("Calender/StartUp")).toString(), QStringLiteral("0"));
    // The start-up still committed its running period.
    QCOMPARE(env->count(QStringLiteral("T_WorkTime")), 1);
}

void tst_mainCommands::noGreetingWithoutASchedule() {
    env->settings().writeText(SettingKey::StartUp, QStringLiteral("1"));
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-15', '')"));
    bool shown = false;
    const auto watcher = WhenShown<TodayDialog>([&shown](TodayDialog* f) {
        shown = true;
        Child<QPushButton>(*f, "cmdOK")->click();
    });
    start();
    QVERIFY(!shown);
    QSettings s(env->settingsFile(), QSettings::IniFormat);
    QCOMPARE(s.value(QStringLiteral("Calender/StartUp")).toString(), QStringLiteral("1"));
}

void tst_mainCommands::ticksExtendTheRunAndFireTheAlarm() {
    env->exec(QStringLiteral("INSERT INTO T_Alarm VALUES ('2004-03-15 09:01:00', '会議の準備')"));
    start();
    QCOMPARE(w->statusPanel(QStringLiteral("Alarm"))->text(), QStringLiteral("ON"));
    const auto tick = [this](int secs) {
        clock->advanceSecs(secs);
        w->findChild<TickTimer*>()->tickNow();
    };
    tick(50); // 09:00:50
    QCOMPARE(env->scalar(QStringLiteral("SELECT EndTime FROM T_WorkTime")),
             QStringLiteral("2004-03-15 09:00:50"));
    QVERIFY(!OpenWindowOf<AlarmNotice>(w.get()));
    tick(50); // 09:01:40: the alarm's minute
    AlarmNotice* note = OpenWindowOf<AlarmNotice>(w.get());
    QVERIFY(note);
    QVERIFY(note->isVisible());
    QCOMPARE(note->windowTitle(), QStringLiteral("2004年03月15日 09時01分です。"));
    // A second tick in the same minute brings the same window forward; there is only one.
    clock->advanceSecs(-30);
    w->findChild<TickTimer*>()->tickNow();
    QCOMPARE(OpenWindowOf<AlarmNotice>(w.get()), note);
    note->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    QCOMPARE(env->count(QStringLiteral("T_Alarm")), 0);
    QCOMPARE(w->statusPanel(QStringLiteral("Alarm"))->text(), QStringLiteral("OFF"));
    QCOMPARE(env->count(QStringLiteral("T_WorkTime")), 1);
    QCOMPARE(env->openConnections(), 0);
}

void tst_mainCommands::alarmPanelOpensTheAlarmDialog() {
    start();
    QString caption;
    const auto watcher = WhenShown<AlarmDialog>([&caption](AlarmDialog* f) {
        caption = f->windowTitle();
        Child<QLineEdit>(*f, "txtYear")->setText(QStringLiteral("2004"));
        Child<QLineEdit>(*f, "txtMonth")->setText(QStringLiteral("9"));
        Child<QLineEdit>(*f, "txtDay")->setText(QStringLiteral("5"));
        Child<QLineEdit>(*f, "txtHour")->setText(QStringLiteral("7"));
        Child<QLineEdit>(*f, "txtMinute")->setText(QStringLiteral("3"));
        Child<QPlainTextEdit>(*f, "txtAlarmDetail")->setPlainText(QStringLiteral("起きる"));
        Child<QPushButton>(*f, "cmdAlarmOn")->click();
    });
    QTest::mouseDClick(w->statusPanel(QStringLiteral("Alarm")), Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("ｱﾗｰﾑの設定"));
    QCOMPARE(env->scalar(QStringLiteral("SELECT AlarmTime FROM T_Alarm")),
             QStringLiteral("2004-09-05 07:03:00"));
    QCOMPARE(w->statusPanel(QStringLiteral("Alarm"))->text(), QStringLiteral("ON"));
    QCOMPARE(w->statusPanel(QStringLiteral("Alarm"))->frameShadow(), QFrame::Raised);
}

void tst_mainCommands::holidayEditorRedrawsWithoutReading_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("caption");
    QTest::newRow("OK") << true << QStringLiteral("22［新休日］");
    QTest::newRow("ｷｬﾝｾﾙ") << false << QStringLiteral("22");
}

void tst_mainCommands::holidayEditorRedrawsWithoutReading() {
    QFETCH(bool, ok);
    QFETCH(QString, caption);
    start();
    // Written after the month was drawn: only a reload would show it.
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-22', 'outside')"));
    const auto watcher = WhenShown<HolidayEditor>([ok](HolidayEditor* f) {
        Child<QComboBox>(*f, "cboKind")->setCurrentIndex(1);
        Child<QLineEdit>(*f, "txtMonth")->setText(QStringLiteral("3"));
        Child<QLineEdit>(*f, "txtDay")->setText(QStringLiteral("22"));
        Child<QLineEdit>(*f, "txtHoliday")->setText(QStringLiteral("新休日"));
        Child<QPushButton>(*f, "cmdAdd")->click();
        (ok ? Child<QPushButton>(*f, "OKButton") : Child<QPushButton>(*f, "CancelButton"))->click();
    });
    QAction* menu = w->findAction(QStringLiteral("mnuHoliday"));
    QCOMPARE(menu->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    menu->trigger();
    const int cell = cellOf(QDate(2004, 3, 22));
    QCOMPARE(w->monthView()->dayCell(cell)->text(), caption);
    QVERIFY(w->monthView()->scheduleCell(cell)->text().isEmpty());
    QCOMPARE(env->count(QStringLiteral("T_Holiday")),
             int(DefaultHolidayRules().size()) + (ok ? 1 : 0));
}

namespace {
// The visible top-level windows of a name.
QList<QWidget*> OpenWindows(const QString& name) {
    QList<QWidget*> out;
    for (QWidget* t : QApplication::topLevelWidgets()) {
        if (t->objectName() == name && t->isVisible())
            out << t;
    }
    return out;
}
} // namespace

void tst_mainCommands::windowEntriesOpenTheirWindows_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("modal");
    // The menu bar opens modally, the tray menu modeless; both owned by the main window.
    const struct {
        const char *entry, *window;
        bool modal;
    } rows[] = {
        {"mnuBackUp", "frmBackUp", true},       {"mnuStatistics", "frmStatistics", true},
        {"mnuWorkTime", "frmWorkTime", true},   {"mnuAlarm", "frmAlarm", true},
        {"mnuHoliday", "frmHoliday", true},     {"mnuSync", "frmSync", true},
        {"mnuOptions", "frmOptions", true},     {"mnuAbout", "frmAbout", true},
        {"mnuAlarm2", "frmAlarm", false},       {"mnuStatistics2", "frmStatistics", false},
        {"mnuWorkTimes", "frmWorkTime", false}, {"mnuOption", "frmOptions", false},
        {"mnuVersion", "frmAbout", false},
    };
    for (const auto& r : rows)
        QTest::newRow(r.entry) << QString::fromLatin1(r.entry) << QString::fromLatin1(r.window)
                               << r.modal;
}

void tst_mainCommands::windowEntriesOpenTheirWindows() {
    QFETCH(QString, entry);
    QFETCH(QString, window);
    QFETCH(bool, modal);
    start();
    QAction* a = w->findAction(entry);
    QVERIFY(a && a->isEnabled());
    if (modal) {
        QString seen;
        QWidget* owner = nullptr;
        const auto watcher = WhenShown<QDialog>([&](QDialog* d) {
            seen = d->objectName();
            owner = d->parentWidget();
            d->close();
        });
        a->trigger();
        // Shown before trigger() returns (exec), or just after it (open).
        QTRY_COMPARE(seen, window);
        QCOMPARE(owner, w.get());
        return;
    }
    a->trigger();
    // A second command brings the open window forward instead of opening another.
    a->trigger();
    const QList<QWidget*> open = OpenWindows(window);
    QCOMPARE(open.size(), 1);
    QVERIFY(!open.front()->isModal());
    QCOMPARE(open.front()->parentWidget(), w.get());
    open.front()->close();
}

void tst_mainCommands::restoreClosesTheTrayWindowsFirst() {
    start();
    for (const char* entry :
         {"mnuVersion", "mnuOption", "mnuWorkTimes", "mnuStatistics2", "mnuAlarm2"})
        w->findAction(QString::fromLatin1(entry))->trigger();
    w->hide();
    w->findAction(QStringLiteral("mnuRestore"))->setVisible(true);
    w->findAction(QStringLiteral("mnuRestore"))->trigger();
    for (const char* window :
         {"frmAbout", "frmOptions", "frmWorkTime", "frmStatistics", "frmAlarm"})
        QVERIFY2(OpenWindows(QString::fromLatin1(window)).isEmpty(), window);
    QVERIFY(w->isVisible());
    QVERIFY(!w->findAction(QStringLiteral("mnuRestore"))->isVisible());
    QVERIFY(!w->findAction(QStringLiteral("mnuTaskTrayBar2"))->isVisible());
}

QTEST_MAIN(tst_mainCommands)
#include "tst_mainCommands.moc"
