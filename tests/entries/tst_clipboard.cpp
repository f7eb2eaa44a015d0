// Copy, cut and paste of schedules through the clipboard, and deleting a day's entries.

#include "EntryTestHelpers.h"
#include "TestSupport.h"
#include "core/Database.h"
#include "entries/EntryCommands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QtTest>

class tst_clipboard : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void copyPutsTheStoredTextOnTheClipboard();
    void pasteSequences_data();
    void pasteSequences();
    void pasteWithoutTextDoesNothing_data();
    void pasteWithoutTextDoesNothing();
    void failingDeleteUndoesTheAppendAndKeepsTheCut();
    void deletionsAskFirst_data();
    void deletionsAskFirst();

private:
    QString schedules() const {
        return env
            ->column(QStringLiteral("SELECT substr(Date, 9) || '=' || Schedule FROM T_Schedule "
                                    "ORDER BY Date"))
            .join(QLatin1Char(';'));
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
};

// Days of March 2004 used by the sequences.
static QDate Day(int d) {
    return QDate(2004, 3, d);
}

void tst_clipboard::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
    QGuiApplication::clipboard()->clear();
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"), {Day(1), "  A \"text\"\n "});
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, 'B')"), {Day(2)});
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, 'C')"), {Day(3)});
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES (?, '')"), {Day(5)});
}

void tst_clipboard::cleanup() {
    msgs.reset();
    env.reset();
}

void tst_clipboard::copyPutsTheStoredTextOnTheClipboard() {
    ScheduleClipboard clip(env->program());
    clip.Cut(Day(1));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("  A \"text\"\n "));
    QCOMPARE(clip.PendingCut(), Day(1));
    // A day without a schedule: the empty text, and a paste of it does nothing.
    clip.Copy(Day(4));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    QVERIFY(!clip.PendingCut().isValid());
    QVERIFY(!clip.Paste(Day(2)));
    QCOMPARE(schedules(), QStringLiteral("01=  A \"text\"\n ;02=B;03=C;05="));
    QVERIFY(msgs->messages.empty());
    QCOMPARE(env->openConnections(), 0);
}

// Each step is a letter and a day: c copy, x cut, p paste, e some other program's text.
void tst_clipboard::pasteSequences_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("pendingAfter");
    const QString a = QStringLiteral("A \"text\"\n");
    QTest::newRow("copy A, paste on an empty day twice")
        << "c1 p4 p4"
        << "01=  A \"text\"\n ;02=B;03=C;04=" + a + a + ";05=" << 0;
    QTest::newRow("cut A, paste on B: appended and moved") << "x1 p2"
                                                           << "02=B" + a + ";03=C;05=" << 0;
    QTest::newRow("cut A, copy C, paste on B: nothing deleted")
        << "x1 c3 p2"
        << "01=  A \"text\"\n ;02=BC;03=C;05=" << 0;
    QTest::newRow("cut A, another program's text, paste on B") << "x1 e0 p2"
                                                               << "02=Bother\n;03=C;05=" << 0;
    QTest::newRow("cut A, cut C, paste on B") << "x1 x3 p2"
                                              << "01=  A \"text\"\n ;02=BC;05=" << 0;
    // A move onto its own day changes nothing (no doubled text) and ends the cut.
    QTest::newRow("cut A, paste back on A: unchanged") << "x1 q1"
                                                       << "01=  A \"text\"\n ;02=B;03=C;05=" << 0;
    QTest::newRow("cut A, paste back on A, paste on B: nothing moves")
        << "x1 q1 p2"
        << "01=  A \"text\"\n ;02=B" + a + ";03=C;05=" << 0;
    QTest::newRow("paste onto a row with an empty text") << "c3 p5"
                                                         << "01=  A \"text\"\n "
                                                            ";02=B;03=C;05=C"
                                                         << 0;
    QTest::newRow("cut on an empty day, then another program's text")
        << "x4 e0 p2"
        << "01=  A \"text\"\n ;02=Bother\n;03=C;05=" << 0;
    QTest::newRow("a failed paste keeps the cut") << "x1 e0 p9"
                                                  << "01=  A \"text\"\n ;02=B;03=C;05=" << 1;
}

void tst_clipboard::pasteSequences() {
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    QFETCH(int, pendingAfter);
    ScheduleClipboard clip(env->program());
    for (const QString& step : steps.split(QLatin1Char(' '))) {
        const int d = step.mid(1).toInt();
        // "p9" pastes on day 2 while the database is away.
        const QDate day = Day(d == 9 ? 2 : d ? d : 1);
        switch (step.at(0).toLatin1()) {
        case 'c':
            clip.Copy(day);
            break;
        case 'x':
            clip.Cut(day);
            break;
        case 'e':
            QGuiApplication::clipboard()->setText(QStringLiteral("  other\n  "));
            break;
        case 'q': // a paste that changes nothing
            QVERIFY(!clip.Paste(day));
            break;
        default:
            if (d == 9) {
                // The database has gone away: the paste fails at its start.
                QFile::rename(env->dbPath(), env->dbPath() + QStringLiteral(".away"));
                QVERIFY(!clip.Paste(day));
                QFile::rename(env->dbPath() + QStringLiteral(".away"), env->dbPath());
            } else {
                QVERIFY(clip.Paste(day));
            }
            break;
        }
    }
    QCOMPARE(schedules(), expected);
    QCOMPARE(clip.PendingCut().isValid(), pendingAfter != 0);
    QCOMPARE(env->openConnections(), 0);
}

