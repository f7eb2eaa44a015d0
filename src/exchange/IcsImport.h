// Reading an iCalendar file (RFC 5545) into the day entries and anniversaries: first a plan of
// what the import will do, which the window shows, then its writing in one transaction.
// Events land in the schedule of each local day they cover, journal entries in the diary,
// yearly all-day events without an end become anniversaries; what this program exported reads
// back as it was stored.
#pragma once

#include "entries/EntryStore.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <map>
#include <vector>

class Connection;

struct ImportOptions {
    // The days that repeating events are expanded over, both included.
    QDate expandFrom;
    QDate expandTo;
    // The zone whose days and clock times the entries are in.
    QTimeZone localZone;
};

// What an import will do.
struct ImportPlan {
    std::map<QDate, QString> schedules; // the day's new full text
    std::map<QDate, QString> diaries;
    std::vector<Anniversary> anniversaries; // new ones only
    int scheduleLines = 0;                  // lines added to schedules
    int diaryEntries = 0;                   // journal entries that add to a diary
    QStringList notPlaced;                  // one line each: date, kind, text and why
    bool isEmpty() const { return schedules.empty() && diaries.empty() && anniversaries.empty(); }
};

struct ImportResult {
    bool ok = false;
    QString error; // for the user, when not ok
};

// Reads the file's bytes and works out the plan against the database, reading in the
// caller's transaction. When not ok, the plan is empty and error says why.
ImportResult PlanImport(Connection& db, const QByteArray& ics, const ImportOptions& options,
                        ImportPlan& out);
// What the user is told of a file over the size cap.
QString IcsTooLargeText();

// The default range of repeating events: a year back and two ahead of today.
ImportOptions DefaultImportOptions(const QDate& today);
// Writes the plan in the caller's transaction (the caller commits). False when a write failed
// (the connection then rolled back and closed).
bool ApplyImport(Connection& db, const ImportPlan& plan);
