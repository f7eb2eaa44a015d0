// The main window's timer tick: the running period and the alarm.
#pragma once

#include "core/Database.h"

class AlarmState;
class Program;

#include <QDateTime>
#include <QObject>
#include <QString>

#include <optional>

struct TickOutcome {
    // The pending alarm's minute has come: the caller shows (or brings forward) its
    // notification. Decided from the alarm held in memory, whatever the database did.
    bool alarmDue = false;
    // The running period was extended and committed: the database is reachable.
    bool recorded = false;
    // The failure the user is told of (the connection could not be opened or the commit
    // failed); none for a failed update, which is silent.
    std::optional<DbFailure> failure;
};

// Extends the running period on a connection of its own to the program's database and checks
// the alarm. Never shows
// anything and never waits on the user: the caller reports a failure without blocking, so that
// the ticks go on. No other connection of the program is open when a tick runs, as none stays
// open while a window waits for the user.
TickOutcome RunTick(const Program& program, const QDateTime& now, const AlarmState& alarm);

class QTimer;

// The program's periodic tick: from its making until stop(), every 50 seconds it runs RunTick
// at the program's present time on the pending alarm and reports what it found.
class TickTimer : public QObject {
    Q_OBJECT
public:
    TickTimer(const Program& program, const AlarmState& alarm, QObject* parent = nullptr);
    void stop();

public slots:
    // One tick now, as the timer would run it.
    void tickNow();

signals:
    void ticked(const TickOutcome& outcome);

private:
    const Program& m_program;
    const AlarmState& m_alarm;
    QTimer* m_timer;
};
