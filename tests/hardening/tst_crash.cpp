// The program killed at random moments while it writes: a child process (this program started
// with --child) runs the real actions one after another and reports each commit; the parent
// kills it and then checks the file: intact, every row at the value of the last reported
// commit or of the one after it, nothing committed lost.

#include "../entries/EntryTestHelpers.h"
#include "TestSupport.h"
#include "alarm/Alarm.h"
#include "alarm/AlarmDialog.h"
#include "core/Colors.h"
#include "core/Database.h"
#include "core/MsgBox.h"
#include "core/Program.h"
#include "entries/AnniversaryDialog.h"
#include "entries/DiaryDialog.h"
#include "entries/EntryCommands.h"
#include "entries/ScheduleDialog.h"
#include "holidays/HolidayEditor.h"
#include "holidays/HolidayLines.h"
#include "mainwindow/TimerTick.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// The commits cycle through the actions; commit c runs action c % kActions.
enum Step { Schedule, Diary, AddFirst, AddSecond, Delete, Alarm, Holidays, Source, Paste, Tick };
constexpr int kActions = 10;
constexpr int kKills = 100;
constexpr qint64 kBudgetMs = 100'000;
const QDateTime kBase(QDate(2004, 1, 1), QTime(9, 0));
const QString kAnniversary = QStringLiteral("記念日 ");
const QString kHoliday = QStringLiteral("休日 ");

// Long enough to spill over several pages, so that a commit writes many of them.
QString ScheduleText(int c) {
    return QStringLiteral("予定 %1 😀 'x\" ").arg(c).repeated(150);
}
QString DiaryText(int c) {
    return QStringLiteral("日記 %1\n😀 \"引用\"").arg(c);
}
QDateTime AlarmTime(int c) {
    return QDateTime(QDate(2030, 1, 1), QTime(0, 0)).addSecs(60LL * c);
}
// Ticks are kActions seconds apart, well inside the time that joins them to the period.
QDateTime TickTime(int c) {
    return kBase.addSecs(c);
}

// ---------------------------------------------------------------- the expected rows

// The rows of the file as lines "table key=value", in any order.
using Rows = QStringList;

void Set(Rows& rows, const QString& key, const QString& value) {
    rows.removeIf([&](const QString& r) { return r.startsWith(key); });
    if (!value.isNull())
        rows << key + value;
}

QString Value(const Rows& rows, const QString& key) {
    for (const QString& r : rows)
        if (r.startsWith(key))
            return r.mid(key.size());
    return QString();
}

// The commit that added an anniversary, from its text or its row.
int AnniversaryNumber(const QString& text) {
    return text.section(QLatin1Char(' '), -1).toInt();
}

// The rows after commit c, from the rows before it.
void Apply(Rows& rows, int c) {
    switch (c % kActions) {
    case Schedule:
        Set(rows, QStringLiteral("S 2004-01-01="), ScheduleText(c));
        break;
    case Diary:
        Set(rows, QStringLiteral("D 2004-01-02="), DiaryText(c));
        break;
    case AddFirst:
    case AddSecond:
        rows << QStringLiteral("W 1/1=") + kAnniversary + QString::number(c);
        break;
    case Delete: {
        // The oldest anniversary goes.
        QString oldest;
        for (const QString& r : rows)
            if (r.startsWith(QStringLiteral("W ")) &&
                (oldest.isNull() || AnniversaryNumber(r) < AnniversaryNumber(oldest)))
                oldest = r;
        rows.removeOne(oldest);
        break;
    }
    case Alarm:
        Set(rows, QStringLiteral("A "),
            SqlDateTime(AlarmTime(c)) + QStringLiteral("=アラーム ") + QString::number(c));
        break;
    case Holidays:
        Set(rows, QStringLiteral("H 1/12/31///") + kHoliday, QString::number(c));
        break;
    case Source:
        Set(rows, QStringLiteral("S 2004-01-03="), QStringLiteral("移動 ") + QString::number(c));
        break;
    case Paste: {
        const QString moved = Value(rows, QStringLiteral("S 2004-01-03="));
        Set(rows, QStringLiteral("S 2004-01-04="),
            Value(rows, QStringLiteral("S 2004-01-04=")) + moved);
        Set(rows, QStringLiteral("S 2004-01-03="), QString());
        break;
    }
    case Tick:
        Set(rows, QStringLiteral("T ") + SqlDateTime(kBase) + QLatin1Char('='),
            SqlDateTime(TickTime(c)));
        break;
    }
}

