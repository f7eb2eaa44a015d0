// The main window's timer tick: the running period first, then the alarm.
#pragma once

#include <QDateTime>

// Extends the running period on a connection of its own and checks the alarm. True when the
// alarm is due, so that the caller shows (or brings forward) its notification. An unreachable
// database shows the connection message and skips the check; a failed update is silent and
// skips it too. While another operation of the program holds a connection (the tick then runs
// inside that operation's nested event loop), the tick leaves the database alone, so that the
// operation's work is exactly what it would be without the tick; the next tick extends the
// period, and the alarm is checked all the same.
bool Timer1Tick(const QDateTime& now);
