// What the work-time charts show, computed without widgets: running periods split into their
// shares per calendar day, the day and cell totals, the averages, the month cells' colours and
// the texts of totals and tooltips.
#pragma once

#include "holidays/HolidayRules.h"

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <array>
#include <vector>

inline constexpr int kMinutesPerDay = 1440;
inline constexpr int kLastMinute = kMinutesPerDay - 1; // 23:59

// Chart units are twips (kTwipsPerPixel to a pixel).
// Week columns: 3 units per minute, so 24 hours take 4320 units.
inline constexpr int kWeekUnitsPerMinute = 3;
inline constexpr int kWeekBarRight = 825;
// Month cells: the bar stands on y = 720 and 1440 minutes make it 720 units high.
inline constexpr int kMonthBarBottom = 720;
inline constexpr int kMonthBarRight = 720;

inline const QColor kWeekBarColor(0x80, 0x80, 0xFF);
inline const QColor kMonthBarColor(0x80, 0x00, 0x80); // purple

// The minute of the day of a moment, seconds ignored: 0 for 00:00 ... 1439 for 23:59.
int MinuteIndex(const QTime& t);

// The part of one running period that lies on one calendar day, as minute indices. Both the
// first and the last minute count.
struct DayShare {
    QDate day;
    int begin = 0;
    int end = kLastMinute;
    int minutes() const { return end - begin + 1; }
};

// The shares of the period [s, e] on each day from first to last that it touches, in date
// order. A period whose end lies before its start has no shares.
std::vector<DayShare> SplitIntoDays(const QDateTime& s, const QDateTime& e, const QDate& first,
                                    const QDate& last);

// The whole-minute average of a total over a number of days, halves to the even neighbour.
int AverageMinutes(qint64 total, int days);

// "平均稼働時間　hh時間 nn分", or "平均稼働時間　--時間 --分" for an average of 0.
QString AverageText(int minutes);
// A week column's total on two lines: hours ("------" when none) and minutes ("----" when the
// total is 0), joined by CR LF.
QString DayTotalText(int minutes);
// A month cell's tooltip: "45分", "2時間0分", "2時間5分".
QString MonthTipText(int minutes);
// A week column's tooltip entry: "hh:nn～hh:nn".
QString WeekTipText(int begin, int end);

// ---- The week view

struct WeekColumn {
    std::vector<DayShare> bars;
    QString tip;
    int total = 0;
};

struct WeekChart {
    QDate sunday;
    std::array<WeekColumn, 7> columns;

    explicit WeekChart(const QDate& firstDay) : sunday(firstDay) {}
    // Adds a period's shares to the columns it touches within the week.
    void add(const QDateTime& s, const QDateTime& e);
    int average() const;
};

// ---- The month view

struct MonthChart {
    int year;
    int month;
    QDate gridStart; // the Sunday on or before the 1st: cell 0
    QDate first;
    QDate last;
    std::array<QColor, 42> back{}; // cell backgrounds
    std::array<int, 42> minutes{}; // running minutes per cell

    MonthChart(int year, int month);
    QDate date(int cell) const { return gridStart.addDays(cell); }
    bool inMonth(int cell) const;
    // Sunday and Saturday columns, grey neighbouring days, and the holidays of the rules:
    // date rules with their substitute Monday, then nth-weekday rules. Days of the
    // neighbouring months never change colour.
    void colour(const HolidayRules& rules);
    // Adds a period's shares to the cells of the days of the month it touches.
    void add(const QDateTime& s, const QDateTime& e);
    qint64 total() const;
    int average() const;
};
