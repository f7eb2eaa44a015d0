// The schedule editor and today's schedule window.

#include "EntryTestHelpers.h"
#include "TestSupport.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/TextBoxes.h"
#include "entries/EntryCommands.h"
#include "entries/ScheduleDialog.h"
#include "entries/TodayDialog.h"
#include "settings/SettingsStore.h"

#include <QSettings>
#include <QtTest>

class tst_schedule : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void textsRoundTrip_data();
    void textsRoundTrip();
    void blanksAreTrimmedOnDisplayOnly();
    void emptyTextWarnsAndWritesNothing();
    void rowChangedWhileOpen_data();
    void rowChangedWhileOpen();
    void enterBreaksTheLineEscCancels();
    void failuresKeepTheDialogOpen();
    void todayReadsInAShortReadOfItsOwn();
    void readSchedule();
    void todayStoresTheStartUpFlag_data();
    void todayStoresTheStartUpFlag();

private:
    QString stored(const QDate& d) const {
        return env->scalar(QStringLiteral("SELECT Schedule FROM T_Schedule WHERE Date = ?"), {d});
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    const QDate day{2004, 3, 15};
};

void tst_schedule::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
}

void tst_schedule::cleanup() {
    msgs.reset();
    env.reset();
}

void tst_schedule::textsRoundTrip_data() {
    QTest::addColumn<QString>("text");
    ENTRY_ROUND_TRIP_ROWS
    QTest::newRow("very long") << QString(100000, QChar(0x3042));
}

void tst_schedule::textsRoundTrip() {
    QFETCH(QString, text);
    {
        ScheduleDialog f(env->program(), day);
        f.load();
        QCOMPARE(f.windowTitle(), QStringLiteral("2004年03月15日（月）の予定"));
        QVERIFY(Child<QPlainTextEdit>(f, "txtSchedule")->toPlainText().isEmpty());
        Child<QPlainTextEdit>(f, "txtSchedule")->setPlainText(text);
        f.save();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 1);
    QCOMPARE(stored(day), text);
    // Opened again, the stored row is updated in place.
    ScheduleDialog g(env->program(), day);
    g.load();
    QVERIFY(g.rowExisted());
    QCOMPARE(TypedText(Child<QPlainTextEdit>(g, "txtSchedule")), text);
    Child<QPlainTextEdit>(g, "txtSchedule")->appendPlainText(QStringLiteral("+"));
    g.save();
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 1);
    QCOMPARE(stored(day), text + QStringLiteral("\n+"));
    QVERIFY(msgs->messages.empty());
    QCOMPARE(env->openConnections(), 0);
}

void tst_schedule::blanksAreTrimmedOnDisplayOnly() {
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"), {day, "  word  "});
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"), {day.addDays(1), "   "});
    ScheduleDialog f(env->program(), day);
    f.load();
    QCOMPARE(Child<QPlainTextEdit>(f, "txtSchedule")->toPlainText(), QStringLiteral("word"));
    f.save();
    QCOMPARE(stored(day), QStringLiteral("word"));

    // Blanks only are a text: stored, and shown as nothing the next time.
    ScheduleDialog g(env->program(), day.addDays(1));
    g.load();
    QVERIFY(g.rowExisted());
    QCOMPARE(Child<QPlainTextEdit>(g, "txtSchedule")->toPlainText(), QString());
    Child<QPlainTextEdit>(g, "txtSchedule")->setPlainText(QStringLiteral(" "));
    g.save();
    QCOMPARE(g.result(), int(QDialog::Accepted));
    QCOMPARE(stored(day.addDays(1)), QStringLiteral(" "));
}

void tst_schedule::emptyTextWarnsAndWritesNothing() {
    ScheduleDialog f(env->program(), day);
    f.load();
    ShowActive(f);
    Child<QPushButton>(f, "OKButton")->setFocus();
    f.save();
    QCOMPARE(msgs->messages.size(), size_t(1));
    QCOMPARE(msgs->messages[0].text, QStringLiteral("予定を入力して下さい。"));
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Warning);
    QCOMPARE(msgs->messages[0].title, f.windowTitle());
    QVERIFY(Child<QPlainTextEdit>(f, "txtSchedule")->hasFocus());
    QVERIFY(f.isVisible());
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
    f.reject();
    QCOMPARE(f.result(), int(QDialog::Rejected));
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
}

