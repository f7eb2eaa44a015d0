// A timer tick can come while any message box waits for the user. Whatever the action was
// doing, no connection is open then, the tick's extension of the running period is committed,
// and the action's own outcome in the file is exactly what it is without the tick.

#include "TestSupport.h"
#include "alarm/Alarm.h"
#include "alarm/AlarmDialog.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/Program.h"
#include "entries/AnniversaryDialog.h"
#include "entries/EntryCommands.h"
#include "entries/ScheduleDialog.h"
#include "mainwindow/TimerTick.h"
#include "worktime/RunningTime.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

#include <functional>

namespace {

const QDateTime kStart(QDate(2004, 9, 5), QTime(7, 0, 0));
const QString kFailed = QStringLiteral("データの更新に失敗しました。");

struct Action {
    QStringList setup; // statements run on the fresh database first
    std::function<void(const Program&)> run;
    std::deque<MsgResult> answers;
    QStringList messages;
    QStringList outcome; // the user tables afterwards
};

QString Refuse(const char* when, const char* table) {
    return QStringLiteral("CREATE TRIGGER Refuse %1 ON %2 BEGIN SELECT RAISE(ABORT, 'x'); END")
        .arg(QLatin1String(when), QLatin1String(table));
}

void SaveSchedule(const Program& program, const QString& text) {
    ScheduleDialog f(program, QDate(2004, 3, 15));
    f.load();
    Child<QPlainTextEdit>(f, "txtSchedule")->setPlainText(text);
    f.save();
}

// Cuts (or copies) the 10th and pastes on the 15th.
void Paste(const Program& program, bool cut) {
    ScheduleClipboard clip(program);
    cut ? clip.Cut(QDate(2004, 3, 10)) : clip.Copy(QDate(2004, 3, 10));
    clip.Paste(QDate(2004, 3, 15));
}

void AddWhatDay(const Program& program, const char* month, const char* text) {
    AnniversaryDialog f(program, QDate(2004, 3, 15));
    f.load();
    Child<QLineEdit>(f, "txtMonth")->setText(QString::fromLatin1(month));
    Child<QLineEdit>(f, "txtWhatDay")->setText(QString::fromUtf8(text));
    f.addEntry();
}

void RegisterAlarm(const Program& program, const char* month) {
    AlarmState alarm;
    AlarmDialog f(program, alarm);
    Child<QLineEdit>(f, "txtYear")->setText(QStringLiteral("2004"));
    Child<QLineEdit>(f, "txtMonth")->setText(QString::fromLatin1(month));
    Child<QLineEdit>(f, "txtDay")->setText(QStringLiteral("20"));
    Child<QLineEdit>(f, "txtHour")->setText(QStringLiteral("7"));
    Child<QLineEdit>(f, "txtMinute")->setText(QStringLiteral("3"));
    Child<QPlainTextEdit>(f, "txtAlarmDetail")->setPlainText(QStringLiteral("新"));
    f.setAlarm();
}

const QString kSchedules = QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-10', 'a'), "
                                          "('2004-03-15', 'b')");
const QString kDiary = QStringLiteral("INSERT INTO T_Diary VALUES ('2004-03-15', 'd')");
const QString kWhatDay =
    QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (3, 15, '記念日')");
const QString kAlarm = QStringLiteral("INSERT INTO T_Alarm VALUES ('2004-09-06 08:00:00', '旧')");

const std::vector<std::pair<const char*, Action>>& Actions() {
    static const std::vector<std::pair<const char*, Action>> actions = {
        {"schedule save, failing write",
         {{Refuse("BEFORE INSERT", "T_Schedule")},
          [](const Program& p) { SaveSchedule(p, QStringLiteral("新しい予定")); },
          {},
          {kFailed},
          {}}},
        {"schedule save, empty text",
         {{},
          [](const Program& p) { SaveSchedule(p, QString()); },
          {},
          {QStringLiteral("予定を入力して下さい。")},
          {}}},
        {"paste, failing delete of the cut source",
         {{kSchedules, Refuse("BEFORE DELETE", "T_Schedule")},
          [](const Program& p) { Paste(p, true); },
          {},
          {kFailed},
          {"S 2004-03-10 a", "S 2004-03-15 b"}}},
        {"paste, failing append",
         {{kSchedules, Refuse("BEFORE UPDATE", "T_Schedule")},
          [](const Program& p) { Paste(p, false); },
          {},
          {kFailed},
          {"S 2004-03-10 a", "S 2004-03-15 b"}}},
        {"diary delete, OK",
         {{kDiary},
          [](const Program& p) { DeleteDiary(p, QDate(2004, 3, 15), QStringLiteral("Vaskel")); },
          {MsgResult::OK},
          {QStringLiteral("2004年03月15日（月）の日記を削除してよろしいですか？")},
          {}}},
        {"diary delete, Cancel",
         {{kDiary},
          [](const Program& p) { DeleteDiary(p, QDate(2004, 3, 15), QStringLiteral("Vaskel")); },
          {MsgResult::Cancel},
          {QStringLiteral("2004年03月15日（月）の日記を削除してよろしいですか？")},
          {"D 2004-03-15 d"}}},
        {"anniversary add, duplicate",
         {{kWhatDay},
          [](const Program& p) { AddWhatDay(p, "3", "記念日"); },
          {},
          {QStringLiteral("登録済みです。")},
          {"W 3/15 記念日"}}},
        {"anniversary add, input warning",
         {{kWhatDay},
          [](const Program& p) { AddWhatDay(p, "13", "別"); },
          {},
          {QStringLiteral("1～12の数値を入力して下さい。")},
          {"W 3/15 記念日"}}},
        {"alarm register, input warning",
         {{kAlarm},
          [](const Program& p) { RegisterAlarm(p, "13"); },
          {},
          {QStringLiteral("月は 1～12 で入力して下さい。")},
          {"A 2004-09-06 08:00:00 旧"}}},
        {"alarm register, failing insert",
         {{kAlarm, Refuse("BEFORE INSERT", "T_Alarm")},
          [](const Program& p) { RegisterAlarm(p, "9"); },
          {},
          {QStringLiteral("アラームの設定に失敗しました。\r\nx")},
          {"A 2004-09-06 08:00:00 旧"}}},
    };
    return actions;
}

} // namespace

