// The anniversary register: lists, keys, input checks, adding and deleting.

#include "EntryTestHelpers.h"
#include "TestSupport.h"
#include "core/Database.h"
#include "entries/AnniversaryDialog.h"

#include <QtTest>

namespace {
// The day the main window has selected when the register opens.
const QDate kSelected(2004, 3, 15);
} // namespace

class tst_whatDay : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loadsSortedListsAndTheSelectedDay();
    void failedLoadLeavesTheListsEmpty();
    void addChecksTheInput_data();
    void addChecksTheInput();
    void addsAndRefusesExactDuplicates();
    void pickAndDelete_data();
    void pickAndDelete();
    void failedDeleteKeepsTheLine();
    void keys();
    void leavingTheDayBoxChecksIt();

private:
    void addRow(int m, int d, const QString& t) {
        QVERIFY(env->exec(QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) "
                                         "VALUES (?, ?, ?)"),
                          {m, d, t}));
    }
    static QStringList lines(const QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    QStringList stored() const {
        return env->column(QStringLiteral("SELECT Month || '/' || Day || ':' || WhatDay FROM "
                                          "T_WhatDay ORDER BY ID"));
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
};

void tst_whatDay::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
}

void tst_whatDay::cleanup() {
    msgs.reset();
    env.reset();
}

void tst_whatDay::loadsSortedListsAndTheSelectedDay() {
    addRow(3, 15, QStringLiteral("記念日"));
    addRow(3, 5, QStringLiteral("花見"));
    addRow(12, 24, QStringLiteral("Eve"));
    addRow(3, 15, QStringLiteral("Birthday"));
    addRow(3, 1, QStringLiteral("ひな祭り前"));
    addRow(3, 31, QStringLiteral("年度末"));
    AnniversaryDialog f(env->program(), kSelected);
    f.load();
    QCOMPARE(f.windowTitle(), QStringLiteral("What Day"));
    QCOMPARE(lines(Child<QListWidget>(f, "lstWhatday2")),
             (QStringList{"  1日  ひな祭り前", "  5日  花見", " 15日  Birthday", " 15日  記念日",
                          " 31日  年度末"}));
    QCOMPARE(lines(Child<QListWidget>(f, "lstWhatday11")), QStringList{" 24日  Eve"});
    QCOMPARE(Child<QListWidget>(f, "lstWhatday0")->count(), 0);
    QCOMPARE(Child<QListWidget>(f, "lstWhatday0")->font().family(),
             QStringLiteral("Noto Sans Mono CJK JP"));
    QCOMPARE(Child<QTabWidget>(f, "tabWhatDay")->count(), 12);
    QCOMPARE(Child<QTabWidget>(f, "tabWhatDay")->tabText(11), QStringLiteral("12"));
    QCOMPARE(Child<QTabWidget>(f, "tabWhatDay")->currentIndex(), 2);
    QCOMPARE(Child<QLineEdit>(f, "txtMonth")->text(), QStringLiteral("3"));
    QCOMPARE(Child<QLineEdit>(f, "txtDay")->text(), QStringLiteral("15"));
    QVERIFY(Child<QLineEdit>(f, "txtWhatDay")->text().isEmpty());
    QVERIFY(!Child<QPushButton>(f, "cmdDel")->isEnabled());
    QVERIFY(msgs->messages.empty());
}

