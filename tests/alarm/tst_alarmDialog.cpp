// The alarm dialog: its input checks, registering and cancelling in one transaction each, the
// fields it offers, and its keys.

#include "TestSupport.h"
#include "alarm/Alarm.h"
#include "alarm/AlarmDialog.h"
#include "core/Database.h"
#include "core/ProgramWindows.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QDateTime kNow(QDate(2004, 9, 1), QTime(12, 34, 56));
const QString kTitle = QStringLiteral("ｱﾗｰﾑの設定");
} // namespace

class tst_alarmDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void checksInOrder_data();
    void checksInOrder();
    void registersTheFieldsAsTyped();
    void registerReplacesTheEarlierAlarm();
    void failedRegisterKeepsTheEarlierAlarm();
    void cancelDeletesTheAlarm_data();
    void cancelDeletesTheAlarm();
    void failedCancelKeepsTheAlarm();
    void escapeAnywhereCancels();
    void unreachableDatabaseClosesWithoutChange();
    void offersThePendingAlarmOrThePresentMinute_data();
    void offersThePendingAlarmOrThePresentMinute();
    void enterMovesOnThroughTheFields();
    void refillsWhenComingBackFromAnotherWindow();
    void oneDialogAtATime();

private:
    AlarmDialog* openDialog() {
        dlg = new AlarmDialog(env->program(), *alarmState);
        dlg->setAttribute(Qt::WA_DeleteOnClose);
        dlg->show();
        QApplication::setActiveWindow(dlg);
        return dlg;
    }
    void setFields(const QStringList& f) {
        Child<QLineEdit>(*dlg, "txtYear")->setText(f[0]);
        Child<QLineEdit>(*dlg, "txtMonth")->setText(f[1]);
        Child<QLineEdit>(*dlg, "txtDay")->setText(f[2]);
        Child<QLineEdit>(*dlg, "txtHour")->setText(f[3]);
        Child<QLineEdit>(*dlg, "txtMinute")->setText(f[4]);
        Child<QPlainTextEdit>(*dlg, "txtAlarmDetail")->setPlainText(f[5]);
    }
    void storeAlarm(const QString& time, const QString& detail) {
        QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Alarm VALUES (?, ?)"), {time, detail}));
        alarmState->set(PendingAlarm{ParseSqlDateTime(time), detail});
        if (changes)
            changes->clear();
    }
    QStringList stored() const {
        return env->column(
            QStringLiteral("SELECT AlarmTime || '|' || AlarmDetail FROM T_Alarm ORDER BY rowid"));
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
    QPointer<AlarmDialog> dlg;
};

void tst_alarmDialog::initTestCase() {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}

void tst_alarmDialog::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
    clock = std::make_unique<ClockOverride>(env->program(), kNow);
    alarmState = std::make_unique<AlarmState>();
    changes = std::make_unique<QSignalSpy>(alarmState.get(), &AlarmState::changed);
}

void tst_alarmDialog::cleanup() {
    delete dlg;
    QCOMPARE(env->openConnections(), 0);
    changes.reset();
    alarmState.reset();
    clock.reset();
    msgs.reset();
    env.reset();
}

