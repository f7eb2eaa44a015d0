// The list lines of the anniversary register, the holiday editor and the search: every line
// reads back to what it was built from, over everything the windows' checks accept and the
// tables can hold; the search lines keep their columns and their order, and the search
// pattern finds its text literally.
//
// Domains (a line is built only from these):
//  - anniversary: day 1-31 and any text; reading back gives the day and the text without the
//    blanks at its ends (the register trims them; deletion goes by the stored text).
//  - anniversary input: any month, day and text boxes (text at most 50 characters) that
//    CheckWhatDayInput accepts.
//  - holiday rule: any rule CanListRule accepts (the editor lists no other), without the
//    fields its kind does not use (a line has no place for them), any name; reading back
//    gives the rule with the name's trailing blanks removed. A rule with years shows them after
//    its name; the editor keeps such a line's rule, so only its layout is checked.
//  - holiday input: any boxes (name at most 50 characters) that CheckHolidayInput accepts.
//  - search: dates of years 1-9999 (what a stored date can be), anniversaries on month 1-12
//    and day 1-31, any text.

#include "FuzzSupport.h"
#include "core/CodePageText.h"
#include "entries/EntryLines.h"
#include "holidays/HolidayLines.h"

#include "core/DateFormat.h"

#include <sqlite3.h>

namespace {

// What a number box may hold: ASCII, full-width and other digits that normalise to ASCII
// ones (a surrogate pair among them), and what must be refused.
const std::vector<QString>& NumberPieces() {
    static const std::vector<QString> pieces = {
        QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),  QStringLiteral("3"),
        QStringLiteral("5"), QStringLiteral("9"), QStringLiteral("１"), QStringLiteral("２"),
        QStringLiteral("①"), QStringLiteral("⑫"), QStringLiteral("¹"),  QStringLiteral("𝟐"),
        QStringLiteral("٣"), QStringLiteral(" "), QStringLiteral("　"), QStringLiteral("\t"),
        QStringLiteral("-"), QStringLiteral("+"), QStringLiteral("."),  QStringLiteral("e"),
    };
    return pieces;
}

QDate StoredDate(FuzzedDataProvider& in) {
    return QDate(1, 1, 1).addDays(in.ConsumeIntegralInRange<qint64>(0, 3652058));
}

void AnniversaryLine(int day, const QString& text) {
    const QString line = WhatDayLine(day, text);
    FUZZ_CHECK(cp932Mid(line, 8, -1) == text);
    const WhatDayLineParts parts = ParseWhatDayLine(line);
    FUZZ_CHECK(parts.day == day);
    FUZZ_CHECK(parts.text == TrimBlanks(text));
}

void AnniversaryInput(FuzzedDataProvider& in) {
    const QString month = TakeText(in, 6, NumberPieces());
    const QString day = TakeText(in, 6, NumberPieces());
    const QString text = TakeText(in, 50);
    if (CheckWhatDayInput(month, day, text).field != WhatDayField::None)
        return;
    int m = 0;
    int d = 0;
    FUZZ_CHECK(ParseWholeNumber(month, m) && m >= 1 && m <= 12);
    FUZZ_CHECK(ParseWholeNumber(day, d) && d >= 1 && d <= 31);
    FUZZ_CHECK(DayTextAcceptable(day));
    AnniversaryLine(d, text);
}

void HolidayRoundTrip(const HolidayRule& r) {
    FUZZ_CHECK(CanListRule(r));
    const QString line = HolidayLine(r);
    // The tag starts at byte 19 and the name at byte 25; years follow the name.
    const bool years = r.fromYear || r.toYear;
    if (r.kind <= kHolidayNthWeekday)
        FUZZ_CHECK(cp932Mid(line, 19, 4) == HolidayKindItems().at(r.kind).left(2));
    FUZZ_CHECK(cp932Mid(line, 25, years ? cp932Length(r.name) : -1) == r.name);
    if (years)
        return; // the list keeps such a line's rule itself
    HolidayRule expected = r;
    expected.name = WithoutTrailingBlanks(r.name);
    const std::optional<HolidayRule> back = ParseHolidayLine(line);
    FUZZ_CHECK(back && *back == expected);
}

std::optional<int> TakeYear(FuzzedDataProvider& in) {
    if (in.ConsumeBool())
        return std::nullopt;
    return in.ConsumeIntegralInRange(0, 9999);
}

void HolidayRuleLine(FuzzedDataProvider& in) {
    HolidayRule r;
    r.kind = in.ConsumeIntegralInRange(0, kHolidayKinds - 1);
    r.month = in.ConsumeIntegralInRange(0, 99);
    if (r.kind == kHolidayNthWeekday) {
        r.week = in.ConsumeIntegralInRange(0, 9);
        r.weekday = in.ConsumeIntegralInRange(0, 6);
    } else if (r.kind != kHolidayEquinox) {
        r.day = in.ConsumeIntegralInRange(0, 99);
    }
    r.fromYear = TakeYear(in);
    r.toYear = TakeYear(in);
    r.name = TakeText(in, 200);
    HolidayRoundTrip(r);
}

void HolidayInputLine(FuzzedDataProvider& in) {
    HolidayInput input;
    input.kind = in.ConsumeIntegralInRange(-1, kHolidayKinds);
    input.weekday = in.ConsumeIntegralInRange(-1, 7);
    input.month = TakeText(in, 4, NumberPieces());
    input.day = TakeText(in, 4, NumberPieces());
    input.week = TakeText(in, 4, NumberPieces());
    input.name = TakeText(in, 50);
    input.fromYear = TakeText(in, 5, NumberPieces());
    input.toYear = TakeText(in, 5, NumberPieces());
    if (CheckHolidayInput(input).field != HolidayField::None)
        return;
    const HolidayRule r = RuleFromInput(input);
    // The editor never makes a rule that marks no day.
    FUZZ_CHECK(IsUsableRule(r));
    HolidayRoundTrip(r);
}

