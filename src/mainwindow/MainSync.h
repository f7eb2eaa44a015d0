// The calendar sync as the main window runs it: at start, a little after each change made
// here, and every few minutes, as the account says; its set-up window from the settings menu.
// A background sync never opens a window: its outcome is a line in the status bar and the log.
// The one exception: where the desktop has no secret store, the password is asked once a run,
// in a window that does not block the others.
#pragma once

#include "sync/SyncAccount.h"

#include <QObject>

class AppContext;
class QTimer;
class SyncEngine;
class SyncPassword;

class MainSync : public QObject {
    Q_OBJECT
public:
    MainSync(AppContext& app, QWidget* window);
    ~MainSync() override;

    // At the start of the program.
    void programStarted();
    // After a command that may have changed entries here.
    void entriesChanged();
    // The set-up window, modal from the menu bar.
    void openSetup();
    SyncEngine& engine() { return *m_engine; }

signals:
    void statusLine(const QString& text);
    // Entries changed by the sync: the month shown reads them again.
    void localChanged();

private:
    void syncNow();
    void applyAccount(const SyncAccount& account);
    void askPassword(const SyncAccount& account);

    AppContext& m_app;
    QWidget* m_window;
    SyncSettings m_settings;
    SyncPassword* m_password;
    SyncEngine* m_engine;
    QTimer* m_every;
    QTimer* m_afterSave;
    SyncAccount m_account;
    bool m_askedPassword = false; // this run
};
