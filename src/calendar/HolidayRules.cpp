#include "HolidayRules.h"

#include "mdlVaskel.h"

namespace {
std::optional<int> OptionalInt(const Recordset& rs, int col) {
    if (rs.isNull(col))
        return std::nullopt;
    return int(rs.integer(col));
}
} // namespace

bool ReadHolidayRules(HolidayRules& out) {
    out.clear();
    Recordset rs;
    // Table order: the order in which the editor wrote the rules.
    if (!rs.open(QStringLiteral("SELECT Kind, Month, Day, Week, Yobi, Name FROM T_Holiday "
                                "ORDER BY rowid")))
        return false;
    while (!rs.eof()) {
        HolidayRule r;
        r.kind = int(rs.integer(0));
        r.month = int(rs.integer(1));
        r.day = OptionalInt(rs, 2);
        r.week = OptionalInt(rs, 3);
        r.yobi = OptionalInt(rs, 4);
        r.name = rs.text(5);
        out.push_back(std::move(r));
        if (!rs.moveNext())
            return false;
    }
    return true;
}

const HolidayRule* FindDateRule(const HolidayRules& rules, const QDate& d) {
    for (const HolidayRule& r : rules) {
        if (r.month == d.month() && r.day && *r.day == d.day())
            return &r;
    }
    return nullptr;
}

int NthWeekdayCell(const HolidayRule& rule, const QDate& gridStart, int month) {
    if (!rule.week || !rule.yobi || *rule.yobi < 0 || *rule.yobi > 6)
        return -1;
    const int week = *rule.week;
    int cell = *rule.yobi;
    if (week < 1)
        return cell;
    int count = 0;
    for (; cell < 42; cell += 7) {
        if (gridStart.addDays(cell).month() == month && ++count == week)
            return cell;
    }
    return -1;
}

QString SubstituteHolidayText() {
    return QStringLiteral("[振替休日]");
}

QString DateHolidayText(const QString& name) {
    return QStringLiteral("［") + name + QStringLiteral("］");
}

QString NthWeekdayText(const QString& name) {
    return QStringLiteral("[") + name + QStringLiteral("]");
}

QString InsertAfterDayNumber(const QString& caption, const QString& text) {
    if (LenA(caption.trimmed()) < 3)
        return caption + text;
    return LeftA(caption, 2) + text + RightA(caption, LenA(caption) - 2);
}
