// The diary editor: the entry, the nine earlier years and the heading.

#include "EntryTestHelpers.h"
#include "TestSupport.h"
#include "core/Colors.h"
#include "core/Database.h"
#include "core/TextBoxes.h"
#include "entries/DiaryDialog.h"

#include <QTabBar>
#include <QtTest>

class tst_diary : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void showsTheNineEarlierYears();
    void leapDayLooksUpOnlyYearsThatHaveIt();
    void textsRoundTrip_data();
    void textsRoundTrip();
    void emptyEntryWarns();
    void selectionBeyondTheDisplayedMonthSavesThatDay();
    void failedReadStopsTheLoad();
    void entryIsLimitedTo2000Characters();
    void enterNeverSaves();

private:
    void addDiary(const QDate& d, const QString& text) {
        QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Diary VALUES (?, ?)"), {d, text}));
    }
    QStringList tabTexts(DiaryDialog& f) const {
        const QTabWidget* tabs = Child<QTabWidget>(f, "tabOldDiary");
        QStringList out;
        for (int i = 0; i < tabs->count(); ++i)
            out << tabs->tabText(i);
        return out;
    }
    // The read-only box of the year i + 1 years back.
    static QPlainTextEdit* oldBox(DiaryDialog& f, int i) {
        return Child<QPlainTextEdit>(f, QStringLiteral("txtOldDiary%1").arg(i));
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    const QDate day{2004, 3, 20};
};

void tst_diary::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
}

void tst_diary::cleanup() {
    msgs.reset();
    env.reset();
}

void tst_diary::showsTheNineEarlierYears() {
    addDiary(QDate(2003, 3, 20), QStringLiteral("last year"));
    addDiary(QDate(1995, 3, 20), QStringLiteral("nine back"));
    addDiary(QDate(1994, 3, 20), QStringLiteral("ten back"));
    addDiary(QDate(2002, 3, 21), QStringLiteral("next day"));
    addDiary(day, QStringLiteral("today's"));
    DiaryDialog f(env->program(), day, QStringLiteral("20春分の日"), kHolidayRed);
    QCOMPARE(f.windowTitle(), QStringLiteral("00月00日の日記"));
    f.load();
    QCOMPARE(tabTexts(f), QString("2003 2002 2001 2000 1999 1998 1997 1996 1995").split(' '));
    QCOMPARE(Child<QTabWidget>(f, "tabOldDiary")->currentIndex(), 0);
    QStringList old;
    for (int i = 0; i < DiaryDialog::kEarlierYears; ++i) {
        const QPlainTextEdit* box = oldBox(f, i);
        QVERIFY(box->isReadOnly());
        old << box->toPlainText();
    }
    QCOMPARE(old, (QStringList{"last year", "", "", "", "", "", "", "", "nine back"}));
    QCOMPARE(Child<QPlainTextEdit>(f, "txtDiary")->toPlainText(), QStringLiteral("today's"));
    QCOMPARE(f.windowTitle(), QStringLiteral("03月20日（土）の日記"));
    QCOMPARE(Child<QLabel>(f, "lblDate")->text(), QStringLiteral(" 2004年 03月20日（土）春分の日"));
    QCOMPARE(Child<QLabel>(f, "lblDate")->palette().color(QPalette::Window),
             QColor(0xFF, 0x77, 0x77));
    QVERIFY(Child<QLabel>(f, "lblDate")->autoFillBackground());
    QCOMPARE(Child<QLabel>(f, "lblDate")->font().family(), QStringLiteral("Noto Sans CJK JP"));
    QVERIFY(msgs->messages.empty());
    QCOMPARE(env->openConnections(), 0);
}

