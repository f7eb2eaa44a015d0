// Creation of a new, empty database file.
#pragma once

#include "core/Database.h"

#include <QString>

#include <functional>

// Fills a new database inside its creating transaction (the default holiday rules, say).
using DatabaseSeed = std::function<bool(Connection&)>;

// Creates the file with the four base tables, then runs seed on it. Never replaces an existing
// file; a failure leaves no file behind. On failure, error (when given) says why.
bool CreateNewDatabase(const QString& path, const DatabaseSeed& seed, QString* error = nullptr);
