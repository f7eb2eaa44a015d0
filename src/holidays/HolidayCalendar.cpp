#include "core/Dates.h"
#include "holidays/HolidayRules.h"

namespace {

// The law's in-between day could not be a Sunday until 2007; since then any day between two
// holidays that is none itself is one.
constexpr int kBetweenOnSundaysFrom = 2007;
// How far a substitute is looked for past a run of holidays: no table has a longer run.
constexpr int kLongestSubstituteSearch = 366;

bool InYears(const HolidayRule& r, int year) {
    return (!r.fromYear || year >= *r.fromYear) && (!r.toYear || year <= *r.toYear);
}

// The day the rule gives in the year, or an invalid date.
QDate RuleDate(const HolidayRule& r, int year) {
    switch (r.kind) {
    case kHolidayNormal:
    case kHolidayFixed:
    case kHolidayNational:
        return QDate(year, r.month, *r.day); // invalid for a day the month lacks
    case kHolidayEquinox: {
        const std::optional<int> day = EquinoxDay(year, r.month);
        return day ? QDate(year, r.month, *day) : QDate();
    }
    case kHolidayNthWeekday: {
        const QDate first(year, r.month, 1);
        // Qt counts Monday 1 ... Sunday 7; the rule Sunday 0 ... Saturday 6.
        const int offset = (*r.weekday - first.dayOfWeek() % 7 + 7) % 7;
        const QDate d = first.addDays(offset + 7 * (*r.week - 1));
        return d.month() == r.month ? d : QDate();
    }
    default:
        return QDate();
    }
}

bool IsDateKind(int kind) {
    return kind == kHolidayNormal || kind == kHolidayFixed || kind == kHolidayNational ||
           kind == kHolidayEquinox;
}

QString Bracketed(const QString& name) {
    return QLatin1Char('[') + name + QLatin1Char(']');
}

} // namespace

std::optional<int> EquinoxDay(int year, int month) {
    struct Period {
        int last;
        double vernal;
        double autumnal;
        int leapBase;
    };
    // The constants of each period and the year from which its leap-day correction counts.
    static constexpr Period periods[] = {{1899, 19.8277, 22.2747, 1983},
                                         {1979, 20.8357, 23.2588, 1983},
                                         {2099, 20.8431, 23.2488, 1980},
                                         {2150, 21.8510, 24.2488, 1980}};
    if (year < 1851 || year > 2150 || (month != 3 && month != 9))
        return std::nullopt;
    const Period* p = periods;
    while (year > p->last)
        ++p;
    const double base = month == 3 ? p->vernal : p->autumnal;
    // The correction truncates toward zero, as the approximation is defined.
    return int(base + 0.242194 * (year - 1980) - (year - p->leapBase) / 4);
}

HolidayCalendar::HolidayCalendar(const HolidayRules& rules, const QDate& first, const QDate& last)
    : m_first(first), m_last(last) {
    // Only the rules that can mark a day take part, checked once here instead of per year; an
    // unusable one keeps its place (of no kind), since days refer to rules by table position.
    m_rules.reserve(rules.size());
    for (const HolidayRule& r : rules) {
        m_rules.push_back(r);
        if (!IsUsableRule(r))
            m_rules.back().kind = -1;
    }
    if (!first.isValid() || !last.isValid() || last < first)
        return;
    // Whole years around the run: a substitute may come from a Sunday before it, and an
    // in-between day needs the day after it.
    // (The calendar has no year 0: 1 BC is followed by AD 1.)
    const int firstYear = first.year() == 1 ? -1 : first.year() - 1;
    const int lastYear = last.year() == -1 ? 1 : last.year() + 1;
    m_start = QDate(firstYear, 1, 1);
    m_days.resize(size_t(m_start.daysTo(QDate(lastYear, 12, 31)) + 1));
    placeRules(firstYear, lastYear);
    placeLegacySubstitutes();
    placeLawSubstitutes();
    placeBetweenDays();
}

const HolidayCalendar::Day* HolidayCalendar::day(const QDate& d) const {
    if (m_days.empty() || !d.isValid())
        return nullptr;
    const qint64 i = m_start.daysTo(d);
    return i >= 0 && i < qint64(m_days.size()) ? &m_days[size_t(i)] : nullptr;
}

void HolidayCalendar::placeRules(int firstYear, int lastYear) {
    for (int year = firstYear; year <= lastYear; ++year) {
        for (int i = 0; i < int(m_rules.size()); ++i) {
            const HolidayRule& r = m_rules[size_t(i)];
            if (!InYears(r, year) || !(IsDateKind(r.kind) || r.kind == kHolidayNthWeekday))
                continue;
            const QDate d = RuleDate(r, year);
            if (!d.isValid())
                continue;
            Day& slot = m_days[size_t(m_start.daysTo(d))];
            if (r.kind == kHolidayNthWeekday)
                slot.nth.push_back(i);
            else if (slot.dateRule < 0) // the first matching date rule in table order wins
                slot.dateRule = i;
        }
    }
}

