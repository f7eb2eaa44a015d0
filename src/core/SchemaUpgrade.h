// The schema version of the database and its upgrade from older versions.
#pragma once

#include <QString>

#include <functional>

class Connection;

// The program's schema version (1.07).
double ProgramVersion();
// The text of the upgrade notice: "Vaskelの Ver.1.00 から、1.06 にバージョンアップ中です...".
QString VersionUpNoticeText(double stored, double program);

// The stored version, to four decimals. A database from before the version table (or with an
// empty one) counts as version 1.
double ReadSchemaVersion(Connection& db);
// True when a database of that version needs the upgrade.
bool NeedsUpgrade(double stored);
// A step of the upgrade that belongs to a subsystem above this layer; false when it failed.
using UpgradeStep = std::function<bool(Connection&)>;

// Brings the schema from stored to the program's version in the caller's transaction: new
// tables and new nullable columns only. From before 1.07 it also runs holidayRules, which
// replaces a rule table nobody has edited by the present one. False when a statement failed
// (the connection is then rolled back and closed).
bool UpgradeSchema(Connection& db, double stored, const UpgradeStep& holidayRules = {});
