// The sync state table: absent in a database that does not sync, created once by the set-up (a
// second creation changes nothing), its rows and the collection's token read back as written,
// in the caller's transaction only.

#include "TestSupport.h"
#include "core/Database.h"
#include "sync/SyncState.h"

#include <QtTest>

class tst_syncState : public QObject {
    Q_OBJECT
private slots:
    void tableComesWithTheSetUpOnly();
    void rowsRoundTrip_data();
    void rowsRoundTrip();
    void collectionRowStaysApartFromItems();
};

namespace {

Db Open(TestEnv& env) {
    Db db = env.program().openDatabase();
    if (!db)
        qFatal("cannot open the test database");
    return db;
}

const SyncRow kForeign{"/cal/a.ics", "a", "\"1\"", SyncKind::Foreign, {}, 0, 0, "h", {}, false};

} // namespace

void tst_syncState::tableComesWithTheSetUpOnly() {
    TestEnv env;
    Db db = Open(env);
    QCOMPARE(HasSyncTable(*db), std::optional<bool>(false));
    std::vector<SyncRow> rows;
    QVERIFY(!ReadSyncRows(*db, rows)); // nothing to read, and nothing made up
    QVERIFY(CreateSyncTable(*db) && WriteSyncRow(*db, kForeign));
    QVERIFY(CreateSyncTable(*db)); // the second creation keeps what is there
    QCOMPARE(HasSyncTable(*db), std::optional<bool>(true));
    QVERIFY(ReadSyncRows(*db, rows));
    QCOMPARE(rows.size(), size_t(1));
}

void tst_syncState::rowsRoundTrip_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("lines"); // encoded placements, for foreign items
    QTest::addColumn<bool>("fixed");
    QTest::newRow("schedule day") << int(SyncKind::Schedule) << "\"e1\"" << QString() << false;
    QTest::newRow("diary day, still to be fetched") << int(SyncKind::Diary) << ""
                                                    << "" << false;
    QTest::newRow("anniversary") << int(SyncKind::Anniversary) << "W/\"x\""
                                 << "" << false;
    QTest::newRow("foreign, tab and equal lines")
        << int(SyncKind::Foreign) << "\"f\""
        << "2025-01-10\t10:00 a\tb\n2025-01-10\t10:00 a\tb\n2025-01-11\t終日\n"
        << false;
    QTest::newRow("foreign, repeating") << int(SyncKind::Foreign) << "\"r\""
                                        << "2025-02-01\t09:00 朝会\n"
                                        << true;
}

void tst_syncState::rowsRoundTrip() {
    QFETCH(int, kind);
    QFETCH(QString, tag);
    QFETCH(QString, lines);
    QFETCH(bool, fixed);
    TestEnv env;
    const SyncKind k = SyncKind(kind);
    const bool day = k == SyncKind::Schedule || k == SyncKind::Diary;
    const bool anniversary = k == SyncKind::Anniversary;
    const SyncRow row{"/cal/item%20one.ics",
                      "uid-1@example",
                      tag,
                      k,
                      day ? QDate(2025, 1, 10) : QDate(),
                      anniversary ? 2 : 0,
                      anniversary ? 29 : 0,
                      "0123abcd",
                      DecodePlacements(lines),
                      fixed};
    QCOMPARE(EncodePlacements(row.lines), lines);
    {
        Db db = Open(env);
        QVERIFY(CreateSyncTable(*db) && WriteSyncRow(*db, row));
        db->rollback();
    }
    Db db = Open(env);
    QVERIFY(CreateSyncTable(*db));
    std::vector<SyncRow> rows;
    QVERIFY(ReadSyncRows(*db, rows));
    QVERIFY(rows.empty()); // a rolled-back write left nothing
    SyncRow changed = row;
    changed.tag = QStringLiteral("\"e2\"");
    QVERIFY(WriteSyncRow(*db, row) && WriteSyncRow(*db, changed)); // one row per href
    QVERIFY(ReadSyncRows(*db, rows));
    QCOMPARE(rows.size(), size_t(1));
    QVERIFY(rows[0] == changed);
    QVERIFY(ForgetSyncTag(*db, row.href));
    // Each read replaces what the list held: a sync reads the rows again after its pull.
    QVERIFY(ReadSyncRows(*db, rows) && rows.size() == 1 && rows[0].tag.isEmpty());
    QVERIFY(DeleteSyncRow(*db, row.href));
    QVERIFY(ReadSyncRows(*db, rows) && rows.empty());
}

void tst_syncState::collectionRowStaysApartFromItems() {
    TestEnv env;
    Db db = Open(env);
    CollectionState c;
    QVERIFY(CreateSyncTable(*db) && ReadCollection(*db, c));
    QVERIFY(c.url.isEmpty());
    QVERIFY(WriteCollection(*db, {"https://h/cal/", "", "SA-"}) && WriteSyncToken(*db, "token-7"));
    QVERIFY(WriteSyncRow(*db, kForeign) && ClearSyncItems(*db));
    QVERIFY(ReadCollection(*db, c));
    QCOMPARE(c.url, QStringLiteral("https://h/cal/"));
    QCOMPARE(c.token, QStringLiteral("token-7"));
    QCOMPARE(c.scope, QStringLiteral("SA-"));
    std::vector<SyncRow> rows;
    QVERIFY(ReadSyncRows(*db, rows) && rows.empty());
}

QTEST_GUILESS_MAIN(tst_syncState)
#include "tst_syncState.moc"
