#include "core/SchemaUpgrade.h"

#include "core/Database.h"
#include "core/Program.h"

#include <cmath>

namespace {

// Versions are compared as fixed-point numbers with four decimals, so that a stored
// single-precision 1.03 equals the program's 1.03.
qint64 Fixed(double v) {
    return std::llround(v * 10000.0);
}

QString Format000(double v) {
    return QString::number(v, 'f', 2);
}

} // namespace

QString VersionUpNoticeText(double stored, double program) {
    return QStringLiteral("Vaskelの Ver.") + Format000(stored) + QStringLiteral(" から、") +
           Format000(program) + QStringLiteral(" にバージョンアップ中です...");
}

double ProgramVersion() {
    return kVersionMajor + kVersionMinor / 100.0;
}

double ReadSchemaVersion(Connection& db) {
    Recordset rs;
    if (rs.open(db, QStringLiteral("SELECT ver FROM T_Version")) && !rs.eof() && !rs.isNull(0))
        return std::round(rs.real("ver") * 10000.0) / 10000.0;
    return 1.0;
}

bool NeedsUpgrade(double stored) {
    return Fixed(stored) < Fixed(ProgramVersion());
}

namespace {

bool HasColumn(Connection& db, const char* table, const char* column) {
    Recordset rs;
    if (!rs.open(db, QStringLiteral("SELECT count(*) FROM pragma_table_info(?) WHERE name = ?"),
                 {QString::fromLatin1(table), QString::fromLatin1(column)}))
        return false;
    return rs.integer(0) > 0;
}

// New nullable columns only: an older copy of the program reads the table as before.
bool AddColumn(Connection& db, const char* table, const char* column, const char* type) {
    if (HasColumn(db, table, column))
        return true;
    return db.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                       .arg(QLatin1String(table), QLatin1String(column), QLatin1String(type)));
}

} // namespace

bool UpgradeSchema(Connection& db, double stored, const UpgradeStep& holidayRules) {
    bool ok = true;
    if (Fixed(stored) < Fixed(1.03)) {
        ok =
            db.exec(QStringLiteral("CREATE TABLE T_Version (ver SINGLE)")) &&
            db.exec(QStringLiteral("INSERT INTO T_Version (ver) VALUES (1.03)")) &&
            db.exec(QStringLiteral("CREATE TABLE T_WorkTime (StartTime DATE, EndTime DATE)")) &&
            db.exec(QStringLiteral("CREATE INDEX StartEndTime ON T_WorkTime (StartTime, EndTime)"));
    }
    if (ok && Fixed(stored) < Fixed(1.06))
        ok = db.exec(QStringLiteral("CREATE TABLE T_Alarm (AlarmTime DATE, AlarmDetail LONGTEXT)"));
    if (ok && Fixed(stored) < Fixed(1.07)) {
        // The years of a holiday rule; a table made by a new-database tool has them already.
        ok = db.isOpen() && AddColumn(db, "T_Holiday", "FromYear", "INTEGER") &&
             AddColumn(db, "T_Holiday", "ToYear", "INTEGER") && (!holidayRules || holidayRules(db));
    }
    return ok &&
           db.exec(QStringLiteral("UPDATE T_Version SET ver = ") + Format000(ProgramVersion()));
}
