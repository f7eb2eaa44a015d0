// Shared fixtures of the tests: a program folder with a database in a temporary folder, a
// private settings store, a settable clock and a recorder of message boxes.
#pragma once

#include "core/MsgBox.h"
#include "settings/AppContext.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <deque>
#include <memory>
#include <source_location>
#include <vector>

// Records every message box instead of showing it and answers from a queue (OK when empty).
class MsgRecorder {
public:
    MsgRecorder();
    ~MsgRecorder();
    std::vector<MsgRecord> messages;
    std::deque<MsgResult> answers;
    QStringList texts() const;
    void clear() { messages.clear(); }
};

// A temporary program folder and settings store, and the application context on them, made anew
// for every test.
class TestEnv {
public:
    enum class Schema { V100, V103, V106, V107, None };
    explicit TestEnv(Schema schema = Schema::V106);
    ~TestEnv();

    // What the windows under test are given: the program on the temporary folder, its clock,
    // its settings and its options.
    AppContext& app() { return m_app; }
    Program& program() { return m_app.program(); }
    SettingsStore& settings() { return m_app.settings(); }
    // How many connections to the database the windows hold open now.
    int openConnections() const { return m_app.program().openConnections(); }

    QString dir() const { return m_dir.path(); }
    QString dbPath() const;
    QString settingsFile() const;

    // Runs statements on the database through a connection of the test's own.
    bool exec(const QString& sql, const std::vector<QVariant>& params = {}) const;
    // The first column of every row of a query, as text.
    QStringList column(const QString& sql, const std::vector<QVariant>& params = {}) const;
    QString scalar(const QString& sql, const std::vector<QVariant>& params = {}) const;
    int count(const QString& table) const;
    bool tableExists(const QString& name) const;
    bool indexExists(const QString& name) const;

private:
    QTemporaryDir m_dir;
    AppContext m_app;
};

// Sets the present time of a program for the lifetime of the object.
class ClockOverride {
public:
    ClockOverride(Program& program, const QDateTime& t);
    ~ClockOverride();
    void set(const QDateTime& t) { *m_now = t; }
    void advanceSecs(qint64 s) { *m_now = m_now->addSecs(s); }

private:
    Program& m_program;
    std::shared_ptr<QDateTime> m_now;
};

// A new database with the default holiday rules, as the new-database tool makes it; with
// legacyHolidays, the rules the tool wrote before rules could state years.
bool CreateTestDatabase(const QString& path, QString* error = nullptr, bool legacyHolidays = false);
// Upgrades a base database to a later schema version by the statements of the upgrade.
bool MakeSchema(const QString& path, TestEnv::Schema schema);

// A window's control found by its object name, as a user's view of the window would find it. A
// name that matches nothing (renamed or mistyped) ends the test program here, naming the control
// and the calling line, instead of leaving a null pointer to crash on later.
template <class W>
W* Child(const QObject& parent, const QString& objectName,
         std::source_location at = std::source_location::current()) {
    W* w = parent.findChild<W*>(objectName);
    if (!w)
        qFatal("%s:%u: %s has no %s named \"%s\"", at.file_name(), unsigned(at.line()),
               parent.metaObject()->className(), W::staticMetaObject.className(),
               qPrintable(objectName));
    return w;
}
template <class W>
W* Child(const QObject& parent, const char* objectName,
         std::source_location at = std::source_location::current()) {
    return Child<W>(parent, QLatin1String(objectName), at);
}
