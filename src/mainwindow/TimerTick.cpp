#include "mainwindow/TimerTick.h"

#include "alarm/Alarm.h"
#include "core/Database.h"
#include "core/MsgBox.h"
#include "core/Program.h"
#include "worktime/RunningTime.h"

TickOutcome Timer1Tick(const QDateTime& now) {
    TickOutcome out;
    out.alarmDue = AlarmDue(now);
    if (Connection::openCount() > 0) {
        out.recorded = true;
        return out;
    }
    Db db = Connection::open(DatabasePath());
    if (!db) {
        out.failure = QStringLiteral("データベースへの接続に失敗しました。");
        return out;
    }
    if (!ExtendRunningTime(*db, now))
        return out;
    if (!db->commit()) {
        out.failure = QStringLiteral("データベースの切断に失敗しました。");
        return out;
    }
    out.recorded = true;
    return out;
}

void TickReport::take(QWidget* owner, const TickOutcome& tick) {
    if (tick.recorded) {
        m_reported = false;
        return;
    }
    if (tick.failure.isEmpty() || m_reported || m_message)
        return;
    m_reported = true;
    m_message = OpenMsgBox(owner, tick.failure, MsgIcon::Critical, QString::fromLatin1(kAppTitle));
}
