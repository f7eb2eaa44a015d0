// The pending alarm: loading at start and the per-tick comparison.
#pragma once

#include <QDateTime>

// Loads the pending alarm from the open connection into G_blnAlarm, G_datTimeOfAlarm and
// G_strAlarmDetail. False when the table could not be read.
bool LoadAlarm();

// True when the alarm is pending and t lies in its minute.
bool AlarmDue(const QDateTime& t);
