#include "holidays/HolidayRules.h"

#include "core/CodePageText.h"
#include "core/Database.h"
#include "core/Dates.h"

#include <algorithm>
#include <tuple>

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

HolidayRule Rule(int kind, int month, std::optional<int> day, const char* name,
                 std::optional<int> from = std::nullopt, std::optional<int> to = std::nullopt) {
    HolidayRule r;
    r.kind = kind;
    r.month = month;
    r.day = day;
    r.name = QString::fromUtf8(name);
    r.fromYear = from;
    r.toYear = to;
    return r;
}

HolidayRule DateRule(int kind, int month, int day, const char* name) {
    return Rule(kind, month, day, name);
}

HolidayRule NthRule(int month, int week, int weekday, const char* name,
                    std::optional<int> from = std::nullopt, std::optional<int> to = std::nullopt) {
    HolidayRule r = Rule(kHolidayNthWeekday, month, std::nullopt, name, from, to);
    r.week = week;
    r.weekday = weekday;
    return r;
}

// A national holiday on a date, in the years from-to.
HolidayRule Law(int month, int day, const char* name, std::optional<int> from,
                std::optional<int> to = std::nullopt) {
    return Rule(kHolidayNational, month, day, name, from, to);
}

// A holiday of one year only, by a law of its own (state ceremonies): never a substitute.
HolidayRule Once(int year, int month, int day, const char* name) {
    return Rule(kHolidayFixed, month, day, name, year, year);
}

bool UsableYears(const HolidayRule& r) {
    if ((r.fromYear && !InRange(r.fromYear, 1, 9999)) || (r.toYear && !InRange(r.toYear, 1, 9999)))
        return false;
    return !(r.fromYear && r.toYear && *r.fromYear > *r.toYear);
}

} // namespace

bool ReadHolidayRules(Connection& db, HolidayRules& out) {
    out.clear();
    Recordset rs;
    // Table order: the order in which the editor wrote the rules.
    if (!rs.open(db, QStringLiteral("SELECT Kind, Month, Day, Week, Yobi, Name, FromYear, ToYear "
                                    "FROM T_Holiday ORDER BY rowid")))
        return false;
    while (!rs.eof()) {
        HolidayRule r;
        r.kind = int(rs.integer(0));
        r.month = int(rs.integer(1));
        r.day = OptionalInt(rs, 2);
        r.week = OptionalInt(rs, 3);
        r.weekday = OptionalInt(rs, 4);
        r.name = rs.text(5);
        r.fromYear = OptionalInt(rs, 6);
        r.toYear = OptionalInt(rs, 7);
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
        if (!db.exec(QStringLiteral("INSERT INTO T_Holiday (Kind, Month, Day, Week, Yobi, Name, "
                                    "FromYear, ToYear) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                     {r.kind, r.month, nth ? QVariant() : Nullable(r.day),
                      nth ? Nullable(r.week) : QVariant(), nth ? Nullable(r.weekday) : QVariant(),
                      r.name, Nullable(r.fromYear), Nullable(r.toYear)}))
            return false;
    }
    return true;
}

