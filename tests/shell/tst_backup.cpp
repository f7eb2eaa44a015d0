// The backup: the default names of a day, the checks and questions before the copy, and a copy
// that is the whole database as it was at one moment even while another connection writes.

#include "TestSupport.h"
#include "core/Database.h"
#include "shell/BackupDialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

#include <sqlite3.h>

#include <atomic>
#include <thread>

#include <sys/stat.h>

Q_DECLARE_METATYPE(MsgIcon)

namespace {
const QString kTitle = QStringLiteral("Vaskelの情報をﾊﾞｯｸｱｯﾌﾟします");
const QString kFailed = QStringLiteral("バックアップ処理中にエラーが発生しました。");

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Every row of every table and the schema, in a stable order: what a copy must hold,
// whatever its bytes. Read through a plain connection of the engine, in any journal mode.
QStringList ContentOf(const QString& path) {
    QStringList rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("<unreadable>")};
    }
    const auto query = [&](const QString& sql) {
        QStringList out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            return QStringList{QStringLiteral("<unreadable>")};
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
            out << row.join(QLatin1Char('|'));
        }
        sqlite3_finalize(st);
        return out;
    };
    const QStringList tables =
        query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    rows << query(QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY name"));
    for (const QString& t : tables)
        rows << query(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(t));
    sqlite3_close(db);
    return rows;
}

QString IntegrityOf(const QString& path) {
    Db db = Connection::open(path);
    Recordset rs;
    if (!db || !rs.open(*db, QStringLiteral("PRAGMA integrity_check")) || rs.eof())
        return QStringLiteral("<cannot check>");
    return rs.text(0);
}
} // namespace

class tst_backup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void defaultName_data();
    void defaultName();
    void backup_data();
    void backup();
    void browse();
    void copyWhileAnotherConnectionWrites();
    void copyOfAWalDatabaseHeldOpen();
    void copyHasTheDatabasesPermissions_data();
    void copyHasTheDatabasesPermissions();

private:
    BackupDialog* open() {
        dlg = new BackupDialog(env->program());
        dlg->setAttribute(Qt::WA_DeleteOnClose);
        dlg->show();
        QApplication::setActiveWindow(dlg);
        return dlg;
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    std::unique_ptr<ClockOverride> clock;
    QPointer<BackupDialog> dlg;
    // The open dialog's control of that object name.
    template <class W> W* control(const char* name) const {
        return dlg->findChild<W*>(QLatin1String(name));
    }
};

void tst_backup::initTestCase() {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}

void tst_backup::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
    clock = std::make_unique<ClockOverride>(env->program(),
                                            QDateTime(QDate(2004, 9, 29), QTime(10, 0)));
}

void tst_backup::cleanup() {
    delete dlg;
    SetFileChooserHook({});
    clock.reset();
    msgs.reset();
    env.reset();
}

void tst_backup::defaultName_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first of the day") << QStringList{} << "Vaskel20040929.dat";
    QTest::newRow("second") << QStringList{"Vaskel20040929.dat"} << "Vaskel20040929_1.dat";
    QTest::newRow("after _1 and _2")
        << QStringList{"Vaskel20040929.dat", "Vaskel20040929_1.dat", "Vaskel20040929_2.dat"}
        << "Vaskel20040929_3.dat";
    QTest::newRow("a gap is filled")
        << QStringList{"Vaskel20040929.dat", "Vaskel20040929_2.dat"} << "Vaskel20040929_1.dat";
    QTest::newRow("other days do not count")
        << QStringList{"Vaskel20040928.dat", "Vaskel20040929_1.dat"} << "Vaskel20040929.dat";
}

void tst_backup::defaultName() {
    QFETCH(QStringList, existing);
    QFETCH(QString, expected);
    for (const QString& name : existing)
        Write(QDir(env->dir()).filePath(name), "x");
    open();
    QCOMPARE(control<QLineEdit>("txtPath")->text(), QDir(env->dir()).filePath(expected));
    QCOMPARE(control<QLabel>("lblInfo")->text(),
             QStringLiteral("Vaskelのデータバックアップを行います。"));
    QCOMPARE(dlg->windowTitle(), kTitle);
}

