// The program's identity and where it lives: its folder holds the program and its database.
#pragma once

#include "core/Clock.h"
#include "core/Database.h"

#include <QString>

inline constexpr const char* kAppTitle = "Vaskel";
inline constexpr const char* kDatabaseFileName = "Vaskel.pdb";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 7;

// The running program as its windows see it: the folder that holds it and its database, the
// present time, and the connections to that database. main() has one, each test its own; every
// window that reads the time or the database is given it.
class Program {
public:
    // folder: where the database is; empty for the executable's folder. databaseFile: its
    // name there (the command-line tools may name another file); empty for Vaskel.pdb.
    explicit Program(const QString& folder = QString(), const QString& databaseFile = QString());
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    QString folder() const;
    QString databasePath() const;

    Clock& clock() { return m_clock; }
    const Clock& clock() const { return m_clock; }

    // Opens the database in the folder and begins its transaction; null on failure (why, when
    // given, then holds the engine's text).
    Db openDatabase(QString* why = nullptr, Begin begin = Begin::Deferred) const;
    // How many of the connections it opened are open now (tests: none while a window waits).
    int openConnections() const { return *m_openConnections; }

private:
    QString m_folder;
    QString m_databaseFile;
    Clock m_clock;
    ConnectionCount m_openConnections;
};
