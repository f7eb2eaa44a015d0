// The program's start-up, residency and shutdown, carried out on the main window.
#pragma once

#include <QObject>
#include <QSize>

class AlarmState;
class AppContext;
class Connection;
class MainActions;
class MonthView;
class QMainWindow;
class TrayIcon;
enum class WindowShow;

class MainLifecycle : public QObject {
    Q_OBJECT
public:
    // What the start-up and the shutdown work on; all of it outlives this object.
    struct Parts {
        QMainWindow& window;
        AppContext& app;
        MonthView& view;
        MainActions& actions;
        TrayIcon& tray;
        AlarmState& alarm;
    };
    explicit MainLifecycle(const Parts& parts, QObject* parent = nullptr);

    // The start-up sequence. False: the program has been ended, either because a step failed
    // (startFailed(); its message has been shown) or because an end was requested while a
    // start-up window waited for the user (a signal, the session's end).
    bool start();
    bool startFailed() const { return m_startFailed; }
    // True once the shutdown has run.
    bool hasEnded() const { return m_ended; }

    // The window is being closed: false when a resident program only hid it, true when the
    // program has ended.
    bool closeWindow();
    // The end command: the program ends whatever its residency.
    void requestEnd();
    // The exit command: a resident program with a reachable tray only hides its window.
    void exit();
    // Hides the window for a resident program. Where the desktop has no notification area the
    // window is minimised instead, so that it can always be reached again.
    void hideToTray();
    // The window has been shown: a stored frame size can now be applied.
    void windowShown();

signals:
    // The shutdown has begun; nothing may reach the database any more.
    void shuttingDown();

private:
    // The settings, the window state, the background, the tray icon, the running time and the
    // pending alarm, on the start-up's connection. False after its message (rolled back).
    bool initMain(Connection& db);
    void restoreWindowState();
    bool hasTodaySchedule();
    // The real end: tray icon, window settings, other windows, quit.
    void shutdown();
    WindowShow windowShow() const;

    Parts m_parts;
    bool m_ended = false;
    bool m_started = false;
    bool m_startFailed = false;
    // The end has been asked for: closing the window ends the program instead of hiding it.
    bool m_endRequested = false;
    bool m_trayNoticeShown = false;
    bool m_geometryPending = false;
    QSize m_pendingOuterSize;
};
