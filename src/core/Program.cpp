#include "core/Program.h"

#include <QCoreApplication>
#include <QDir>

Program::Program(const QString& folder, const QString& databaseFile)
    : m_folder(folder),
      m_databaseFile(databaseFile.isEmpty() ? QString::fromLatin1(kDatabaseFileName)
                                            : databaseFile),
      m_openConnections(std::make_shared<int>(0)) {}

QString Program::folder() const {
    return m_folder.isEmpty() ? QCoreApplication::applicationDirPath() : m_folder;
}

QString Program::databasePath() const {
    return QDir(folder()).filePath(m_databaseFile);
}

Db Program::openDatabase(QString* why, Begin begin) const {
    return Connection::open(databasePath(), why, m_openConnections, begin);
}