void tst_whatDay::failedLoadLeavesTheListsEmpty() {
    // The read fails at its first May row, after the March lines have been listed.
    addRow(3, 1, QStringLiteral("march"));
    addRow(5, 1, QStringLiteral("may"));
    env->exec(QStringLiteral("ALTER TABLE T_WhatDay RENAME TO W"));
    env->exec(QStringLiteral("CREATE VIEW T_WhatDay AS SELECT ID, Month, Day, CASE WHEN Month = 5 "
                             "THEN json('{') ELSE WhatDay END AS WhatDay FROM W"));
    AnniversaryDialog f(env->program(), kSelected);
    f.load();
    QCOMPARE(msgs->messages.size(), size_t(1));
    QVERIFY(msgs->messages[0].text.contains(QStringLiteral("JSON")));
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Critical);
    QCOMPARE(msgs->messages[0].title, QStringLiteral("What Day"));
    for (int i = 0; i < 12; ++i)
        QCOMPARE(Child<QListWidget>(f, QStringLiteral("lstWhatday%1").arg(i))->count(), 0);
    QCOMPARE(env->openConnections(), 0);
}

void tst_whatDay::addChecksTheInput_data() {
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("no month") << ""
                              << "1"
                              << "x"
                              << "月を入力して下さい。"
                              << "txtMonth";
    QTest::newRow("month 13") << "13"
                              << "1"
                              << "x"
                              << "1～12の数値を入力して下さい。"
                              << "txtMonth";
    QTest::newRow("no day") << "2"
                            << ""
                            << "x"
                            << "日を入力して下さい。"
                            << "txtDay";
    QTest::newRow("day 45") << "2"
                            << "45"
                            << "x"
                            << "日を入力して下さい。"
                            << "txtDay";
    QTest::newRow("no text") << "2"
                             << "3"
                             << ""
                             << "内容を入力して下さい。"
                             << "txtWhatDay";
}

void tst_whatDay::addChecksTheInput() {
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    AnniversaryDialog f(env->program(), kSelected);
    f.load();
    ShowActive(f);
    Child<QLineEdit>(f, "txtMonth")->setText(month);
    Child<QLineEdit>(f, "txtDay")->setText(day);
    Child<QLineEdit>(f, "txtWhatDay")->setText(text);
    Child<QPushButton>(f, "cmdAdd")->setFocus();
    f.addEntry();
    QCOMPARE(msgs->texts(), QStringList{message});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Warning);
    QCOMPARE(msgs->messages[0].title, QStringLiteral("What Day"));
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(env->count(QStringLiteral("T_WhatDay")), 0);
}

void tst_whatDay::addsAndRefusesExactDuplicates() {
    AnniversaryDialog f(env->program(), kSelected);
    f.load();
    ShowActive(f);
    const QString text = QStringLiteral(" \"Quoted\" it's ");
    Child<QLineEdit>(f, "txtWhatDay")->setText(text);
    f.addEntry();
    QCOMPARE(stored(), QStringList{QStringLiteral("3/15:") + text});
    QCOMPARE(lines(Child<QListWidget>(f, "lstWhatday2")),
             QStringList{QStringLiteral(" 15日  ") + text});
    QVERIFY(Child<QLineEdit>(f, "txtMonth")->text().isEmpty() &&
            Child<QLineEdit>(f, "txtDay")->text().isEmpty() &&
            Child<QLineEdit>(f, "txtWhatDay")->text().isEmpty());
    QVERIFY(Child<QLineEdit>(f, "txtMonth")->hasFocus());

    // Exactly the same again: refused, shown on its month, the boxes keep their contents.
    Child<QTabWidget>(f, "tabWhatDay")->setCurrentIndex(0);
    Child<QLineEdit>(f, "txtMonth")->setText(QStringLiteral("03"));
    Child<QLineEdit>(f, "txtDay")->setText(QStringLiteral("15"));
    Child<QLineEdit>(f, "txtWhatDay")->setText(text);
    f.addEntry();
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("登録済みです。")});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Warning);
    QCOMPARE(Child<QTabWidget>(f, "tabWhatDay")->currentIndex(), 2);
    QCOMPARE(Child<QLineEdit>(f, "txtWhatDay")->text(), text);
    QCOMPARE(env->count(QStringLiteral("T_WhatDay")), 1);
    QCOMPARE(env->openConnections(), 0);

    // The same text on another day, and one of 31 February (not checked against the month).
    Child<QLineEdit>(f, "txtDay")->setText(QStringLiteral("5"));
    f.addEntry();
    Child<QLineEdit>(f, "txtMonth")->setText(QStringLiteral("2"));
    Child<QLineEdit>(f, "txtDay")->setText(QStringLiteral("31"));
    Child<QLineEdit>(f, "txtWhatDay")->setText(QStringLiteral("Schedule"));
    f.addEntry();
    QCOMPARE(env->count(QStringLiteral("T_WhatDay")), 3);
    QCOMPARE(lines(Child<QListWidget>(f, "lstWhatday2")),
             (QStringList{QStringLiteral("  5日  ") + text, QStringLiteral(" 15日  ") + text}));
    QCOMPARE(lines(Child<QListWidget>(f, "lstWhatday1")),
             QStringList{QStringLiteral(" 31日  Schedule")});
    QCOMPARE(Child<QTabWidget>(f, "tabWhatDay")->currentIndex(), 1);
}

