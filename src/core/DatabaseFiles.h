// Which files a copy or an export must never replace: the database and the engine's own
// files beside it.
#pragma once

#include <QString>

// True when both paths name one existing file (through links too).
bool SameFile(const QString& a, const QString& b);

// True when path names one of the engine's side files of the database (its "-journal",
// "-wal" or "-shm" beside it), which the engine would take for its own and delete.
bool IsDatabaseSideFile(const QString& database, const QString& path);

// The database itself or one of its side files.
bool IsDatabaseOrSideFile(const QString& database, const QString& path);
