// What the holiday editor computes without widgets: the list line of a rule and its reading
// back, the order of the lines, the checks of the typed input, and the writing of the table.
#pragma once

#include "holidays/HolidayRules.h"

#include <QString>
#include <QStringList>

#include <optional>

// The items of the kind list, in kind order, and of the weekday list (0 Sunday ... 6 Saturday).
QStringList HolidayKindItems();
QStringList WeekdayItems();

// Whether the line layout can hold a rule: a known kind, month and day 0-99, a one-digit week
// and a weekday 0-6 where the kind uses them, years of at most four digits.
bool CanListRule(const HolidayRule& r);

// The list line of a rule. Byte positions count Japanese code-page bytes (cp932Length):
//   kinds 0, 1: " mm月 dd日" + 8 blanks + "通常"/"固定" + 2 blanks + name
//   kind 2:     " mm月 w週目 X曜" + 2 blanks + "ＨＭ" + 2 blanks + name
//   kind 4:     " mm月 計算" + 8 blanks + "春秋" + 2 blanks + name
//   kinds 3, 5-7 as kinds 0 and 1, with the tags "祝日", "翌日", "順延", "挟日"
// so that the tag always starts at byte 19 and the name at byte 25; month and day are
// right-aligned in two bytes. A rule with years has them after the name, after 2 blanks
// ("1996年～2002年", "2007年～", "～1999年", "2019年"). Only for rules that CanListRule accepts.
QString HolidayLine(const HolidayRule& r);
// Reads the line of a rule without years back; the name loses its trailing blanks. Nothing for
// a line of no known tag.
std::optional<HolidayRule> ParseHolidayLine(const QString& line);

// The editor's boxes as typed; -1 for a list with nothing chosen.
struct HolidayInput {
    int kind = -1;
    QString month;
    QString day;
    QString week;
    int weekday = -1;
    QString name;
    QString fromYear = QString();
    QString toYear = QString();
};

enum class HolidayField { None, Kind, Month, Day, Week, Weekday, Name, FromYear, ToYear };
struct HolidayInputProblem {
    HolidayField field = HolidayField::None;
    QString message;
};

// The checks of an add or an update, in their order; the first failure wins. A box of a
// number holding anything but digits fails like an empty one; an empty year box is an open end.
HolidayInputProblem CheckHolidayInput(const HolidayInput& in);
// The rule of input that passed the checks.
HolidayRule RuleFromInput(const HolidayInput& in);