void tst_whatDay::pickAndDelete_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("switchTab");
    QTest::newRow("plain") << QStringLiteral("花見") << false;
    QTest::newRow("quotes") << QStringLiteral("say \"hi\"") << false;
    QTest::newRow("blanks around") << QStringLiteral("  padded  ") << false;
    QTest::newRow("after switching the tab") << QStringLiteral("WhatDay") << true;
}

void tst_whatDay::pickAndDelete() {
    QFETCH(QString, text);
    QFETCH(bool, switchTab);
    addRow(4, 8, text);
    addRow(4, 8, QStringLiteral("neighbour"));
    AnniversaryDialog f(env->program(), kSelected);
    f.load();
    ShowActive(f);
    QListWidget* april = Child<QListWidget>(f, "lstWhatday3");
    QListWidgetItem* item = april->findItems(QStringLiteral("  8日  ") + text, Qt::MatchExactly)[0];
    QTest::mouseClick(april->viewport(), Qt::LeftButton, {}, april->visualItemRect(item).center());
    QCOMPARE(Child<QTabWidget>(f, "tabWhatDay")->currentIndex(), 3);
    QCOMPARE(Child<QLineEdit>(f, "txtMonth")->text(), QStringLiteral("4"));
    QCOMPARE(Child<QLineEdit>(f, "txtDay")->text(), QStringLiteral("8"));
    QCOMPARE(Child<QLineEdit>(f, "txtWhatDay")->text(), text.trimmed());
    QCOMPARE(f.TagWhatDay(), text);
    QVERIFY(Child<QPushButton>(f, "cmdDel")->isEnabled());
    QVERIFY(Child<QLineEdit>(f, "txtMonth")->hasFocus());
    if (switchTab)
        QTest::keyClick(Child<QLineEdit>(f, "txtWhatDay"), Qt::Key_F9, Qt::ControlModifier);

    f.deleteEntry();
    QCOMPARE(stored(), QStringList{QStringLiteral("4/8:neighbour")});
    QCOMPARE(lines(april), QStringList{QStringLiteral("  8日  neighbour")});
    QVERIFY(!Child<QPushButton>(f, "cmdDel")->isEnabled());
    QVERIFY(Child<QLineEdit>(f, "txtMonth")->text().isEmpty() &&
            Child<QLineEdit>(f, "txtWhatDay")->text().isEmpty());
    QVERIFY(msgs->messages.empty());
}

void tst_whatDay::failedDeleteKeepsTheLine() {
    addRow(4, 8, QStringLiteral("keep"));
    env->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON T_WhatDay BEGIN "
                             "SELECT RAISE(ABORT, 'refused'); END"));
    AnniversaryDialog f(env->program(), kSelected);
    f.load();
    f.pickEntry(3, Child<QListWidget>(f, "lstWhatday3")->item(0));
    f.deleteEntry();
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データの更新に失敗しました。")});
    QCOMPARE(lines(Child<QListWidget>(f, "lstWhatday3")),
             QStringList{QStringLiteral("  8日  keep")});
    QCOMPARE(stored(), QStringList{QStringLiteral("4/8:keep")});
    QVERIFY(Child<QPushButton>(f, "cmdDel")->isEnabled());
}

