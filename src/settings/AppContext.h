// The application context: everything the program's windows share, owned by main() (and by each
// test) and passed down, so that nothing of it is global.
#pragma once

#include "core/Program.h"
#include "settings/SettingsStore.h"

class AppContext {
public:
    // programFolder: where the database is (empty: the executable's folder); settingsFolder:
    // where the settings store's folder is (empty: the per-user configuration folder).
    explicit AppContext(const QString& programFolder = QString(),
                        const QString& settingsFolder = QString())
        : m_program(programFolder), m_settings(settingsFolder) {}
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // The program's folder, clock and database.
    Program& program() { return m_program; }
    const Program& program() const { return m_program; }
    // The settings file.
    SettingsStore& settings() { return m_settings; }
    // The options in force: read at start, changed by the options dialog.
    Options& options() { return m_options; }
    const Options& options() const { return m_options; }

private:
    Program m_program;
    SettingsStore m_settings;
    Options m_options;
};
