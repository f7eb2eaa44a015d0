// The databases the benchmarks run on, at two sizes:
//
//   Standard  30 years of daily schedules and diaries, 1,000 anniversaries, 20 years of running
//             periods (about 5 a day, one in four days with a period across midnight:
//             about 36,500 periods)
//   Load      50 years of daily schedules and diaries, 10,000 anniversaries, 500,000 running
//             periods spread evenly over the same 50 years (27 or 28 a day, one in four days
//             with a period across midnight)
//
// Every schedule and every diary entry contains the word kCommonWord, so that a search for it
// lists two lines a day. Built in one transaction with prepared statements.
#pragma once

#include "TestSupport.h"
#include "core/Database.h"
#include "core/NewDatabase.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

enum class BenchSize { Standard, Load };

inline const char* SizeName(BenchSize size) {
    return size == BenchSize::Load ? "load" : "standard";
}

// A word in every schedule and every diary entry.
inline const QString kCommonWord = QStringLiteral("会議");

struct BenchShape {
    int entryYears = 30;
    int whatDays = 1000;
    int logYears = 20;
    qint64 periods = 0; // 0: the pattern of about 5 a day; otherwise spread evenly
};

inline BenchShape ShapeOf(BenchSize size) {
    if (size == BenchSize::Load)
        return {50, 10000, 50, 500000};
    return {};
}

namespace bench_detail {

struct Rng {
    quint32 seed = 20040101;
    int next(int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(n));
    }
};

// Periods are made as UTC values: their texts are the wall-clock times, and making tens of
// thousands of local times would cost a time-zone lookup each.
inline void AddPeriod(sqlite3_stmt* st, const QDateTime& s, const QDateTime& e, qint64& rows) {
    const QByteArray a = SqlDateTime(s).toUtf8();
    const QByteArray b = SqlDateTime(e).toUtf8();
    sqlite3_reset(st);
    sqlite3_bind_text(st, 1, a.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, b.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_step(st);
    ++rows;
}

// One working day: morning, late morning, afternoon, evening, and on every fourth day a night
// period that runs past midnight.
inline void SeedWorkDay(sqlite3_stmt* st, const QDate& d, Rng& r, qint64& rows) {
    for (int m : {7 * 60, 10 * 60 + 30, 13 * 60, 18 * 60}) {
        const QDateTime s(d, QTime(0, 0).addSecs((m + r.next(60)) * 60 + r.next(60)), Qt::UTC);
        AddPeriod(st, s, s.addSecs((60 + r.next(90)) * 60 + r.next(60)), rows);
    }
    if (d.day() % 4 == 0) {
        const QDateTime s(d, QTime(22, r.next(60), r.next(60)), Qt::UTC);
        AddPeriod(st, s, s.addSecs((150 + r.next(180)) * 60), rows);
    } else {
        const QDateTime s(d, QTime(20, 30 + r.next(20), r.next(60)), Qt::UTC);
        AddPeriod(st, s, s.addSecs((30 + r.next(40)) * 60), rows);
    }
}

// n periods on one day, one in each of n equal slots of the day's free time (the night
// period of the day before ends before 03:00); on every fourth day the last one runs past
// midnight.
inline void SeedDenseDay(sqlite3_stmt* st, const QDate& d, int n, Rng& r, qint64& rows) {
    const bool nightBefore = d.addDays(-1).day() % 4 == 0;
    const bool night = d.day() % 4 == 0;
    const int from = nightBefore ? 180 : 0;
    const int slot = (1440 - from) / n;
    const QDateTime midnight(d, QTime(0, 0), Qt::UTC);
    for (int k = 0; k < n; ++k) {
        const QDateTime s =
            midnight.addSecs(qint64(from + k * slot + r.next(slot / 5)) * 60 + r.next(60));
        const QDateTime e = night && k == n - 1
                                ? midnight.addSecs(qint64(1440 + 30 + r.next(120)) * 60)
                                : s.addSecs(qint64(slot / 2 + r.next(slot / 4)) * 60);
        AddPeriod(st, s, e, rows);
    }
}

} // namespace bench_detail

struct BenchCounts {
    qint64 entryDays = 0;
    qint64 periods = 0;
};

// Builds the database at path (which must not exist). The entries end the day before `end`,
// the running periods the day before `logEnd`.
inline bool BuildBenchDatabase(const QString& path, BenchSize size, const QDate& end,
                               const QDate& logEnd, BenchCounts* counts = nullptr) {
    using namespace bench_detail;
    const BenchShape shape = ShapeOf(size);
    if (!CreateTestDatabase(path) || !MakeSchema(path, TestEnv::Schema::V106))
        return false;
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* sched = nullptr;
    sqlite3_stmt* diary = nullptr;
    sqlite3_stmt* what = nullptr;
    sqlite3_stmt* work = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO T_Schedule VALUES (?, ?)", -1, &sched, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO T_Diary VALUES (?, ?)", -1, &diary, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (?, ?, ?)", -1,
                       &what, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO T_WorkTime VALUES (?, ?)", -1, &work, nullptr);
    const QByteArray text =
        (kCommonWord + QStringLiteral(" 10:00 打ち合わせ\r\n資料の準備")).toUtf8();
    const QByteArray entry = (QStringLiteral("今日は一日よく働いた。").repeated(7) + kCommonWord +
                              QStringLiteral("も終えた。"))
                                 .toUtf8();
    BenchCounts c;
    for (QDate d = end.addYears(-shape.entryYears); d < end; d = d.addDays(1)) {
        const QByteArray iso = SqlDate(d).toUtf8();
        for (sqlite3_stmt* st : {sched, diary}) {
            sqlite3_reset(st);
            sqlite3_bind_text(st, 1, iso.constData(), -1, SQLITE_TRANSIENT);
            const QByteArray& t = st == sched ? text : entry;
            sqlite3_bind_text(st, 2, t.constData(), int(t.size()), SQLITE_STATIC);
            sqlite3_step(st);
        }
        ++c.entryDays;
    }
    for (int i = 0; i < shape.whatDays; ++i) {
        const QByteArray t = QStringLiteral("記念日 %1").arg(i).toUtf8();
        sqlite3_reset(what);
        sqlite3_bind_int(what, 1, 1 + i % 12);
        sqlite3_bind_int(what, 2, 1 + (i * 7) % 28);
        sqlite3_bind_text(what, 3, t.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(what);
    }
    Rng r;
    const QDate logStart = logEnd.addYears(-shape.logYears);
    if (shape.periods == 0) {
        for (QDate d = logStart; d < logEnd; d = d.addDays(1))
            SeedWorkDay(work, d, r, c.periods);
    } else {
        const qint64 days = logStart.daysTo(logEnd);
        for (qint64 i = 0; i < days; ++i) {
            const int n = int((i + 1) * shape.periods / days - i * shape.periods / days);
            SeedDenseDay(work, logStart.addDays(i), n, r, c.periods);
        }
    }
    for (sqlite3_stmt* st : {sched, diary, what, work})
        sqlite3_finalize(st);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (counts)
        *counts = c;
    return ok;
}
