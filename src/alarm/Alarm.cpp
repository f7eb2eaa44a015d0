#include "alarm/Alarm.h"

#include "core/CodePageText.h"
#include "core/Database.h"
#include "core/DateFormat.h"

#include <cmath>

bool ReadAlarm(Connection& db, std::optional<PendingAlarm>& alarm) {
    alarm.reset();
    Recordset rs;
    if (!rs.open(db, QStringLiteral("SELECT AlarmTime, AlarmDetail FROM T_Alarm")))
        return false;
    if (!rs.eof())
        alarm = PendingAlarm{rs.dateTime("AlarmTime"), rs.text("AlarmDetail")};
    return true;
}

bool StoreAlarm(Connection& db, const PendingAlarm& alarm) {
    return db.exec(QStringLiteral("DELETE FROM T_Alarm")) &&
           db.exec(QStringLiteral("INSERT INTO T_Alarm (AlarmTime, AlarmDetail) VALUES (?, ?)"),
                   {alarm.time, alarm.detail});
}

bool DeleteAlarm(Connection& db) {
    return db.exec(QStringLiteral("DELETE FROM T_Alarm"));
}

AlarmState::AlarmState(QObject* parent) : QObject(parent) {}

bool AlarmState::load(Connection& db) {
    std::optional<PendingAlarm> alarm;
    if (!ReadAlarm(db, alarm))
        return false;
    set(std::move(alarm));
    return true;
}

void AlarmState::set(std::optional<PendingAlarm> alarm) {
    m_pending = std::move(alarm);
    emit changed(m_pending.has_value());
}

bool AlarmState::due(const QDateTime& t) const {
    static const QString pattern = QStringLiteral("yyyy/mm/dd hh:nn");
    return m_pending && FormatDate(t, pattern) == FormatDate(m_pending->time, pattern);
}

// ---------------------------------------------------------------- input

namespace {

// Full-width digits typed through an input method count as digits.
QString Normalised(const QString& s) {
    return s.normalized(QString::NormalizationForm_KC).trimmed();
}

bool InRange(const QString& text, double low, double high) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && std::isfinite(v) && v >= low && v <= high;
}

QDate ParseDate(const QString& y, const QString& m, const QString& d) {
    int year = 0, month = 0, day = 0;
    if (!ParseDigits(y, 4, year) || !ParseDigits(m, 2, month) || !ParseDigits(d, 2, day))
        return QDate();
    // A one- or two-digit year is read in the 1930-2029 window; longer years as written.
    if (y.size() <= 2)
        year += year < 30 ? 2000 : 1900;
    if (year < 100)
        return QDate();
    return QDate(year, month, day);
}

QTime ParseTime(const QString& h, const QString& n) {
    int hour = 0, minute = 0;
    if (!ParseDigits(h, 2, hour) || !ParseDigits(n, 2, minute))
        return QTime();
    return QTime(hour, minute);
}

AlarmInputCheck Fail(AlarmField f, const QString& message) {
    AlarmInputCheck r;
    r.field = f;
    r.message = message;
    return r;
}

} // namespace

AlarmInputCheck CheckAlarmFields(const QString& year, const QString& month, const QString& day,
                                 const QString& hour, const QString& minute,
                                 const QString& detail) {
    const QString y = Normalised(year);
    const QString m = Normalised(month);
    const QString d = Normalised(day);
    const QString h = Normalised(hour);
    const QString n = Normalised(minute);
    if (!InRange(m, 1, 12))
        return Fail(AlarmField::Month, QStringLiteral("月は 1～12 で入力して下さい。"));
    if (!InRange(d, 1, 31))
        return Fail(AlarmField::Day, QStringLiteral("日は 1～31 で入力して下さい。"));
    if (!InRange(h, 0, 23))
        return Fail(AlarmField::Hour, QStringLiteral("時は 0～23 で入力して下さい。"));
    if (!InRange(n, 0, 59))
        return Fail(AlarmField::Minute, QStringLiteral("分は 0～59 で入力して下さい。"));
    const QDate date = ParseDate(y, m, d);
    if (!date.isValid())
        return Fail(AlarmField::Year, QStringLiteral("日付として認識できません。"));
    const QTime time = ParseTime(h, n);
    if (!time.isValid())
        return Fail(AlarmField::Hour, QStringLiteral("時間が認識できません。"));
    const QString text = detail.trimmed();
    if (text.isEmpty())
        return Fail(AlarmField::Detail, QStringLiteral("アラーム詳細内容を入力して下さい。"));
    AlarmInputCheck r;
    r.time = QDateTime(date, time);
    r.detail = text;
    return r;
}
