// Creates a new, empty Vaskel database: vaskel-newdb [path]. The default path is Vaskel.pdb
// in the current folder. An existing file is never overwritten.

#include "HolidayRules.h"
#include "NewDatabase.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString path = args.size() > 1 ? args.at(1) : QStringLiteral("Vaskel.pdb");
    QString error;
    const auto seed = [](Connection& db) { return InsertHolidayRules(db, DefaultHolidayRules()); };
    if (!CreateNewDatabase(path, seed, &error)) {
        QTextStream(stderr) << "vaskel-newdb: " << error << '\n';
        return 1;
    }
    QTextStream(stdout) << "vaskel-newdb: created " << path << '\n';
    return 0;
}
