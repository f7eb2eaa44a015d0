#include "holidays/HolidayLines.h"

#include "core/CodePageText.h"

namespace {

const QString kTags[kHolidayKinds] = {
    QStringLiteral("通常"), QStringLiteral("固定"), QStringLiteral("ＨＭ"), QStringLiteral("祝日"),
    QStringLiteral("春秋"), QStringLiteral("翌日"), QStringLiteral("順延"), QStringLiteral("挟日")};
const QString kWeekdayChars = QStringLiteral("日月火水木金土");

bool InRange(const std::optional<int>& v, int low, int high) {
    return v && *v >= low && *v <= high;
}

// A number typed into a box: digits only (full-width ones count), blanks around allowed.
bool ParseBox(const QString& text, int& value, int digits = 2) {
    return ParseDigits(text.normalized(QString::NormalizationForm_KC).trimmed(), digits, value);
}

// A year box: empty (open), or a year 1-9999.
bool ParseYearBox(const QString& text, std::optional<int>& year) {
    year.reset();
    if (text.trimmed().isEmpty())
        return true;
    int y = 0;
    if (!ParseBox(text, y, 4) || y < 1)
        return false;
    year = y;
    return true;
}

// The years of a rule as its line shows them: "1996年～2002年", "2007年～", "～1999年", "2019年".
QString YearsText(const HolidayRule& r) {
    const auto year = [](const std::optional<int>& y) {
        return y ? QString::number(*y) + QStringLiteral("年") : QString();
    };
    if (r.fromYear && r.toYear && *r.fromYear == *r.toYear)
        return year(r.fromYear);
    return year(r.fromYear) + QStringLiteral("～") + year(r.toYear);
}

bool UsesDay(int kind) {
    return kind != kHolidayNthWeekday && kind != kHolidayEquinox;
}

QString TwoBytes(int n) {
    return cp932Pad(QString::number(n), 1, 2);
}

std::optional<int> Number(const QString& bytes) {
    int v = 0;
    if (!ParseDigits(bytes.trimmed(), 2, v))
        return std::nullopt;
    return v;
}

HolidayInputProblem Problem(HolidayField field, const char16_t* message) {
    return {field, QString::fromUtf16(message)};
}

} // namespace

QStringList HolidayKindItems() {
    return {QStringLiteral("通常（振替あり）"),         QStringLiteral("固定（振替なし）"),
            QStringLiteral("ＨＭ（ハッピーマンデー）"), QStringLiteral("祝日（法による振替）"),
            QStringLiteral("春分・秋分（計算）"),       QStringLiteral("振替休日（翌日）"),
            QStringLiteral("振替休日（次の平日）"),     QStringLiteral("国民の休日（祝日の間）")};
}

QStringList WeekdayItems() {
    return {QStringLiteral("日曜日"), QStringLiteral("月曜日"), QStringLiteral("火曜日"),
            QStringLiteral("水曜日"), QStringLiteral("木曜日"), QStringLiteral("金曜日"),
            QStringLiteral("土曜日")};
}

bool CanListRule(const HolidayRule& r) {
    if (r.month < 0 || r.month > 99 || r.kind < 0 || r.kind >= kHolidayKinds)
        return false;
    if ((r.fromYear && !InRange(r.fromYear, 0, 9999)) || (r.toYear && !InRange(r.toYear, 0, 9999)))
        return false;
    if (r.kind == kHolidayNthWeekday)
        return InRange(r.week, 0, 9) && InRange(r.weekday, 0, 6);
    return !UsesDay(r.kind) || InRange(r.day, 0, 99);
}

QString HolidayLine(const HolidayRule& r) {
    QString line = QLatin1Char(' ') + TwoBytes(r.month) + QStringLiteral("月 ");
    if (r.kind == kHolidayNthWeekday) {
        line += QString::number(r.week.value_or(0)) + QStringLiteral("週目 ") +
                kWeekdayChars.at(qBound(0, r.weekday.value_or(0), 6)) + QStringLiteral("曜  ");
    } else if (r.kind == kHolidayEquinox) {
        line += QStringLiteral("計算        ");
    } else {
        line += TwoBytes(r.day.value_or(0)) + QStringLiteral("日        ");
    }
    line += kTags[qBound(0, r.kind, kHolidayKinds - 1)] + QStringLiteral("  ") + r.name;
    if (r.fromYear || r.toYear)
        line += QStringLiteral("  ") + YearsText(r);
    return line;
}