void tst_clipboard::pasteWithoutTextDoesNothing_data() {
    QTest::addColumn<int>("content"); // 0 nothing, 1 a picture, 2 an empty text
    QTest::newRow("nothing") << 0;
    QTest::newRow("picture") << 1;
    QTest::newRow("empty text") << 2;
}

void tst_clipboard::pasteWithoutTextDoesNothing() {
    QFETCH(int, content);
    ScheduleClipboard clip(env->program());
    clip.Cut(Day(1));
    QClipboard* c = QGuiApplication::clipboard();
    c->clear();
    if (content == 1) {
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(Qt::red);
        c->setImage(img);
    } else if (content == 2) {
        c->setText(QString());
    }
    QVERIFY(!clip.Paste(Day(2)));
    QCOMPARE(schedules(), QStringLiteral("01=  A \"text\"\n ;02=B;03=C;05="));
    QCOMPARE(clip.PendingCut(), Day(1));
    QVERIFY(msgs->messages.empty());
}

void tst_clipboard::failingDeleteUndoesTheAppendAndKeepsTheCut() {
    env->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON T_Schedule BEGIN "
                             "SELECT RAISE(ABORT, 'refused'); END"));
    ScheduleClipboard clip(env->program());
    clip.Cut(Day(1));
    QVERIFY(!clip.Paste(Day(2)));
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データの更新に失敗しました。")});
    QCOMPARE(schedules(), QStringLiteral("01=  A \"text\"\n ;02=B;03=C;05="));
    QCOMPARE(clip.PendingCut(), Day(1));
    // Once the delete works again the same paste completes.
    env->exec(QStringLiteral("DROP TRIGGER refuse"));
    QVERIFY(clip.Paste(Day(2)));
    QCOMPARE(schedules(), QStringLiteral("02=BA \"text\"\n;03=C;05="));
}

void tst_clipboard::deletionsAskFirst_data() {
    QTest::addColumn<bool>("diary");
    QTest::addColumn<int>("answer");
    QTest::newRow("schedule, cancel") << false << int(MsgResult::Cancel);
    QTest::newRow("schedule, OK") << false << int(MsgResult::OK);
    QTest::newRow("diary, cancel") << true << int(MsgResult::Cancel);
    QTest::newRow("diary, OK") << true << int(MsgResult::OK);
}

void tst_clipboard::deletionsAskFirst() {
    QFETCH(bool, diary);
    QFETCH(int, answer);
    env->exec(QStringLiteral("INSERT INTO T_Diary VALUES (?, 'D2')"), {Day(2)});
    env->exec(QStringLiteral("INSERT INTO T_Diary VALUES (?, 'D3')"), {Day(3)});
    msgs->answers.push_back(MsgResult(answer));
    const bool ok = answer == int(MsgResult::OK);
    QCOMPARE(diary ? DeleteDiary(env->program(), Day(2), QStringLiteral("Vaskel"))
                   : DeleteSchedule(env->program(), Day(2), QStringLiteral("Vaskel")),
             ok);
    QCOMPARE(msgs->messages.size(), size_t(1));
    const MsgRecord& q = msgs->messages[0];
    QCOMPARE(q.text, diary
                         ? QStringLiteral("2004年03月02日（火）の日記を削除してよろしいですか？")
                         : QStringLiteral("2004年03月02日（火）の予定を削除してよろしいですか？"));
    QCOMPARE(q.icon, MsgIcon::Question);
    QCOMPARE(q.buttons, MsgButtons::OKCancel);
    QCOMPARE(q.title, QStringLiteral("Vaskel"));
    QCOMPARE(schedules(), QStringLiteral("01=  A \"text\"\n ;") +
                              (ok && !diary ? QString() : QStringLiteral("02=B;")) +
                              QStringLiteral("03=C;05="));
    QCOMPARE(env->column(QStringLiteral("SELECT Diary FROM T_Diary ORDER BY Date")).join(','),
             ok && diary ? QStringLiteral("D3") : QStringLiteral("D2,D3"));
    // A day without a row: nothing to delete and no error.
    msgs->answers.push_back(MsgResult::OK);
    QVERIFY(diary ? DeleteDiary(env->program(), Day(20), QStringLiteral("Vaskel"))
                  : DeleteSchedule(env->program(), Day(20), QStringLiteral("Vaskel")));
    QCOMPARE(msgs->messages.size(), size_t(2));
}

QTEST_MAIN(tst_clipboard)
#include "tst_clipboard.moc"
