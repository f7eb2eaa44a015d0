// The pending alarm: loading at start, the check of the clock against it, the input rules of
// the alarm dialog, and the notice of a changed alarm state.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

class Connection;

// Loads the pending alarm into G_blnAlarm, G_datTimeOfAlarm and G_strAlarmDetail. False when
// the table could not be read.
bool LoadAlarm(Connection& db);

// True when the alarm is pending and t lies in its minute.
bool AlarmDue(const QDateTime& t);

// Deletes the alarm row. On failure the work is rolled back and failureText, a line break and
// the engine's description are shown under title.
bool DeleteAlarmRow(Connection& db, const QString& failureText, const QString& title);

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
