// The search window: what it finds, how the result lines look, and its messages.

#include "EntryTestHelpers.h"
#include "TestSupport.h"
#include "core/Database.h"
#include "entries/SearchDialog.h"

#include <QtTest>

class tst_search : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void findsAndSortsAllKinds();
    void targets_data();
    void targets();
    void textMatchesLiterally_data();
    void textMatchesLiterally();
    void messagesAndFocus();
    void failedReadKeepsEarlierLines();

private:
    static QStringList lines(const SearchDialog& f) {
        const QListWidget* list = Child<QListWidget>(f, "lstSearch");
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text().trimmed();
        return out;
    }
    void add(const char* table, const QDate& d, const QString& text) {
        QVERIFY(env->exec(QStringLiteral("INSERT INTO %1 VALUES (?, ?)").arg(QLatin1String(table)),
                          {d, text}));
    }
    void addWhatDay(int m, int d, const QString& text) {
        QVERIFY(env->exec(
            QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (?, ?, ?)"),
            {m, d, text}));
    }
    void search(SearchDialog& f, const QString& text) {
        Child<QLineEdit>(f, "txtSearchString")->setText(text);
        f.search();
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
};

void tst_search::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
    add("T_Schedule", QDate(2004, 3, 15), QStringLiteral("会議の準備"));
    add("T_Diary", QDate(2004, 3, 15), QStringLiteral("会議メモ"));
    add("T_Schedule", QDate(2003, 1, 1), QStringLiteral("新年会議"));
    add("T_Schedule", QDate(2003, 1, 2), QStringLiteral("休み"));
    addWhatDay(12, 1, QStringLiteral("会議記念日"));
    addWhatDay(5, 3, QStringLiteral("憲法会議"));
}

void tst_search::cleanup() {
    msgs.reset();
    env.reset();
}

void tst_search::findsAndSortsAllKinds() {
    SearchDialog f(env->program());
    QCOMPARE(f.windowTitle(), QStringLiteral("検索"));
    QVERIFY(Child<QPushButton>(f, "cmdSearch")->isDefault());
    QCOMPARE(Child<QListWidget>(f, "lstSearch")->font().family(),
             QStringLiteral("Noto Sans Mono CJK JP"));
    search(f, QStringLiteral("会議"));
    // Anniversaries first in month and day order, then the dated entries by date; of one
    // date, the diary (日記) before the schedule (予定), in the code page's order.
    QCOMPARE(lines(f),
             (QStringList{"05/03 | What Day | 憲法会議", "12/01 | What Day | 会議記念日",
                          "2003/01/01 | 予定     | 新年会議", "2004/03/15 | 日記     | 会議メモ",
                          "2004/03/15 | 予定     | 会議の準備"}));
    QVERIFY(Child<QListWidget>(f, "lstSearch")
                ->item(0)
                ->text()
                .startsWith(QStringLiteral("     05/03 | ")));
    QVERIFY(msgs->messages.empty());
    QCOMPARE(env->openConnections(), 0);
    QCOMPARE(f.cursor().shape(), Qt::ArrowCursor);
    // Searching again replaces the results.
    search(f, QStringLiteral("休み"));
    QCOMPARE(lines(f), QStringList{"2003/01/02 | 予定     | 休み"});
}

void tst_search::targets_data() {
    QTest::addColumn<bool>("schedule");
    QTest::addColumn<bool>("diary");
    QTest::addColumn<bool>("whatDay");
    QTest::addColumn<int>("found");
    QTest::newRow("schedules only") << true << false << false << 2;
    QTest::newRow("diaries only") << false << true << false << 1;
    QTest::newRow("anniversaries only") << false << false << true << 2;
    QTest::newRow("schedules and anniversaries") << true << false << true << 4;
}

void tst_search::targets() {
    QFETCH(bool, schedule);
    QFETCH(bool, diary);
    QFETCH(bool, whatDay);
    QFETCH(int, found);
    SearchDialog f(env->program());
    Child<QCheckBox>(f, "chkSchedule")->setChecked(schedule);
    Child<QCheckBox>(f, "chkDiary")->setChecked(diary);
    Child<QCheckBox>(f, "chkWhatDay")->setChecked(whatDay);
    search(f, QStringLiteral("会議"));
    QCOMPARE(Child<QListWidget>(f, "lstSearch")->count(), found);
    for (const QString& line : lines(f)) {
        const bool isAnniversary = line.contains(QStringLiteral("What Day"));
        const bool isDiary = line.contains(QStringLiteral("日記"));
        QVERIFY(isAnniversary ? whatDay : isDiary ? diary : schedule);
    }
}

