// The connection pattern with the program's messages, for the windows: the failures of
// opening, committing and writing are told in one way (error icon, title "Vaskel"). Every
// message is shown only after the failed transaction has been rolled back and closed, so no
// lock is held while a message waits for the user.
#pragma once

#include "core/Database.h"

class Program;

// Shows the failure's message.
void ShowDbFailure(DbFailure failure);
// Opens the program's database and begins its transaction; null (after the connection
// message) on failure.
Db OpenDB(const Program& program);
// Commits and closes; the disconnection message on a failed commit. False without a message
// when a failed statement has already closed the connection (its failure was reported).
bool CloseDB(Connection& db);
// Executes one action statement; on failure rolls the whole transaction back, closes the
// connection and shows the update message.
bool ExecSQL(Connection& db, const QString& sql, SqlParams params = {});
// Reports a write of a store that failed (the connection is closed by then); false.
bool UpdateFailed();
