// The connection pattern: opening only real, writable databases, one transaction per
// connection, and texts stored exactly as given.

#include "TestSupport.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"

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
    void abandonedConnectionCommitsNothing();
    void failedCommitIsReportedAndUndone();
    void recordsetCannotOutliveItsConnection();
    void textsRoundTripUnchanged_data();
    void textsRoundTripUnchanged();
    void recordsetReadsByName();
    void failedReadThatCostTheTransactionClosesTheConnection();

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

    QVERIFY(!OpenDB(env->program()));
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データベースへの接続に失敗しました。")});
    QCOMPARE(msgs->messages.front().icon, MsgIcon::Critical);
    QCOMPARE(msgs->messages.front().title, QStringLiteral("Vaskel"));
    QCOMPARE(env->openConnections(), 0);

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
    QVERIFY(!OpenDB(env->program()));
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データベースへの接続に失敗しました。")});
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    msgs->clear();
    Db db = OpenDB(env->program());
    QVERIFY(db);
    QVERIFY(CloseDB(*db));
    QVERIFY(msgs->messages.empty());
}

void tst_database::closeCommitsEveryStatement() {
    Db db = OpenDB(env->program());
    QVERIFY(db);
    QVERIFY(ExecSQL(*db, QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                    {QDate(2004, 3, 15), QStringLiteral("A")}));
    QVERIFY(ExecSQL(*db, QStringLiteral("INSERT INTO T_Diary ([Date], Diary) VALUES (?, ?)"),
                    {QDate(2004, 3, 15), QStringLiteral("B")}));
    // Not visible to another connection before the commit.
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
    QVERIFY(CloseDB(*db));
    QCOMPARE(env->openConnections(), 0);
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 1);
    QCOMPARE(env->count(QStringLiteral("T_Diary")), 1);
    QVERIFY(msgs->messages.empty());
}

void tst_database::failedStatementRollsBackTheWholeConnection() {
    Db db = OpenDB(env->program());
    QVERIFY(db);
    QVERIFY(ExecSQL(*db, QStringLiteral("CREATE TABLE T_Extra (x INTEGER)")));
    QVERIFY(ExecSQL(*db, QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                    {QDate(2004, 3, 15), QStringLiteral("A")}));
    // The message is shown only once the transaction is gone: no lock waits on the user.
    bool lockedDuringMessage = true;
    SetMsgBoxHook([&](const MsgRecord& r) {
        msgs->messages.push_back(r);
        lockedDuringMessage = env->openConnections() != 0;
        return MsgResult::OK;
    });
    // The second row for the same day breaks the one-row-per-day rule.
    QVERIFY(!ExecSQL(*db, QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                     {QDate(2004, 3, 15), QStringLiteral("B")}));
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データの更新に失敗しました。")});
    QCOMPARE(msgs->messages.front().icon, MsgIcon::Critical);
    QVERIFY(!lockedDuringMessage);
    QVERIFY(db->errorText().contains(QStringLiteral("UNIQUE")));
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
    QVERIFY(!env->tableExists(QStringLiteral("T_Extra")));

    // Nothing more runs, let alone commits, on that connection; closing it says nothing more.
    QVERIFY(!ExecSQL(*db, QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                     {QDate(2004, 3, 16), QStringLiteral("C")}));
    msgs->clear();
    QVERIFY(!CloseDB(*db));
    QVERIFY(msgs->messages.empty());
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
}

void tst_database::abandonedConnectionCommitsNothing() {
    {
        Db db = OpenDB(env->program());
        QVERIFY(db);
        QVERIFY(ExecSQL(*db, QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                        {QDate(2004, 3, 15), QStringLiteral("abandoned")}));
        // An operation that stops half-way never commits.
    }
    QCOMPARE(env->openConnections(), 0);
    Db db = OpenDB(env->program());
    QVERIFY(ExecSQL(*db, QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                    {QDate(2004, 3, 16), QStringLiteral("kept")}));
    QVERIFY(CloseDB(*db));
    QCOMPARE(env->column(QStringLiteral("SELECT Schedule FROM T_Schedule")),
             QStringList{QStringLiteral("kept")});
}

