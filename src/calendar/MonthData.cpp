#include "calendar/MonthData.h"

#include "core/CodePageText.h"
#include "core/Colors.h"
#include "core/Database.h"
#include "core/Dates.h"

#include <QHash>

namespace {

const CellLook kPlain{false, kWhite};

// The day label's background: holidays and Sundays red, Saturdays blue.
CellLook DayLook(const QDate& d, bool holiday) {
    const int weekday = d.dayOfWeek() % 7;
    return holiday || weekday == 0 ? CellLook{true, kHolidayRed}
           : weekday == 6          ? CellLook{true, kSaturdayBlue}
                                   : kPlain;
}

QString DayNumber(const QDate& d) {
    return QStringLiteral("%1").arg(d.day(), 2);
}

// Anniversaries of the grid's days, each day's texts in the order they were entered. Only the
// days shown are read: the grid holds the end of one month and the start of the next as well.
bool ReadAnniversaries(Connection& db, const QDate& start, QHash<int, QStringList>& out) {
    const QDate middle = start.addDays(20);
    const QDate end = start.addDays(kGridCells - 1);
    Recordset rs;
    if (!rs.open(db,
                 QStringLiteral("SELECT Month, Day, WhatDay FROM T_WhatDay "
                                "WHERE (Month = ? AND Day >= ?) OR Month = ? OR "
                                "(Month = ? AND Day <= ?) ORDER BY ID"),
                 {start.month(), start.day(), middle.month(), end.month(), end.day()}))
        return false;
    while (!rs.eof()) {
        out[int(rs.integer(0)) * 32 + int(rs.integer(1))].append(rs.text(2).trimmed());
        if (!rs.moveNext())
            return false;
    }
    return true;
}

// Walks a date-ordered result alongside the cells; each row is consumed by its own day.
class DayCursor {
public:
    explicit DayCursor(Recordset& rs) : m_rs(rs) { read(); }
    // True when the current row belongs to day d (rows of earlier days are skipped).
    bool at(const QDate& d) {
        while (!m_rs.eof() && m_date < d)
            next();
        return !m_rs.eof() && m_date == d;
    }
    void next() {
        m_rs.moveNext();
        read();
    }

private:
    void read() { m_date = m_rs.eof() ? QDate() : m_rs.date(0); }
    Recordset& m_rs;
    QDate m_date;
};

} // namespace

bool LoadMonthCells(Connection& db, MonthCells& cells, int year, int month,
                    const QColor& diaryColor) {
    const QDate start = GridStart(year, month);
    const QDate end = start.addDays(kGridCells - 1);

    HolidayRules rules;
    if (!ReadHolidayRules(db, rules))
        return false;
    Recordset schedules;
    if (!schedules.open(db,
                        QStringLiteral("SELECT [Date], Schedule FROM T_Schedule "
                                       "WHERE [Date] BETWEEN ? AND ? ORDER BY [Date]"),
                        {start, end}))
        return false;
    Recordset diaries;
    if (!diaries.open(db,
                      QStringLiteral("SELECT [Date] FROM T_Diary "
                                     "WHERE [Date] BETWEEN ? AND ? ORDER BY [Date]"),
                      {start, end}))
        return false;
    QHash<int, QStringList> anniversaries;
    if (!ReadAnniversaries(db, start, anniversaries))
        return false;

    DayCursor scheduleDays(schedules);
    DayCursor diaryDays(diaries);
    for (int i = 0; i < kGridCells; ++i) {
        const QDate d = start.addDays(i);
        GridCell& c = cells[size_t(i)];
        c.date = d;
        c.anniversaries = anniversaries.value(d.month() * 32 + d.day());

        c.schedule.clear();
        if (scheduleDays.at(d)) {
            c.schedule = schedules.text(1).trimmed();
            scheduleDays.next();
        }
        c.tag.clear();
        if (diaryDays.at(d)) {
            c.tag = kDiaryMark;
            if (!c.scheduleLook.opaque)
                c.scheduleLook = {true, diaryColor};
            diaryDays.next();
        }
    }
    ApplyHolidayMarks(cells, rules, year, month);
    return true;
}

bool ApplyHolidayMarks(MonthCells& cells, const HolidayRules& rules, int year, int month) {
    const QDate start = GridStart(year, month);
    for (int i = 0; i < kGridCells; ++i) {
        if (cells[size_t(i)].date != start.addDays(i))
            return false;
    }
    const HolidayMarks holidays = MarkHolidays(rules, year, month);
    for (int i = 0; i < kGridCells; ++i) {
        GridCell& c = cells[size_t(i)];
        const HolidayMark& h = holidays[size_t(i)];
        c.dayLook = DayLook(c.date, h.holiday);
        c.dayCaption = DayNumber(c.date) + h.dateTexts;
        for (const QString& text : c.anniversaries)
            c.dayCaption += QStringLiteral("［") + text + QStringLiteral("］");
        // The nth-weekday texts go right after the day number, before the other texts.
        for (const QString& text : h.nthTexts)
            c.dayCaption = InsertAfterDayNumber(c.dayCaption, text);
    }
    return true;
}

MonthCells BareMonthCells(int year, int month) {
    MonthCells cells;
    const QDate start = GridStart(year, month);
    for (int i = 0; i < kGridCells; ++i) {
        const QDate d = start.addDays(i);
        cells[size_t(i)].date = d;
        cells[size_t(i)].dayCaption = DayNumber(d);
        cells[size_t(i)].dayLook = DayLook(d, false);
    }
    return cells;
}

CellLook ScheduleLook(const QDate& d, const QDate& selected, const QDate& today, int month,
                      const QString& tag, const GridColors& colors) {
    if (d == selected)
        return {true, colors.select};
    if (d == today)
        return {true, colors.today};
    if (d.month() != month)
        return {true, kOtherMonthGrey};
    if (tag == kDiaryMark)
        return {true, colors.diary};
    return kPlain;
}

QString JapaneseMonthName(int month) {
    static const char16_t* const names[] = {u"睦月", u"如月",   u"弥生", u"卯月",
                                            u"皐月", u"水無月", u"文月", u"葉月",
                                            u"長月", u"神無月", u"霜月", u"師走"};
    if (month < 1 || month > 12)
        return QString();
    return QStringLiteral("　") + QString::fromUtf16(names[month - 1]);
}

QDate CarrySelection(const QDate& selected, int year, int month) {
    return DateSerial(year, month, selected.day());
}

QDate DateOfClickedCell(int cell, const QString& dayCaption, int year, int month) {
    const int n = cp932Left(dayCaption, 2).trimmed().toInt();
    if (n > 20 && cell < 6)
        return DateSerial(year, month - 1, n);
    if (n <= 14 && cell >= 28)
        return DateSerial(year, month + 1, n);
    return DateSerial(year, month, n);
}
