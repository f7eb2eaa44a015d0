#include "exchange/IcsFile.h"

#include "core/Program.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

bool IsDatabaseFile(const QString& database, const QString& path) {
    const QFileInfo target(path);
    const QString db = QFileInfo(database).absoluteFilePath();
    if (target.absoluteFilePath() == db ||
        (target.exists() && target.canonicalFilePath() == QFileInfo(database).canonicalFilePath()))
        return true;
    for (const char* side : {"-journal", "-wal", "-shm"}) {
        if (target.absoluteFilePath() == db + QLatin1String(side))
            return true;
    }
    return false;
}

namespace {

bool Fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return false;
}

} // namespace

QString DatabaseFileRefusal() {
    return QStringLiteral("データベースのファイルには書き出せません。");
}

QString DefaultExportPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("Vaskel.ics"));
}

bool ExportCalendarFile(const Program& program, const ExportChoice& choice, const QString& path,
                        ExportCounts* counts, QString* error) {
    if (IsDatabaseFile(program.databasePath(), path))
        return Fail(error, DatabaseFileRefusal());
    ExportItems items;
    {
        QString why;
        Db db = program.openDatabase(&why);
        if (!db)
            return Fail(error, why);
        if (!ReadExportItems(*db, choice, items))
            return Fail(error, db->errorText());
        // Nothing was changed: the reading transaction is simply ended.
        db->rollback();
    }
    const QByteArray ics = WriteCalendar(items, program.clock().now());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(ics) != ics.size() || !file.commit())
        return Fail(error, file.errorString());
    if (counts)
        *counts = {int(items.schedules.size()), int(items.diaries.size()),
                   int(items.anniversaries.size()), int(items.holidays.size())};
    return true;
}
