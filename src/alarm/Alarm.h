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

// The pending alarm the program holds in memory: loaded at start, changed by registering,
// cancelling and acknowledging once committed, and compared with the clock at every tick
// whatever the database does. The main window owns it; the alarm windows work on it.
class AlarmState : public QObject {
    Q_OBJECT
public:
    explicit AlarmState(QObject* parent = nullptr);

    const std::optional<PendingAlarm>& pending() const { return m_pending; }
    // True when an alarm is pending and t lies in its minute.
    bool due(const QDateTime& t) const;
    // Takes the stored alarm. False when the table could not be read; nothing changes then.
    bool load(Connection& db);
    void set(std::optional<PendingAlarm> alarm);

signals:
    // Whether an alarm is pending, after every change.
    void changed(bool on);

private:
    std::optional<PendingAlarm> m_pending;
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
