// After every input warning of every dialog the dialog is the active window again, the focus is
// in the field the warning names and a typed key lands there: twice in a row, with the real
// message box answered by Enter. Runs offscreen and on an X server (see CMakeLists.txt).

#include "TestSupport.h"
#include "alarm/Alarm.h"
#include "alarm/AlarmDialog.h"
#include "core/Colors.h"
#include "entries/AnniversaryDialog.h"
#include "entries/DiaryDialog.h"
#include "entries/ScheduleDialog.h"
#include "entries/SearchDialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QtTest>

class tst_warningFocus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void focusIsInTheNamedField_data();
    void focusIsInTheNamedField();

private:
    // Answers a message box with Enter once it is the active window, as a user does.
    void answerBox();
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<ClockOverride> clock;
    QStringList answered;
    QTimer watcher;
    QElapsedTimer boxShown;
};

void tst_warningFocus::initTestCase() {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    watcher.setInterval(20);
    connect(&watcher, &QTimer::timeout, this, &tst_warningFocus::answerBox);
}

void tst_warningFocus::init() {
    env = std::make_unique<TestEnv>();
    clock = std::make_unique<ClockOverride>(env->program(),
                                            QDateTime(QDate(2004, 9, 1), QTime(12, 34)));
    QVERIFY(env->exec(QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES "
                                     "(3, 15, '記念日')")));
    watcher.start();
}

void tst_warningFocus::cleanup() {
    watcher.stop();
    clock.reset();
    env.reset();
}

void tst_warningFocus::answerBox() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible())
            continue;
        if (!boxShown.isValid())
            boxShown.start();
        // A box that never becomes active is answered all the same, so that no run can hang.
        if (!box->isActiveWindow() && boxShown.elapsed() < 3000)
            return;
        boxShown.invalidate();
        answered << box->text();
        QTest::keyClick(box->windowHandle(), Qt::Key_Return);
        return;
    }
}

void tst_warningFocus::focusIsInTheNamedField_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("input"); // field=text; a check box takes 0 or 1
    QTest::addColumn<QString>("button");    // the button clicked; none: Tab out of the last field
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("field");
    const auto alarm = [](const char* name, QStringList input, const char* message,
                          const char* field) {
        QStringList all{"txtYear=2004", "txtMonth=9",  "txtDay=5",
                        "txtHour=7",    "txtMinute=3", "txtAlarmDetail=会議"};
        all << input;
        QTest::newRow(name) << "frmAlarm" << all << "cmdAlarmOn" << QString::fromUtf8(message)
                            << field;
    };
    alarm("alarm month", {"txtMonth=13"}, "月は 1～12 で入力して下さい。", "txtMonth");
    alarm("alarm day", {"txtDay=32"}, "日は 1～31 で入力して下さい。", "txtDay");
    alarm("alarm hour", {"txtHour=24"}, "時は 0～23 で入力して下さい。", "txtHour");
    alarm("alarm minute", {"txtMinute=60"}, "分は 0～59 で入力して下さい。", "txtMinute");
    alarm("alarm date", {"txtMonth=2", "txtDay=30"}, "日付として認識できません。", "txtYear");
    alarm("alarm time", {"txtMinute=1.5"}, "時間が認識できません。", "txtHour");
    alarm("alarm detail", {"txtAlarmDetail= "}, "アラーム詳細内容を入力して下さい。",
          "txtAlarmDetail");
    const auto whatDay = [](const char* name, const char* m, const char* d, const char* t,
                            const char* message, const char* field) {
        QTest::newRow(name) << "frmWhatDay"
                            << QStringList{QStringLiteral("txtMonth=") + QString::fromUtf8(m),
                                           QStringLiteral("txtDay=") + QString::fromUtf8(d),
                                           QStringLiteral("txtWhatDay=") + QString::fromUtf8(t)}
                            << "cmdAdd" << QString::fromUtf8(message) << field;
    };
    whatDay("what day no month", "", "15", "x", "月を入力して下さい。", "txtMonth");
    whatDay("what day month 13", "13", "15", "x", "1～12の数値を入力して下さい。", "txtMonth");
    whatDay("what day no day", "3", "", "x", "日を入力して下さい。", "txtDay");
    whatDay("what day no text", "3", "15", "", "内容を入力して下さい。", "txtWhatDay");
    whatDay("what day duplicate", "3", "15", "記念日", "登録済みです。", "txtMonth");
    QTest::newRow("what day leaving the day") << "frmWhatDay" << QStringList{"txtDay=32"} << ""
                                              << "日を入力して下さい。"
                                              << "txtDay";
    QTest::newRow("schedule empty") << "frmSchedule" << QStringList{"txtSchedule="} << "OKButton"
                                    << "予定を入力して下さい。"
                                    << "txtSchedule";
    QTest::newRow("diary empty") << "frmDiary" << QStringList{"txtDiary="} << "OKButton"
                                 << "日記に何も書かれていません。"
                                 << "txtDiary";
    QTest::newRow("search no text") << "frmSearch" << QStringList{"txtSearchString="} << "cmdSearch"
                                    << "検索する文字を入力して下さい。"
                                    << "txtSearchString";
    QTest::newRow("search no target")
        << "frmSearch"
        << QStringList{"txtSearchString=x", "chkSchedule=0", "chkDiary=0", "chkWhatDay=0"}
        << "cmdSearch"
        << "検索対象を選んで下さい。"
        << "chkSchedule";
    QTest::newRow("search nothing found")
        << "frmSearch" << QStringList{"txtSearchString=zz"} << "cmdSearch"
        << "検索文字を含んだ情報はありません。"
        << "txtSearchString";
}