HolidayRules DefaultHolidayRules() {
    // The law took effect on 20 July 1948: that year's first holiday is the autumnal equinox.
    return {
        Law(1, 1, "元日", 1949),
        Law(1, 15, "成人の日", 1949, 1999),
        NthRule(1, 2, 1, "成人の日", 2000),
        Law(2, 11, "建国記念の日", 1967),
        Law(2, 23, "天皇誕生日", 2020),
        Once(1989, 2, 24, "昭和天皇の大喪の礼"),
        Rule(kHolidayEquinox, 3, std::nullopt, "春分の日", 1949),
        Once(1959, 4, 10, "皇太子明仁親王の結婚の儀"),
        // The substitute day from the day its law took effect; the first free day from 2007.
        Rule(kHolidaySubstituteNextDay, 4, 12, "振替休日", 1973, 2006),
        Law(4, 29, "天皇誕生日", 1949, 1988),
        Law(4, 29, "みどりの日", 1989, 2006),
        Law(4, 29, "昭和の日", 2007),
        Once(2019, 5, 1, "即位の日"),
        Law(5, 3, "憲法記念日", 1949),
        Law(5, 4, "みどりの日", 2007),
        Law(5, 5, "こどもの日", 1949),
        Once(1993, 6, 9, "皇太子徳仁親王の結婚の儀"),
        Law(7, 20, "海の日", 1996, 2002),
        NthRule(7, 3, 1, "海の日", 2003, 2019),
        NthRule(7, 3, 1, "海の日", 2022),
        // The Olympic years moved three holidays by laws of their own.
        Law(7, 22, "海の日", 2021, 2021),
        Law(7, 23, "海の日", 2020, 2020),
        Law(7, 23, "スポーツの日", 2021, 2021),
        Law(7, 24, "スポーツの日", 2020, 2020),
        Law(8, 8, "山の日", 2021, 2021),
        Law(8, 10, "山の日", 2020, 2020),
        Law(8, 11, "山の日", 2016, 2019),
        Law(8, 11, "山の日", 2022),
        Law(9, 15, "敬老の日", 1966, 2002),
        NthRule(9, 3, 1, "敬老の日", 2003),
        Rule(kHolidayEquinox, 9, std::nullopt, "秋分の日", 1948),
        Law(10, 10, "体育の日", 1966, 1999),
        NthRule(10, 2, 1, "体育の日", 2000, 2019),
        NthRule(10, 2, 1, "スポーツの日", 2022),
        Once(2019, 10, 22, "即位礼正殿の儀"),
        Law(11, 3, "文化の日", 1948),
        Once(1990, 11, 12, "即位礼正殿の儀"),
        Law(11, 23, "勤労感謝の日", 1948),
        Law(12, 23, "天皇誕生日", 1989, 2018),
        // From the day the law that made it took effect.
        Rule(kHolidayBetween, 12, 27, "国民の休日", 1985),
        Rule(kHolidaySubstituteFirstFree, 1, 1, "振替休日", 2007),
    };
}

HolidayRules LegacyDefaultHolidayRules() {
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

bool IsLegacyDefaultTable(const HolidayRules& rules) {
    const auto key = [](const HolidayRule& r) {
        return std::make_tuple(r.kind, r.month, r.day, r.week, r.weekday, r.name, r.fromYear,
                               r.toYear);
    };
    const auto less = [&key](const HolidayRule& a, const HolidayRule& b) {
        return key(a) < key(b);
    };
    HolidayRules have = rules;
    HolidayRules want = LegacyDefaultHolidayRules();
    std::sort(have.begin(), have.end(), less);
    std::sort(want.begin(), want.end(), less);
    return have == want;
}

bool ReplaceUneditedHolidayRules(Connection& db) {
    HolidayRules rules;
    if (!ReadHolidayRules(db, rules))
        return false;
    return !IsLegacyDefaultTable(rules) || ReplaceHolidayRules(db, DefaultHolidayRules());
}

bool IsUsableRule(const HolidayRule& r) {
    if (r.month < 1 || r.month > 12 || !UsableYears(r))
        return false;
    switch (r.kind) {
    case kHolidayNormal:
    case kHolidayFixed:
    case kHolidayNational:
    case kHolidaySubstituteNextDay:
    case kHolidaySubstituteFirstFree:
    case kHolidayBetween:
        return InRange(r.day, 1, 31);
    case kHolidayNthWeekday:
        return InRange(r.week, 1, 5) && InRange(r.weekday, 0, 6);
    case kHolidayEquinox:
        return r.month == 3 || r.month == 9;
    default:
        return false;
    }
}

bool HasLawFields(const HolidayRule& r) {
    return r.kind > kHolidayNthWeekday || r.fromYear || r.toYear;
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
