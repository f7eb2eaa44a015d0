// The connection pattern: opening only real, writable databases, one transaction per
// connection, and texts stored exactly as given.

#include "TestSupport.h"
#include "mdlVaskel.h"

#include <QFile>
#include <QtTest>

#include <sqlite3.h>

class tst_database : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openFailsOnUnusableFiles_data();
    void openFailsOnUnusableFiles();
    void openFailsWhileAnotherProgramLocksTheFile();
    void closeCommitsEveryStatement();
    void failedStatementRollsBackTheWholeConnection();
    void connectionLeftOpenIsDiscardedByTheNextOpen();
    void textsRoundTripUnchanged_data();
    void textsRoundTripUnchanged();
    void getSchedule();
    void recordsetReadsByNameAndRewinds();

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
};

void tst_database::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
}

void tst_database::cleanup() {
    msgs.reset();
    env.reset();
}

void tst_database::openFailsOnUnusableFiles_data() {
    QTest::addColumn<QByteArray>("content"); // what the file holds; "-" means no file
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("missing") << QByteArray("-") << false;
    QTest::newRow("not a database")
        << QByteArray("This is a text file, not a database.\n") << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("corrupt header")
        << QByteArray("SQLite format 3\0garbage", 23) + QByteArray(4000, '\x7f') << false;
    QTest::newRow("read-only database") << QByteArray("=") << true;
}

void tst_database::openFailsOnUnusableFiles() {
    QFETCH(QByteArray, content);
    QFETCH(bool, readOnly);
    const QString path = env->dbPath();
    QByteArray before;
    if (content == "-") {
        QFile::remove(path);
    } else if (content != "=") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();
    }
    if (readOnly)
        QFile::setPermissions(path, QFile::ReadOwner);
    if (QFile::exists(path)) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        before = f.readAll();
    }
    if (readOnly && QFileInfo(path).isWritable())
        QSKIP("running with rights that ignore file permissions");

    QVERIFY(!OpenDB());
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データベースへの接続に失敗しました。")});
    QCOMPARE(msgs->messages.front().icon, MsgIcon::Critical);
    QCOMPARE(msgs->messages.front().title, QStringLiteral("Vaskel"));
    QVERIFY(!CurrentConnection());

    // Nothing was created or changed.
    if (content == "-") {
        QVERIFY(!QFile::exists(path));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }
    QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

void tst_database::openFailsWhileAnotherProgramLocksTheFile() {
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(env->dbPath().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    QVERIFY(!OpenDB());
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データベースへの接続に失敗しました。")});
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    msgs->clear();
    QVERIFY(OpenDB());
    QVERIFY(CloseDB());
    QVERIFY(msgs->messages.empty());
}

void tst_database::closeCommitsEveryStatement() {
    QVERIFY(OpenDB());
    QVERIFY(ExecSQL(QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                    {QDate(2004, 3, 15), QStringLiteral("A")}));
    QVERIFY(ExecSQL(QStringLiteral("INSERT INTO T_Diary ([Date], Diary) VALUES (?, ?)"),
                    {QDate(2004, 3, 15), QStringLiteral("B")}));
    // Not visible to another connection before the commit.
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
    QVERIFY(CloseDB());
    QVERIFY(!CurrentConnection());
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 1);
    QCOMPARE(env->count(QStringLiteral("T_Diary")), 1);
    QVERIFY(msgs->messages.empty());
}

void tst_database::failedStatementRollsBackTheWholeConnection() {
    QVERIFY(OpenDB());
    QVERIFY(ExecSQL(QStringLiteral("CREATE TABLE T_Extra (x INTEGER)")));
    QVERIFY(ExecSQL(QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                    {QDate(2004, 3, 15), QStringLiteral("A")}));
    // The second row for the same day breaks the one-row-per-day rule.
    QVERIFY(!ExecSQL(QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                     {QDate(2004, 3, 15), QStringLiteral("B")}));
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データの更新に失敗しました。")});
    QCOMPARE(msgs->messages.front().icon, MsgIcon::Critical);
    QVERIFY(!DbErrorText().isEmpty());
    DiscardDB();
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
    QVERIFY(!env->tableExists(QStringLiteral("T_Extra")));
}

