#include "entries/EntryLines.h"

#include "core/CodePageText.h"
#include "core/DateFormat.h"

QString ScheduleCaption(const QDate& d) {
    return FormatDate(d, QStringLiteral("yyyy年mm月dd日（aaa）の予定"));
}

QString DiaryCaption(const QDate& d) {
    return FormatDate(d, QStringLiteral("MM月DD日（AAA）の日記"));
}

QString DiaryHeading(const QDate& d, const QString& dayCellCaption) {
    return FormatDate(d, QStringLiteral(" YYYY年 MM月DD日（AAA）")) +
           cp932Mid(dayCellCaption, 3, 255);
}

QDate SameDayYearsBack(const QDate& d, int yearsBack) {
    // QDate refuses a day the month does not have, which is what we want: no lookup at all.
    return QDate(d.year() - yearsBack, d.month(), d.day());
}

QString DeleteScheduleQuestion(const QDate& d) {
    return FormatDate(d, QStringLiteral("yyyy年mm月dd日（aaa）")) +
           QStringLiteral("の予定を削除してよろしいですか？");
}

QString DeleteDiaryQuestion(const QDate& d) {
    return FormatDate(d, QStringLiteral("yyyy年mm月dd日（aaa）")) +
           QStringLiteral("の日記を削除してよろしいですか？");
}

QString WhatDayLine(int day, const QString& text) {
    const QString number = QString::number(day);
    return QString(qMax(0, 3 - int(number.size())), QLatin1Char(' ')) + number +
           QStringLiteral("日  ") + text;
}

WhatDayLineParts ParseWhatDayLine(const QString& line) {
    WhatDayLineParts p;
    p.day = TrimBlanks(cp932Left(line, 3)).toInt();
    p.text = TrimBlanks(cp932Mid(line, 8, -1));
    return p;
}

bool ParseWholeNumber(const QString& text, int& value) {
    // Full-width digits become ASCII ones; nothing else is converted.
    return ParseDigits(TrimBlanks(text.normalized(QString::NormalizationForm_KC)), 9, value);
}

bool DayTextAcceptable(const QString& text) {
    if (text.isEmpty())
        return true;
    int day = 0;
    return ParseWholeNumber(text, day) && day >= 1 && day <= 31;
}

InputProblem CheckWhatDayInput(const QString& month, const QString& day, const QString& text) {
    int m = 0;
    int d = 0;
    if (month.isEmpty())
        return {WhatDayField::Month, QStringLiteral("月を入力して下さい。")};
    if (!ParseWholeNumber(month, m) || m < 1 || m > 12)
        return {WhatDayField::Month, QStringLiteral("1～12の数値を入力して下さい。")};
    // The day is checked for its range here too, not only when the focus leaves its box, so
    // that no way round that check can store a day that does not exist.
    if (day.isEmpty() || !ParseWholeNumber(day, d) || d < 1 || d > 31)
        return {WhatDayField::Day, QStringLiteral("日を入力して下さい。")};
    if (text.isEmpty())
        return {WhatDayField::WhatDay, QStringLiteral("内容を入力して下さい。")};
    return {};
}

QString ContainsPattern(const QString& text) {
    QString p;
    p.reserve(text.size() + 8);
    p.append(QLatin1Char('%'));
    for (QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            p.append(QLatin1Char('\\'));
        p.append(c);
    }
    p.append(QLatin1Char('%'));
    return p;
}

namespace {

// A list shows one line per entry: line breaks and other control characters become one
// blank each, which keeps the byte count of the line.
QString OneLine(const QString& s) {
    QString out = s;
    for (QChar& c : out) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    }
    return out;
}

QString DatedSearchLine(const QDate& d, const QString& kind, const QString& text) {
    return cp932Pad(FormatDate(d, QStringLiteral("YYYY/MM/DD")), 0, 11) + QStringLiteral("| ") +
           kind + QStringLiteral("| ") + cp932Pad(OneLine(text), 0, 50);
}

} // namespace

QString ScheduleSearchLine(const QDate& d, const QString& schedule) {
    return DatedSearchLine(d, QStringLiteral("予定     "), schedule);
}

QString DiarySearchLine(const QDate& d, const QString& diary) {
    return DatedSearchLine(d, QStringLiteral("日記     "), diary);
}

QString WhatDaySearchLine(int month, int day, const QString& whatDay) {
    return QStringLiteral("     %1/%2 | What Day | ")
               .arg(month, 2, 10, QLatin1Char('0'))
               .arg(day, 2, 10, QLatin1Char('0')) +
           cp932Pad(OneLine(whatDay), 0, 50);
}
