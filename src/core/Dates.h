// Calendar arithmetic of the month grid.
#pragma once

#include <QDate>

QDate LastDayOfMonth(qint16 year, qint16 month);
// The date of year/month/day where a day beyond the month's end carries into the next month.
QDate DateSerial(int year, int month, int day);
// The Sunday on or before the 1st of the month: the first cell of the month grid.
QDate GridStart(int year, int month);
