#include "TimerTick.h"

#include "Alarm.h"
#include "RunningTime.h"
#include "mdlVaskel.h"

bool Timer1Tick(const QDateTime& now) {
    if (Connection::openCount() > 0)
        return AlarmDue(now);
    Db db = OpenDB();
    if (!db)
        return false;
    if (!ExtendRunningTime(*db, now))
        return false;
    const bool due = AlarmDue(now);
    CloseDB(*db);
    return due;
}
