// Every action that writes several things at once, failed at each write, sync and lock call of
// the file system in turn (an I/O error or a full disk): the file must stay exactly as it was,
// the user must get the action's own message, and the window must stay as that message says.

#include "../entries/EntryTestHelpers.h"
#include "FaultVfs.h"
#include "TestSupport.h"
#include "alarm/Alarm.h"
#include "alarm/AlarmDialog.h"
#include "core/Colors.h"
#include "core/Database.h"
#include "core/VersionUp.h"
#include "entries/AnniversaryDialog.h"
#include "entries/DiaryDialog.h"
#include "entries/EntryCommands.h"
#include "entries/ScheduleDialog.h"
#include "holidays/HolidayEditor.h"
#include "mainwindow/TickReport.h"
#include "mainwindow/TimerTick.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QtTest>

#include <sqlite3.h>

namespace {

const QString kConnect = QStringLiteral("Vaskel: データベースへの接続に失敗しました。");
const QString kDisconnect = QStringLiteral("Vaskel: データベースの切断に失敗しました。");
const QString kUpdate = QStringLiteral("Vaskel: データの更新に失敗しました。");

// The same state after any of the database layer's messages.
QMap<QString, QString> AfterDbMessages(const QString& state) {
    return {{kConnect, state}, {kUpdate, state}, {kDisconnect, state}};
}

// The fault of the running case; each action arms it once its window is loaded, so that only
// the action itself meets it.
FaultKind g_kind = FaultKind::Write;
int g_n = 0;
int g_code = SQLITE_IOERR;
void Arm() {
    ArmFault(g_kind, g_n, g_code);
}

QString Lines(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out.join(QLatin1Char(';'));
}

// A long text with what a database layer most easily gets wrong: quotes, SQL, line breaks,
// characters outside the Japanese code page; long enough to spill over several pages.
QString LongText() {
    QString s;
    for (int i = 0; i < 600; ++i)
        s += QStringLiteral("予定 %1 😀 𠮷 '\"); DROP TABLE T_Schedule; --\n").arg(i);
    return s;
}

struct Action {
    const char* name;
    TestEnv::Schema schema;
    QStringList seed; // statements that make the database before the action
    std::function<QString(const Program&)>
        run;                      // loads, arms the fault, acts; returns the window's state
    QString done;                 // the state after success
    QMap<QString, QString> after; // a message ("title: first line", "" for none) -> the state
    QString effectSql;            // the rows that show the action's effect, joined by "|"
    QString effect;
};

const std::vector<Action>& Actions() {
    static const std::vector<Action> actions = [] {
        const QString day = QStringLiteral("2004-03-15");
        const QString longText = LongText();
        const QString diary = QStringLiteral("日記 \"引用\" 😀\n二行目 한국어");
        const QString alarmDetail = QStringLiteral("新しいアラーム 😀 \"x\"");
        const QString kept = QStringLiteral("open, text kept");
        std::vector<Action> a;

        a.push_back({"upgrade",
                     TestEnv::Schema::V100,
                     {},
                     [](const Program& program) {
                         Arm();
                         return VersionUp(program) ? QStringLiteral("runs")
                                                   : QStringLiteral("ends");
                     },
                     "runs",
                     {{kConnect, "ends"},
                      {"バージョンアップ更新処理: バージョンアップ処理に失敗しました。", "ends"},
                      {kDisconnect, "ends"}},
                     "SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE name "
                     "IN ('T_Version', 'T_WorkTime', 'StartEndTime', 'T_Alarm') ORDER BY name) "
                     "UNION ALL SELECT printf('%.2f', ver) FROM T_Version",
                     "StartEndTime,T_Alarm,T_Version,T_WorkTime|1.07"});

        a.push_back(
            {"holiday table rewrite",
             TestEnv::Schema::V106,
             {},
             [](const Program& program) {
                 HolidayEditor f(program);
                 f.load();
                 Child<QListWidget>(f, "lstHoliday")->setCurrentRow(0);
                 f.deleteSelected();
                 Child<QComboBox>(f, "cboKind")->setCurrentIndex(1);
                 Child<QLineEdit>(f, "txtMonth")->setText(QStringLiteral("12"));
                 Child<QLineEdit>(f, "txtDay")->setText(QStringLiteral("31"));
                 Child<QLineEdit>(f, "txtHoliday")->setText(QStringLiteral("大晦日 's"));
                 f.addEntered();
                 const QString edited = Lines(Child<QListWidget>(f, "lstHoliday"));
                 Arm();
                 f.saveRules();
                 if (f.result() == QDialog::Accepted)
                     return QStringLiteral("closed");
                 return Lines(Child<QListWidget>(f, "lstHoliday")) == edited
                            ? QStringLiteral("open, list kept")
                            : QStringLiteral("open, list lost");
             },
             "closed",
             AfterDbMessages("open, list kept"),
             "SELECT count(*) || ' ' || sum(Name = '元日') || ' ' || sum(Name = '大晦日 ''s') "
             "FROM T_Holiday",
             "16 0 1"});

        a.push_back({"paste with cut",
                     TestEnv::Schema::V106,
                     {"INSERT INTO T_Schedule VALUES ('2004-03-01', ' 切り取り 😀 ')",
                      "INSERT INTO T_Schedule VALUES ('2004-03-02', 'B')"},
                     [](const Program& program) {
                         ScheduleClipboard clip(program);
                         clip.Cut(QDate(2004, 3, 1));
                         Arm();
                         if (clip.Paste(QDate(2004, 3, 2)))
                             return QStringLiteral("pasted");
                         return clip.PendingCut() == QDate(2004, 3, 1)
                                    ? QStringLiteral("cut pending")
                                    : QStringLiteral("cut lost");
                     },
                     "pasted",
                     AfterDbMessages("cut pending"),
                     "SELECT Date || '=' || Schedule FROM T_Schedule ORDER BY Date",
                     "2004-03-02=B切り取り 😀"});

        a.push_back(
            {"alarm replace",
             TestEnv::Schema::V106,
             {"INSERT INTO T_Alarm VALUES ('2004-09-05 07:03:00', 'old')"},
             [](const Program& program) {
                 const QDateTime old(QDate(2004, 9, 5), QTime(7, 3));
                 AlarmState alarm;
                 alarm.set(PendingAlarm{old, QStringLiteral("old")});
                 QSignalSpy announced(&alarm, &AlarmState::changed);
                 auto* d = new AlarmDialog(program, alarm);
                 d->show();
                 Child<QLineEdit>(*d, "txtYear")->setText(QStringLiteral("2004"));
                 Child<QLineEdit>(*d, "txtMonth")->setText(QStringLiteral("9"));
                 Child<QLineEdit>(*d, "txtDay")->setText(QStringLiteral("6"));
                 Child<QLineEdit>(*d, "txtHour")->setText(QStringLiteral("8"));
                 Child<QLineEdit>(*d, "txtMinute")->setText(QStringLiteral("4"));
                 Child<QPlainTextEdit>(*d, "txtAlarmDetail")
                     ->setPlainText(QStringLiteral(" 新しいアラーム 😀 \"x\" "));
                 Arm();
                 d->setAlarm();
                 QString state = d->isVisible() ? QStringLiteral("open") : QStringLiteral("closed");
                 delete d;
                 const bool same = alarm.pending() && alarm.pending()->time == old &&
                                   alarm.pending()->detail == QLatin1String("old");
                 state += same ? QStringLiteral(", alarm kept") : QStringLiteral(", alarm changed");
                 if (!announced.isEmpty())
                     state +=
                         QStringLiteral(", panel ") + (announced[0][0].toBool() ? "ON" : "OFF");
                 return state;
             },
             "closed, alarm changed, panel ON",
             {{kConnect, "closed, alarm kept"},
              {"ｱﾗｰﾑの設定: アラームの設定に失敗しました。", "open, alarm kept"},
              {kDisconnect, "closed, alarm kept"}},
             "SELECT AlarmTime || '=' || AlarmDetail FROM T_Alarm",
             "2004-09-06 08:04:00=" + alarmDetail});

        a.push_back({"schedule save",
                     TestEnv::Schema::V106,
                     {"INSERT INTO T_Schedule VALUES ('2004-03-15', 'old')"},
                     [longText](const Program& program) {
                         ScheduleDialog f(program, QDate(2004, 3, 15));
                         f.load();
                         Child<QPlainTextEdit>(f, "txtSchedule")->setPlainText(longText);
                         Arm();
                         f.save();
                         if (f.result() == QDialog::Accepted)
                             return QStringLiteral("closed");
                         return Child<QPlainTextEdit>(f, "txtSchedule")->toPlainText() == longText
                                    ? QStringLiteral("open, text kept")
                                    : QStringLiteral("open, text lost");
                     },
                     "closed",
                     AfterDbMessages(kept),
                     "SELECT Date || '=' || Schedule FROM T_Schedule",
                     day + "=" + longText});

        a.push_back({"diary save",
                     TestEnv::Schema::V106,
                     // an entry of a year before, shown on a tab: it must stay as it is
                     {"INSERT INTO T_Diary VALUES ('2003-03-15', 'last year')"},
                     [diary](const Program& program) {
                         DiaryDialog f(program, QDate(2004, 3, 15), QStringLiteral("15"), kWhite);
                         f.load();
                         Child<QPlainTextEdit>(f, "txtDiary")->setPlainText(diary);
                         Arm();
                         f.save();
                         if (f.result() == QDialog::Accepted)
                             return QStringLiteral("closed");
                         return Child<QPlainTextEdit>(f, "txtDiary")->toPlainText() == diary
                                    ? QStringLiteral("open, text kept")
                                    : QStringLiteral("open, text lost");
                     },
                     "closed",
                     AfterDbMessages(kept),
                     "SELECT Date || '=' || Diary FROM T_Diary ORDER BY Date",
                     "2003-03-15=last year|" + day + "=" + diary});

        const auto whatDayState = [](const AnniversaryDialog& f) {
            return Lines(Child<QListWidget>(f, "lstWhatday2")) + " | " +
                   Child<QLineEdit>(f, "txtMonth")->text() + "," +
                   Child<QLineEdit>(f, "txtDay")->text() + "," +
                   Child<QLineEdit>(f, "txtWhatDay")->text() +
                   (Child<QPushButton>(f, "cmdDel")->isEnabled() ? " | del on" : "");
        };
        a.push_back({"anniversary add",
                     TestEnv::Schema::V106,
                     {"INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (3, 15, 'old')"},
                     [whatDayState](const Program& program) {
                         AnniversaryDialog f(program, QDate(2004, 3, 15));
                         f.load();
                         Child<QLineEdit>(f, "txtWhatDay")->setText(QStringLiteral("新 😀"));
                         Arm();
                         f.addEntry();
                         return whatDayState(f);
                     },
                     " 15日  old; 15日  新 😀 | ,,",
                     AfterDbMessages(" 15日  old | 3,15,新 😀"),
                     "SELECT Month || '/' || Day || '=' || WhatDay FROM T_WhatDay ORDER BY ID",
                     "3/15=old|3/15=新 😀"});

        a.push_back({"anniversary delete",
                     TestEnv::Schema::V106,
                     {"INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (3, 15, 'old')",
                      "INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (3, 15, 'keep')"},
                     [whatDayState](const Program& program) {
                         AnniversaryDialog f(program, QDate(2004, 3, 15));
                         f.load();
                         QListWidget* march = Child<QListWidget>(f, "lstWhatday2");
                         f.pickEntry(
                             2,
                             march->findItems(QStringLiteral("old"), Qt::MatchEndsWith).value(0));
                         Arm();
                         f.deleteEntry();
                         return whatDayState(f);
                     },
                     " 15日  keep | ,,",
                     AfterDbMessages(" 15日  keep; 15日  old | 3,15,old | del on"),
                     "SELECT Month || '/' || Day || '=' || WhatDay FROM T_WhatDay ORDER BY ID",
                     "3/15=keep"});

        a.push_back(
            {"timer tick",
             TestEnv::Schema::V106,
             {"INSERT INTO T_WorkTime VALUES ('2004-09-05 07:00:00', '2004-09-05 07:02:10')"},
             [](const Program& program) {
                 AlarmState alarm;
                 alarm.set(PendingAlarm{QDateTime(QDate(2004, 9, 5), QTime(7, 3)), {}});
                 Arm();
                 const TickOutcome tick =
                     RunTick(program, QDateTime(QDate(2004, 9, 5), QTime(7, 3, 20)), alarm);
                 TickReport().take(nullptr, tick);
                 return tick.alarmDue ? QStringLiteral("alarm shown")
                                      : QStringLiteral("alarm skipped");
             },
             "alarm shown",
             // A failed update is silent; the alarm shows whatever the database did.
             {{"", "alarm shown"}, {kConnect, "alarm shown"}, {kDisconnect, "alarm shown"}},
             "SELECT StartTime || ' ' || EndTime FROM T_WorkTime",
             "2004-09-05 07:00:00 2004-09-05 07:03:20"});
        return a;
    }();
    return actions;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// Opens and reads the file once, as the program's next action would: a journal left behind by
// a failed commit is rolled back.
void Recover(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace

class tst_ioFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyFaultLeavesTheFileAsItWas_data();
    void everyFaultLeavesTheFileAsItWas();

private:
    QMap<QString, int> m_points;
};

void tst_ioFaults::initTestCase() {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    InstallFaultVfs();
}

void tst_ioFaults::cleanupTestCase() {
    for (auto it = m_points.cbegin(); it != m_points.cend(); ++it)
        qInfo("%s: failed at %d fault points", qPrintable(it.key()), it.value());
}

void tst_ioFaults::everyFaultLeavesTheFileAsItWas_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");
    const std::pair<FaultKind, const char*> kinds[] = {
        {FaultKind::Write, "write"}, {FaultKind::Sync, "sync"}, {FaultKind::Lock, "lock"}};
    const std::pair<int, const char*> codes[] = {{SQLITE_IOERR, "I/O error"},
                                                 {SQLITE_FULL, "disk full"}};
    for (size_t i = 0; i < Actions().size(); ++i)
        for (const auto& [kind, kindName] : kinds)
            for (const auto& [code, codeName] : codes)
                QTest::addRow("%s, %s, %s", Actions()[i].name, kindName, codeName)
                    << int(i) << int(kind) << code;
}

void tst_ioFaults::everyFaultLeavesTheFileAsItWas() {
    QFETCH(int, action);
    QFETCH(int, kind);
    QFETCH(int, code);
    const Action& a = Actions()[size_t(action)];
    TestEnv env(a.schema);
    for (const QString& sql : a.seed)
        QVERIFY(env.exec(sql));
    const QByteArray before = Bytes(env.dbPath());
    ClockOverride clock(env.program(), QDateTime(QDate(2004, 9, 5), QTime(7, 3, 20)));
    g_kind = FaultKind(kind);
    g_code = code;
    for (g_n = 1;; ++g_n) {
        QVERIFY2(g_n < 1000, "the action never got through");
        QFile::remove(env.dbPath());
        QFile file(env.dbPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
        file.close();
        MsgRecorder msgs;
        const QString state = a.run(env.program());
        DisarmFault();
        const QByteArray where = QByteArray("at call ") + QByteArray::number(g_n);
        QVERIFY2(env.openConnections() == 0, where);
        QStringList seen;
        for (const MsgRecord& m : msgs.messages) {
            seen << m.title + QStringLiteral(": ") + m.text.section(QStringLiteral("\r\n"), 0, 0);
            // Where the engine's description follows the text, it is there.
            if (m.text.contains(QStringLiteral("\r\n")))
                QVERIFY2(!m.text.section(QStringLiteral("\r\n"), 1).isEmpty(), where);
            QVERIFY2(m.icon == MsgIcon::Critical, where);
        }
        if (!FaultHit()) {
            QCOMPARE(seen, QStringList());
            QCOMPARE(state, a.done);
            QVERIFY2(env.column(a.effectSql).join(QLatin1Char('|')) == a.effect, a.name);
            break;
        }
        QVERIFY2(seen.size() <= 1, qPrintable(seen.join(QLatin1Char('\n'))));
        const QString message = seen.value(0);
        QVERIFY2(a.after.contains(message), qPrintable(where + ": unexpected message " + message));
        QVERIFY2(state == a.after.value(message),
                 qPrintable(where + ": " + message + ", then " + state));
        Recover(env.dbPath());
        QVERIFY2(!QFile::exists(env.dbPath() + QStringLiteral("-journal")), where);
        QVERIFY2(Bytes(env.dbPath()) == before, where);
    }
    m_points[QString::fromLatin1(a.name)] += g_n - 1;
    qInfo("%d fault points", g_n - 1);
}

QTEST_MAIN(tst_ioFaults)
#include "tst_ioFaults.moc"
