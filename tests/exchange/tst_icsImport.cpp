// The import: files in the shapes common calendars write land on the right local days
// (Asia/Tokyo here), a second import changes nothing, our own export reads back as the same
// rows, and bad input is refused with its message and an untouched database.

#include "TestSupport.h"
#include "core/Database.h"
#include "entries/EntryStore.h"
#include "exchange/IcsExport.h"
#include "exchange/IcsImport.h"

#include <QFile>
#include <QtTest>

class tst_icsImport : public QObject {
    Q_OBJECT
private slots:
    void fixturesLandOnTheirLocalDays_data();
    void fixturesLandOnTheirLocalDays();
    void importAppendsAndASecondImportChangesNothing();
    void whatDoesNotFitIsListed_data();
    void whatDoesNotFitIsListed();
    void ownExportReadsBackAsTheSameRows();
    void badInputIsRefusedAndNothingWritten_data();
    void badInputIsRefusedAndNothingWritten();
    void summaryReplaced_data();
    void summaryReplaced();
};

namespace {

QByteArray Fixture(const QString& name) {
    QFile f(QFINDTESTDATA(QStringLiteral("fixtures/") + name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ImportOptions Tokyo() {
    return {QDate(2025, 1, 1), QDate(2027, 12, 31), QTimeZone("Asia/Tokyo")};
}

// Plans the file and, when that worked, applies and commits, as the window does.
ImportResult Import(TestEnv& env, const QByteArray& ics, ImportPlan& plan,
                    const ImportOptions& options = Tokyo()) {
    Db db = env.program().openDatabase();
    if (!db)
        return {false, QStringLiteral("no database")};
    ImportResult r = PlanImport(*db, ics, options, plan);
    if (r.ok && !(ApplyImport(*db, plan) && db->commit()))
        r = {false, QStringLiteral("not written")};
    return r;
}

// Every entry row: "S date text", "D date text", "A month/day text".
QStringList Rows(const TestEnv& env) {
    QStringList rows;
    for (const QString& r : env.column(QStringLiteral(
             "SELECT 'S ' || [Date] || ' ' || Schedule FROM T_Schedule ORDER BY [Date]")))
        rows << r;
    for (const QString& r : env.column(
             QStringLiteral("SELECT 'D ' || [Date] || ' ' || Diary FROM T_Diary ORDER BY [Date]")))
        rows << r;
    for (const QString& r : env.column(
             QStringLiteral("SELECT 'A ' || Month || '/' || Day || ' ' || WhatDay FROM T_WhatDay "
                            "ORDER BY Month, Day, WhatDay")))
        rows << r;
    return rows;
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Calendar(const QByteArray& body) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\n" + body + "END:VCALENDAR\r\n";
}

} // namespace

void tst_icsImport::fixturesLandOnTheirLocalDays_data() {
    QTest::addColumn<QByteArray>("ics");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QList<int>>("counts"); // schedule lines, diary entries, not placed
    QTest::newRow("Tokyo zone, UTC, floating, all-day, folded, journal, birthday; CRLF")
        << Fixture("tokyo-crlf.ics")
        << QStringList{"S 2025-01-10 10:00 歯医者",
                       "S 2025-01-11 08:00 Call with Bob\n23:00 夜行バス",
                       "S 2025-01-12 00:00 夜行バス",
                       "S 2025-01-20 出張, 大阪",
                       "S 2025-01-21 出張, 大阪",
                       "S 2025-01-22 出張, 大阪",
                       "S 2025-01-24 折り返された長い件名",
                       "S 2025-01-25 09:00 朝会",
                       "S 2025-01-27 合宿",
                       "S 2025-01-28 合宿",
                       "D 2025-01-15 今日は晴れ。\n散歩した。",
                       "A 3/5 母の誕生日"}
        << QList<int>{11, 1, 0};
    // Daylight saving starts on 9 March 2025 in New York; Berlin comes from the zone database.
    QTest::newRow("New York rule with EXDATE and a moved one, Berlin, holiday, bad dates; LF")
        << Fixture("newyork-lf.ics")
        << QStringList{"S 2025-03-04 09:00 Weekly sync", "S 2025-03-11 08:00 Weekly sync",
                       "S 2025-03-25 20:00 Weekly sync (moved)", "S 2025-06-01 19:00 Grillen"}
        << QList<int>{4, 0, 2};
    QTest::newRow("a zone whose rule could not be expanded in time: read as local")
        << Calendar("BEGIN:VTIMEZONE\r\nTZID:Every second\r\nBEGIN:STANDARD\r\n"
                    "DTSTART:19700101T000000\r\nRRULE:FREQ=SECONDLY\r\nTZOFFSETFROM:+0100\r\n"
                    "TZOFFSETTO:+0200\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
                    "BEGIN:VEVENT\r\nUID:z\r\nDTSTART;TZID=Every second:20250110T100000\r\n"
                    "SUMMARY:x\r\nEND:VEVENT\r\n")
        << QStringList{"S 2025-01-10 10:00 x"} << QList<int>{1, 0, 0};
}

void tst_icsImport::fixturesLandOnTheirLocalDays() {
    QFETCH(QByteArray, ics);
    QFETCH(QStringList, rows);
    QFETCH(QList<int>, counts);
    TestEnv env(TestEnv::Schema::V107);
    const QStringList before = Rows(env);
    ImportPlan plan;
    const ImportResult r = Import(env, ics, plan);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(Rows(env), before + rows);
    QCOMPARE((QList<int>{plan.scheduleLines, plan.diaryEntries, int(plan.notPlaced.size())}),
             counts);
}

void tst_icsImport::importAppendsAndASecondImportChangesNothing() {
    TestEnv env(TestEnv::Schema::V107);
    QVERIFY(env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2025-01-10', '買い物'), "
                                    "('2025-01-11', '08:00 Call with Bob')")));
    QVERIFY(env.exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2025-01-15', '散歩した。')")));
    QVERIFY(env.exec(
        QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (3, 5, '母の誕生日')")));
    ImportPlan plan;
    QVERIFY(Import(env, Fixture("tokyo-crlf.ics"), plan).ok);
    const QStringList rows = Rows(env);
    QVERIFY(rows.contains("S 2025-01-10 買い物\n10:00 歯医者"));
    QVERIFY(rows.contains("S 2025-01-11 08:00 Call with Bob\n23:00 夜行バス"));
    QVERIFY(rows.contains("D 2025-01-15 散歩した。\n今日は晴れ。"));
    QCOMPARE(rows.count("A 3/5 母の誕生日"), 1);
    QVERIFY(plan.anniversaries.empty());

    const QByteArray bytes = FileBytes(env.dbPath());
    QVERIFY(Import(env, Fixture("tokyo-crlf.ics"), plan).ok);
    QVERIFY(plan.isEmpty());
    QCOMPARE(FileBytes(env.dbPath()), bytes);

    QVERIFY(Import(env, Fixture("newyork-lf.ics"), plan).ok);
    const QByteArray both = FileBytes(env.dbPath());
    for (const char* file : {"newyork-lf.ics", "tokyo-crlf.ics"}) {
        QVERIFY(Import(env, Fixture(file), plan).ok);
        QVERIFY(plan.isEmpty());
    }
    QCOMPARE(FileBytes(env.dbPath()), both);
}

void tst_icsImport::whatDoesNotFitIsListed_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QByteArray>("component");
    const QByteArray journal =
        "BEGIN:VJOURNAL\r\nUID:j\r\nDTSTART;VALUE=DATE:20250115\r\nDESCRIPTION:";
    QTest::newRow("a line past the diary's 2000")
        << "T_Diary" << QString(kDiaryMaxChars - 4, QChar(u'日'))
        << journal + "新しい行\r\nEND:VJOURNAL\r\n";
    QTest::newRow("a whole diary of 2001 on an empty day")
        << "T_Diary" << QString()
        << journal + QByteArray(kDiaryMaxChars + 1, 'a') + "\r\nEND:VJOURNAL\r\n";
    QTest::newRow("a line past the schedule's 32767")
        << "T_Schedule" << QString(kScheduleMaxChars - 10, QChar(u'予'))
        << QByteArray("BEGIN:VEVENT\r\nUID:e\r\nDTSTART:20250115T010000Z\r\n"
                      "SUMMARY:会議の件\r\nEND:VEVENT\r\n");
}

void tst_icsImport::whatDoesNotFitIsListed() {
    QFETCH(QString, table);
    QFETCH(QString, stored);
    QFETCH(QByteArray, component);
    TestEnv env(TestEnv::Schema::V107);
    if (!stored.isNull())
        QVERIFY(env.exec(QStringLiteral("INSERT INTO %1 VALUES ('2025-01-15', ?)").arg(table),
                         {stored}));
    const QStringList before = Rows(env);
    ImportPlan plan;
    const ImportResult r = Import(env, Calendar(component), plan);
    QVERIFY2(r.ok, qPrintable(r.error));
    QVERIFY(plan.isEmpty());
    QCOMPARE(plan.notPlaced.size(), 1);
    QVERIFY2(plan.notPlaced[0].startsWith(QStringLiteral("2025/01/15 ")) &&
                 plan.notPlaced[0].contains(QStringLiteral("上限")),
             qPrintable(plan.notPlaced[0]));
    QCOMPARE(Rows(env), before);
}

void tst_icsImport::ownExportReadsBackAsTheSameRows() {
    TestEnv from(TestEnv::Schema::V107);
    const QString schedule = QStringLiteral("\n  会議 10:00\n資料\u00A0準備 😀\n閏日の予定\n");
    QString diary;
    while (diary.size() < kDiaryMaxChars)
        diary += diary.size() % 50 == 48 ? QStringLiteral("\n") : QStringLiteral("あ😀");
    diary.truncate(kDiaryMaxChars - 1);
    diary += QChar(u'終');
    QVERIFY(from.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2024-02-29', ?), "
                                     "('2025-01-01', '元日; 初詣, \\ 帰省')"),
                      {schedule}));
    QVERIFY(from.exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2024-02-29', ?), "
                                     "('2026-12-31', '大晦日\n\n 紅白')"),
                      {diary}));
    // Blanks at the ends of a text, which iCalendar parsers tend to drop.
    QVERIFY(from.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2025-01-02', ?), "
                                     "('2025-01-03', '  ')"),
                      {QStringLiteral(" 前後に空白 ")}));
    QVERIFY(from.exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2025-01-02', ?)"),
                      {QStringLiteral("\t字下げ\n末尾\t")}));
    QVERIFY(from.exec(QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES "
                                     "(2, 29, '閏日'), (12, 24, 'イブ 🎄'), (5, 5, ' 端午 ')")));
    ExportChoice choice;
    choice.diaries = true;
    choice.holidays = true;
    choice.holidaysFrom = 2024;
    choice.holidaysTo = 2026;
    ExportItems items;
    {
        Db db = from.program().openDatabase();
        QVERIFY(db && ReadExportItems(*db, choice, items));
    }
    const QByteArray ics = WriteCalendar(items, QDateTime(QDate(2026, 12, 8), QTime(9, 0)));

    TestEnv to(TestEnv::Schema::V107);
    ImportPlan plan;
    const ImportResult r = Import(to, ics, plan);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(Rows(to), Rows(from));
    QVERIFY(plan.notPlaced.isEmpty());
    QVERIFY(Import(to, ics, plan).ok);
    QVERIFY(plan.isEmpty());
}

