// The notification of a due alarm: one window at most, its caption and size, and
// acknowledging it.

#include "TestSupport.h"
#include "alarm/Alarm.h"
#include "alarm/AlarmDialog.h"
#include "alarm/AlarmNotice.h"
#include "core/Database.h"
#include "core/ProgramWindows.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The notice's controls, found by object name.
QLabel* Detail(AlarmNotice* d) {
    return d->findChild<QLabel*>(QStringLiteral("lblAlarmDetail"));
}
QPushButton* OkButton(AlarmNotice* d) {
    return d->findChild<QPushButton*>(QStringLiteral("cmdOK"));
}
const QDateTime kAlarm(QDate(2004, 9, 5), QTime(7, 3));
} // namespace

class tst_alarmDisp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layoutInTwips_data();
    void layoutInTwips();
    void captionAndSizeForThreeLines();
    void oneNotificationAtATime();
    void acknowledgingDeletesTheAlarm();
    void failedDeleteKeepsTheAlarm();
    void aReplacedAlarmIsNotDeleted();

private:
    void pend(const QDateTime& t, const QString& detail) {
        QVERIFY(env->exec(QStringLiteral("DELETE FROM T_Alarm")));
        QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Alarm VALUES (?, ?)"), {t, detail}));
        alarmState->set(PendingAlarm{t, detail});
        if (changes)
            changes->clear();
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    std::unique_ptr<ClockOverride> clock;
    std::unique_ptr<QSignalSpy> changes;
    std::unique_ptr<AlarmState> alarmState;
    QDateTime alarmTime() const {
        return alarmState->pending() ? alarmState->pending()->time : QDateTime();
    }
    QString alarmDetail() const {
        return alarmState->pending() ? alarmState->pending()->detail : QString();
    }
};

void tst_alarmDisp::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
    clock = std::make_unique<ClockOverride>(env->program(), kAlarm.addSecs(20));
    alarmState = std::make_unique<AlarmState>();
    changes = std::make_unique<QSignalSpy>(alarmState.get(), &AlarmState::changed);
    pend(kAlarm, QStringLiteral("会議"));
}

void tst_alarmDisp::cleanup() {
    delete OpenWindowOf<AlarmNotice>(nullptr);
    delete OpenWindowOf<AlarmDialog>(nullptr);
    QCOMPARE(env->openConnections(), 0);
    changes.reset();
    alarmState.reset();
    clock.reset();
    msgs.reset();
    env.reset();
}

void tst_alarmDisp::layoutInTwips_data() {
    QTest::addColumn<QSize>("label");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QRect>("button");
    // 120 x 54 px = 1800 x 810 twips: window 2100 x 1910, button at 1050 - 640 = 410, 1110.
    QTest::newRow("three lines") << QSize(120, 54) << QSize(140, 127) << QRect(27, 74, 80, 25);
    // 301 px = 4515 twips: 4815 wide, 4815 \ 2 = 2407, 2407 - 640 = 1767 twips.
    QTest::newRow("odd twips") << QSize(301, 18) << QSize(321, 91) << QRect(118, 38, 80, 25);
    // A short detail: the window keeps its least width and the button stays inside.
    QTest::newRow("short detail") << QSize(20, 18) << QSize(120, 91) << QRect(17, 38, 80, 25);
}

void tst_alarmDisp::layoutInTwips() {
    QFETCH(QSize, label);
    QFETCH(QSize, window);
    QFETCH(QRect, button);
    const AlarmDispGeometry g = AlarmDispLayout(label);
    QCOMPARE(g.window, window);
    QCOMPARE(g.button, button);
}

void tst_alarmDisp::captionAndSizeForThreeLines() {
    pend(kAlarm, QStringLiteral("一行目の予定\n二行目\n三行目"));
    AlarmNotice* d = NotifyAlarm(env->program(), *alarmState, nullptr);
    QVERIFY(d->isVisible());
    QVERIFY(!d->isModal());
    QCOMPARE(d->windowTitle(), QStringLiteral("2004年09月05日 07時03分です。"));
    QCOMPARE(Detail(d)->text(), QStringLiteral("一行目の予定\n二行目\n三行目"));
    const QSize label = Detail(d)->size();
    const QFontMetrics fm(Detail(d)->font());
    QVERIFY(label.height() >= 3 * fm.height() && label.height() < 4 * fm.height());
    QCOMPARE(d->size(), AlarmDispLayout(label).window);
    // 1100 twips below the label's height; the button 800 twips above the bottom edge.
    QCOMPARE(d->height(), label.height() + 73);
    QCOMPARE(OkButton(d)->y(), d->height() - 53);
    QCOMPARE(OkButton(d)->text(), QStringLiteral("OK"));
}