void tst_database::connectionLeftOpenIsDiscardedByTheNextOpen() {
    QVERIFY(OpenDB());
    QVERIFY(ExecSQL(QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                    {QDate(2004, 3, 15), QStringLiteral("abandoned")}));
    // An operation that stopped half-way never commits: the next one starts clean.
    QVERIFY(OpenDB());
    QVERIFY(ExecSQL(QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                    {QDate(2004, 3, 16), QStringLiteral("kept")}));
    QVERIFY(CloseDB());
    QCOMPARE(env->column(QStringLiteral("SELECT Schedule FROM T_Schedule")),
             QStringList{QStringLiteral("kept")});
}

void tst_database::textsRoundTripUnchanged_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("double quotes") << QStringLiteral("say \"hello\" \"\"");
    QTest::newRow("single quotes") << QStringLiteral("it's 'quoted'");
    QTest::newRow("column names") << QStringLiteral("Schedule");
    QTest::newRow("other column name") << QStringLiteral("Date");
    QTest::newRow("sql") << QStringLiteral("x\"); DROP TABLE T_Schedule; --");
    QTest::newRow("line breaks and blanks") << QStringLiteral("  line 1\r\nline 2\n\n  ");
    QTest::newRow("emoji and kanji") << QStringLiteral("誕生日🎂パーティー 𠮷野家");
    QTest::newRow("numbers stay text") << QStringLiteral("0123");
}

void tst_database::textsRoundTripUnchanged() {
    QFETCH(QString, text);
    const QDate d(2004, 3, 15);
    QVERIFY(OpenDB());
    QVERIFY(ExecSQL(QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"), {d, text}));
    QVERIFY(ExecSQL(QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (3, 15, ?)"),
                    {text}));
    QVERIFY(CloseDB());
    QVERIFY(OpenDB());
    QCOMPARE(GetSchedule(d), text);
    Recordset rs;
    QVERIFY(rs.open(QStringLiteral("SELECT * FROM T_WhatDay WHERE WhatDay = ?"), {text}));
    QVERIFY(!rs.eof());
    QCOMPARE(rs.text("WhatDay"), text);
    rs.close();
    QVERIFY(CloseDB());
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 1);
}

void tst_database::getSchedule() {
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-15', 'Meeting')"));
    QVERIFY(OpenDB());
    QCOMPARE(GetSchedule(QDate(2004, 3, 15)), QStringLiteral("Meeting"));
    QCOMPARE(GetSchedule(QDate(2004, 3, 16)), QString());
    QVERIFY(CloseDB());
    QVERIFY(msgs->messages.empty());

    // Without its table the lookup reports and returns the empty text.
    env->exec(QStringLiteral("DROP TABLE T_Schedule"));
    QVERIFY(OpenDB());
    QCOMPARE(GetSchedule(QDate(2004, 3, 15)), QString());
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("スケジュールの取得に失敗しました。")});
    DiscardDB();
}

void tst_database::recordsetReadsByNameAndRewinds() {
    QVERIFY(OpenDB());
    Recordset rs;
    QVERIFY(rs.open(QStringLiteral("SELECT * FROM T_Holiday ORDER BY rowid")));
    QVERIFY(!rs.eof());
    QCOMPARE(rs.text("Name"), QStringLiteral("元日"));
    QCOMPARE(rs.integer("kind"), 0); // names are matched without regard to case
    QVERIFY(rs.moveNext());
    QCOMPARE(rs.text("Name"), QStringLiteral("成人の日"));
    QVERIFY(rs.isNull("Day"));
    QCOMPARE(rs.integer("Week"), 2);
    int n = 2;
    while (rs.moveNext() && !rs.eof())
        ++n;
    QVERIFY(rs.eof());
    QCOMPARE(n, 16);
    QVERIFY(rs.moveFirst());
    QCOMPARE(rs.text("Name"), QStringLiteral("元日"));
    rs.close();
    QVERIFY(!rs.open(QStringLiteral("SELECT * FROM T_Missing")));
    QVERIFY(DbErrorText().contains(QStringLiteral("T_Missing")));
    QVERIFY(CloseDB());
}

QTEST_MAIN(tst_database)
#include "tst_database.moc"
