// The application context: everything the program's windows share, owned by main() (and by each
// test) and passed down, so that nothing of it is global.
#pragma once

#include "core/Program.h"
#include "settings/SettingsStore.h"

class AppContext {
public:
    // programFolder: where the database is (empty: the executable's folder).
    explicit AppContext(const QString& programFolder = QString()) : m_program(programFolder) {}
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // The program's folder, clock and database.
    Program& program() { return m_program; }
    const Program& program() const { return m_program; }
    // The options in force: read at start, changed by the options dialog.
    Options& options() { return m_options; }
    const Options& options() const { return m_options; }

private:
    Program m_program;
    Options m_options;
};
