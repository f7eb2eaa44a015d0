// The schema check that runs first at every start, and the upgrade of older databases.

#include "core/VersionUp.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/MsgBox.h"
#include "core/Program.h"
#include "core/VersionUpNotice.h"

#include <QCoreApplication>

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

bool VersionUp() {
    Db db = OpenDB();
    if (!db)
        return false;

    // A database from before the version table (or with an empty one) counts as version 1.
    double stored = 1.0;
    {
        Recordset rs;
        if (rs.open(*db, QStringLiteral("SELECT ver FROM T_Version")) && !rs.eof() && !rs.isNull(0))
            stored = std::round(rs.real("ver") * 10000.0) / 10000.0;
    }
    const double program = ProgramVersion();
    if (Fixed(stored) >= Fixed(program)) {
        CloseDB(*db);
        return true;
    }

    VersionUpNotice notice;
    notice.lblVersion->setText(VersionUpNoticeText(stored, program));
    notice.show();
    QCoreApplication::processEvents();

    bool ok = true;
    if (Fixed(stored) < Fixed(1.03)) {
        ok = db->exec(QStringLiteral("CREATE TABLE T_Version (ver SINGLE)")) &&
             db->exec(QStringLiteral("INSERT INTO T_Version (ver) VALUES (1.03)")) &&
             db->exec(QStringLiteral("CREATE TABLE T_WorkTime (StartTime DATE, EndTime DATE)")) &&
             db->exec(
                 QStringLiteral("CREATE INDEX StartEndTime ON T_WorkTime (StartTime, EndTime)"));
    }
    if (ok && Fixed(stored) < Fixed(1.06))
        ok =
            db->exec(QStringLiteral("CREATE TABLE T_Alarm (AlarmTime DATE, AlarmDetail LONGTEXT)"));
    if (ok)
        ok = db->exec(QStringLiteral("UPDATE T_Version SET ver = ") + Format000(program));

    if (!ok) {
        // Nothing of the upgrade may reach the file: it stays at its old version. The failed
        // statement has rolled the transaction back and closed the connection already.
        notice.close();
        MsgBox(QStringLiteral("バージョンアップ処理に失敗しました。"), MsgButtons::OK,
               MsgIcon::Critical, QStringLiteral("バージョンアップ更新処理"));
        return false;
    }
    notice.close();
    // Unlike a mere version read, an upgrade that could not be committed has not happened.
    return CloseDB(*db);
}