void tst_schedule::rowChangedWhileOpen_data() {
    QTest::addColumn<bool>("rowAtLoad");
    QTest::newRow("row deleted while open") << true;
    QTest::newRow("row created while open") << false;
}

void tst_schedule::rowChangedWhileOpen() {
    QFETCH(bool, rowAtLoad);
    if (rowAtLoad)
        env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, 'old')"), {day});
    ScheduleDialog f(env->program(), day);
    f.load();
    QCOMPARE(f.rowExisted(), rowAtLoad);
    if (rowAtLoad)
        env->exec(QStringLiteral("DELETE FROM T_Schedule"));
    else
        env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, 'other')"), {day});
    Child<QPlainTextEdit>(f, "txtSchedule")->setPlainText(QStringLiteral("mine"));
    f.save();
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QVERIFY(msgs->messages.empty());
    QCOMPARE(env->column(QStringLiteral("SELECT Schedule FROM T_Schedule")),
             QStringList{QStringLiteral("mine")});
}

void tst_schedule::enterBreaksTheLineEscCancels() {
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, 'ab')"), {day});
    ScheduleDialog f(env->program(), day);
    f.load();
    ShowActive(f);
    Child<QPlainTextEdit>(f, "txtSchedule")->setFocus();
    Child<QPlainTextEdit>(f, "txtSchedule")->moveCursor(QTextCursor::End);
    QTest::keyClick(Child<QPlainTextEdit>(f, "txtSchedule"), Qt::Key_Return);
    QTest::keyClicks(Child<QPlainTextEdit>(f, "txtSchedule"), QStringLiteral("c"));
    QVERIFY(f.isVisible());
    QCOMPARE(Child<QPlainTextEdit>(f, "txtSchedule")->toPlainText(), QStringLiteral("ab\nc"));
    // Enter on the focused OK button saves.
    Child<QPushButton>(f, "OKButton")->setFocus();
    QTest::keyClick(Child<QPushButton>(f, "OKButton"), Qt::Key_Return);
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QCOMPARE(stored(day), QStringLiteral("ab\nc"));

    ScheduleDialog g(env->program(), day);
    g.load();
    ShowActive(g);
    Child<QPlainTextEdit>(g, "txtSchedule")->setPlainText(QStringLiteral("changed"));
    QTest::keyClick(Child<QPlainTextEdit>(g, "txtSchedule"), Qt::Key_Escape);
    QVERIFY(!g.isVisible());
    QCOMPARE(g.result(), int(QDialog::Rejected));
    QCOMPARE(stored(day), QStringLiteral("ab\nc"));
}

void tst_schedule::failuresKeepTheDialogOpen() {
    // The write fails: the text stays in the open dialog, nothing is stored.
    env->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON T_Schedule BEGIN "
                             "SELECT RAISE(ABORT, 'refused'); END"));
    ScheduleDialog f(env->program(), day);
    f.load();
    ShowActive(f);
    Child<QPlainTextEdit>(f, "txtSchedule")->setPlainText(QStringLiteral("text"));
    f.save();
    QVERIFY(f.isVisible());
    QCOMPARE(Child<QPlainTextEdit>(f, "txtSchedule")->toPlainText(), QStringLiteral("text"));
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データの更新に失敗しました。")});
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);

    // The read at load fails: the message, an empty dialog, no connection left behind.
    msgs->clear();
    env->exec(QStringLiteral("DROP TABLE T_Schedule"));
    ScheduleDialog g(env->program(), day);
    g.load();
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("予定の取得に失敗しました。")});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Critical);
    QCOMPARE(msgs->messages[0].title, QStringLiteral("2004年03月15日（月）の予定"));
    QVERIFY(!g.rowExisted());
    QVERIFY(Child<QPlainTextEdit>(g, "txtSchedule")->toPlainText().isEmpty());
    QCOMPARE(env->openConnections(), 0);
}