void HolidayCalendar::placeLegacySubstitutes() {
    // The Monday after a kind-0 holiday on a Sunday, whatever that Monday is.
    for (size_t i = 0; i + 1 < m_days.size(); ++i) {
        const int r = m_days[i].dateRule;
        if (r >= 0 && m_rules[size_t(r)].kind == kHolidayNormal &&
            m_start.addDays(qint64(i)).dayOfWeek() == 7)
            m_days[i + 1].legacySub = true;
    }
}

int HolidayCalendar::ruleInForce(const QDate& d, int kindLow, int kindHigh) const {
    for (int i = 0; i < int(m_rules.size()); ++i) {
        const HolidayRule& r = m_rules[size_t(i)];
        if (r.kind < kindLow || r.kind > kindHigh || !InYears(r, d.year()))
            continue;
        // In its first year a rule holds from its month and day on.
        if (r.fromYear && d.year() == *r.fromYear &&
            QDate(d.year(), r.month, 1).addDays(*r.day - 1) > d)
            continue;
        return i;
    }
    return -1;
}

void HolidayCalendar::placeLawSubstitutes() {
    for (size_t i = 0; i < m_days.size(); ++i) {
        const int r = m_days[i].dateRule;
        const QDate d = m_start.addDays(qint64(i));
        if (r < 0 || d.dayOfWeek() != 7)
            continue;
        const int kind = m_rules[size_t(r)].kind;
        if (kind != kHolidayNational && kind != kHolidayEquinox)
            continue;
        const int law = ruleInForce(d, kHolidaySubstituteNextDay, kHolidaySubstituteFirstFree);
        if (law < 0)
            continue;
        size_t j = i + 1;
        if (m_rules[size_t(law)].kind == kHolidaySubstituteFirstFree) {
            while (j < m_days.size() && j - i < kLongestSubstituteSearch && m_days[j].any())
                ++j;
        }
        if (j < m_days.size() && !m_days[j].any())
            m_days[j].substitute = law;
    }
}

void HolidayCalendar::placeBetweenDays() {
    const auto isHoliday = [this](size_t i) {
        return m_days[i].dateRule >= 0 || !m_days[i].nth.empty();
    };
    for (size_t i = 1; i + 1 < m_days.size(); ++i) {
        if (m_days[i].any() || !isHoliday(i - 1) || !isHoliday(i + 1))
            continue;
        const QDate d = m_start.addDays(qint64(i));
        if (d.dayOfWeek() == 7 && d.year() < kBetweenOnSundaysFrom)
            continue;
        m_days[i].between = ruleInForce(d, kHolidayBetween, kHolidayBetween);
    }
}

HolidayMark HolidayCalendar::markOf(const Day& day, bool withLegacyNth) const {
    HolidayMark m;
    // The substitute and in-between texts come first, so that they stand right after the day
    // number.
    if (day.legacySub) {
        m.dateTexts += SubstituteHolidayText();
        m.names << QStringLiteral("振替休日");
    }
    for (const int r : {day.substitute, day.between}) {
        if (r >= 0) {
            m.dateTexts += Bracketed(m_rules[size_t(r)].name);
            m.names << m_rules[size_t(r)].name;
        }
    }
    if (day.dateRule >= 0) {
        m.dateTexts += DateHolidayText(m_rules[size_t(day.dateRule)].name);
        m.names << m_rules[size_t(day.dateRule)].name;
    }
    for (const int r : day.nth) {
        const HolidayRule& rule = m_rules[size_t(r)];
        if (!withLegacyNth && !HasLawFields(rule))
            continue;
        m.nthTexts << NthWeekdayText(rule.name);
        m.names << rule.name;
    }
    m.holiday = !m.names.isEmpty();
    return m;
}

HolidayMark HolidayCalendar::mark(const QDate& d) const {
    if (d < m_first || d > m_last)
        return {};
    const Day* x = day(d);
    return x ? markOf(*x, true) : HolidayMark();
}

bool HolidayCalendar::isHoliday(const QDate& d) const {
    if (d < m_first || d > m_last)
        return false;
    const Day* x = day(d);
    return x && x->any();
}

QList<QDate> HolidayCalendar::holidays() const {
    QList<QDate> out;
    for (QDate d = m_first; d.isValid() && d <= m_last; d = d.addDays(1)) {
        if (isHoliday(d))
            out.append(d);
    }
    return out;
}

HolidayMarks MarkHolidays(const HolidayRules& rules, int year, int month) {
    HolidayMarks marks;
    const QDate start = GridStart(year, month);
    const HolidayCalendar calendar(rules, start, start.addDays(kGridDays - 1));
    for (int i = 0; i < kGridDays; ++i) {
        const QDate d = start.addDays(i);
        if (const HolidayCalendar::Day* x = calendar.day(d))
            // A legacy nth-weekday rule marks only the displayed month's days, as it always did.
            marks[size_t(i)] = calendar.markOf(*x, d.month() == month);
    }
    return marks;
}