class tst_tickDuringMessages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void tickDuringTheMessageLeavesTheOutcomeAlone_data();
    void tickDuringTheMessageLeavesTheOutcomeAlone();

private:
    // The user tables as text, in a fixed order.
    static QStringList Outcome(const TestEnv& env) {
        QStringList out;
        for (const char* sql :
             {"SELECT 'S ' || Date || ' ' || Schedule FROM T_Schedule ORDER BY Date",
              "SELECT 'D ' || Date || ' ' || Diary FROM T_Diary ORDER BY Date",
              "SELECT 'W ' || Month || '/' || Day || ' ' || WhatDay FROM T_WhatDay ORDER BY ID",
              "SELECT 'A ' || AlarmTime || ' ' || AlarmDetail FROM T_Alarm ORDER BY rowid"})
            out << env.column(QString::fromUtf8(sql));
        return out;
    }
    // The environment of the run in progress.
    std::unique_ptr<TestEnv> env;
};

void tst_tickDuringMessages::initTestCase() {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}

void tst_tickDuringMessages::cleanup() {
    SetMsgBoxHook({});
    if (env)
        QCOMPARE(env->openConnections(), 0);
    env.reset();
}

void tst_tickDuringMessages::tickDuringTheMessageLeavesTheOutcomeAlone_data() {
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < Actions().size(); ++i)
        QTest::newRow(Actions()[i].first) << int(i);
}

void tst_tickDuringMessages::tickDuringTheMessageLeavesTheOutcomeAlone() {
    QFETCH(int, index);
    const Action& a = Actions()[size_t(index)].second;
    QStringList outcomeWithout;
    // Once without and once with a tick during every message.
    for (const bool tick : {false, true}) {
        env = std::make_unique<TestEnv>();
        ClockOverride clock(env->program(), kStart);
        QGuiApplication::clipboard()->clear();
        {
            Db db = OpenDB(env->program());
            QVERIFY(db && RecordRunningTimeAtStart(*db, kStart) && CloseDB(*db));
        }
        for (const QString& sql : a.setup)
            QVERIFY(env->exec(sql));
        QStringList messages;
        std::deque<MsgResult> answers = a.answers;
        int openWhileShown = 0;
        QStringList periodAfterTick;
        SetMsgBoxHook([&](const MsgRecord& r) {
            messages << r.text;
            openWhileShown += env->openConnections();
            if (tick) {
                clock.advanceSecs(50);
                RunTick(env->program(), env->program().clock().now(), AlarmState());
                periodAfterTick << env->scalar(QStringLiteral("SELECT EndTime FROM T_WorkTime"));
            }
            const MsgResult answer = answers.empty() ? MsgResult::OK : answers.front();
            if (!answers.empty())
                answers.pop_front();
            return answer;
        });
        a.run(env->program());
        SetMsgBoxHook({});
        QCOMPARE(messages, a.messages);
        QCOMPARE(openWhileShown, 0);
        QCOMPARE(env->openConnections(), 0);
        if (tick) {
            // Every tick's extension reached the file.
            QStringList expected;
            for (int i = 1; i <= a.messages.size(); ++i)
                expected << SqlDateTime(kStart.addSecs(50 * i));
            QCOMPARE(periodAfterTick, expected);
            QCOMPARE(Outcome(*env), outcomeWithout);
        } else {
            outcomeWithout = Outcome(*env);
        }
        QCOMPARE(Outcome(*env), a.outcome);
    }
}

QTEST_MAIN(tst_tickDuringMessages)
#include "tst_tickDuringMessages.moc"