void tst_schedule::todayReadsInAShortReadOfItsOwn() {
    ClockOverride clock(env->program(), QDateTime(day, QTime(8, 0)));
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"), {day, "朝会\n10時"});
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, 'tomorrow')"), {day.addDays(1)});
    TodayDialog f(env->app());
    f.load();
    QCOMPARE(f.windowTitle(), QStringLiteral("今日の予定"));
    QCOMPARE(Child<QPlainTextEdit>(f, "txtSchedule")->toPlainText(), QStringLiteral("朝会\n10時"));
    QVERIFY(Child<QPlainTextEdit>(f, "txtSchedule")->isReadOnly());
    QVERIFY(Child<QCheckBox>(f, "chkStartup")->isChecked());
    QVERIFY(Child<QPushButton>(f, "cmdOK")->isDefault());
    // Nothing stays open while the window waits for the user.
    QCOMPARE(env->openConnections(), 0);
    QVERIFY(msgs->messages.empty());
}

void tst_schedule::todayStoresTheStartUpFlag_data() {
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("howClosed"); // 0 OK button, 1 Enter, 2 Esc, 3 close box
    QTest::addColumn<QString>("expected");
    QTest::newRow("kept, OK") << 0 << 0 << "1";
    QTest::newRow("unticked, OK") << 1 << 0 << "0";
    QTest::newRow("unticked, Enter") << 1 << 1 << "0";
    QTest::newRow("unticked, Esc") << 1 << 2 << "0";
    QTest::newRow("unticked, close box") << 1 << 3 << "0";
    QTest::newRow("unticked and ticked again") << 2 << 2 << "1";
}

void tst_schedule::todayStoresTheStartUpFlag() {
    QFETCH(int, clicks);
    QFETCH(int, howClosed);
    QFETCH(QString, expected);
    env->app().options().showTodayAtStart = true;
    TodayDialog f(env->app());
    ShowActive(f);
    QCheckBox* startup = Child<QCheckBox>(f, "chkStartup");
    for (int i = 0; i < clicks; ++i)
        QTest::mouseClick(startup, Qt::LeftButton, {}, QPoint(5, startup->height() / 2));
    QCOMPARE(int(env->app().options().showTodayAtStart), expected.toInt());
    QVERIFY(!QFile::exists(env->settingsFile()));
    switch (howClosed) {
    case 0:
        QTest::mouseClick(Child<QPushButton>(f, "cmdOK"), Qt::LeftButton);
        break;
    case 1:
        QTest::keyClick(startup, Qt::Key_Return);
        break;
    case 2:
        QTest::keyClick(startup, Qt::Key_Escape);
        break;
    default:
        f.close();
        break;
    }
    QVERIFY(!f.isVisible());
    QSettings s(env->settingsFile(), QSettings::IniFormat);
    QCOMPARE(s.value(QStringLiteral("Calender/StartUp")).toString(), expected);
}

void tst_schedule::readSchedule() {
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-15', 'Meeting')"));
    Db db = OpenDB(env->program());
    QCOMPARE(ReadSchedule(*db, QDate(2004, 3, 15)), QStringLiteral("Meeting"));
    QCOMPARE(ReadSchedule(*db, QDate(2004, 3, 16)), QString());
    QVERIFY(CloseDB(*db));
    QVERIFY(msgs->messages.empty());

    // Without its table the lookup reports and returns the empty text.
    env->exec(QStringLiteral("DROP TABLE T_Schedule"));
    db = OpenDB(env->program());
    QCOMPARE(ReadSchedule(*db, QDate(2004, 3, 15)), QString());
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("スケジュールの取得に失敗しました。")});
    QVERIFY(!db->isOpen());
}

QTEST_MAIN(tst_schedule)
#include "tst_schedule.moc"
