#include "holidays/HolidayLines.h"

#include "core/CodePageText.h"

namespace {

const QString kTags[] = {QStringLiteral("通常"), QStringLiteral("固定"), QStringLiteral("ＨＭ")};
const QString kWeekdayChars = QStringLiteral("日月火水木金土");

bool InRange(const std::optional<int>& v, int low, int high) {
    return v && *v >= low && *v <= high;
}

// A number typed into a box: digits only (full-width ones count), blanks around allowed.
bool ParseBox(const QString& text, int& value) {
    return ParseDigits(text.normalized(QString::NormalizationForm_KC).trimmed(), 2, value);
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
    return {QStringLiteral("通常（振替あり）"), QStringLiteral("固定（振替なし）"),
            QStringLiteral("ＨＭ（ハッピーマンデー）")};
}

QStringList WeekdayItems() {
    return {QStringLiteral("日曜日"), QStringLiteral("月曜日"), QStringLiteral("火曜日"),
            QStringLiteral("水曜日"), QStringLiteral("木曜日"), QStringLiteral("金曜日"),
            QStringLiteral("土曜日")};
}

bool CanListRule(const HolidayRule& r) {
    if (r.month < 0 || r.month > 99)
        return false;
    switch (r.kind) {
    case kHolidayNormal:
    case kHolidayFixed:
        return InRange(r.day, 0, 99);
    case kHolidayNthWeekday:
        return InRange(r.week, 0, 9) && InRange(r.weekday, 0, 6);
    default:
        return false;
    }
}

QString HolidayLine(const HolidayRule& r) {
    QString line = QLatin1Char(' ') + TwoBytes(r.month) + QStringLiteral("月 ");
    if (r.kind == kHolidayNthWeekday) {
        line += QString::number(r.week.value_or(0)) + QStringLiteral("週目 ") +
                kWeekdayChars.at(qBound(0, r.weekday.value_or(0), 6)) + QStringLiteral("曜  ");
    } else {
        line += TwoBytes(r.day.value_or(0)) + QStringLiteral("日        ");
    }
    return line + kTags[qBound(0, r.kind, 2)] + QStringLiteral("  ") + r.name;
}

std::optional<HolidayRule> ParseHolidayLine(const QString& line) {
    HolidayRule r;
    const QString tag = cp932Mid(line, 19, 4);
    r.kind = -1;
    for (int k = 0; k < 3; ++k) {
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
    } else {
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
    if (in.kind < 0 || in.kind > 2)
        return Problem(HolidayField::Kind, u"種別を選択して下さい。");
    // An nth-weekday rule is never checked as a date, so its month is checked here.
    if (!ParseBox(in.month, month) || (nth && (month < 1 || month > 12)))
        return Problem(HolidayField::Month, u"月を入力して下さい。");
    if (nth) {
        // The line holds the week in one digit.
        if (!ParseBox(in.week, week) || week < 1 || week > 5)
            return Problem(HolidayField::Week, u"週を入力して下さい。");
        if (in.weekday < 0 || in.weekday > 6)
            return Problem(HolidayField::Weekday, u"曜日を選択して下さい。");
    } else if (!ParseBox(in.day, day)) {
        return Problem(HolidayField::Day, u"日を入力して下さい。");
    }
    // The line keeps no trailing blanks of a name, so a name of blanks alone would be lost.
    if (RTrimBlanks(in.name).isEmpty())
        return Problem(HolidayField::Name, u"休日名称を入力して下さい。");
    // Tested in a leap year, so that 29 February passes.
    if (!nth && !QDate::isValid(2000, month, day))
        return Problem(HolidayField::Month, u"日付が認識できません。");
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
    } else {
        ParseBox(in.day, n);
        r.day = n;
    }
    r.name = in.name;
    return r;
}