void tst_backup::backup_data() {
    QTest::addColumn<QString>("path"); // DIR: the program folder
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<MsgIcon>("icon"); // of the last message
    QTest::addColumn<bool>("copied");
    const QString ask = QStringLiteral("指定ファイルが存在します。上書きしてよろしいですか？");
    const QString done = QStringLiteral("バックアップが正常に終了しました。");
    const int ok = int(MsgResult::OK), cancel = int(MsgResult::Cancel);
    QTest::newRow("new file") << "DIR/b.dat" << QByteArray() << false << ok << QStringList{done}
                              << MsgIcon::Information << true;
    QTest::newRow("blanks only") << "   " << QByteArray() << false << ok
                                 << QStringList{"バックアップ出力先を指定して下さい。"}
                                 << MsgIcon::Warning << false;
    QTest::newRow("existing, Cancel") << "DIR/b.dat" << QByteArray("old") << false << cancel
                                      << QStringList{ask} << MsgIcon::Question << false;
    QTest::newRow("read-only existing, OK")
        << "DIR/b.dat" << QByteArray("old") << true << ok << QStringList{ask, done}
        << MsgIcon::Information << true;
    QTest::newRow("missing folder") << "DIR/none/b.dat" << QByteArray() << false << ok
                                    << QStringList{kFailed} << MsgIcon::Critical << false;
    QTest::newRow("a folder") << "DIR" << QByteArray() << false << ok << QStringList{kFailed}
                              << MsgIcon::Critical << false;
    QTest::newRow("the database itself") << "DIR/Vaskel.pdb" << QByteArray() << false << ok
                                         << QStringList{kFailed} << MsgIcon::Critical << false;
    // The engine would take these for its own side files and delete them.
    for (const char* side : {"journal", "wal", "shm"})
        QTest::addRow("the database's -%s", side)
            << QStringLiteral("DIR/Vaskel.pdb-") + QLatin1String(side) << QByteArray() << false
            << ok << QStringList{kFailed} << MsgIcon::Critical << false;
    QTest::newRow("a side file's name in another folder")
        << "DIR/sub/Vaskel.pdb-journal" << QByteArray() << false << ok << QStringList{done}
        << MsgIcon::Information << true;
}

void tst_backup::backup() {
    QFETCH(QString, path);
    QFETCH(QByteArray, existing);
    QFETCH(bool, readOnly);
    QFETCH(int, answer);
    QFETCH(QStringList, texts);
    QFETCH(MsgIcon, icon);
    QFETCH(bool, copied);
    path.replace(QStringLiteral("DIR"), env->dir());
    QDir(env->dir()).mkdir(QStringLiteral("sub"));
    if (!existing.isEmpty()) {
        Write(path, existing);
        if (readOnly)
            QFile::setPermissions(path, QFile::ReadOwner);
    }
    const QByteArray database = ReadAll(env->dbPath());
    const QStringList before = QDir(env->dir()).entryList(QDir::Files);
    msgs->answers.push_back(MsgResult(answer));
    open();
    control<QLineEdit>("txtPath")->setText(path);
    control<QPushButton>("OKButton")->click();

    QCOMPARE(msgs->texts(), texts);
    for (const MsgRecord& m : msgs->messages)
        QCOMPARE(m.title, kTitle);
    QCOMPARE(msgs->messages.back().icon, icon);
    if (!existing.isEmpty())
        QCOMPARE(msgs->messages.front().buttons, MsgButtons::OKCancel);
    QVERIFY(dlg->isVisible());
    QCOMPARE(ReadAll(env->dbPath()), database);
    if (copied) {
        QCOMPARE(ContentOf(path), ContentOf(env->dbPath()));
        QCOMPARE(IntegrityOf(path), QStringLiteral("ok"));
        QVERIFY(QFileInfo(path).isWritable());
        QCOMPARE(dlg->focusWidget(), control<QPushButton>("CancelButton"));
        return;
    }
    // Nothing written: no file changed, none left behind.
    if (!existing.isEmpty())
        QCOMPARE(ReadAll(path), existing);
    QCOMPARE(QDir(env->dir()).entryList(QDir::Files), before);
    if (texts.last() != kFailed)
        QCOMPARE(dlg->focusWidget(), control<QLineEdit>("txtPath"));
}

void tst_backup::browse() {
    QStringList asked;
    QString answer;
    SetFileChooserHook([&](bool save, const QString& title, const QString& filter, QString& p) {
        asked << QString::number(save) << title << filter << p;
        p = answer;
        return !answer.isEmpty();
    });
    open();
    control<QLineEdit>("txtPath")->clear();
    control<QPushButton>("cmdFileSave")->click();
    QCOMPARE(asked, (QStringList{"1", "Vaskel情報のﾊﾞｯｸｱｯﾌﾟ",
                                 "バックアップファイル(*.dat);;全てのファイル(*)", "Vaskel.dat"}));
    QCOMPARE(control<QLineEdit>("txtPath")->text(), QString());
    answer = QStringLiteral("/x/backup");
    control<QPushButton>("cmdFileSave")->click();
    QCOMPARE(control<QLineEdit>("txtPath")->text(), QStringLiteral("/x/backup.dat"));
    answer = QStringLiteral("/x/backup.bak");
    control<QPushButton>("cmdFileSave")->click();
    QCOMPARE(asked.last(), QStringLiteral("/x/backup.dat"));
    QCOMPARE(control<QLineEdit>("txtPath")->text(), QStringLiteral("/x/backup.bak"));
}

