#include "RunningTime.h"

#include "mdlVaskel.h"

namespace {
QDateTime Seconds(const QDateTime& t) {
    // Stored values carry whole seconds; compare with the same precision.
    return t.addMSecs(-t.time().msec());
}
} // namespace

bool RecordRunningTimeAtStart(const QDateTime& now) {
    const QDateTime t = Seconds(now);
    const QDateTime from = t.addSecs(-60 * PERIOD_JOIN_MINUTES);
    Recordset rs;
    if (!rs.open(QStringLiteral("SELECT * FROM T_WorkTime WHERE StartTime <= ? AND EndTime >= ?"),
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
