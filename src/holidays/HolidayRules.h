// Holidays computed from the rule table T_Holiday: date rules with or without a substitute
// Monday, and nth-weekday rules. Both the month grid and the work-time month chart mark their
// days through MarkHolidays, so that they always agree.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class Connection;

enum HolidayKind { kHolidayNormal = 0, kHolidayFixed = 1, kHolidayNthWeekday = 2 };

struct HolidayRule {
    int kind = kHolidayNormal;
    int month = 0;
    std::optional<int> day;
    std::optional<int> week;
    std::optional<int> weekday; // 0 Sunday ... 6 Saturday
    QString name;
    bool operator==(const HolidayRule&) const = default;
};

using HolidayRules = std::vector<HolidayRule>;

// Reads every rule in table order. False when the table cannot be read (the connection's
// errorText() says why).
bool ReadHolidayRules(Connection& db, HolidayRules& out);
// Inserts the rules in their order, the fields a kind does not use as Null. False when a
// statement failed (the connection is then rolled back and closed).
bool InsertHolidayRules(Connection& db, const HolidayRules& rules);
// Replaces the whole table by the rules, in their order, with the same failure rule.
bool ReplaceHolidayRules(Connection& db, const HolidayRules& rules);

// The Japanese national holidays that the rule kinds can express: what a new database holds.
HolidayRules DefaultHolidayRules();

// Whether a rule can mark a day at all: kinds 0 and 1 need month 1-12 and day 1-31, kind 2
// month 1-12, week 1-5 and weekday 0-6. Other rules are ignored wherever holidays are marked.
bool IsUsableRule(const HolidayRule& r);

// What the rules make of one day.
struct HolidayMark {
    bool holiday = false; // drawn in the holiday colour
    // "[振替休日]" and "［name］" of the date rule, to follow the day number.
    QString dateTexts;
    // "[name]" of each nth-weekday rule that falls on the day, in table order; each one is put
    // right after the day number, so the later rule's text stands first.
    QStringList nthTexts;
};

inline constexpr int kGridDays = 42;
using HolidayMarks = std::array<HolidayMark, kGridDays>;

// Marks the 42 days of the month grid of year/month, which start on the Sunday on or before the
// 1st. Date rules apply to every day, the first matching rule in table order winning, and a
// kind-0 holiday on a Sunday makes the next day a substitute holiday. An nth-weekday rule of the
// month marks the Week-th day of the rule's weekday that lies in the month itself; a day that does
// not exist (a fifth Monday, say) is not marked.
HolidayMarks MarkHolidays(const HolidayRules& rules, int year, int month);

// The texts a holiday adds to a day cell's caption.
QString SubstituteHolidayText();              // "[振替休日]"
QString DateHolidayText(const QString& name); // "［name］"
QString NthWeekdayText(const QString& name);  // "[name]"

// Inserts an nth-weekday holiday text after the two-character day number of a caption.
QString InsertAfterDayNumber(const QString& caption, const QString& text);