void tst_database::failedCommitIsReportedAndUndone() {
    // Another program reads the file and holds its read lock past our wait for it.
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(env->dbPath().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(
        sqlite3_exec(other, "BEGIN; SELECT count(*) FROM T_Holiday;", nullptr, nullptr, nullptr),
        SQLITE_OK);
    Db db = OpenDB(env->program());
    QVERIFY(db);
    QVERIFY(ExecSQL(*db, QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"),
                    {QDate(2004, 3, 15), QStringLiteral("A")}));
    QVERIFY(!CloseDB(*db));
    QCOMPARE(msgs->texts(), QStringList{QStringLiteral("データベースの切断に失敗しました。")});
    QCOMPARE(env->openConnections(), 0);
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    // The failed commit did not half-happen: the row is not there, and the file is usable.
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
    QVERIFY(!QFile::exists(env->dbPath() + QStringLiteral("-journal")));
    db = OpenDB(env->program());
    QVERIFY(CloseDB(*db));
}

void tst_database::recordsetCannotOutliveItsConnection() {
    Recordset rs;
    {
        Db db = OpenDB(env->program());
        QVERIFY(rs.open(*db, QStringLiteral("SELECT * FROM T_Holiday")));
        QVERIFY(!rs.eof());
        db->rollback();
        // Closed with its connection.
        QVERIFY(rs.eof());
        QVERIFY(rs.text("Name").isNull());
        QVERIFY(!rs.moveNext());
    }
    // Opened on a connection that is gone at once: closed with it.
    QVERIFY(rs.open(*OpenDB(env->program()), QStringLiteral("SELECT 1")));
    QCOMPARE(env->openConnections(), 0);
    QVERIFY(rs.eof());
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
    Db db = OpenDB(env->program());
    QVERIFY(ExecSQL(*db, QStringLiteral("INSERT INTO T_Schedule VALUES (?, ?)"), {d, text}));
    QVERIFY(ExecSQL(*db,
                    QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (3, 15, ?)"),
                    {text}));
    QVERIFY(CloseDB(*db));
    db = OpenDB(env->program());
    Recordset rs;
    QVERIFY(rs.open(*db, QStringLiteral("SELECT Schedule FROM T_Schedule WHERE [Date] = ?"), {d}));
    QCOMPARE(rs.text(0), text);
    QVERIFY(rs.open(*db, QStringLiteral("SELECT * FROM T_WhatDay WHERE WhatDay = ?"), {text}));
    QVERIFY(!rs.eof());
    QCOMPARE(rs.text("WhatDay"), text);
    rs.close();
    QVERIFY(CloseDB(*db));
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 1);
}

void tst_database::recordsetReadsByName() {
    Db db = OpenDB(env->program());
    Recordset rs;
    QVERIFY(rs.open(*db, QStringLiteral("SELECT * FROM T_Holiday ORDER BY rowid")));
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
    rs.close();
    // A failed read leaves the transaction usable.
    QVERIFY(!rs.open(*db, QStringLiteral("SELECT * FROM T_Missing")));
    QVERIFY(db->errorText().contains(QStringLiteral("T_Missing")));
    QVERIFY(CloseDB(*db));
}

void tst_database::failedReadThatCostTheTransactionClosesTheConnection() {
    Db db = OpenDB(env->program());
    QVERIFY(ExecSQL(*db, QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-15', 'x')")));
    // The engine runs out of memory in a read of a table and gives up the whole transaction.
    const sqlite3_int64 limit = sqlite3_hard_heap_limit64(-1);
    sqlite3_hard_heap_limit64(sqlite3_memory_used() + (1 << 20));
    Recordset rs;
    const bool read = rs.open(*db, QStringLiteral("SELECT randomblob(100000000) FROM T_Schedule"));
    sqlite3_hard_heap_limit64(limit);
    QVERIFY(!read);
    // Not left running in autocommit, where each later statement would commit on its own.
    QVERIFY(!db->isOpen());
    QVERIFY(!db->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-16', 'y')")));
    QCOMPARE(env->openConnections(), 0);
    QCOMPARE(env->count(QStringLiteral("T_Schedule")), 0);
}

QTEST_MAIN(tst_database)
#include "tst_database.moc"
