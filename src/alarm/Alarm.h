// The pending alarm: loading at start, the timer tick that checks it, the input rules of the
// alarm dialog, and the notice of a changed alarm state.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

// Loads the pending alarm from the open connection into G_blnAlarm, G_datTimeOfAlarm and
// G_strAlarmDetail. False when the table could not be read.
bool LoadAlarm();

// True when the alarm is pending and t lies in its minute.
bool AlarmDue(const QDateTime& t);

// The main window's timer tick: extends the running period and checks the alarm, on a
// connection of its own, or inside the start-up's connection while the start-up holds it.
// True when the alarm is due, so that the caller shows (or brings forward) its notification.
// An unreachable database shows the connection message; a failed update is silent and skips
// the alarm check.
bool Timer1Tick(const QDateTime& now);

// Deletes the alarm row on the open connection. On failure the work is discarded and
// failureText, a line break and the engine's description are shown under title.
bool DeleteAlarmRow(const QString& failureText, const QString& title);

// Announces committed changes of the alarm state (registered, cancelled, acknowledged), so
// that the main window's status panel can follow.
class AlarmEvents : public QObject {
    Q_OBJECT
public:
    static AlarmEvents& instance();
    void notify(bool on) { emit alarmStateChanged(on); }
signals:
    void alarmStateChanged(bool on);
};

// ---- Input of the alarm dialog

enum class AlarmField { None, Year, Month, Day, Hour, Minute, Detail };

struct AlarmInputCheck {
    AlarmField field = AlarmField::None; // the field to put the focus in, None when accepted
    QString message;                     // the warning to show
    QDateTime time;                      // the alarm's minute, when accepted
    QString detail;                      // the trimmed detail, when accepted
    bool ok() const { return field == AlarmField::None; }
};

// The checks of the dialog in their order: month, day, hour and minute ranges (an empty or
// non-numeric field fails its range), the date, the time, then a detail that is not blank.
AlarmInputCheck CheckAlarmFields(const QString& year, const QString& month, const QString& day,
                                 const QString& hour, const QString& minute, const QString& detail);
