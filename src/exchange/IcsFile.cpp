#include "exchange/IcsFile.h"

#include "core/DatabaseFiles.h"
#include "core/Program.h"
#include "exchange/IcsLimits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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
    if (IsDatabaseOrSideFile(program.databasePath(), path))
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

bool PlanImportFile(const Program& program, const QString& path, const ImportOptions& options,
                    ImportFile& out, QString* error) {
    out = ImportFile();
    out.options = options;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, file.errorString());
    // A file too large is refused before its bytes are read.
    if (file.size() > kIcsMaxFileBytes)
        return Fail(error, IcsTooLargeText());
    out.bytes = file.readAll();
    QString why;
    Db db = program.openDatabase(&why);
    if (!db)
        return Fail(error, why);
    const ImportResult r = PlanImport(*db, out.bytes, options, out.plan);
    if (!r.ok)
        return Fail(error, r.error.isEmpty() ? db->errorText() : r.error);
    db->rollback();
    return true;
}

bool ApplyImportFile(const Program& program, ImportFile& file, QString* error) {
    QString why;
    Db db = program.openDatabase(&why);
    if (!db)
        return Fail(error, why);
    ImportPlan plan;
    const ImportResult r = PlanImport(*db, file.bytes, file.options, plan);
    if (!r.ok)
        return Fail(error, r.error.isEmpty() ? db->errorText() : r.error);
    if (!ApplyImport(*db, plan) || !db->commit())
        return Fail(error, db->errorText());
    file.plan = std::move(plan);
    return true;
}