void tst_search::textMatchesLiterally_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("percent") << "%" << QStringList{"100%", "a%b!"};
    QTest::newRow("underscore") << "_" << QStringList{"a_b"};
    QTest::newRow("backslash") << "\\" << QStringList{"C:\\dir"};
    QTest::newRow("star") << "*" << QStringList{"*star"};
    QTest::newRow("question mark") << "?" << QStringList{"why?"};
    QTest::newRow("brackets") << "[a" << QStringList{"[a-z]"};
    QTest::newRow("double quote") << "\"" << QStringList{"say \"hi\""};
    QTest::newRow("single quote") << "'s" << QStringList{"it's"};
    QTest::newRow("ascii case") << "SAY" << QStringList{"say \"hi\""};
    QTest::newRow("a word that is a column") << "Schedule" << QStringList{"Schedule"};
}

void tst_search::textMatchesLiterally() {
    QFETCH(QString, text);
    QFETCH(QStringList, found);
    const QStringList texts{"100%",       "a_b",  "C:\\dir",  "*star", "why?", "[a-z]",
                            "say \"hi\"", "it's", "Schedule", "abc",   "a%b!"};
    for (int i = 0; i < texts.size(); ++i)
        add("T_Diary", QDate(2010, 1, 1).addDays(i), texts[i]);
    SearchDialog f(env->program());
    Child<QCheckBox>(f, "chkSchedule")->setChecked(false);
    Child<QCheckBox>(f, "chkWhatDay")->setChecked(false);
    search(f, text);
    QStringList got;
    for (const QString& line : lines(f))
        got << line.mid(line.lastIndexOf(QStringLiteral("| ")) + 2);
    QCOMPARE(got, found);
}

void tst_search::messagesAndFocus() {
    SearchDialog f(env->program());
    ShowActive(f);
    search(f, QString());
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("検索する文字を入力して下さい。")});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Warning);
    QCOMPARE(msgs->messages[0].title, QStringLiteral("検索"));
    QVERIFY(Child<QLineEdit>(f, "txtSearchString")->hasFocus());

    search(f, QStringLiteral("会議"));
    QCOMPARE(Child<QListWidget>(f, "lstSearch")->count(), 5);
    Child<QListWidget>(f, "lstSearch")->setFocus();
    QVERIFY(Child<QPushButton>(f, "cmdOK")->isDefault());
    Child<QListWidget>(f, "lstSearch")->setCurrentRow(1);
    QTest::keyClick(Child<QListWidget>(f, "lstSearch"), Qt::Key_Return);
    QVERIFY(f.isVisible());
    QCOMPARE(Child<QListWidget>(f, "lstSearch")->count(), 5);

    msgs->clear();
    for (QCheckBox* c : {Child<QCheckBox>(f, "chkSchedule"), Child<QCheckBox>(f, "chkDiary"),
                         Child<QCheckBox>(f, "chkWhatDay")})
        c->setChecked(false);
    f.search();
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("検索対象を選んで下さい。")});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Warning);
    QVERIFY(Child<QCheckBox>(f, "chkSchedule")->hasFocus());
    QCOMPARE(Child<QListWidget>(f, "lstSearch")->count(), 0);

    msgs->clear();
    Child<QCheckBox>(f, "chkDiary")->setChecked(true);
    search(f, QStringLiteral("none such"));
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("検索文字を含んだ情報はありません。")});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Information);
    QVERIFY(Child<QLineEdit>(f, "txtSearchString")->hasFocus());
    QCOMPARE(Child<QLineEdit>(f, "txtSearchString")->selectedText(), QStringLiteral("none such"));
    QVERIFY(Child<QPushButton>(f, "cmdSearch")->isDefault());
    // Enter in the text searches again.
    msgs->clear();
    QTest::keyClick(Child<QLineEdit>(f, "txtSearchString"), Qt::Key_Return);
    QCOMPARE(msgs->messages.size(), size_t(1));
    QTest::keyClick(Child<QLineEdit>(f, "txtSearchString"), Qt::Key_Escape);
    QVERIFY(!f.isVisible());
}

void tst_search::failedReadKeepsEarlierLines() {
    env->exec(QStringLiteral("DROP TABLE T_Diary"));
    SearchDialog f(env->program());
    search(f, QStringLiteral("会議"));
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("検索に失敗しました。")});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Critical);
    QCOMPARE(lines(f), (QStringList{"2003/01/01 | 予定     | 新年会議",
                                    "2004/03/15 | 予定     | 会議の準備"}));
    QCOMPARE(env->openConnections(), 0);
    QCOMPARE(f.cursor().shape(), Qt::ArrowCursor);
}

QTEST_MAIN(tst_search)
#include "tst_search.moc"
