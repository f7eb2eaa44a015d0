// The program's identity and where it lives: its folder holds the program and its database.
#pragma once

#include <QString>

inline constexpr const char* kAppTitle = "Vaskel";
inline constexpr const char* kDatabaseFileName = "Vaskel.pdb";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 7;

// The folder that holds the program and its database (default: the executable's folder).
QString AppPath();
void SetAppPath(const QString& dir);
QString DatabasePath();