void tst_alarmDialog::checksInOrder_data() {
    QTest::addColumn<QStringList>("fields"); // year, month, day, hour, minute, detail
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    const QString month = QStringLiteral("月は 1～12 で入力して下さい。");
    const QString day = QStringLiteral("日は 1～31 で入力して下さい。");
    const QString hour = QStringLiteral("時は 0～23 で入力して下さい。");
    const QString minute = QStringLiteral("分は 0～59 で入力して下さい。");
    const QString date = QStringLiteral("日付として認識できません。");
    const QString time = QStringLiteral("時間が認識できません。");
    const QString detail = QStringLiteral("アラーム詳細内容を入力して下さい。");
    auto f = [](const char* y, const char* mo, const char* d, const char* h, const char* mi,
                const char* t = "会議") {
        return QStringList{QString::fromUtf8(y), QString::fromUtf8(mo), QString::fromUtf8(d),
                           QString::fromUtf8(h), QString::fromUtf8(mi), QString::fromUtf8(t)};
    };
    QTest::newRow("month 13") << f("2004", "13", "5", "7", "3") << month << "txtMonth";
    QTest::newRow("month 0") << f("2004", "0", "5", "7", "3") << month << "txtMonth";
    QTest::newRow("month empty") << f("2004", "", "5", "7", "3") << month << "txtMonth";
    QTest::newRow("month not a number") << f("2004", "x", "", "", "") << month << "txtMonth";
    QTest::newRow("day 32") << f("2004", "9", "32", "7", "3") << day << "txtDay";
    QTest::newRow("day empty") << f("2004", "9", "", "7", "3") << day << "txtDay";
    QTest::newRow("hour 24") << f("2004", "9", "5", "24", "3") << hour << "txtHour";
    QTest::newRow("hour empty") << f("2004", "9", "5", "", "3") << hour << "txtHour";
    QTest::newRow("minute 60") << f("2004", "9", "5", "7", "60") << minute << "txtMinute";
    QTest::newRow("minute not a number") << f("2004", "9", "5", "7", "3a") << minute << "txtMinute";
    QTest::newRow("30 February") << f("2004", "2", "30", "7", "3") << date << "txtYear";
    QTest::newRow("a fraction passes the range")
        << f("2004", "1.5", "5", "7", "3") << date << "txtYear";
    QTest::newRow("year empty") << f("", "9", "5", "7", "3") << date << "txtYear";
    QTest::newRow("minute fraction") << f("2004", "9", "5", "7", "1.5") << time << "txtHour";
    QTest::newRow("blank detail") << f("2004", "9", "5", "7", "3", " 　\r\n ") << detail
                                  << "txtAlarmDetail";
    QTest::newRow("the first problem wins")
        << f("", "13", "32", "24", "60", "") << month << "txtMonth";
    QTest::newRow("accepted") << f("2004", "9", "5", "7", "3") << QString() << QString();
    QTest::newRow("a past time is accepted")
        << f("1999", "1", "1", "0", "0") << QString() << QString();
}

void tst_alarmDialog::checksInOrder() {
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    openDialog();
    setFields(fields);
    Child<QPushButton>(*dlg, "cmdAlarmOn")->setFocus();
    QCOMPARE(dlg->CheckAlarmInput(), message.isEmpty());
    if (message.isEmpty()) {
        QVERIFY(msgs->messages.empty());
        return;
    }
    QCOMPARE(msgs->texts(), QStringList{message});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Warning);
    QCOMPARE(msgs->messages[0].title, kTitle);
    QCOMPARE(dlg->focusWidget()->objectName(), focus);
}

void tst_alarmDialog::registersTheFieldsAsTyped() {
    openDialog();
    setFields({"2004", "9", "5", "7", "3", "  会議の\u00a0\"準備\"\n"});
    Child<QPushButton>(*dlg, "cmdAlarmOn")->click();
    QVERIFY(msgs->messages.empty());
    QCOMPARE(stored(), QStringList{"2004-09-05 07:03:00|会議の\u00a0\"準備\""});
    QVERIFY(alarmState->pending());
    QCOMPARE(alarmTime(), QDateTime(QDate(2004, 9, 5), QTime(7, 3)));
    QCOMPARE(alarmDetail(), QStringLiteral("会議の\u00a0\"準備\""));
    QCOMPARE(changes->count(), 1);
    QCOMPARE(changes->at(0).at(0).toBool(), true);
    QVERIFY(!dlg || !dlg->isVisible());
}

void tst_alarmDialog::registerReplacesTheEarlierAlarm() {
    storeAlarm(QStringLiteral("2004-09-01 13:00:00"), QStringLiteral("古い"));
    openDialog();
    setFields({"04", "10", "1", "23", "59", "新しい"});
    Child<QPushButton>(*dlg, "cmdAlarmOn")->click();
    QCOMPARE(stored(), QStringList{"2004-10-01 23:59:00|新しい"});
    QCOMPARE(alarmTime(), QDateTime(QDate(2004, 10, 1), QTime(23, 59)));
}

