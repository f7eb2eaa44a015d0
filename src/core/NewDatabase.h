// Creation of a new, empty database file with the default holiday rules.
#pragma once

#include <QString>

// The Japanese national holidays that the rule kinds can express.
struct DefaultHoliday {
    int kind; // 0 date with substitute, 1 fixed date, 2 nth weekday
    int month;
    int day;  // kinds 0 and 1, else 0 (stored as Null)
    int week; // kind 2, else 0 (stored as Null)
    int yobi; // kind 2: 0 Sunday ... 6 Saturday
    const char* name;
};
extern const DefaultHoliday kDefaultHolidays[];
extern const int kDefaultHolidayCount;

// Creates the file with the four base tables and the default holiday rules. Never replaces an
// existing file; a failure leaves no file behind. On failure, error (when given) says why.
bool CreateNewDatabase(const QString& path, QString* error = nullptr);
