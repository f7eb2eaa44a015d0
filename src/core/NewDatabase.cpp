#include "NewDatabase.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

const DefaultHoliday kDefaultHolidays[] = {
    {0, 1, 1, 0, 0, "元日"},          {2, 1, 0, 2, 1, "成人の日"},
    {0, 2, 11, 0, 0, "建国記念の日"}, {0, 2, 23, 0, 0, "天皇誕生日"},
    {0, 3, 20, 0, 0, "春分の日"},     {0, 4, 29, 0, 0, "昭和の日"},
    {0, 5, 3, 0, 0, "憲法記念日"},    {0, 5, 4, 0, 0, "みどりの日"},
    {0, 5, 5, 0, 0, "こどもの日"},    {2, 7, 0, 3, 1, "海の日"},
    {0, 8, 11, 0, 0, "山の日"},       {2, 9, 0, 3, 1, "敬老の日"},
    {0, 9, 23, 0, 0, "秋分の日"},     {2, 10, 0, 2, 1, "スポーツの日"},
    {0, 11, 3, 0, 0, "文化の日"},     {0, 11, 23, 0, 0, "勤労感謝の日"},
};
const int kDefaultHolidayCount = int(sizeof(kDefaultHolidays) / sizeof(kDefaultHolidays[0]));

namespace {

// One row per date in the schedule and diary tables is what the program relies on; the unique
// indexes make the engine enforce it.
const char* const kSchema = R"SQL(
BEGIN;
CREATE TABLE T_Schedule ([Date] DATE NOT NULL, Schedule TEXT);
CREATE UNIQUE INDEX T_Schedule_Date ON T_Schedule ([Date]);
CREATE TABLE T_Diary ([Date] DATE NOT NULL, Diary TEXT);
CREATE UNIQUE INDEX T_Diary_Date ON T_Diary ([Date]);
CREATE TABLE T_WhatDay (ID INTEGER PRIMARY KEY AUTOINCREMENT, Month INTEGER, Day INTEGER,
                        WhatDay TEXT);
CREATE INDEX T_WhatDay_MonthDay ON T_WhatDay (Month, Day);
CREATE TABLE T_Holiday (Kind INTEGER, Month INTEGER, Day INTEGER, Week INTEGER, Yobi INTEGER,
                        Name TEXT);
)SQL";

bool Fill(sqlite3* db) {
    if (sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db,
                           "INSERT INTO T_Holiday (Kind, Month, Day, Week, Yobi, Name) "
                           "VALUES (?, ?, ?, ?, ?, ?)",
                           -1, &st, nullptr) != SQLITE_OK)
        return false;
    bool ok = true;
    for (int i = 0; ok && i < kDefaultHolidayCount; ++i) {
        const DefaultHoliday& h = kDefaultHolidays[i];
        sqlite3_reset(st);
        sqlite3_bind_int(st, 1, h.kind);
        sqlite3_bind_int(st, 2, h.month);
        if (h.kind == 2) {
            sqlite3_bind_null(st, 3);
            sqlite3_bind_int(st, 4, h.week);
            sqlite3_bind_int(st, 5, h.yobi);
        } else {
            sqlite3_bind_int(st, 3, h.day);
            sqlite3_bind_null(st, 4);
            sqlite3_bind_null(st, 5);
        }
        sqlite3_bind_text(st, 6, h.name, -1, SQLITE_STATIC);
        ok = sqlite3_step(st) == SQLITE_DONE;
    }
    sqlite3_finalize(st);
    return ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace

bool CreateNewDatabase(const QString& path, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (QFileInfo::exists(path))
        return fail(QStringLiteral("%1 already exists; it is left unchanged.").arg(path));

    // Build the database under a temporary name and move it into place only when complete,
    // so that an interrupted run never leaves a half-made file where the program looks.
    const QString temp = path + QStringLiteral(".new");
    QFile::remove(temp);
    sqlite3* db = nullptr;
    const QByteArray t = temp.toUtf8();
    bool ok = sqlite3_open_v2(t.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                              nullptr) == SQLITE_OK;
    QString why;
    if (ok) {
        ok = Fill(db);
        if (!ok)
            why = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        why = QStringLiteral("cannot create %1").arg(temp);
    }
    sqlite3_close(db);
    if (!ok) {
        QFile::remove(temp);
        return fail(why);
    }
    // QFile::rename never replaces an existing file.
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        return fail(QStringLiteral("cannot move the new database to %1").arg(path));
    }
    return true;
}