void tst_whatDay::keys() {
    AnniversaryDialog f(env->program(), kSelected);
    f.load();
    ShowActive(f);
    // Only digits go into the month box; Backspace is refused too.
    Child<QLineEdit>(f, "txtMonth")->clear();
    Child<QLineEdit>(f, "txtMonth")->setFocus();
    QTest::keyClicks(Child<QLineEdit>(f, "txtMonth"), QStringLiteral("a1-x"));
    QTest::keyClick(Child<QLineEdit>(f, "txtMonth"), Qt::Key_Backspace);
    QTest::keyClicks(Child<QLineEdit>(f, "txtMonth"), QStringLiteral("1 9"));
    QCOMPARE(Child<QLineEdit>(f, "txtMonth")->text(), QStringLiteral("11"));
    // Enter moves on and the next box's text is selected.
    QTest::keyClick(Child<QLineEdit>(f, "txtMonth"), Qt::Key_Return);
    QVERIFY(Child<QLineEdit>(f, "txtDay")->hasFocus());
    QCOMPARE(Child<QLineEdit>(f, "txtDay")->selectedText(), QStringLiteral("15"));
    QTest::keyClick(Child<QLineEdit>(f, "txtDay"), Qt::Key_Enter);
    QVERIFY(Child<QLineEdit>(f, "txtWhatDay")->hasFocus());
    QVERIFY(f.isVisible());
    // Ctrl+F1 ... Ctrl+F12 choose the month wherever the focus is; other modifiers do not.
    QTest::keyClick(Child<QLineEdit>(f, "txtWhatDay"), Qt::Key_F12, Qt::ControlModifier);
    QCOMPARE(Child<QTabWidget>(f, "tabWhatDay")->currentIndex(), 11);
    QVERIFY(Child<QLineEdit>(f, "txtMonth")->hasFocus());
    Child<QPushButton>(f, "cmdAdd")->setFocus();
    QTest::keyClick(Child<QPushButton>(f, "cmdAdd"), Qt::Key_F1, Qt::ControlModifier);
    QCOMPARE(Child<QTabWidget>(f, "tabWhatDay")->currentIndex(), 0);
    QTest::keyClick(Child<QLineEdit>(f, "txtMonth"), Qt::Key_F5,
                    Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Child<QTabWidget>(f, "tabWhatDay")->currentIndex(), 0);
    QTest::keyClick(Child<QLineEdit>(f, "txtMonth"), Qt::Key_Escape);
    QVERIFY(!f.isVisible());
}

void tst_whatDay::leavingTheDayBoxChecksIt() {
    AnniversaryDialog f(env->program(), kSelected);
    f.load();
    ShowActive(f);
    Child<QLineEdit>(f, "txtDay")->setFocus();
    Child<QLineEdit>(f, "txtDay")->setText(QStringLiteral("32"));
    QTest::keyClick(Child<QLineEdit>(f, "txtDay"), Qt::Key_Tab);
    QApplication::processEvents();
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("日を入力して下さい。")});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Warning);
    QVERIFY(Child<QLineEdit>(f, "txtDay")->hasFocus());
    // An empty day passes here.
    msgs->clear();
    Child<QLineEdit>(f, "txtDay")->clear();
    QTest::keyClick(Child<QLineEdit>(f, "txtDay"), Qt::Key_Tab);
    QApplication::processEvents();
    QVERIFY(msgs->messages.empty());
    QVERIFY(Child<QLineEdit>(f, "txtWhatDay")->hasFocus());
}

QTEST_MAIN(tst_whatDay)
#include "tst_whatDay.moc"
