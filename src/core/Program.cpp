#include "core/Program.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString g_appPath;
} // namespace

QString AppPath() {
    if (!g_appPath.isEmpty())
        return g_appPath;
    return QCoreApplication::applicationDirPath();
}

void SetAppPath(const QString& dir) {
    g_appPath = dir;
}

QString DatabasePath() {
    return QDir(AppPath()).filePath(QString::fromLatin1(kDatabaseFileName));
}