void tst_diary::leapDayLooksUpOnlyYearsThatHaveIt() {
    addDiary(QDate(2000, 2, 29), QStringLiteral("leap 2000"));
    addDiary(QDate(2003, 2, 28), QStringLiteral("not the same day"));
    addDiary(QDate(2003, 3, 1), QStringLiteral("not the same day either"));
    DiaryDialog f(env->program(), QDate(2004, 2, 29), QStringLiteral("29"), kWhite);
    f.load();
    QVERIFY(msgs->messages.empty());
    QCOMPARE(Child<QTabWidget>(f, "tabOldDiary")->tabText(0), QStringLiteral("2003"));
    QCOMPARE(oldBox(f, 0)->toPlainText(), QString());
    QCOMPARE(oldBox(f, 3)->toPlainText(), QStringLiteral("leap 2000"));
    QCOMPARE(f.windowTitle(), QStringLiteral("02月29日（日）の日記"));
}

void tst_diary::textsRoundTrip_data() {
    QTest::addColumn<QString>("text");
    ENTRY_ROUND_TRIP_ROWS
    QTest::newRow("blanks around") << QStringLiteral("  spaced  ");
}

void tst_diary::textsRoundTrip() {
    QFETCH(QString, text);
    const QStringList shown{QString(), QStringLiteral("draft"), text};
    const QStringList typed{QStringLiteral("draft"), text};
    for (int pass = 0; pass < 3; ++pass) {
        DiaryDialog f(env->program(), day, QStringLiteral("20"), kWhite);
        f.load();
        QCOMPARE(TypedText(Child<QPlainTextEdit>(f, "txtDiary")), shown[pass]);
        if (pass == 2)
            break;
        Child<QPlainTextEdit>(f, "txtDiary")->setPlainText(typed[pass]);
        f.save();
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }
    // Inserted once, then updated.
    QCOMPARE(env->column(QStringLiteral("SELECT Date || '|' || Diary FROM T_Diary")),
             QStringList{QStringLiteral("2004-03-20|") + text});
    QVERIFY(msgs->messages.empty());
}

void tst_diary::emptyEntryWarns() {
    DiaryDialog f(env->program(), day, QStringLiteral("20"), kWhite);
    f.load();
    ShowActive(f);
    Child<QPushButton>(f, "CancelButton")->setFocus();
    f.save();
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("日記に何も書かれていません。")});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Warning);
    QCOMPARE(msgs->messages[0].title, QStringLiteral("03月20日（土）の日記"));
    QVERIFY(Child<QPlainTextEdit>(f, "txtDiary")->hasFocus());
    QVERIFY(f.isVisible());
    QCOMPARE(env->count(QStringLiteral("T_Diary")), 0);
}

void tst_diary::selectionBeyondTheDisplayedMonthSavesThatDay() {
    // February displayed, 2 March selected (a day carried over from 31 January).
    addDiary(QDate(2004, 2, 2), QStringLiteral("february"));
    addDiary(QDate(2004, 3, 2), QStringLiteral("march"));
    addDiary(QDate(2003, 3, 2), QStringLiteral("march last year"));
    DiaryDialog f(env->program(), QDate(2004, 3, 2), QStringLiteral(" 2"), kWhite);
    f.load();
    QCOMPARE(Child<QPlainTextEdit>(f, "txtDiary")->toPlainText(), QStringLiteral("march"));
    QCOMPARE(oldBox(f, 0)->toPlainText(), QStringLiteral("march last year"));
    Child<QPlainTextEdit>(f, "txtDiary")->setPlainText(QStringLiteral("march, edited"));
    f.save();
    QCOMPARE(env->column(QStringLiteral("SELECT Diary FROM T_Diary WHERE Date LIKE '2004-%' "
                                        "ORDER BY Date")),
             (QStringList{"february", "march, edited"}));
}