void SearchLines(FuzzedDataProvider& in) {
    const QDate d1 = StoredDate(in);
    const QDate d2 = StoredDate(in);
    const int m1 = in.ConsumeIntegralInRange(1, 12);
    const int day1 = in.ConsumeIntegralInRange(1, 31);
    const int m2 = in.ConsumeIntegralInRange(1, 12);
    const int day2 = in.ConsumeIntegralInRange(1, 31);
    const QString text = TakeText(in, 120);
    const QString other = TakeText(in, 20);

    // The list shows one line per entry: control characters become blanks.
    QString shown = text;
    for (QChar& c : shown) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    }
    const QString date = FormatDate(d1, QStringLiteral("yyyy/mm/dd"));
    const QString lines[] = {ScheduleSearchLine(d1, text), DiarySearchLine(d1, text),
                             WhatDaySearchLine(m1, day1, text)};
    const QString heads[] = {date + QStringLiteral(" | 予定     | "),
                             date + QStringLiteral(" | 日記     | "),
                             QStringLiteral("     %1/%2 | What Day | ")
                                 .arg(m1, 2, 10, QLatin1Char('0'))
                                 .arg(day1, 2, 10, QLatin1Char('0'))};
    for (int i = 0; i < 3; ++i) {
        FUZZ_CHECK(cp932Length(heads[i]) == 24);
        FUZZ_CHECK(lines[i] == heads[i] + cp932Pad(shown, 0, 50));
    }

    // Sorted by text: anniversaries first in month and day order, then the dated entries in
    // date order.
    const QString later = ScheduleSearchLine(d2, other);
    const QString laterWhatDay = WhatDaySearchLine(m2, day2, other);
    FUZZ_CHECK(lines[2] < lines[0] && laterWhatDay < lines[1]);
    if (d1 != d2)
        FUZZ_CHECK((lines[1] < later) == (d1 < d2));
    if (m1 != m2 || day1 != day2)
        FUZZ_CHECK((lines[2] < laterWhatDay) == (m1 * 100 + day1 < m2 * 100 + day2));
}

// What the engine's LIKE compares: the text as it is bound (UTF-8, a lone surrogate written
// as '?'), ASCII letters in either case, the noncharacters U+FFFE and U+FFFF read as U+FFFD.
QString AsEngineSees(const QString& s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            out.append(c).append(s.at(++i));
        } else if (c.isSurrogate()) {
            out.append(QLatin1Char('?'));
        } else if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) {
            out.append(QChar(c.unicode() + 32));
        } else {
            out.append(c.unicode() >= 0xFFFE ? QChar(QChar::ReplacementCharacter) : c);
        }
    }
    return out;
}

bool EngineLike(const QString& text, const QString& pattern) {
    static sqlite3* db = [] {
        sqlite3* h = nullptr;
        sqlite3_open(":memory:", &h);
        return h;
    }();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT ? LIKE ? ESCAPE '\\'", -1, &st, nullptr);
    const QByteArray t = text.toUtf8();
    const QByteArray p = pattern.toUtf8();
    sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, p.constData(), int(p.size()), SQLITE_TRANSIENT);
    FUZZ_CHECK(sqlite3_step(st) == SQLITE_ROW);
    const bool found = sqlite3_column_int(st, 0) == 1;
    sqlite3_finalize(st);
    return found;
}

void SearchPattern(FuzzedDataProvider& in) {
    const QString needle = TakeText(in, 24);
    const QString before = TakeText(in, 24);
    const QString after = TakeText(in, 24);
    const QString haystack = in.ConsumeBool() ? before + needle + after : before;
    const QString pattern = ContainsPattern(needle);

    // '%', the needle with only '%', '_' and '\' escaped, '%'.
    FUZZ_CHECK(pattern.size() >= 2 && pattern.startsWith(QLatin1Char('%')) &&
               pattern.endsWith(QLatin1Char('%')));
    QString literal;
    for (qsizetype i = 1; i + 1 < pattern.size(); ++i) {
        QChar c = pattern.at(i);
        const bool wildcard = c == QLatin1Char('%') || c == QLatin1Char('_');
        if (c == QLatin1Char('\\')) {
            FUZZ_CHECK(i + 2 < pattern.size());
            c = pattern.at(++i);
            FUZZ_CHECK(c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'));
        } else {
            FUZZ_CHECK(!wildcard);
        }
        literal.append(c);
    }
    FUZZ_CHECK(literal == needle);

    // The engine reads a text only up to a NUL character, which no text box can hold.
    if (haystack.contains(QChar(0)) || needle.contains(QChar(0)))
        return;
    FUZZ_CHECK_TEXTS(EngineLike(haystack, pattern) ==
                         AsEngineSees(haystack).contains(AsEngineSees(needle)),
                     haystack, needle, pattern);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0: {
        const int day = in.ConsumeIntegralInRange(1, 31);
        AnniversaryLine(day, TakeText(in, 200));
        break;
    }
    case 1:
        AnniversaryInput(in);
        break;
    case 2:
        HolidayRuleLine(in);
        break;
    case 3:
        HolidayInputLine(in);
        break;
    case 4:
        SearchLines(in);
        break;
    default:
        SearchPattern(in);
        break;
    }
    return 0;
}
