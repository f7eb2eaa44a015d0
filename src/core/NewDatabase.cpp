#include "core/NewDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>

namespace {

// One row per date in the schedule and diary tables is what the program relies on; the unique
// indexes make the engine enforce it.
const char* const kSchema = R"SQL(
CREATE TABLE T_Schedule ([Date] DATE NOT NULL, Schedule TEXT);
CREATE UNIQUE INDEX T_Schedule_Date ON T_Schedule ([Date]);
CREATE TABLE T_Diary ([Date] DATE NOT NULL, Diary TEXT);
CREATE UNIQUE INDEX T_Diary_Date ON T_Diary ([Date]);
CREATE TABLE T_WhatDay (ID INTEGER PRIMARY KEY AUTOINCREMENT, Month INTEGER, Day INTEGER,
                        WhatDay TEXT);
CREATE INDEX T_WhatDay_MonthDay ON T_WhatDay (Month, Day);
CREATE TABLE T_Holiday (Kind INTEGER, Month INTEGER, Day INTEGER, Week INTEGER, Yobi INTEGER,
                        Name TEXT, FromYear INTEGER, ToYear INTEGER);
)SQL";

} // namespace

bool CreateNewDatabase(const QString& path, const DatabaseSeed& seed, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (QFileInfo::exists(path))
        return fail(QStringLiteral("%1 already exists; it is left unchanged.").arg(path));

    // Build the database under a temporary name and move it into place only when complete,
    // so that an interrupted run never leaves a half-made file where the program looks. The
    // name is new and made exclusively in the target folder: nothing there is removed or
    // written through, and the final move stays within one file system.
    const QFileInfo target(path);
    QTemporaryFile file(
        target.absoluteDir().filePath(target.fileName() + QStringLiteral(".XXXXXX.new")));
    file.setAutoRemove(false);
    if (!file.open())
        return fail(QStringLiteral("cannot create a file in %1: %2")
                        .arg(target.absolutePath(), file.errorString()));
    const QString temp = file.fileName();
    file.close();
    // The permissions the engine gives a file it creates itself.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(temp).constData(), 0644 & ~mask);
    auto removeTemp = [&temp] {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
    };

    QString why;
    bool ok = false;
    if (Db db = Connection::create(temp, &why)) {
        ok = db->execScript(kSchema) && (!seed || seed(*db)) && db->commit();
        if (!ok)
            why = db->errorText();
    }
    if (!ok) {
        removeTemp();
        return fail(why.isEmpty() ? QStringLiteral("cannot create %1").arg(temp) : why);
    }
    // QFile::rename never replaces an existing file, also one that appeared meanwhile.
    if (!QFile::rename(temp, path)) {
        removeTemp();
        return fail(QStringLiteral("cannot move the new database to %1").arg(path));
    }
    return true;
}