void tst_alarmDisp::oneNotificationAtATime() {
    AlarmNotice* first = NotifyAlarm(env->program(), *alarmState, nullptr);
    // A second tick in the same minute brings the same window forward.
    QVERIFY(alarmState->due(kAlarm.addSecs(50)));
    QCOMPARE(NotifyAlarm(env->program(), *alarmState, nullptr), first);
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        shown += qobject_cast<AlarmNotice*>(w) && w->isVisible();
    QCOMPARE(shown, 1);
    // A replaced alarm that falls due shows itself in that window.
    pend(kAlarm.addSecs(3600), QStringLiteral("次"));
    QCOMPARE(NotifyAlarm(env->program(), *alarmState, nullptr), first);
    QCOMPARE(first->windowTitle(), QStringLiteral("2004年09月05日 08時03分です。"));
    QCOMPARE(Detail(first)->text(), QStringLiteral("次"));
}

void tst_alarmDisp::acknowledgingDeletesTheAlarm() {
    AlarmNotice* d = NotifyAlarm(env->program(), *alarmState, nullptr);
    QPointer<AlarmNotice> guard(d);
    OkButton(d)->click();
    QVERIFY(msgs->messages.empty());
    QCOMPARE(env->count(QStringLiteral("T_Alarm")), 0);
    QVERIFY(!alarmState->pending());
    QCOMPARE(changes->count(), 1);
    QCOMPARE(changes->at(0).at(0).toBool(), false);
    QVERIFY(!guard || !guard->isVisible());
    // The alarm dialog then offers the present minute.
    OpenAlarmDialog(env->program(), *alarmState, nullptr, false);
    AlarmDialog* a = OpenWindowOf<AlarmDialog>(nullptr);
    QCOMPARE(Child<QLineEdit>(*a, "txtMinute")->text(), QStringLiteral("3"));
    QCOMPARE(Child<QLineEdit>(*a, "txtHour")->text(), QStringLiteral("7"));
    QVERIFY(Child<QPlainTextEdit>(*a, "txtAlarmDetail")->toPlainText().isEmpty());
}

void tst_alarmDisp::failedDeleteKeepsTheAlarm() {
    QVERIFY(env->exec(QStringLiteral("CREATE TRIGGER NoDelete BEFORE DELETE ON T_Alarm "
                                     "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    AlarmNotice* d = NotifyAlarm(env->program(), *alarmState, nullptr);
    QPointer<AlarmNotice> guard(d);
    OkButton(d)->click();
    QCOMPARE(msgs->texts(),
             QStringList{QStringLiteral("アラームの削除に失敗しました。\r\nrefused")});
    QCOMPARE(msgs->messages[0].title, QStringLiteral("2004年09月05日 07時03分です。"));
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Critical);
    QCOMPARE(env->count(QStringLiteral("T_Alarm")), 1);
    QVERIFY(alarmState->pending());
    QCOMPARE(changes->count(), 0);
    QVERIFY(!guard || !guard->isVisible());
}

void tst_alarmDisp::aReplacedAlarmIsNotDeleted() {
    AlarmNotice* d = NotifyAlarm(env->program(), *alarmState, nullptr);
    // While the notice is open the user registers the next alarm.
    pend(kAlarm.addDays(1), QStringLiteral("明日"));
    OkButton(d)->click();
    QCOMPARE(env->column(QStringLiteral("SELECT AlarmDetail FROM T_Alarm")), QStringList{"明日"});
    QVERIFY(alarmState->pending());
    QCOMPARE(changes->count(), 0);
}

QTEST_MAIN(tst_alarmDisp)
#include "tst_alarmDisp.moc"
