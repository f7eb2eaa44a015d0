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
#include <utility>
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

// ---------------------------------------------------------------- one calendar object

// One calendar object of a calendar server (one UID's components) as this program understands
// it: one of our own items, recognised by its UID, or another client's, with the schedule lines
// it places on local days as an import would place them.
struct IcsObject {
    enum class Kind { Schedule, Diary, Anniversary, Other };
    Kind kind = Kind::Other;
    QString uid;
    QDate date;              // Schedule, Diary: the day its UID names
    Anniversary anniversary; // Anniversary: month, day and text
    QString text;            // Schedule, Diary: the whole text, lines ended by a line feed
    // Other: one line per local day each event covers ("HH:MM summary", or the summary of an
    // all-day one), repeating events' occurrences within the expansion range, in placing order.
    std::vector<std::pair<QDate, QString>> lines;
    bool repeats = false;  // Other: an event with a rule or a replaced occurrence
    bool editable = false; // Other: a single event, whose summary ReplaceSummary can change
    QStringList notPlaced; // what could not be placed, as the import lists it
};
// Reads one object with the import's checks and caps. When not ok, out is empty and the
// result's error says why.
ImportResult ReadIcsObject(const QByteArray& ics, const ImportOptions& options, IcsObject& out);
// The object of a single event with only its SUMMARY replaced: every other property, its zones
// included, as libical reads and writes them. Empty when the object is not a single event or is
// refused by the import's checks.
QByteArray ReplaceSummary(const QByteArray& ics, const QString& summary);
