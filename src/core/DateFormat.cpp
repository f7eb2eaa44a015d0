#include "core/DateFormat.h"

#include <array>

namespace {

const std::array<Era, 5>& Eras() {
    static const std::array<Era, 5> eras = {{
        {QDate(1868, 9, 8), QStringLiteral("M"), QStringLiteral("明"), QStringLiteral("明治")},
        {QDate(1912, 7, 30), QStringLiteral("T"), QStringLiteral("大"), QStringLiteral("大正")},
        {QDate(1926, 12, 25), QStringLiteral("S"), QStringLiteral("昭"), QStringLiteral("昭和")},
        {QDate(1989, 1, 8), QStringLiteral("H"), QStringLiteral("平"), QStringLiteral("平成")},
        {QDate(2019, 5, 1), QStringLiteral("R"), QStringLiteral("令"), QStringLiteral("令和")},
    }};
    return eras;
}

const char* const kMonthShort[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kMonthLong[] = {"January",   "February", "March",    "April",
                                  "May",       "June",     "July",     "August",
                                  "September", "October",  "November", "December"};
// Sunday first.
const char* const kWeekShort[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kWeekLong[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char16_t* const kWeekKanji[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};

QString Two(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

int RunLength(const QString& p, int i, QChar c) {
    int n = 0;
    while (i + n < p.size() && p.at(i + n).toLower() == c)
        ++n;
    return n;
}

} // namespace

const Era* EraOf(const QDate& d) {
    const auto& eras = Eras();
    for (auto it = eras.rbegin(); it != eras.rend(); ++it) {
        if (d >= it->start)
            return &*it;
    }
    return nullptr;
}

int EraYear(const QDate& d) {
    const Era* e = EraOf(d);
    return e ? d.year() - e->start.year() + 1 : d.year();
}

namespace {

// One or two letters: the number n, as it is or in two digits; three or four: the short or
// the long name at index, looked up only when there are names to give.
void AppendNumberOrName(QString& out, int letters, int n, bool named, const char* const* shortNames,
                        const char* const* longNames, int index) {
    if (letters == 1)
        out += QString::number(n);
    else if (letters == 2)
        out += Two(n);
    else if (named)
        out += QLatin1String((letters == 3 ? shortNames : longNames)[index]);
}

// Appends the date field that a run of `run` letters c (lower case) asks for: year, month,
// day or weekday. Returns how many of the letters it used; 0 when c names no date field.
int AppendDateField(QString& out, QChar c, int run, const QDate& d) {
    // An invalid date (an unreadable stored one) has no month or weekday to name: its names
    // are empty, never read from outside the tables.
    const bool named = d.isValid();
    const int wd = d.dayOfWeek() % 7; // 0 = Sunday
    int used = 0;
    switch (c.unicode()) {
    case 'y':
        if (run >= 4) {
            out += QString::number(d.year()).rightJustified(4, QLatin1Char('0'));
            used = 4;
        } else if (run >= 2) {
            out += Two(d.year() % 100);
            used = 2;
        }
        break;
    case 'm':
        used = qMin(run, 4);
        AppendNumberOrName(out, used, d.month(), named, kMonthShort, kMonthLong, d.month() - 1);
        break;
    case 'd':
        used = qMin(run, 4);
        AppendNumberOrName(out, used, d.day(), named, kWeekShort, kWeekLong, wd);
        break;
    case 'a':
        if (run >= 3) {
            used = qMin(run, 4);
            if (named)
                out += QString::fromUtf16(kWeekKanji[wd]) +
                       (used == 4 ? QStringLiteral("曜日") : QString());
        }
        break;
    default:
        break;
    }
    return used;
}

// The same for the era fields and the time of day: era name, era year, hour and minute.
int AppendEraOrTimeField(QString& out, QChar c, int run, const QDate& d, const QTime& tm) {
    int used = 0;
    switch (c.unicode()) {
    case 'g': {
        used = qMin(run, 3);
        const Era* e = EraOf(d);
        if (e)
            out += used == 1 ? e->initial : used == 2 ? e->kanji : e->name;
        break;
    }
    case 'e':
        used = qMin(run, 2);
        out += used == 1 ? QString::number(EraYear(d)) : Two(EraYear(d));
        break;
    case 'h':
        used = qMin(run, 2);
        out += used == 1 ? QString::number(tm.hour()) : Two(tm.hour());
        break;
    case 'n':
        used = qMin(run, 2);
        out += used == 1 ? QString::number(tm.minute()) : Two(tm.minute());
        break;
    default:
        break;
    }
    return used;
}

// A date-time made of the date and 00:00 would cost a time-zone lookup per call (a search
// formats tens of thousands of dates); the pattern needs only the date and the time of day.
QString FormatParts(const QDate& d, const QTime& tm, const QString& pattern) {
    QString out;
    out.reserve(pattern.size() * 2);
    int i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern.at(i).toLower();
        const int run = RunLength(pattern, i, c);
        int used = AppendDateField(out, c, run, d);
        if (used == 0)
            used = AppendEraOrTimeField(out, c, run, d, tm);
        if (used == 0) {
            out += pattern.at(i);
            used = 1;
        }
        i += used;
    }
    return out;
}

} // namespace

QString FormatDate(const QDate& d, const QString& pattern) {
    return FormatParts(d, QTime(0, 0), pattern);
}

QString FormatDate(const QDateTime& t, const QString& pattern) {
    return FormatParts(t.date(), t.time(), pattern);
}

QString YearFormatPattern(int option) {
    switch (option) {
    case 0:
        return QStringLiteral("'yy");
    case 1:
        return QStringLiteral("yyyy");
    case 2:
        return QStringLiteral("g.e");
    case 3:
        return QStringLiteral("gg e");
    case 4:
        return QStringLiteral("ggg e年");
    default:
        return QString();
    }
}

QString MonthFormatPattern(int option) {
    switch (option) {
    case 0:
        return QStringLiteral("m");
    case 1:
        return QStringLiteral("mmm");
    case 2:
        return QStringLiteral("mmmm");
    default:
        return QString();
    }
}

QString WeekFormatPattern(int option) {
    switch (option) {
    case 0:
        return QStringLiteral("aaa");
    case 1:
        return QStringLiteral("aaaa");
    case 2:
        return QStringLiteral("ddd");
    case 3:
        return QStringLiteral("dddd");
    default:
        return QString();
    }
}