void tst_warningFocus::focusIsInTheNamedField() {
    QFETCH(QString, dialog);
    QFETCH(QStringList, input);
    QFETCH(QString, button);
    QFETCH(QString, message);
    QFETCH(QString, field);
    AlarmState alarm;
    std::unique_ptr<QDialog> dlg;
    if (dialog == QLatin1String("frmAlarm")) {
        dlg = std::make_unique<AlarmDialog>(env->program(), alarm);
    } else if (dialog == QLatin1String("frmWhatDay")) {
        auto* f = new AnniversaryDialog(env->program(), QDate(2004, 3, 15));
        dlg.reset(f);
        f->load();
    } else if (dialog == QLatin1String("frmSchedule")) {
        auto* f = new ScheduleDialog(env->program(), QDate(2004, 3, 15));
        dlg.reset(f);
        f->load();
    } else if (dialog == QLatin1String("frmDiary")) {
        auto* f = new DiaryDialog(env->program(), QDate(2004, 3, 15), QStringLiteral("15"), kWhite);
        dlg.reset(f);
        f->load();
    } else {
        dlg = std::make_unique<SearchDialog>(env->program());
    }
    dlg->show();
    dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    auto* target = dlg->findChild<QWidget*>(field);
    QVERIFY(target);
    // The fault came every second time: the same warning twice in a row.
    for (int round = 1; round <= 2; ++round) {
        QWidget* last = nullptr;
        for (const QString& pair : input) {
            last = dlg->findChild<QWidget*>(pair.section(u'=', 0, 0));
            const QString text = pair.section(u'=', 1);
            if (auto* line = qobject_cast<QLineEdit*>(last))
                line->setText(text);
            else if (auto* edit = qobject_cast<QPlainTextEdit*>(last))
                edit->setPlainText(text);
            else
                qobject_cast<QCheckBox*>(last)->setChecked(text == QLatin1String("1"));
        }
        answered.clear();
        if (button.isEmpty()) {
            last->setFocus();
            QTest::keyClick(dlg->windowHandle(), Qt::Key_Tab);
        } else {
            QTest::mouseClick(dlg->findChild<QPushButton*>(button), Qt::LeftButton);
        }
        QTRY_COMPARE_WITH_TIMEOUT(answered, QStringList{message}, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(dlg->isActiveWindow(), 3000);
        // Late activation and focus events settle before the focus is judged.
        QTest::qWait(150);
        QCOMPARE(QApplication::focusWidget(), target);
        if (auto* box = qobject_cast<QCheckBox*>(target)) {
            QTest::keyClick(dlg->windowHandle(), Qt::Key_Space);
            QVERIFY(box->isChecked());
        } else if (auto* line = qobject_cast<QLineEdit*>(target)) {
            QTest::keyClick(dlg->windowHandle(), Qt::Key_7);
            QCOMPARE(line->text(), QStringLiteral("7")); // its whole text was selected
        } else {
            QTest::keyClick(dlg->windowHandle(), Qt::Key_7);
            QVERIFY(qobject_cast<QPlainTextEdit*>(target)->toPlainText().contains(u'7'));
        }
    }
}

QTEST_MAIN(tst_warningFocus)
#include "tst_warningFocus.moc"
