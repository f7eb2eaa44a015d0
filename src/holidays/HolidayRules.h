// Holidays computed from the rule table T_Holiday: the date and nth-weekday rules every table
// has had, and the rules that can state the holiday law (year ranges, equinox days, the law's
// substitute day, the day between two holidays). Every view marks its days through one
// computation (HolidayCalendar), so that they always agree.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class Connection;

enum HolidayKind {
    kHolidayNormal = 0,     // a date; a Sunday one makes the next day a substitute holiday
    kHolidayFixed = 1,      // a date, never a substitute
    kHolidayNthWeekday = 2, // the Week-th weekday Yobi of the month
    kHolidayNational = 3,   // a date whose substitute follows the substitute rules below
    kHolidayEquinox = 4,    // the vernal (month 3) or autumnal (month 9) equinox day
    // From Month/Day of the From year on, a kind-3 or kind-4 holiday on a Sunday makes ...
    kHolidaySubstituteNextDay = 5,   // ... the next day a holiday, unless it is one already;
    kHolidaySubstituteFirstFree = 6, // ... the first following day that is no holiday one.
    // From Month/Day of the From year on, a day between two holidays that is none itself.
    kHolidayBetween = 7,
};
inline constexpr int kHolidayKinds = 8;

struct HolidayRule {
    int kind = kHolidayNormal;
    int month = 0;
    std::optional<int> day;
    std::optional<int> week;
    std::optional<int> weekday; // 0 Sunday ... 6 Saturday
    QString name;
    // The years in which the rule holds, both ends included; none: open.
    std::optional<int> fromYear = std::nullopt;
    std::optional<int> toYear = std::nullopt;
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

// The Japanese national holidays by the law, from 1948 on: what a new database holds.
HolidayRules DefaultHolidayRules();
// What a new database held before the rules could state years (sixteen rules of kinds 0-2):
// a table still equal to it has never been edited, and the upgrade replaces it.
HolidayRules LegacyDefaultHolidayRules();
// Whether a table holds the same rules as the legacy default, in any order.
bool IsLegacyDefaultTable(const HolidayRules& rules);
// The upgrade's step: a table still equal to the legacy default becomes the present default;
// an edited one stays as it is. False when the table could not be read or written.
bool ReplaceUneditedHolidayRules(Connection& db);

// Whether a rule can mark a day at all: kinds 0, 1, 3 and 5-7 need month 1-12 and day 1-31,
// kind 2 month 1-12, week 1-5 and weekday 0-6, kind 4 month 3 or 9; a year given must lie in
// 1-9999, and From may not follow To. Other rules are ignored wherever holidays are marked.
bool IsUsableRule(const HolidayRule& r);
// Whether a rule uses any field that kinds 0-2 did not have: such a rule follows the law's
// reading (an nth-weekday rule also marks the days of neighbouring months in the grid).
bool HasLawFields(const HolidayRule& r);

// What the rules make of one day.
struct HolidayMark {
    bool holiday = false; // drawn in the holiday colour
    // "[振替休日]", "[国民の休日]" and "［name］" of the date rule, to follow the day number.
    QString dateTexts;
    // "[name]" of each nth-weekday rule that falls on the day, in table order; each one is put
    // right after the day number, so the later rule's text stands first.
    QStringList nthTexts;
    // The names of the day's holidays without brackets, in the order of the texts above
    // ("振替休日" for a substitute day): what a list or an export of holidays shows.
    QStringList names;
};

inline constexpr int kGridDays = 42;
using HolidayMarks = std::array<HolidayMark, kGridDays>;

// The holidays of every day of a run of dates, for any table. Days just outside the run are
// worked out too, so that a substitute or an in-between day is right at either end of it. A
// legacy nth-weekday rule (kind 2 without law fields) marks its day wherever it lies here;
// MarkHolidays keeps such a mark to the displayed month.
class HolidayCalendar {
public:
    HolidayCalendar(const HolidayRules& rules, const QDate& first, const QDate& last);
    // The day's mark; no holiday outside the run.
    HolidayMark mark(const QDate& d) const;
    // Whether the day is a holiday (cheaper than mark()).
    bool isHoliday(const QDate& d) const;
    // The dates in the run that are holidays, in date order.
    QList<QDate> holidays() const;

private:
    struct Day {
        int dateRule = -1;      // index of the winning date rule (kinds 0, 1, 3, 4)
        int substitute = -1;    // index of the law's substitute rule that made the day
        int between = -1;       // index of the in-between rule that made the day
        bool legacySub = false; // the Monday after a kind-0 Sunday
        std::vector<int> nth;   // indexes of the nth-weekday rules, in table order
        bool any() const {
            return dateRule >= 0 || substitute >= 0 || between >= 0 || legacySub || !nth.empty();
        }
    };
    friend HolidayMarks MarkHolidays(const HolidayRules&, int, int);
    const Day* day(const QDate& d) const;
    void placeRules(int firstYear, int lastYear);
    void placeLegacySubstitutes();
    void placeLawSubstitutes();
    void placeBetweenDays();
    int ruleInForce(const QDate& d, int kindLow, int kindHigh) const;
    HolidayMark markOf(const Day& day, bool withLegacyNth) const;

    HolidayRules m_rules;
    QDate m_start; // the first day worked out (before the run)
    QDate m_first;
    QDate m_last;
    std::vector<Day> m_days;
};

// The day of month of the equinox holiday in the year: month 3 the vernal, month 9 the
// autumnal equinox, by the standard approximation with its constants per period. Nothing
// outside 1851-2150, where the approximation has no constants, or for another month.
std::optional<int> EquinoxDay(int year, int month);

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
