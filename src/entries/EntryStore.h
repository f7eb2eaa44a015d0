// Every statement on the day entries (T_Schedule, T_Diary) and the anniversaries (T_WhatDay).
// Each function works in the caller's transaction and shows nothing. A failed read returns
// nothing (false or an empty optional), the connection's errorText() telling why; the
// transaction stays usable unless the engine gave it up. A failed write has rolled back and
// closed the connection.
#pragma once

#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class Connection;

enum class DayEntry { Schedule, Diary };

// A day's stored entry: whether the day has its row, and its text (empty for a Null one).
struct DayText {
    bool exists = false;
    QString text;
};
std::optional<DayText> ReadDay(Connection& db, DayEntry entry, const QDate& day);
// An update when the day has its row, else an insert.
bool WriteDay(Connection& db, DayEntry entry, const QDate& day, const QString& text,
              bool rowExists);
// Appends text to the day's schedule (a Null one counting as empty), or inserts the row.
bool AppendToSchedule(Connection& db, const QDate& day, const QString& text, bool rowExists);
bool DeleteDay(Connection& db, DayEntry entry, const QDate& day);

struct Anniversary {
    int month = 0;
    int day = 0;
    QString text;
};
// Every anniversary in month and day order (rows without a month read as month 0).
bool ReadAnniversaries(Connection& db, std::vector<Anniversary>& out);
std::optional<bool> AnniversaryExists(Connection& db, const Anniversary& a);
bool AddAnniversary(Connection& db, const Anniversary& a);
// Deletes every row of that month, day and text.
bool DeleteAnniversary(Connection& db, const Anniversary& a);

// The entries whose text matches a LIKE pattern (ESCAPE '\'), in table order.
bool SearchDays(Connection& db, DayEntry entry, const QString& pattern,
                const std::function<void(const QDate&, const QString&)>& found);
// Every day whose entry has a text, in date order.
bool ReadAllDays(Connection& db, DayEntry entry,
                 const std::function<void(const QDate&, const QString&)>& found);
bool SearchAnniversaries(Connection& db, const QString& pattern,
                         const std::function<void(const Anniversary&)>& found);

// The longest texts the editors accept, in UTF-16 units as the text boxes count them. The
// schedule editor itself sets no limit; imports keep to this one.
constexpr int kDiaryMaxChars = 2000;
constexpr int kScheduleMaxChars = 32767;
