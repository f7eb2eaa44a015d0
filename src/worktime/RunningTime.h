// The log of the periods during which the program has been running.
#pragma once

#include <QDate>
#include <QDateTime>

#include <functional>

class Connection;

// A period is open while its end lies within this many minutes of the present.
inline constexpr int PERIOD_JOIN_MINUTES = 2;

// Start-up step: continue the period that has just ended, or begin a new one. False when a
// statement failed (db.errorText() says why).
bool RecordRunningTimeAtStart(Connection& db, const QDateTime& t);

// Moves the end of every open period to t. False when the statement failed.
bool ExtendRunningTime(Connection& db, const QDateTime& t);

// Adds the indexes that keep the log's lookups independent of its length: by end (the
// periods still open) and by length (the periods that contain a given moment). Pure
// accelerators: every statement gives the same result without them. False when they could
// not be made; nothing has changed then and the transaction goes on.
bool EnsureRunningTimeIndexes(Connection& db);

// Reads every period that overlaps the days first to last (also one that began before them
// and ends after them), ordered by start and end. False when the query failed.
using PeriodSink = std::function<void(const QDateTime& start, const QDateTime& end)>;
bool ReadPeriods(Connection& db, const QDate& first, const QDate& last, const PeriodSink& sink);
