#include "worktime/RunningTime.h"

#include "core/Database.h"

namespace {
QDateTime Seconds(const QDateTime& t) {
    // Stored values carry whole seconds; compare with the same precision.
    return t.addMSecs(-t.time().msec());
}

} // namespace

bool EnsureRunningTimeIndexes(Connection& db) {
    return db.execOptional("CREATE INDEX IF NOT EXISTS WorkTimeEnd ON T_WorkTime (EndTime);"
                           "CREATE INDEX IF NOT EXISTS WorkTimeLength ON T_WorkTime "
                           "(julianday(EndTime) - julianday(StartTime));");
}

bool RecordRunningTimeAtStart(Connection& db, const QDateTime& now) {
    // Without the indexes the log is only slower to search.
    EnsureRunningTimeIndexes(db);
    const QDateTime t = Seconds(now);
    const QDateTime from = t.addSecs(-60 * PERIOD_JOIN_MINUTES);
    Recordset rs;
    // The periods found are the recent ones: search them by their end ("+" keeps the planner
    // from walking every earlier start instead).
    if (!rs.open(db,
                 QStringLiteral("SELECT 1 FROM T_WorkTime "
                                "WHERE +StartTime <= ? AND EndTime >= ? LIMIT 1"),
                 {t, from}))
        return false;
    const bool none = rs.eof();
    rs.close();
    if (none)
        return db.exec(QStringLiteral("INSERT INTO T_WorkTime (StartTime, EndTime) VALUES (?, ?)"),
                       {t, t});
    return ExtendRunningTime(db, t);
}

bool ExtendRunningTime(Connection& db, const QDateTime& now) {
    const QDateTime t = Seconds(now);
    return db.exec(QStringLiteral("UPDATE T_WorkTime SET EndTime = ? "
                                  "WHERE EndTime >= ? AND EndTime <= ?"),
                   {t, t.addSecs(-60 * PERIOD_JOIN_MINUTES), t});
}

bool ReadPeriods(Connection& db, const QDate& first, const QDate& last, const PeriodSink& sink) {
    const QDateTime from(first, QTime(0, 0, 0));
    const QDateTime to(last, QTime(23, 59, 59));
    // A period that overlaps the days began at most the longest period's length before them;
    // that bound turns the search into one index range (a minute of slack covers rounding; a
    // bound out of the engine's date range searches from the first period).
    Recordset rs;
    if (!rs.open(db,
                 QStringLiteral("SELECT StartTime, EndTime FROM T_WorkTime "
                                "WHERE StartTime >= (SELECT coalesce(datetime(julianday(?) - "
                                "max(julianday(EndTime) - julianday(StartTime)) - 1.0 / 1440), '') "
                                "FROM T_WorkTime) "
                                "AND StartTime <= ? AND EndTime >= ? ORDER BY StartTime, EndTime"),
                 {from, to, from}))
        return false;
    const int cs = rs.column("StartTime");
    const int ce = rs.column("EndTime");
    while (!rs.eof()) {
        sink(ParseSqlWallClock(rs.utf8(cs)), ParseSqlWallClock(rs.utf8(ce)));
        if (!rs.moveNext())
            return false;
    }
    return true;
}
