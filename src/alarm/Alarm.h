// The pending alarm: loading at start, the check of the clock against it, the input rules of
// the alarm dialog, and the notice of a changed alarm state.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <optional>

class Connection;

// ---- The alarm's table (T_Alarm): one row at most. Each function works in the caller's
// transaction and shows nothing; false when a statement failed (db.errorText() tells why, and a
// failed write has rolled back and closed the connection).

struct PendingAlarm {
    QDateTime time;
    QString detail;
};
// The stored alarm, or none.
bool ReadAlarm(Connection& db, std::optional<PendingAlarm>& alarm);
// Replaces whatever alarm is stored.
bool StoreAlarm(Connection& db, const PendingAlarm& alarm);
bool DeleteAlarm(Connection& db);

// Loads the pending alarm into G_blnAlarm, G_datTimeOfAlarm and G_strAlarmDetail. False when
// the table could not be read.
bool LoadAlarm(Connection& db);

// True when the alarm is pending and t lies in its minute.
bool AlarmDue(const QDateTime& t);

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
