// Creates a new, empty Vaskel database: vaskel-newdb [path]. The default path is Vaskel.pdb
// in the current folder. An existing file is never overwritten.

#include "core/NewDatabase.h"
#include "holidays/HolidayRules.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

const char* const kUsage =
    "Usage: vaskel-newdb [PATH]\n"
    "Creates a new, empty Vaskel database with the default holiday rules at PATH.\n"
    "Without PATH it writes Vaskel.pdb in the current folder. Vaskel opens the database\n"
    "Vaskel.pdb in its own program folder. An existing file is never overwritten.\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        QTextStream(stdout) << kUsage;
        return 0;
    }
    if (args.size() > 2) {
        QTextStream(stderr) << kUsage;
        return 2;
    }
    const QString path =
        QFileInfo(args.size() > 1 ? args.at(1) : QStringLiteral("Vaskel.pdb")).absoluteFilePath();
    QString error;
    const auto seed = [](Connection& db) { return InsertHolidayRules(db, DefaultHolidayRules()); };
    if (!CreateNewDatabase(path, seed, &error)) {
        QTextStream(stderr) << "vaskel-newdb: " << error << '\n';
        return 1;
    }
    QTextStream(stdout) << "vaskel-newdb: created " << QFileInfo(path).canonicalFilePath() << '\n';
    return 0;
}