void tst_alarmDialog::failedRegisterKeepsTheEarlierAlarm() {
    storeAlarm(QStringLiteral("2004-09-01 13:00:00"), QStringLiteral("古い"));
    // The delete goes through; the insert after it fails.
    QVERIFY(env->exec(QStringLiteral("CREATE TRIGGER NoInsert BEFORE INSERT ON T_Alarm "
                                     "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    openDialog();
    setFields({"2004", "9", "5", "7", "3", "新しい"});
    Child<QPushButton>(*dlg, "cmdAlarmOn")->click();
    QCOMPARE(msgs->texts(),
             QStringList{QStringLiteral("アラームの設定に失敗しました。\r\nrefused")});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Critical);
    QCOMPARE(msgs->messages[0].title, kTitle);
    QCOMPARE(stored(), QStringList{"2004-09-01 13:00:00|古い"});
    QCOMPARE(alarmTime(), QDateTime(QDate(2004, 9, 1), QTime(13, 0)));
    QCOMPARE(alarmDetail(), QStringLiteral("古い"));
    QCOMPARE(changes->count(), 0);
    // The dialog stays open with what was typed, so that the user can retry.
    QVERIFY(dlg && dlg->isVisible());
    QCOMPARE(Child<QPlainTextEdit>(*dlg, "txtAlarmDetail")->toPlainText(),
             QStringLiteral("新しい"));
}

void tst_alarmDialog::cancelDeletesTheAlarm_data() {
    QTest::addColumn<bool>("pending");
    QTest::newRow("an alarm is pending") << true;
    QTest::newRow("none is pending") << false;
}

void tst_alarmDialog::cancelDeletesTheAlarm() {
    QFETCH(bool, pending);
    if (pending)
        storeAlarm(QStringLiteral("2004-09-01 13:00:00"), QStringLiteral("古い"));
    openDialog();
    // The fields are not checked.
    setFields({"", "13", "", "", "", ""});
    Child<QPushButton>(*dlg, "cmdAlarmOff")->click();
    QVERIFY(msgs->messages.empty());
    QCOMPARE(env->count(QStringLiteral("T_Alarm")), 0);
    QVERIFY(!alarmState->pending());
    QCOMPARE(changes->count(), 1);
    QCOMPARE(changes->at(0).at(0).toBool(), false);
    QVERIFY(!dlg || !dlg->isVisible());
}

void tst_alarmDialog::failedCancelKeepsTheAlarm() {
    storeAlarm(QStringLiteral("2004-09-01 13:00:00"), QStringLiteral("古い"));
    QVERIFY(env->exec(QStringLiteral("CREATE TRIGGER NoDelete BEFORE DELETE ON T_Alarm "
                                     "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    openDialog();
    Child<QPushButton>(*dlg, "cmdAlarmOff")->click();
    QCOMPARE(msgs->texts(),
             QStringList{QStringLiteral("アラームの解除に失敗しました。\r\nrefused")});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Critical);
    QCOMPARE(env->count(QStringLiteral("T_Alarm")), 1);
    QVERIFY(alarmState->pending());
    QCOMPARE(changes->count(), 0);
    QVERIFY(dlg && dlg->isVisible());
}

void tst_alarmDialog::escapeAnywhereCancels() {
    for (const char* name : {"txtMonth", "txtAlarmDetail", "cmdAlarmOn"}) {
        storeAlarm(QStringLiteral("2004-09-01 13:00:00"), QStringLiteral("古い"));
        openDialog();
        QWidget* w = dlg->findChild<QWidget*>(QString::fromLatin1(name));
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY2(env->count(QStringLiteral("T_Alarm")) == 0, name);
        QVERIFY(!alarmState->pending());
        QVERIFY(!dlg || !dlg->isVisible());
        delete dlg;
    }
}

void tst_alarmDialog::unreachableDatabaseClosesWithoutChange() {
    storeAlarm(QStringLiteral("2004-09-01 13:00:00"), QStringLiteral("古い"));
    openDialog();
    QFile::rename(env->dbPath(), env->dbPath() + QStringLiteral(".away"));
    setFields({"2004", "9", "5", "7", "3", "新しい"});
    Child<QPushButton>(*dlg, "cmdAlarmOn")->click();
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データベースへの接続に失敗しました。")});
    QVERIFY(!dlg || !dlg->isVisible());
    QVERIFY(alarmState->pending());
    QCOMPARE(alarmDetail(), QStringLiteral("古い"));
    QCOMPARE(changes->count(), 0);
}

void tst_alarmDialog::offersThePendingAlarmOrThePresentMinute_data() {
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("pending") << true << QStringList{"2004", "9", "5", "7", "3", "会議\n資料"};
    QTest::newRow("none") << false << QStringList{"2004", "9", "1", "12", "34", ""};
}

void tst_alarmDialog::offersThePendingAlarmOrThePresentMinute() {
    QFETCH(bool, pending);
    QFETCH(QStringList, fields);
    if (pending)
        storeAlarm(QStringLiteral("2004-09-05 07:03:00"), QStringLiteral("会議\n資料"));
    openDialog();
    QCOMPARE((QStringList{Child<QLineEdit>(*dlg, "txtYear")->text(),
                          Child<QLineEdit>(*dlg, "txtMonth")->text(),
                          Child<QLineEdit>(*dlg, "txtDay")->text(),
                          Child<QLineEdit>(*dlg, "txtHour")->text(),
                          Child<QLineEdit>(*dlg, "txtMinute")->text(),
                          Child<QPlainTextEdit>(*dlg, "txtAlarmDetail")->toPlainText()}),
             fields);
    QCOMPARE(Child<QLineEdit>(*dlg, "txtYear")->maxLength(), 4);
    QCOMPARE(Child<QLineEdit>(*dlg, "txtMonth")->maxLength(), 2);
    QCOMPARE(Child<QLineEdit>(*dlg, "txtMinute")->maxLength(), 2);
}

void tst_alarmDialog::enterMovesOnThroughTheFields() {
    openDialog();
    QVERIFY(QTest::qWaitForWindowActive(dlg));
    Child<QLineEdit>(*dlg, "txtYear")->setFocus();
    const QList<QWidget*> chain{Child<QLineEdit>(*dlg, "txtMonth"),
                                Child<QLineEdit>(*dlg, "txtDay"), Child<QLineEdit>(*dlg, "txtHour"),
                                Child<QLineEdit>(*dlg, "txtMinute"),
                                Child<QPlainTextEdit>(*dlg, "txtAlarmDetail")};
    for (QWidget* next : chain) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), next);
        if (auto* field = qobject_cast<QLineEdit*>(next))
            QCOMPARE(field->selectedText(), field->text()); // the whole text is selected
    }
    // In the detail, Enter is a line break; no button was pressed.
    Child<QPlainTextEdit>(*dlg, "txtAlarmDetail")->setPlainText(QStringLiteral("a"));
    Child<QPlainTextEdit>(*dlg, "txtAlarmDetail")->moveCursor(QTextCursor::End);
    QTest::keyClick(Child<QPlainTextEdit>(*dlg, "txtAlarmDetail"), Qt::Key_Return);
    QCOMPARE(Child<QPlainTextEdit>(*dlg, "txtAlarmDetail")->toPlainText(), QStringLiteral("a\n"));
    QVERIFY(dlg->isVisible());
    QCOMPARE(env->count(QStringLiteral("T_Alarm")), 0);
}

void tst_alarmDialog::refillsWhenComingBackFromAnotherWindow() {
    openDialog();
    QVERIFY(QTest::qWaitForWindowActive(dlg));
    Child<QLineEdit>(*dlg, "txtMonth")->setText(QStringLiteral("11"));
    // A message box of the dialog's own does not refill.
    Child<QLineEdit>(*dlg, "txtDay")->setText(QStringLiteral("40"));
    QVERIFY(!dlg->CheckAlarmInput());
    QCOMPARE(Child<QLineEdit>(*dlg, "txtMonth")->text(), QStringLiteral("11"));

    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    storeAlarm(QStringLiteral("2004-09-05 07:03:00"), QStringLiteral("会議"));
    dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dlg));
    QCOMPARE(Child<QLineEdit>(*dlg, "txtMonth")->text(), QStringLiteral("9"));
    QCOMPARE(Child<QLineEdit>(*dlg, "txtDay")->text(), QStringLiteral("5"));
    QCOMPARE(Child<QPlainTextEdit>(*dlg, "txtAlarmDetail")->toPlainText(), QStringLiteral("会議"));
}

void tst_alarmDialog::oneDialogAtATime() {
    OpenAlarmDialog(env->program(), *alarmState, nullptr, false);
    AlarmDialog* first = OpenWindowOf<AlarmDialog>(nullptr);
    QVERIFY(first && first->isVisible());
    OpenAlarmDialog(env->program(), *alarmState, nullptr, false);
    QCOMPARE(OpenWindowOf<AlarmDialog>(nullptr), first);
    dlg = first;
}

QTEST_MAIN(tst_alarmDialog)
#include "tst_alarmDialog.moc"
