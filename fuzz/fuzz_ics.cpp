// The iCalendar import over any bytes, planned against a database of its own: no crash, a
// refused file leaves an empty plan, no day's text grows past what its editor accepts, and an
// applied plan, planned again, has nothing left to do.

#include "FuzzSupport.h"
#include "core/Database.h"
#include "entries/EntryStore.h"
#include "exchange/IcsImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

// A database with the entry tables, made once per run; every input works in a transaction
// that is rolled back.
QString DatabasePath() {
    static const QString path = [] {
        const QString p = QDir::temp().filePath(
            QStringLiteral("fuzz_ics_%1.db").arg(QCoreApplication::applicationPid()));
        QFile::remove(p);
        Db db = Connection::create(p);
        FUZZ_CHECK(db &&
                   db->execScript("CREATE TABLE T_Schedule ([Date] DATE NOT NULL, "
                                  "Schedule TEXT);"
                                  "CREATE TABLE T_Diary ([Date] DATE NOT NULL, Diary TEXT);"
                                  "CREATE TABLE T_WhatDay (ID INTEGER PRIMARY KEY, "
                                  "Month INTEGER, Day INTEGER, WhatDay TEXT);"
                                  "INSERT INTO T_Schedule VALUES ('2025-01-10', '会議');") &&
                   db->commit());
        return p;
    }();
    return path;
}

bool Empty(const ImportPlan& p) {
    return p.isEmpty() && p.notPlaced.isEmpty() && p.scheduleLines == 0 && p.diaryEntries == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray ics(reinterpret_cast<const char*>(data), qsizetype(size));
    Db db = Connection::open(DatabasePath());
    FUZZ_CHECK(db);
    const ImportOptions options{QDate(2024, 1, 1), QDate(2026, 12, 31), QTimeZone("Asia/Tokyo")};
    ImportPlan plan;
    const ImportResult r = PlanImport(*db, ics, options, plan);
    FUZZ_CHECK(r.ok != !r.error.isEmpty());
    if (!r.ok) {
        FUZZ_CHECK(Empty(plan));
        return 0;
    }
    for (const auto& [d, text] : plan.schedules)
        FUZZ_CHECK(d.isValid() && text.size() <= kScheduleMaxChars);
    for (const auto& [d, text] : plan.diaries)
        FUZZ_CHECK(d.isValid() && text.size() <= kDiaryMaxChars);
    FUZZ_CHECK(ApplyImport(*db, plan));
    ImportPlan again;
    FUZZ_CHECK(PlanImport(*db, ics, options, again).ok);
    FUZZ_CHECK(again.isEmpty());
    db->rollback();
    return 0;
}
