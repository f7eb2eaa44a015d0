#include "mainwindow/TimerTick.h"

#include "alarm/Alarm.h"
#include "core/Database.h"
#include "core/Program.h"
#include "worktime/RunningTime.h"

#include <QTimer>

namespace {

constexpr int kTickInterval = 50000;

} // namespace

TickOutcome RunTick(const Program& program, const QDateTime& now, const AlarmState& alarm) {
    TickOutcome out;
    out.alarmDue = alarm.due(now);
    Db db = program.openDatabase();
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

TickTimer::TickTimer(const Program& program, const AlarmState& alarm, QObject* parent)
    : QObject(parent), m_program(program), m_alarm(alarm), m_timer(new QTimer(this)) {
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kTickInterval);
    connect(m_timer, &QTimer::timeout, this, &TickTimer::tickNow);
    m_timer->start();
}

void TickTimer::stop() {
    m_timer->stop();
}

void TickTimer::tickNow() {
    emit ticked(RunTick(m_program, m_program.clock().now(), m_alarm));
}
