#include "core/DatabaseMessages.h"

#include "core/MsgBox.h"
#include "core/Program.h"

void ShowDbFailure(DbFailure failure) {
    MsgBox(DbFailureText(failure), MsgButtons::OK, MsgIcon::Critical,
           QString::fromLatin1(kAppTitle));
}

Db OpenDB(const Program& program) {
    Db db = program.openDatabase();
    if (!db)
        ShowDbFailure(DbFailure::Connect);
    return db;
}

bool CloseDB(Connection& db) {
    // Closed by a failed statement: that failure has been reported, and nothing is left to
    // commit.
    if (!db.isOpen())
        return false;
    if (db.commit())
        return true;
    ShowDbFailure(DbFailure::Disconnect);
    return false;
}

bool ExecSQL(Connection& db, const QString& sql, SqlParams params) {
    if (db.exec(sql, std::vector<QVariant>(params)))
        return true;
    // The statement's failure has rolled back and closed the connection.
    return UpdateFailed();
}

bool UpdateFailed() {
    ShowDbFailure(DbFailure::Update);
    return false;
}
