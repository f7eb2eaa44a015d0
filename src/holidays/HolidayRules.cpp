#include "holidays/HolidayRules.h"

#include "core/CodePageText.h"
#include "core/Database.h"
#include "core/Dates.h"

namespace {

std::optional<int> OptionalInt(const Recordset& rs, int col) {
    if (rs.isNull(col))
        return std::nullopt;
    return int(rs.integer(col));
}

QVariant Nullable(const std::optional<int>& v) {
    return v ? QVariant(*v) : QVariant();
}

bool InRange(const std::optional<int>& v, int low, int high) {
    return v && *v >= low && *v <= high;
}

HolidayRule DateRule(int kind, int month, int day, const char* name) {
    HolidayRule r;
    r.kind = kind;
    r.month = month;
    r.day = day;
    r.name = QString::fromUtf8(name);
    return r;
}

HolidayRule NthRule(int month, int week, int weekday, const char* name) {
    HolidayRule r;
    r.kind = kHolidayNthWeekday;
    r.month = month;
    r.week = week;
    r.weekday = weekday;
    r.name = QString::fromUtf8(name);
    return r;
}

// The first usable date rule in table order whose month and day are the date's, or null.
const HolidayRule* FindDateRule(const HolidayRules& rules, const QDate& d) {
    for (const HolidayRule& r : rules) {
        if (r.month == d.month() && r.day && *r.day == d.day() && IsUsableRule(r))
            return &r;
    }
    return nullptr;
}

// The grid cell of the Week-th day of the rule's weekday in the month, or -1.
int NthWeekdayCell(const HolidayRule& rule, const QDate& gridStart, int month) {
    int count = 0;
    for (int cell = *rule.weekday; cell < kGridDays; cell += 7) {
        if (gridStart.addDays(cell).month() == month && ++count == *rule.week)
            return cell;
    }
    return -1;
}

} // namespace

bool ReadHolidayRules(Connection& db, HolidayRules& out) {
    out.clear();
    Recordset rs;
    // Table order: the order in which the editor wrote the rules.
    if (!rs.open(db, QStringLiteral("SELECT Kind, Month, Day, Week, Yobi, Name FROM T_Holiday "
                                    "ORDER BY rowid")))
        return false;
    while (!rs.eof()) {
        HolidayRule r;
        r.kind = int(rs.integer(0));
        r.month = int(rs.integer(1));
        r.day = OptionalInt(rs, 2);
        r.week = OptionalInt(rs, 3);
        r.weekday = OptionalInt(rs, 4);
        r.name = rs.text(5);
        out.push_back(std::move(r));
        if (!rs.moveNext())
            return false;
    }
    return true;
}

bool ReplaceHolidayRules(Connection& db, const HolidayRules& rules) {
    return db.exec(QStringLiteral("DELETE FROM T_Holiday")) && InsertHolidayRules(db, rules);
}

bool InsertHolidayRules(Connection& db, const HolidayRules& rules) {
    for (const HolidayRule& r : rules) {
        const bool nth = r.kind == kHolidayNthWeekday;
        if (!db.exec(QStringLiteral("INSERT INTO T_Holiday (Kind, Month, Day, Week, Yobi, Name) "
                                    "VALUES (?, ?, ?, ?, ?, ?)"),
                     {r.kind, r.month, nth ? QVariant() : Nullable(r.day),
                      nth ? Nullable(r.week) : QVariant(), nth ? Nullable(r.weekday) : QVariant(),
                      r.name}))
            return false;
    }
    return true;
}

HolidayRules DefaultHolidayRules() {
    return {
        DateRule(kHolidayNormal, 1, 1, "元日"),
        NthRule(1, 2, 1, "成人の日"),
        DateRule(kHolidayNormal, 2, 11, "建国記念の日"),
        DateRule(kHolidayNormal, 2, 23, "天皇誕生日"),
        DateRule(kHolidayNormal, 3, 20, "春分の日"),
        DateRule(kHolidayNormal, 4, 29, "昭和の日"),
        DateRule(kHolidayNormal, 5, 3, "憲法記念日"),
        DateRule(kHolidayNormal, 5, 4, "みどりの日"),
        DateRule(kHolidayNormal, 5, 5, "こどもの日"),
        NthRule(7, 3, 1, "海の日"),
        DateRule(kHolidayNormal, 8, 11, "山の日"),
        NthRule(9, 3, 1, "敬老の日"),
        DateRule(kHolidayNormal, 9, 23, "秋分の日"),
        NthRule(10, 2, 1, "スポーツの日"),
        DateRule(kHolidayNormal, 11, 3, "文化の日"),
        DateRule(kHolidayNormal, 11, 23, "勤労感謝の日"),
    };
}

bool IsUsableRule(const HolidayRule& r) {
    if (r.month < 1 || r.month > 12)
        return false;
    switch (r.kind) {
    case kHolidayNormal:
    case kHolidayFixed:
        return InRange(r.day, 1, 31);
    case kHolidayNthWeekday:
        return InRange(r.week, 1, 5) && InRange(r.weekday, 0, 6);
    default:
        return false;
    }
}

HolidayMarks MarkHolidays(const HolidayRules& rules, int year, int month) {
    HolidayMarks marks;
    const QDate start = GridStart(year, month);
    bool substitute = false;
    for (int i = 0; i < kGridDays; ++i) {
        const QDate d = start.addDays(i);
        HolidayMark& m = marks[size_t(i)];
        // The substitute comes first, so that its text stands right after the day number.
        if (substitute) {
            m.holiday = true;
            m.dateTexts += SubstituteHolidayText();
            substitute = false;
        }
        if (const HolidayRule* r = FindDateRule(rules, d)) {
            m.holiday = true;
            m.dateTexts += DateHolidayText(r->name);
            substitute = r->kind == kHolidayNormal && d.dayOfWeek() == 7;
        }
    }
    for (const HolidayRule& r : rules) {
        if (r.kind != kHolidayNthWeekday || r.month != month || !IsUsableRule(r))
            continue;
        const int cell = NthWeekdayCell(r, start, month);
        if (cell < 0)
            continue;
        marks[size_t(cell)].holiday = true;
        marks[size_t(cell)].nthTexts.append(NthWeekdayText(r.name));
    }
    return marks;
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
    if (cp932Length(caption.trimmed()) < 3)
        return caption + text;
    return cp932Left(caption, 2) + text + cp932Right(caption, cp932Length(caption) - 2);
}
