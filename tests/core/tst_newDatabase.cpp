// The new database is built under a fresh name of its own and moved into place only when
// complete; nothing that already exists in the folder is removed or replaced.

#include "core/NewDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_newDatabase : public QObject {
    Q_OBJECT
private slots:
    void createsWithoutTouchingOtherFiles_data();
    void createsWithoutTouchingOtherFiles();
};

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

void tst_newDatabase::createsWithoutTouchingOtherFiles_data() {
    QTest::addColumn<QStringList>("before"); // files of the folder, each holding its name
    QTest::addColumn<QString>("seedWrites"); // a file the seed writes meanwhile, if any
    QTest::addColumn<bool>("seedOk");
    QTest::addColumn<bool>("created");
    QTest::newRow("empty folder") << QStringList() << QString() << true << true;
    QTest::newRow("the old temporary names are left alone")
        << QStringList{"Vaskel.pdb.new", "Vaskel.pdb.new-journal"} << QString() << true << true;
    QTest::newRow("an existing database is kept")
        << QStringList{"Vaskel.pdb"} << QString() << true << false;
    QTest::newRow("a database that appears meanwhile is kept")
        << QStringList() << QStringLiteral("Vaskel.pdb") << true << false;
    QTest::newRow("a failed seed leaves nothing") << QStringList() << QString() << false << false;
}

void tst_newDatabase::createsWithoutTouchingOtherFiles() {
    QFETCH(QStringList, before);
    QFETCH(QString, seedWrites);
    QFETCH(bool, seedOk);
    QFETCH(bool, created);
    QTemporaryDir dir;
    const QDir folder(dir.path());
    for (const QString& name : before)
        Write(folder.filePath(name), name.toUtf8());
    const QString path = folder.filePath(QStringLiteral("Vaskel.pdb"));
    const auto seed = [&](Connection& db) {
        if (!seedWrites.isEmpty())
            Write(folder.filePath(seedWrites), seedWrites.toUtf8());
        return seedOk && db.exec(QStringLiteral("INSERT INTO T_Holiday (Name) VALUES ('x')"));
    };
    QString error;
    QCOMPARE(CreateNewDatabase(path, seed, &error), created);
    QCOMPARE(error.isEmpty(), created);

    // Exactly the files from before, the one the seed wrote, and the new database.
    QStringList expected = before;
    if (!seedWrites.isEmpty())
        expected << seedWrites;
    if (created)
        expected << QStringLiteral("Vaskel.pdb");
    expected.removeDuplicates();
    expected.sort();
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name), expected);
    for (const QString& name : expected) {
        if (created && name == QLatin1String("Vaskel.pdb"))
            continue;
        QCOMPARE(Read(folder.filePath(name)), name.toUtf8());
    }
    if (created)
        QVERIFY(Read(path).startsWith("SQLite format 3"));
}

QTEST_MAIN(tst_newDatabase)
#include "tst_newDatabase.moc"