// What the file holds, and whether the engine finds it intact.
Rows ReadRows(const QString& path, QString& integrity) {
    Rows rows;
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const auto query = [&](const char* sql, QStringList& out) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
            out << QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db));
            return;
        }
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    };
    QStringList check;
    query("PRAGMA integrity_check", check);
    integrity = check.join(QLatin1Char('\n'));
    query("SELECT 'S ' || Date || '=' || Schedule FROM T_Schedule", rows);
    query("SELECT 'D ' || Date || '=' || Diary FROM T_Diary", rows);
    query("SELECT 'W ' || Month || '/' || Day || '=' || WhatDay FROM T_WhatDay", rows);
    query("SELECT 'A ' || AlarmTime || '=' || AlarmDetail FROM T_Alarm", rows);
    query("SELECT 'H ' || Kind || '/' || Month || '/' || ifnull(Day, '') || '/' || "
          "ifnull(Week, '') || '/' || ifnull(Yobi, '') || '/' || Name FROM T_Holiday",
          rows);
    query("SELECT 'T ' || StartTime || '=' || EndTime FROM T_WorkTime", rows);
    sqlite3_close(db);
    rows.sort();
    return rows;
}

// ---------------------------------------------------------------- the child

[[noreturn]] void ChildFails(const QString& why) {
    std::printf("failed: %s\n", why.toUtf8().constData());
    std::fflush(stdout);
    _exit(3);
}

void Expect(bool ok, int c, const char* what) {
    if (!ok)
        ChildFails(QStringLiteral("commit %1: %2").arg(c).arg(QLatin1String(what)));
}

// Runs commit c through the windows and commands a user would use.
void RunCommit(const Program& program, int c) {
    switch (c % kActions) {
    case Schedule:
    case Source: {
        const bool source = c % kActions == Source;
        ScheduleDialog f(program, QDate(2004, 1, source ? 3 : 1));
        f.load();
        Child<QPlainTextEdit>(f, "txtSchedule")
            ->setPlainText(source ? QStringLiteral("移動 ") + QString::number(c) : ScheduleText(c));
        f.save();
        Expect(f.result() == QDialog::Accepted, c, "schedule not saved");
        break;
    }
    case Diary: {
        DiaryDialog f(program, QDate(2004, 1, 2), QStringLiteral(" 2"), kWhite);
        f.load();
        Child<QPlainTextEdit>(f, "txtDiary")->setPlainText(DiaryText(c));
        f.save();
        Expect(f.result() == QDialog::Accepted, c, "diary not saved");
        break;
    }
    case AddFirst:
    case AddSecond:
    case Delete: {
        AnniversaryDialog f(program, QDate(2004, 1, 1));
        f.load();
        if (c % kActions == Delete) {
            QListWidget* january = Child<QListWidget>(f, "lstWhatday0");
            QListWidgetItem* oldest = nullptr;
            for (int i = 0; i < january->count(); ++i) {
                QListWidgetItem* item = january->item(i);
                const QString text = item->data(AnniversaryDialog::kTextRole).toString();
                if (!oldest ||
                    AnniversaryNumber(text) <
                        AnniversaryNumber(oldest->data(AnniversaryDialog::kTextRole).toString()))
                    oldest = item;
            }
            Expect(oldest, c, "no anniversary to delete");
            f.pickEntry(0, oldest);
            f.deleteEntry();
        } else {
            Child<QLineEdit>(f, "txtWhatDay")->setText(kAnniversary + QString::number(c));
            f.addEntry();
        }
        Expect(Child<QLineEdit>(f, "txtWhatDay")->text().isEmpty(), c, "anniversary not written");
        break;
    }
    case Alarm: {
        AlarmState alarm;
        AlarmDialog d(program, alarm);
        d.show();
        const QDateTime t = AlarmTime(c);
        Child<QLineEdit>(d, "txtYear")->setText(QString::number(t.date().year()));
        Child<QLineEdit>(d, "txtMonth")->setText(QString::number(t.date().month()));
        Child<QLineEdit>(d, "txtDay")->setText(QString::number(t.date().day()));
        Child<QLineEdit>(d, "txtHour")->setText(QString::number(t.time().hour()));
        Child<QLineEdit>(d, "txtMinute")->setText(QString::number(t.time().minute()));
        Child<QPlainTextEdit>(d, "txtAlarmDetail")
            ->setPlainText(QStringLiteral("アラーム ") + QString::number(c));
        d.setAlarm();
        Expect(alarm.pending() && alarm.pending()->time == t, c, "alarm not set");
        break;
    }
    case Holidays: {
        HolidayEditor f(program);
        f.load();
        QListWidgetItem* ours = nullptr;
        for (int i = 0; i < Child<QListWidget>(f, "lstHoliday")->count(); ++i) {
            const std::optional<HolidayRule> r =
                ParseHolidayLine(Child<QListWidget>(f, "lstHoliday")->item(i)->text());
            if (r && r->name.startsWith(kHoliday))
                ours = Child<QListWidget>(f, "lstHoliday")->item(i);
        }
        if (ours) {
            f.pickLine(ours);
        } else {
            Child<QComboBox>(f, "cboKind")->setCurrentIndex(1);
            Child<QLineEdit>(f, "txtMonth")->setText(QStringLiteral("12"));
            Child<QLineEdit>(f, "txtDay")->setText(QStringLiteral("31"));
        }
        Child<QLineEdit>(f, "txtHoliday")->setText(kHoliday + QString::number(c));
        if (ours)
            f.replacePicked();
        else
            f.addEntered();
        f.saveRules();
        Expect(f.result() == QDialog::Accepted, c, "holidays not saved");
        break;
    }
    case Paste: {
        ScheduleClipboard clip(program);
        clip.Cut(QDate(2004, 1, 3));
        Expect(clip.Paste(QDate(2004, 1, 4)), c, "paste not committed");
        break;
    }
    case Tick:
        RunTick(program, TickTime(c), AlarmState());
        break;
    }
}

