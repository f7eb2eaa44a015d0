// Date format patterns ("yyyy/mm/dd", "ggg e年", "mm月dd日（aaa）") and the Japanese eras.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

struct Era {
    QDate start;     // first day of the era
    QString initial; // "H"
    QString kanji;   // "平"
    QString name;    // "平成"
};

// The era a date belongs to, or null for dates before the first era of the table.
const Era* EraOf(const QDate& d);
// The year within the era (the era's first year is 1), or the plain year without an era.
int EraYear(const QDate& d);

// Renders a date (and time) by a pattern. Tokens, case-insensitive:
// yyyy, yy ('yy keeps its apostrophe), m, mm, mmm, mmmm, d, dd, ddd, dddd, aaa, aaaa,
// g, gg, ggg, e, ee, h, hh, n, nn. Every other character is copied unchanged.
QString FormatDate(const QDateTime& t, const QString& pattern);
QString FormatDate(const QDate& d, const QString& pattern);

// The display patterns chosen by the "YearFormat", "MonthFormat" and "WeekFormat" options;
// the empty text for a value outside the list.
QString YearFormatPattern(int option);
QString MonthFormatPattern(int option);
QString WeekFormatPattern(int option);