void tst_icsImport::badInputIsRefusedAndNothingWritten_data() {
    QTest::addColumn<QByteArray>("ics");
    QTest::addColumn<QString>("error");
    const QString notCalendar = QStringLiteral("iCalendarファイルではありません。");
    const QByteArray tokyo = Fixture("tokyo-crlf.ics");
    const QByteArray event = "BEGIN:VEVENT\r\nUID:x\r\nDTSTART:20250101T000000Z\r\nSUMMARY:s\r\n";
    QTest::newRow("empty") << QByteArray() << notCalendar;
    QTest::newRow("plain text") << QByteArray("hello\r\nworld\r\n") << notCalendar;
    QTest::newRow("a contact card")
        << QByteArray("BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n") << notCalendar;
    QTest::newRow("NUL inside") << QByteArray(tokyo).insert(200, '\0') << notCalendar;
    QTest::newRow("cut in the middle")
        << tokyo.left(tokyo.size() / 2) << QStringLiteral("ファイルが途中で切れています。");
    QTest::newRow("cut before END:VCALENDAR") << tokyo.left(tokyo.lastIndexOf("END:VCALENDAR"))
                                              << QStringLiteral("ファイルが途中で切れています。");
    QTest::newRow("over 64 MB") << Calendar(event +
                                            "DESCRIPTION:" + QByteArray(64 * 1024 * 1024, 'a') +
                                            "\r\nEND:VEVENT\r\n")
                                << QStringLiteral("ファイルが大きすぎます（上限 64 MB）。");
    QTest::newRow("Shift_JIS text")
        << Calendar(QByteArray(event).replace("SUMMARY:s", "SUMMARY:\x93\xfa\x96\x7b") +
                    "END:VEVENT\r\n")
        << QStringLiteral("文字コードがUTF-8ではありません。");
    QTest::newRow("secondly without end")
        << Calendar(event + "RRULE:FREQ=SECONDLY\r\nEND:VEVENT\r\n")
        << QStringLiteral("繰り返しの予定が多すぎます（上限 10,000 回）。");
    QTest::newRow("101 time zones")
        << Calendar(QByteArray("BEGIN:VTIMEZONE\r\nTZID:z\r\nEND:VTIMEZONE\r\n").repeated(101))
        << QStringLiteral("時間帯の定義が多すぎます（上限 100 個）。");
    const QString deep = QStringLiteral("入れ子が深すぎます（上限 8 段）。");
    QTest::newRow("nine levels") << Calendar(QByteArray("BEGIN:X-A\r\n").repeated(8) +
                                             QByteArray("END:X-A\r\n").repeated(8))
                                 << deep;
    QTest::newRow("folded BEGIN lines thousands deep")
        << Calendar(QByteArray("BEG\r\n IN:VEVENT\r\n").repeated(5000) +
                    QByteArray("END:VEVENT\r\n").repeated(5000))
        << deep;
}

