#include "core/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

bool SameFile(const QString& a, const QString& b) {
    std::error_code ec;
    return std::filesystem::equivalent(QFile::encodeName(a).toStdString(),
                                       QFile::encodeName(b).toStdString(), ec);
}

bool IsDatabaseSideFile(const QString& database, const QString& path) {
    const QFileInfo db(database);
    const QFileInfo target(path);
    const QString folder = target.absoluteDir().canonicalPath();
    if (folder.isEmpty() || folder != db.absoluteDir().canonicalPath())
        return false;
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        if (target.fileName() == db.fileName() + QLatin1String(suffix))
            return true;
    }
    return false;
}

bool IsDatabaseOrSideFile(const QString& database, const QString& path) {
    return SameFile(database, path) || IsDatabaseSideFile(database, path);
}
