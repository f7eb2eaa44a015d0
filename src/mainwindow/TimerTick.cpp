#include "mainwindow/TimerTick.h"

#include "alarm/Alarm.h"
#include "core/Database.h"
#include "core/Program.h"
#include "worktime/RunningTime.h"

TickOutcome Timer1Tick(const QDateTime& now, const AlarmState& alarm) {
    TickOutcome out;
    out.alarmDue = alarm.due(now);
    if (Connection::openCount() > 0) {
        out.recorded = true;
        return out;
    }
    Db db = OpenDatabase();
    if (!db) {
        out.failure = DbFailure::Connect;
        return out;
    }
    if (!ExtendRunningTime(*db, now))
        return out;
    if (!db->commit()) {
        out.failure = DbFailure::Disconnect;
        return out;
    }
    out.recorded = true;
    return out;
}