int RunChild(int argc, char** argv) {
    QApplication app(argc, argv);
    Program program(QString::fromLocal8Bit(argv[2]));
    SetMsgBoxHook([](const MsgRecord& m) -> MsgResult {
        ChildFails(QStringLiteral("message %1: %2").arg(m.title, m.text));
    });
    ClockOverride clock(program, kBase);
    std::printf("ready\n");
    std::fflush(stdout);
    // Until killed; the bound only stops a child whose parent has gone.
    for (int c = std::atoi(argv[3]), end = c + 100'000; c < end; ++c) {
        RunCommit(program, c);
        std::printf("%d\n", c);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

class tst_crash : public QObject {
    Q_OBJECT
private slots:
    void killedWhileWritingLosesNothing();
};

void tst_crash::killedWhileWritingLosesNothing() {
    TestEnv env;
    QVERIFY(env.exec(QStringLiteral("INSERT INTO T_WorkTime VALUES (?, ?)"), {kBase, kBase}));
    QString integrity;
    Rows expected = ReadRows(env.dbPath(), integrity); // after the last commit that took effect
    const QString check = env.dir() + QStringLiteral("/check");
    QVERIFY(QDir().mkpath(check));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));

    QElapsedTimer elapsed;
    elapsed.start();
    int next = 0; // the commit the next child begins with
    int kills = 0;
    int journals = 0; // kills that left a journal to roll back
    for (; kills < kKills && elapsed.elapsed() < kBudgetMs; ++kills) {
        const quint32 seed = 1000 + quint32(kills);
        const QByteArray where = "seed " + QByteArray::number(seed);
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), env.dir(), QString::number(next)});
        QVERIFY2(child.waitForStarted(), where);
        while (!child.canReadLine())
            QVERIFY2(child.waitForReadyRead(30'000), where);
        QCOMPARE(child.readLine(), QByteArray("ready\n"));
        // From a kill before the first commit to one after many.
        const int delay = int(QRandomGenerator(seed).bounded(300));
        const bool ended = child.waitForFinished(delay);
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        const QByteArray output = child.readAll();
        QVERIFY2(!ended, where + ": the child ended by itself: " + output.right(400));
        int reported = next - 1;
        for (const QByteArray& line : output.split('\n')) {
            QVERIFY2(!line.startsWith("failed"), where + ": " + line);
            if (!line.isEmpty())
                reported = line.toInt();
        }
        for (int c = next; c <= reported; ++c)
            Apply(expected, c);

        // The file as the next start finds it, left for that start to recover: a copy is
        // checked.
        for (const QString& name :
             {QStringLiteral("Vaskel.pdb"), QStringLiteral("Vaskel.pdb-journal")}) {
            QFile::remove(check + QLatin1Char('/') + name);
            if (QFile::exists(env.dir() + QLatin1Char('/') + name))
                QVERIFY(QFile::copy(env.dir() + QLatin1Char('/') + name,
                                    check + QLatin1Char('/') + name));
        }
        if (QFileInfo(check + QStringLiteral("/Vaskel.pdb-journal")).size() > 0)
            ++journals;
        const Rows found = ReadRows(check + QStringLiteral("/Vaskel.pdb"), integrity);
        QVERIFY2(integrity == QLatin1String("ok"), where + ": " + integrity.toUtf8());
        Rows after = expected;
        Apply(after, reported + 1);
        after.sort();
        expected.sort();
        if (found == after) {
            expected = after;
            ++reported;
        }
        if (found != expected) {
            Rows lost = expected, extra = found;
            lost.removeIf([&](const QString& r) { return found.contains(r); });
            extra.removeIf([&](const QString& r) { return expected.contains(r); });
            QFAIL(qPrintable(QStringLiteral("%1, after commit %2: missing %3; unexpected %4")
                                 .arg(QString::fromLatin1(where))
                                 .arg(reported)
                                 .arg(lost.join(QLatin1String(" | ")).left(400),
                                      extra.join(QLatin1String(" | ")).left(400))));
        }
        next = reported + 1;
    }
    qInfo("%d kills (%d of them left a journal), %d commits, %lld ms", kills, journals, next,
          elapsed.elapsed());
    QVERIFY(kills >= kKills / 4);
    QVERIFY(next > 3 * kActions); // every action has committed several times
}

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0)
        return RunChild(argc, argv);
    QApplication app(argc, argv);
    tst_crash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