void tst_icsImport::badInputIsRefusedAndNothingWritten() {
    QFETCH(QByteArray, ics);
    QFETCH(QString, error);
    TestEnv env(TestEnv::Schema::V107);
    QVERIFY(env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2025-01-01', 'あり')")));
    const QByteArray bytes = FileBytes(env.dbPath());
    ImportPlan plan;
    const ImportResult r = Import(env, ics, plan);
    QVERIFY(!r.ok);
    QCOMPARE(r.error, error);
    QVERIFY(plan.isEmpty() && plan.notPlaced.isEmpty());
    QCOMPARE(FileBytes(env.dbPath()), bytes);
}

void tst_icsImport::summaryReplaced_data() {
    QTest::addColumn<QByteArray>("uid");
    QTest::addColumn<QByteArray>("more"); // further properties
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("single event") << QByteArray("trip@example.net") << QByteArray() << true;
    // The writer drops the control character: the server would get another event.
    QTest::newRow("control character in its UID")
        << QByteArray("trip\b@example.net") << QByteArray() << false;
    // libical's marks of what it could not read would go to the server.
    QTest::newRow("a property libical could not read")
        << QByteArray("trip@example.net") << QByteArray("DTEND:2027XX06\r\n") << false;
    QTest::newRow("repeating") << QByteArray("trip@example.net")
                               << QByteArray("RRULE:FREQ=WEEKLY\r\n") << false;
    // Read without a mark, but written back as what no reader takes: half a character, a stamp
    // turned into a date.
    QTest::newRow("backslash before a kanji")
        << QByteArray("trip@example.net") << QByteArray("DESCRIPTION:新幹線\\のぞみ\r\n") << false;
    QTest::newRow("malformed time stamp")
        << QByteArray("trip@example.net") << QByteArray("CREATED:2000000Z\r\n") << false;
}

void tst_icsImport::summaryReplaced() {
    QFETCH(QByteArray, uid);
    QFETCH(QByteArray, more);
    QFETCH(bool, rewritten);
    const QByteArray ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//EN\r\nBEGIN:VEVENT\r\n"
                           "UID:" +
                           uid +
                           "\r\nDTSTAMP:20270101T000000Z\r\n"
                           "DTSTART:20270106T003000Z\r\nLOCATION:駅前\r\nSUMMARY:旅行\r\n" +
                           more + "END:VEVENT\r\nEND:VCALENDAR\r\n";
    const QByteArray out = ReplaceSummary(ics, QStringLiteral("出張"));
    QCOMPARE(!out.isEmpty(), rewritten);
    // The sync offers a line for editing exactly where its event can be rewritten.
    IcsObject o;
    QVERIFY(ReadIcsObject(ics, {QDate(2027, 1, 1), QDate(2027, 12, 31), QTimeZone::utc()}, o).ok);
    QCOMPARE(o.editable, rewritten);
    if (!rewritten)
        return;
    QVERIFY(out.contains("SUMMARY:出張"));
    QVERIFY(out.contains("UID:" + uid));
    QVERIFY(out.contains("DTSTART:20270106T003000Z"));
    QVERIFY(out.contains("LOCATION:駅前"));
}

QTEST_MAIN(tst_icsImport)
#include "tst_icsImport.moc"
