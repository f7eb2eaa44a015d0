#include "core/Dates.h"

QDate DateSerial(int year, int month, int day) {
    // Months outside 1-12 roll into the neighbouring years, as do days outside the month.
    int m0 = month - 1;
    year += m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
    m0 = ((m0 % 12) + 12) % 12;
    return QDate(year, m0 + 1, 1).addDays(day - 1);
}

QDate LastDayOfMonth(qint16 year, qint16 month) {
    return DateSerial(year, month, 1).addMonths(1).addDays(-1);
}

QDate GridStart(int year, int month) {
    const QDate first(year, month, 1);
    return first.addDays(-(first.dayOfWeek() % 7));
}
