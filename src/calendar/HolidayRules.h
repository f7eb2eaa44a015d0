// Holidays computed from the rule table T_Holiday: date rules with or without a substitute
// Monday, and nth-weekday rules.
#pragma once

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

enum HolidayKind { kHolidayNormal = 0, kHolidayFixed = 1, kHolidayNthWeekday = 2 };

struct HolidayRule {
    int kind = kHolidayNormal;
    int month = 0;
    std::optional<int> day;
    std::optional<int> week;
    std::optional<int> yobi; // 0 Sunday ... 6 Saturday
    QString name;
};

using HolidayRules = std::vector<HolidayRule>;

// Reads every rule in table order from the open connection. False when the table cannot be
// read (DbErrorText() says why).
bool ReadHolidayRules(HolidayRules& out);

// The first rule in table order whose month and day are the date's, or null.
const HolidayRule* FindDateRule(const HolidayRules& rules, const QDate& d);

// The grid cell (0-41) that an nth-weekday rule marks in the month whose grid starts at
// gridStart: the Week-th cell of column Yobi whose date lies in that month (the column's first
// cell for a Week below 1). -1 when the rule is incomplete or the occurrence does not exist.
int NthWeekdayCell(const HolidayRule& rule, const QDate& gridStart, int month);

// The texts a holiday adds to a day cell's caption.
QString SubstituteHolidayText();              // "[振替休日]"
QString DateHolidayText(const QString& name); // "［name］"
QString NthWeekdayText(const QString& name);  // "[name]"

// Inserts an nth-weekday holiday text after the two-character day number of a caption.
QString InsertAfterDayNumber(const QString& caption, const QString& text);
