// The schema version of the database and its upgrade from older versions.
#pragma once

#include <QString>

class Connection;

// The program's schema version (1.06).
double ProgramVersion();
// The text of the upgrade notice: "Vaskelの Ver.1.00 から、1.06 にバージョンアップ中です...".
QString VersionUpNoticeText(double stored, double program);

// The stored version, to four decimals. A database from before the version table (or with an
// empty one) counts as version 1.
double ReadSchemaVersion(Connection& db);
// True when a database of that version needs the upgrade.
bool NeedsUpgrade(double stored);
// Brings the schema from stored to the program's version in the caller's transaction: new
// tables only. False when a statement failed (the connection is then rolled back and closed).
bool UpgradeSchema(Connection& db, double stored);
