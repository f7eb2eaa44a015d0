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

// Whether the line layout can hold a rule: kind 0-2, month and day 0-99, a one-digit week and
// a weekday 0-6 where the kind uses them.
bool CanListRule(const HolidayRule& r);

// The list line of a rule. Byte positions count Japanese code-page bytes (cp932Length):
//   kinds 0, 1: " mm月 dd日" + 8 blanks + "通常"/"固定" + 2 blanks + name
//   kind 2:     " mm月 w週目 X曜" + 2 blanks + "ＨＭ" + 2 blanks + name
// so that the tag always starts at byte 19 and the name at byte 25; month and day are
// right-aligned in two bytes. Only for rules that CanListRule accepts.
QString HolidayLine(const HolidayRule& r);
// Reads a line back; the name loses its trailing blanks. Nothing for a line of no known tag.
std::optional<HolidayRule> ParseHolidayLine(const QString& line);

// The editor's boxes as typed; -1 for a list with nothing chosen.
struct HolidayInput {
    int kind = -1;
    QString month;
    QString day;
    QString week;
    int weekday = -1;
    QString name;
};

enum class HolidayField { None, Kind, Month, Day, Week, Weekday, Name };
struct HolidayInputProblem {
    HolidayField field = HolidayField::None;
    QString message;
};

// The checks of an add or an update, in their order; the first failure wins. A box of a
// number holding anything but digits fails like an empty one.
HolidayInputProblem CheckHolidayInput(const HolidayInput& in);
// The rule of input that passed the checks.
HolidayRule RuleFromInput(const HolidayInput& in);
