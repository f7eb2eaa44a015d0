// The month grid as data: what each of the 42 cells shows, how the month's data fills it, and
// how a draw colours it. The main window only copies this state onto its labels.
#pragma once

#include "holidays/HolidayRules.h"

class Connection;

#include <QColor>
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>

inline constexpr int kGridCells = 42;
inline const QString kDiaryMark = QStringLiteral("日記記入日");

struct CellLook {
    bool opaque = false;
    QColor color = QColor(0xFF, 0xFF, 0xFF);
    bool operator==(const CellLook&) const = default;
};

struct GridCell {
    QDate date;
    QStringList anniversaries; // the day's anniversary texts in entry order
    QString dayCaption;        // lblDay: day number and holiday/anniversary texts
    CellLook dayLook;
    QString schedule; // lblSchedule caption
    QString tag;      // lblSchedule tag: the diary mark or empty
    CellLook scheduleLook;
};

using MonthCells = std::array<GridCell, kGridCells>;

// The colours a draw needs.
struct GridColors {
    QColor today = QColor(0xFF, 0xFF, 0x88);
    QColor select = QColor(0xC0, 0xFF, 0xC0);
    QColor diary = QColor(0xFF, 0xE0, 0xC0);
};

// Fills the cells of the month from the connection: day numbers, weekend and holiday
// colours, holiday and anniversary texts, schedules and diary marks. The diary colour goes only
// to cells whose schedule background is still transparent. False when a query failed
// (db.errorText() says why); the cells keep what they showed.
bool LoadMonthCells(Connection& db, MonthCells& cells, int year, int month,
                    const QColor& diaryColor);

// Composes the day captions and colours of the cells of year/month's grid from the rules and
// the cells' dates and anniversaries, without reading the database. False (cells unchanged)
// when the cells do not hold that grid.
bool ApplyHolidayMarks(MonthCells& cells, const HolidayRules& rules, int year, int month);

// The month's days with nothing read: day numbers and weekend colours only, for a month that
// could not be read while nothing was shown before it.
MonthCells BareMonthCells(int year, int month);

// The schedule background of a cell by the drawing rules: selected, today, other month,
// diary, plain.
CellLook ScheduleLook(const QDate& d, const QDate& selected, const QDate& today, int month,
                      const QString& tag, const GridColors& colors);

// The old Japanese name of a month, preceded by a full-width blank; empty for other values.
QString JapaneseMonthName(int month);

// The selected date after a draw of year/month: the day of month of the old selection, a day
// beyond the month's end carrying into the next month.
QDate CarrySelection(const QDate& selected, int year, int month);

// The date a click on cell i selects, read from the cell's day number: a number above 20 in the
// first row is the previous month, one up to 14 from the fifth row on the next month.
QDate DateOfClickedCell(int cell, const QString& dayCaption, int year, int month);
