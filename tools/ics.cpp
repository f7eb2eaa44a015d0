// Moves a calendar in and out of a Vaskel database from the command line, for scripts and
// scheduled backups:
//   vaskel-ics export FILE [--diary] [--holidays FROM-TO] [--db PATH]
//   vaskel-ics import FILE [--dry-run] [--db PATH]
// The database is the one beside the program unless --db names another. Exit status 0 on
// success, 1 when the work failed (one line on stderr says why), 2 for a wrong command line.

#include "core/Program.h"
#include "exchange/IcsFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <optional>

namespace {

const char* const kUsage =
    "Usage: vaskel-ics export FILE [--diary] [--holidays FROM-TO] [--db PATH]\n"
    "       vaskel-ics import FILE [--dry-run] [--db PATH]\n"
    "Writes the schedules and anniversaries (with --diary also the diary, with --holidays the\n"
    "holidays of the years FROM-TO) of the Vaskel database to the iCalendar file FILE, which\n"
    "is replaced; or reads FILE into the database. The database is Vaskel.pdb beside the\n"
    "program unless --db names another.\n";

struct Command {
    QString verb;
    QString file;
    QString database;
    bool diary = false;
    bool dryRun = false;
    std::optional<std::pair<int, int>> holidays;
};

// The command line, or nothing when it is not one of the two forms.
std::optional<Command> Parse(const QStringList& args) {
    Command c;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--diary")) {
            c.diary = true;
        } else if (a == QLatin1String("--dry-run")) {
            c.dryRun = true;
        } else if ((a == QLatin1String("--db") || a == QLatin1String("--holidays")) &&
                   i + 1 < args.size()) {
            const QString value = args.at(++i);
            if (a == QLatin1String("--db")) {
                c.database = value;
                continue;
            }
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("^(\\d{1,4})-(\\d{1,4})$")).match(value);
            if (!m.hasMatch() || m.captured(1).toInt() < 1 ||
                m.captured(1).toInt() > m.captured(2).toInt())
                return std::nullopt;
            c.holidays = std::make_pair(m.captured(1).toInt(), m.captured(2).toInt());
        } else if (a.startsWith(QLatin1String("--")) || !c.file.isEmpty()) {
            return std::nullopt;
        } else if (c.verb.isEmpty()) {
            c.verb = a;
        } else {
            c.file = a;
        }
    }
    const bool exporting = c.verb == QLatin1String("export");
    const bool importing = c.verb == QLatin1String("import");
    if (c.file.isEmpty() || (!exporting && !importing) || (exporting && c.dryRun) ||
        (importing && (c.diary || c.holidays)))
        return std::nullopt;
    return c;
}

int Export(const Program& program, const Command& c) {
    ExportChoice choice;
    choice.diaries = c.diary;
    if (c.holidays) {
        choice.holidays = true;
        choice.holidaysFrom = c.holidays->first;
        choice.holidaysTo = c.holidays->second;
    }
    ExportCounts counts;
    QString error;
    if (!ExportCalendarFile(program, choice, c.file, &counts, &error)) {
        QTextStream(stderr) << "vaskel-ics: " << c.file << ": " << error << '\n';
        return 1;
    }
    QTextStream(stdout) << "vaskel-ics: wrote " << counts.schedules << " schedules, "
                        << counts.diaries << " diary entries, " << counts.anniversaries
                        << " anniversaries, " << counts.holidays << " holidays to " << c.file
                        << '\n';
    return 0;
}

QString Counts(const ImportPlan& plan) {
    return QStringLiteral("%1 schedule lines, %2 diary entries, %3 anniversaries")
        .arg(plan.scheduleLines)
        .arg(plan.diaryEntries)
        .arg(plan.anniversaries.size());
}

int Import(const Program& program, const Command& c) {
    ImportFile file;
    QString error;
    if (!PlanImportFile(program, c.file, DefaultImportOptions(program.clock().today()), file,
                        &error)) {
        QTextStream(stderr) << "vaskel-ics: " << c.file << ": " << error << '\n';
        return 1;
    }
    QTextStream out(stdout);
    for (const QString& line : file.plan.notPlaced)
        out << "vaskel-ics: not placed: " << line << '\n';
    if (c.dryRun) {
        out << "vaskel-ics: would read " << Counts(file.plan) << " from " << c.file
            << " (dry run: nothing written)\n";
        return 0;
    }
    if (!ApplyImportFile(program, file, &error)) {
        QTextStream(stderr) << "vaskel-ics: " << c.file << ": " << error << '\n';
        return 1;
    }
    out << "vaskel-ics: read " << Counts(file.plan) << " from " << c.file << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        QTextStream(stdout) << kUsage;
        return 0;
    }
    const std::optional<Command> c = Parse(args);
    if (!c) {
        QTextStream(stderr) << kUsage;
        return 2;
    }
    const QFileInfo db(c->database);
    const Program program(c->database.isEmpty() ? QString() : db.absolutePath(),
                          c->database.isEmpty() ? QString() : db.fileName());
    return c->verb == QLatin1String("export") ? Export(program, *c) : Import(program, *c);
}
