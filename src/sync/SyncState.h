// What the calendar sync remembers between runs, in its own table T_SyncItem: one row per item
// agreed with the server, and one row for the collection itself. The table is created by the
// first set-up; a database without it does not sync. Each function works in the caller's
// transaction; a failed read returns false or nothing (the connection's errorText() telling
// why), a failed write has rolled back and closed the connection.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>
#include <vector>

class Connection;

enum class SyncKind {
    Collection = 0, // the collection's own row: its URL and sync token
    Schedule = 1,   // our item of a day's schedule (its own lines only)
    Diary = 2,      // our item of a day's diary
    Anniversary = 3,
    Foreign = 4, // another client's item, shown as lines of the schedule
};

// One line that another client's item placed in a local day's schedule.
struct Placement {
    QDate date;
    QString line;
    bool operator==(const Placement&) const = default;
};

struct SyncRow {
    QString href; // the item's path on the server, as the server names it
    QString uid;
    // The item's ETag when its version is integrated here; empty when the server's version is
    // still to be fetched and integrated (a conflict, or a text that did not fit): such a row
    // is fetched by every pull and never overwritten on the server until then.
    QString tag;
    SyncKind kind = SyncKind::Foreign;
    QDate date;             // Schedule, Diary
    int month = 0, day = 0; // Anniversary
    // AgreedHash of the text both sides last agreed on: the day's own text, the diary, the
    // anniversary's text; for a foreign item, of its lines as the server's version places them.
    QByteArray agreed;
    std::vector<Placement> lines; // Foreign: its lines as they stand in the local days
    // Foreign: never rewritten or deleted by us (a repeating event, or not one single event).
    bool fixed = false;
    bool operator==(const SyncRow&) const = default;
};

// The collection the database is kept in step with, and where its changes were last read.
struct CollectionState {
    QString url;   // empty: none chosen yet
    QString token; // the server's sync token; empty: read everything next time
    QString scope; // what the token was taken for: items of other kinds were passed over
};

// Whether the table exists (the sync is set up); nothing when that could not be read.
std::optional<bool> HasSyncTable(Connection& db);
// Creates the table unless it exists.
bool CreateSyncTable(Connection& db);

bool ReadSyncRows(Connection& db, std::vector<SyncRow>& out);
// Inserts the row, or replaces the one of its href.
bool WriteSyncRow(Connection& db, const SyncRow& row);
bool DeleteSyncRow(Connection& db, const QString& href);
// Marks the item's server version as still to be fetched and integrated (its tag emptied).
bool ForgetSyncTag(Connection& db, const QString& href);

bool ReadCollection(Connection& db, CollectionState& out);
bool WriteCollection(Connection& db, const CollectionState& state);
// Records where the collection's changes were last read (the collection row must exist).
bool WriteSyncToken(Connection& db, const QString& token);
// Forgets every item (a new collection starts from nothing); the collection row stays.
bool ClearSyncItems(Connection& db);

// The text form of a foreign item's lines: "YYYY-MM-DD<TAB>line<LF>" each.
QString EncodePlacements(const std::vector<Placement>& lines);
std::vector<Placement> DecodePlacements(const QString& text);
