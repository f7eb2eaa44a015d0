// iCalendar files of the program's database: the export written whole or not at all.
#pragma once

#include "exchange/IcsExport.h"
#include "exchange/IcsImport.h"

#include <QString>

class Program;

struct ExportCounts {
    int schedules = 0;
    int diaries = 0;
    int anniversaries = 0;
    int holidays = 0;
};

// Writes the chosen items of the program's database to path: to a temporary file beside it
// that takes path's name only when complete, so that a failure leaves an existing file as it
// was. Refuses the database itself and the engine's side files beside it. False with the reason
// in error (the engine's text, or the file system's).
bool ExportCalendarFile(const Program& program, const ExportChoice& choice, const QString& path,
                        ExportCounts* counts, QString* error);

// What the user is told when an export would replace the database or one of its side files.
QString DatabaseFileRefusal();

// The default file of an export: Vaskel.ics in the user's documents folder.
QString DefaultExportPath();

// An import read from a file: its bytes, kept so that the writing can plan again in its own
// transaction (the database may have changed while the user read the plan).
struct ImportFile {
    QByteArray bytes;
    ImportOptions options;
    ImportPlan plan;
};

// Reads path (refused before reading when over the size cap) and plans its import against the
// program's database. False with the reason in error: the file's, the engine's or the plan's.
bool PlanImportFile(const Program& program, const QString& path, const ImportOptions& options,
                    ImportFile& out, QString* error);
// Plans the file's bytes again and writes that plan in one transaction; the plan written is
// left in file.plan. False with the reason in error, nothing written.
bool ApplyImportFile(const Program& program, ImportFile& file, QString* error);