void tst_backup::copyWhileAnotherConnectionWrites() {
    // Another connection writes as the timer tick does, one transaction after another.
    std::atomic<bool> stop = false;
    std::atomic<int> commits = 0;
    std::thread writer([&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(env->dbPath().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db, 10000);
        sqlite3_exec(db, "PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
        for (int i = 0; !stop; ++i) {
            const QByteArray sql = "BEGIN IMMEDIATE; INSERT INTO T_Schedule VALUES ('" +
                                   QDate(2000, 1, 1).addDays(i).toString(Qt::ISODate).toUtf8() +
                                   "', hex(randomblob(300))); COMMIT;";
            if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
                ++commits;
            QThread::msleep(2);
        }
        sqlite3_close(db);
    });
    // A failed check returns early; the writer must end either way.
    const auto join = qScopeGuard([&] {
        stop = true;
        writer.join();
    });
    for (int round = 0; round < 5; ++round) {
        const int before = commits;
        QTRY_VERIFY_WITH_TIMEOUT(commits >= before + 3, 10000);
        const QString target = env->dir() + QStringLiteral("/copy%1.dat").arg(round);
        const QString snapshot = env->dir() + QStringLiteral("/snapshot%1").arg(round);
        int whileCopying = -1;
        const bool ok = CopyDatabase(env->program(), target, [&] {
            // Time for the writer to try; it must wait for the copy.
            const int held = commits;
            QThread::msleep(30);
            whileCopying = commits - held;
            // No writer can commit now: the file's bytes are the database of this moment.
            Write(snapshot, ReadAll(env->dbPath()));
        });
        QVERIFY(ok);
        QCOMPARE(whileCopying, 0);
        QCOMPARE(ContentOf(target), ContentOf(snapshot));
        QCOMPARE(IntegrityOf(target), QStringLiteral("ok"));
    }
    QCOMPARE(env->openConnections(), 0);
}

void tst_backup::copyOfAWalDatabaseHeldOpen() {
    // Another tool switches the file to a write-ahead log and keeps it open: its commits sit
    // in the log, not in the main file, until a checkpoint that never comes.
    sqlite3* other = nullptr;
    QCOMPARE(
        sqlite3_open_v2(env->dbPath().toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
        SQLITE_OK);
    const auto closeOther = qScopeGuard([other] { sqlite3_close(other); });
    QCOMPARE(sqlite3_exec(other,
                          "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;"
                          "CREATE TABLE T_A (x); CREATE TABLE T_B (x); CREATE TABLE T_C (x);"
                          "INSERT INTO T_Schedule VALUES ('2004-09-29', '予定');"
                          "INSERT INTO T_A VALUES (1), (2);",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    QVERIFY(QFileInfo(env->dbPath() + QStringLiteral("-wal")).size() > 0);

    const QString target = env->dir() + QStringLiteral("/copy.dat");
    QVERIFY(CopyDatabase(env->program(), target));
    const QStringList content = ContentOf(target);
    QCOMPARE(content, ContentOf(env->dbPath()));
    for (const char* row : {"2004-09-29|予定", "1", "2"})
        QVERIFY2(content.contains(QString::fromUtf8(row)), row);
    QCOMPARE(IntegrityOf(target), QStringLiteral("ok"));
    // The copy is one self-contained file in the rollback-journal format.
    QCOMPARE(ReadAll(target).mid(18, 2), QByteArray("\x01\x01", 2));
    QVERIFY(!QFile::exists(target + QStringLiteral("-wal")));
    QCOMPARE(env->openConnections(), 0);
}

void tst_backup::copyHasTheDatabasesPermissions_data() {
    QTest::addColumn<int>("database");
    QTest::addColumn<int>("existing"); // the target's mode before, 0 for none
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("copy");
    QTest::newRow("private database") << 0600 << 0 << 022 << 0600;
    QTest::newRow("private database over a readable copy") << 0600 << 0644 << 022 << 0600;
    QTest::newRow("group-readable database") << 0640 << 0 << 022 << 0640;
    QTest::newRow("the umask narrows nothing") << 0644 << 0 << 077 << 0644;
    QTest::newRow("group-writable, the umask aside") << 0660 << 0 << 022 << 0660;
}

void tst_backup::copyHasTheDatabasesPermissions() {
    QFETCH(int, database);
    QFETCH(int, existing);
    QFETCH(int, umask);
    QFETCH(int, copy);
    QCOMPARE(::chmod(env->dbPath().toUtf8().constData(), mode_t(database)), 0);
    const QString target = env->dir() + QStringLiteral("/copy.dat");
    if (existing) {
        Write(target, "old");
        QCOMPARE(::chmod(target.toUtf8().constData(), mode_t(existing)), 0);
    }
    const mode_t old = ::umask(mode_t(umask));
    const bool ok = CopyDatabase(env->program(), target);
    ::umask(old);
    QVERIFY(ok);
    struct stat st {};
    QCOMPARE(::stat(target.toUtf8().constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), copy);
    QCOMPARE(ContentOf(target), ContentOf(env->dbPath()));
    // No temporary file is left beside it.
    QCOMPARE(QDir(env->dir()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{"Vaskel.pdb", "copy.dat"}));
}

QTEST_MAIN(tst_backup)
#include "tst_backup.moc"