void tst_diary::failedReadStopsTheLoad() {
    addDiary(day, QStringLiteral("kept"));
    env->exec(QStringLiteral("ALTER TABLE T_Diary RENAME TO T_Old"));
    DiaryDialog f(env->program(), day, QStringLiteral("20"), kWhite);
    f.load();
    QCOMPARE(msgs->messages.size(), size_t(1));
    QVERIFY(msgs->messages[0].text.contains(QStringLiteral("no such table: T_Diary")));
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Critical);
    QCOMPARE(msgs->messages[0].title, QStringLiteral("00月00日の日記"));
    QCOMPARE(f.windowTitle(), QStringLiteral("00月00日の日記"));
    QVERIFY(Child<QPlainTextEdit>(f, "txtDiary")->toPlainText().isEmpty());
    QCOMPARE(env->openConnections(), 0);

    // The read on OK fails the same way and the dialog stays open.
    msgs->clear();
    Child<QPlainTextEdit>(f, "txtDiary")->setPlainText(QStringLiteral("new"));
    f.save();
    QCOMPARE(msgs->messages.size(), size_t(1));
    QVERIFY(msgs->messages[0].text.contains(QStringLiteral("T_Diary")));
    QVERIFY(f.result() != QDialog::Accepted);
    QCOMPARE(env->column(QStringLiteral("SELECT Diary FROM T_Old")), QStringList{"kept"});
}

void tst_diary::entryIsLimitedTo2000Characters() {
    const QString longStored(2500, QLatin1Char('s'));
    addDiary(day, longStored);
    DiaryDialog f(env->program(), day, QStringLiteral("20"), kWhite);
    f.load();
    // A stored entry is shown whole; what the user adds to it is refused.
    QCOMPARE(Child<QPlainTextEdit>(f, "txtDiary")->toPlainText(), longStored);
    ShowActive(f);
    Child<QPlainTextEdit>(f, "txtDiary")->setFocus();
    QTest::keyClicks(Child<QPlainTextEdit>(f, "txtDiary"), QStringLiteral("xy"));
    QCOMPARE(Child<QPlainTextEdit>(f, "txtDiary")->toPlainText(), longStored);

    Child<QPlainTextEdit>(f, "txtDiary")->setPlainText(QString(1998, QChar(0x3042)));
    Child<QPlainTextEdit>(f, "txtDiary")->moveCursor(QTextCursor::Start);
    QTest::keyClicks(Child<QPlainTextEdit>(f, "txtDiary"), QStringLiteral("abcd"));
    QCOMPARE(Child<QPlainTextEdit>(f, "txtDiary")->toPlainText(),
             QStringLiteral("ab") + QString(1998, QChar(0x3042)));
    // A pasted piece is cut to what still fits, never through a character.
    Child<QPlainTextEdit>(f, "txtDiary")->setPlainText(QString(1999, QLatin1Char('a')));
    Child<QPlainTextEdit>(f, "txtDiary")->moveCursor(QTextCursor::End);
    Child<QPlainTextEdit>(f, "txtDiary")->insertPlainText(QStringLiteral("😀😀"));
    QCOMPARE(Child<QPlainTextEdit>(f, "txtDiary")->toPlainText(), QString(1999, QLatin1Char('a')));
}

void tst_diary::enterNeverSaves() {
    addDiary(QDate(2003, 3, 20), QStringLiteral("old"));
    DiaryDialog f(env->program(), day, QStringLiteral("20"), kWhite);
    f.load();
    ShowActive(f);
    Child<QPlainTextEdit>(f, "txtDiary")->setPlainText(QStringLiteral("line"));
    oldBox(f, 0)->setFocus();
    QTest::keyClick(oldBox(f, 0), Qt::Key_Return);
    Child<QTabWidget>(f, "tabOldDiary")->tabBar()->setFocus();
    QTest::keyClick(Child<QTabWidget>(f, "tabOldDiary")->tabBar(), Qt::Key_Enter);
    QVERIFY(f.isVisible());
    QCOMPARE(env->count(QStringLiteral("T_Diary")), 1);
    Child<QPlainTextEdit>(f, "txtDiary")->setFocus();
    Child<QPlainTextEdit>(f, "txtDiary")->moveCursor(QTextCursor::End);
    QTest::keyClick(Child<QPlainTextEdit>(f, "txtDiary"), Qt::Key_Return);
    QCOMPARE(Child<QPlainTextEdit>(f, "txtDiary")->toPlainText(), QStringLiteral("line\n"));
    QVERIFY(f.isVisible());
}

QTEST_MAIN(tst_diary)
#include "tst_diary.moc"
