#include "RunningTime.h"

#include "mdlVaskel.h"

namespace {
QDateTime Seconds(const QDateTime& t) {
    // Stored values carry whole seconds; compare with the same precision.
    return t.addMSecs(-t.time().msec());
}
} // namespace

bool EnsureRunningTimeIndexes() {
    Connection* c = CurrentConnection();
    if (!c)
        return false;
    // Inside the caller's transaction; a failure takes back only what this step began.
    if (!c->execScript("SAVEPOINT RunningTimeIndexes"))
        return false;
    const bool ok = c->execScript("CREATE INDEX IF NOT EXISTS WorkTimeEnd ON T_WorkTime (EndTime);"
                                  "CREATE INDEX IF NOT EXISTS WorkTimeLength ON T_WorkTime "
                                  "(julianday(EndTime) - julianday(StartTime));");
    if (!ok)
        c->execScript("ROLLBACK TO RunningTimeIndexes");
    c->execScript("RELEASE RunningTimeIndexes");
    return ok;
}

bool RecordRunningTimeAtStart(const QDateTime& now) {
    // Without the indexes the log is only slower to search.
    EnsureRunningTimeIndexes();
    const QDateTime t = Seconds(now);
    const QDateTime from = t.addSecs(-60 * PERIOD_JOIN_MINUTES);
    Recordset rs;
    // The periods found are the recent ones: search them by their end ("+" keeps the planner
    // from walking every earlier start instead).
    if (!rs.open(QStringLiteral("SELECT 1 FROM T_WorkTime "
                                "WHERE +StartTime <= ? AND EndTime >= ? LIMIT 1"),
                 {t, from}))
        return false;
    const bool none = rs.eof();
    rs.close();
    if (none)
        return ExecDirect(
            QStringLiteral("INSERT INTO T_WorkTime (StartTime, EndTime) VALUES (?, ?)"), {t, t});
    return ExtendRunningTime(t);
}

bool ExtendRunningTime(const QDateTime& now) {
    const QDateTime t = Seconds(now);
    return ExecDirect(QStringLiteral("UPDATE T_WorkTime SET EndTime = ? "
                                     "WHERE EndTime >= ? AND EndTime <= ?"),
                      {t, t.addSecs(-60 * PERIOD_JOIN_MINUTES), t});
}

bool ReadPeriods(const QDate& first, const QDate& last, const PeriodSink& sink) {
    const QDateTime from(first, QTime(0, 0, 0));
    const QDateTime to(last, QTime(23, 59, 59));
    // A period that overlaps the days began at most the longest period's length before them;
    // that bound turns the search into one index range (a minute of slack covers rounding; a
    // bound out of the engine's date range searches from the first period).
    Recordset rs;
    if (!rs.open(QStringLiteral("SELECT StartTime, EndTime FROM T_WorkTime "
                                "WHERE StartTime >= (SELECT coalesce(datetime(julianday(?) - "
                                "max(julianday(EndTime) - julianday(StartTime)) - 1.0 / 1440), '') "
                                "FROM T_WorkTime) "
                                "AND StartTime <= ? AND EndTime >= ? ORDER BY StartTime, EndTime"),
                 {from, to, from}))
        return false;
    const int cs = rs.column("StartTime");
    const int ce = rs.column("EndTime");
    while (!rs.eof()) {
        sink(ParseSqlDateTime(rs.text(cs)), ParseSqlDateTime(rs.text(ce)));
        if (!rs.moveNext())
            return false;
    }
    return true;
}
