// What the day-entry windows compute without widgets: captions, list lines and their
// reading back, input checks, the search pattern and the search result lines.
#pragma once

#include <QDate>
#include <QString>

// "2004年03月15日（月）の予定"
QString ScheduleCaption(const QDate& d);
// "03月15日（月）の日記"
QString DiaryCaption(const QDate& d);
// The diary's heading: " 2004年 03月15日（月）" and the day cell's tags (its caption from
// the third byte on, the two-character day number dropped).
QString DiaryHeading(const QDate& d, const QString& dayCellCaption);
// The same month and day yearsBack years earlier; an invalid date when that year has no
// such day (29 February).
QDate SameDayYearsBack(const QDate& d, int yearsBack);
// "2004年03月15日（月）の予定を削除してよろしいですか？" and the diary's counterpart.
QString DeleteScheduleQuestion(const QDate& d);
QString DeleteDiaryQuestion(const QDate& d);

// ---- Anniversary register ----

// One list line: the day right-aligned in three bytes, "日", two blanks, the text, so that
// the text starts at the eighth byte.
QString WhatDayLine(int day, const QString& text);
struct WhatDayLineParts {
    int day = 0;
    QString text;
};
// Reads a line back: the day from its first three bytes, the text from the eighth byte
// without surrounding blanks.
WhatDayLineParts ParseWhatDayLine(const QString& line);

// A whole number typed into a box: digits only (full-width digits count), blanks around
// allowed. False for anything else, a decimal point or a sign included.
bool ParseWholeNumber(const QString& text, int& value);
// The check run when the focus leaves the day box: empty passes, otherwise 1-31.
bool DayTextAcceptable(const QString& text);

enum class WhatDayField { None, Month, Day, WhatDay };
struct InputProblem {
    WhatDayField field = WhatDayField::None;
    QString message;
};
// The checks of an addition, in their order; the first failure wins.
InputProblem CheckWhatDayInput(const QString& month, const QString& day, const QString& text);

// ---- Search ----

// A LIKE pattern that finds text anywhere, every character of it taken literally
// (used with ESCAPE '\').
QString ContainsPattern(const QString& text);
QString ScheduleSearchLine(const QDate& d, const QString& schedule);
QString DiarySearchLine(const QDate& d, const QString& diary);
QString WhatDaySearchLine(int month, int day, const QString& whatDay);
