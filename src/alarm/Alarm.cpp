#include "Alarm.h"

#include "DateFormat.h"
#include "mdlVaskel.h"

bool LoadAlarm() {
    G_blnAlarm = false;
    Recordset rs;
    if (!rs.open(QStringLiteral("SELECT * FROM T_Alarm")))
        return false;
    if (!rs.eof()) {
        G_blnAlarm = true;
        G_datTimeOfAlarm = rs.dateTime("AlarmTime");
        G_strAlarmDetail = rs.text("AlarmDetail");
    }
    return true;
}

bool AlarmDue(const QDateTime& t) {
    static const QString pattern = QStringLiteral("yyyy/mm/dd hh:nn");
    return G_blnAlarm && FormatDate(t, pattern) == FormatDate(G_datTimeOfAlarm, pattern);
}