std::optional<HolidayRule> ParseHolidayLine(const QString& line) {
    HolidayRule r;
    const QString tag = cp932Mid(line, 19, 4);
    r.kind = -1;
    for (int k = 0; k < kHolidayKinds; ++k) {
        if (tag == kTags[k])
            r.kind = k;
    }
    const std::optional<int> month = Number(cp932Mid(line, 2, 2));
    if (r.kind < 0 || !month)
        return std::nullopt;
    r.month = *month;
    if (r.kind == kHolidayNthWeekday) {
        r.week = Number(cp932Mid(line, 7, 1));
        const QString weekday = cp932Mid(line, 13, 2);
        if (weekday.size() == 1 && kWeekdayChars.contains(weekday.at(0)))
            r.weekday = int(kWeekdayChars.indexOf(weekday.at(0)));
    } else if (r.kind != kHolidayEquinox) {
        r.day = Number(cp932Mid(line, 7, 2));
    }
    r.name = RTrimBlanks(cp932Mid(line, 25, -1));
    if (!CanListRule(r))
        return std::nullopt;
    return r;
}

HolidayInputProblem CheckHolidayInput(const HolidayInput& in) {
    int month = 0;
    int day = 0;
    int week = 0;
    const bool nth = in.kind == kHolidayNthWeekday;
    if (in.kind < 0 || in.kind >= kHolidayKinds)
        return Problem(HolidayField::Kind, u"種別を選択して下さい。");
    // An nth-weekday rule is never checked as a date, so its month is checked here.
    if (!ParseBox(in.month, month) || (nth && (month < 1 || month > 12)))
        return Problem(HolidayField::Month, u"月を入力して下さい。");
    if (in.kind == kHolidayEquinox && month != 3 && month != 9)
        return Problem(HolidayField::Month, u"春分の日は3月、秋分の日は9月を入力して下さい。");
    if (nth) {
        // The line holds the week in one digit.
        if (!ParseBox(in.week, week) || week < 1 || week > 5)
            return Problem(HolidayField::Week, u"週を入力して下さい。");
        if (in.weekday < 0 || in.weekday > 6)
            return Problem(HolidayField::Weekday, u"曜日を選択して下さい。");
    } else if (UsesDay(in.kind) && !ParseBox(in.day, day)) {
        return Problem(HolidayField::Day, u"日を入力して下さい。");
    }
    // The line keeps no trailing blanks of a name, so a name of blanks alone would be lost.
    if (RTrimBlanks(in.name).isEmpty())
        return Problem(HolidayField::Name, u"休日名称を入力して下さい。");
    // Tested in a leap year, so that 29 February passes.
    if (UsesDay(in.kind) && !QDate::isValid(2000, month, day))
        return Problem(HolidayField::Month, u"日付が認識できません。");
    std::optional<int> from;
    std::optional<int> to;
    if (!ParseYearBox(in.fromYear, from))
        return Problem(HolidayField::FromYear, u"開始年は1～9999の数字で入力して下さい。");
    if (!ParseYearBox(in.toYear, to))
        return Problem(HolidayField::ToYear, u"終了年は1～9999の数字で入力して下さい。");
    if (from && to && *from > *to)
        return Problem(HolidayField::ToYear, u"終了年は開始年以降の年を入力して下さい。");
    return {};
}

HolidayRule RuleFromInput(const HolidayInput& in) {
    HolidayRule r;
    r.kind = in.kind;
    ParseBox(in.month, r.month);
    int n = 0;
    if (in.kind == kHolidayNthWeekday) {
        ParseBox(in.week, n);
        r.week = n;
        r.weekday = in.weekday;
    } else if (UsesDay(in.kind)) {
        ParseBox(in.day, n);
        r.day = n;
    }
    r.name = in.name;
    ParseYearBox(in.fromYear, r.fromYear);
    ParseYearBox(in.toYear, r.toYear);
    return r;
}
