// The log of the periods during which the program has been running.
#pragma once

#include <QDateTime>

// A period is open while its end lies within this many minutes of the present.
inline constexpr int PERIOD_JOIN_MINUTES = 2;

// Start-up step, on the open connection: continue the period that has just ended, or begin a
// new one. False when a statement failed (DbErrorText() says why).
bool RecordRunningTimeAtStart(const QDateTime& t);

// Moves the end of every open period to t, on the open connection. False when the statement
// failed.
bool ExtendRunningTime(const QDateTime& t);
