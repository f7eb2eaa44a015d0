#include "entries/EntryStore.h"

#include "core/Database.h"

namespace {

// The program's own table and column names; only values are ever the user's.
const char* Table(DayEntry e) {
    return e == DayEntry::Schedule ? "T_Schedule" : "T_Diary";
}
const char* Column(DayEntry e) {
    return e == DayEntry::Schedule ? "Schedule" : "Diary";
}

// %1 the table, %2 the column; a statement may name only the table.
QString Sql(const char* pattern, DayEntry e) {
    return QString::fromLatin1(pattern)
        .replace(QLatin1String("%1"), QLatin1String(Table(e)))
        .replace(QLatin1String("%2"), QLatin1String(Column(e)));
}

} // namespace

std::optional<DayText> ReadDay(Connection& db, DayEntry entry, const QDate& day) {
    Recordset rs;
    if (!rs.open(db, Sql("SELECT %2 FROM %1 WHERE [Date] = ?", entry), {day}))
        return std::nullopt;
    DayText out;
    out.exists = !rs.eof();
    if (out.exists)
        out.text = rs.text(0);
    return out;
}

bool WriteDay(Connection& db, DayEntry entry, const QDate& day, const QString& text,
              bool rowExists) {
    if (rowExists)
        return db.exec(Sql("UPDATE %1 SET %2 = ? WHERE [Date] = ?", entry), {text, day});
    return db.exec(Sql("INSERT INTO %1 ([Date], %2) VALUES (?, ?)", entry), {day, text});
}

bool AppendToSchedule(Connection& db, const QDate& day, const QString& text, bool rowExists) {
    if (rowExists)
        return db.exec(QStringLiteral("UPDATE T_Schedule SET Schedule = ifnull(Schedule, '') || ? "
                                      "WHERE [Date] = ?"),
                       {text, day});
    return WriteDay(db, DayEntry::Schedule, day, text, false);
}

bool DeleteDay(Connection& db, DayEntry entry, const QDate& day) {
    return db.exec(Sql("DELETE FROM %1 WHERE [Date] = ?", entry), {day});
}

bool ReadAnniversaries(Connection& db, std::vector<Anniversary>& out) {
    Recordset rs;
    if (!rs.open(db,
                 QStringLiteral("SELECT Month, Day, WhatDay FROM T_WhatDay ORDER BY Month, Day")))
        return false;
    while (!rs.eof()) {
        out.push_back({int(rs.integer(0)), int(rs.integer(1)), rs.text(2)});
        if (!rs.moveNext())
            return false;
    }
    return true;
}

std::optional<bool> AnniversaryExists(Connection& db, const Anniversary& a) {
    Recordset rs;
    if (!rs.open(
            db,
            QStringLiteral("SELECT 1 FROM T_WhatDay WHERE Month = ? AND Day = ? AND WhatDay = ?"),
            {a.month, a.day, a.text}))
        return std::nullopt;
    return !rs.eof();
}

bool AddAnniversary(Connection& db, const Anniversary& a) {
    return db.exec(QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (?, ?, ?)"),
                   {a.month, a.day, a.text});
}

bool DeleteAnniversary(Connection& db, const Anniversary& a) {
    return db.exec(
        QStringLiteral("DELETE FROM T_WhatDay WHERE Month = ? AND Day = ? AND WhatDay = ?"),
        {a.month, a.day, a.text});
}

namespace {

// Each row of a query of dates and texts, in its order.
bool ForEachDay(Connection& db, const QString& sql, const std::vector<QVariant>& params,
                const std::function<void(const QDate&, const QString&)>& found) {
    Recordset rs;
    if (!rs.open(db, sql, params))
        return false;
    while (!rs.eof()) {
        found(rs.date(0), rs.text(1));
        if (!rs.moveNext())
            return false;
    }
    return true;
}

} // namespace

bool SearchDays(Connection& db, DayEntry entry, const QString& pattern,
                const std::function<void(const QDate&, const QString&)>& found) {
    return ForEachDay(db, Sql("SELECT [Date], %2 FROM %1 WHERE %2 LIKE ? ESCAPE '\\'", entry),
                      {pattern}, found);
}

bool ReadAllDays(Connection& db, DayEntry entry,
                 const std::function<void(const QDate&, const QString&)>& found) {
    // Days without text have nothing to give.
    return ForEachDay(db, Sql("SELECT [Date], %2 FROM %1 WHERE %2 <> '' ORDER BY [Date]", entry),
                      {}, found);
}

bool SearchAnniversaries(Connection& db, const QString& pattern,
                         const std::function<void(const Anniversary&)>& found) {
    Recordset rs;
    if (!rs.open(db,
                 QStringLiteral("SELECT Month, Day, WhatDay FROM T_WhatDay "
                                "WHERE WhatDay LIKE ? ESCAPE '\\'"),
                 {pattern}))
        return false;
    while (!rs.eof()) {
        found({int(rs.integer(0)), int(rs.integer(1)), rs.text(2)});
        if (!rs.moveNext())
            return false;
    }
    return true;
}
