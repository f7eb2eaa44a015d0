// The main window: it is the program. Its load runs the start-up, its unload the shutdown.
#pragma once

#include "entries/EntryCommands.h"
#include "mainwindow/MainActions.h"
#include "mainwindow/TickReport.h"
#include "mainwindow/TimerTick.h"

#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <array>

class AlarmState;
class AppContext;
class MainLifecycle;
class MainStatusBar;
class MainSync;
class MonthView;
class QAction;
class QFrame;
class QMenu;
class TrayIcon;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // app: the program's folder, clock and settings, and the options in force (read into at
    // start and changed by the options dialog).
    explicit MainWindow(AppContext& app, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The pending alarm the window holds.
    AlarmState& alarmState() const { return *m_alarm; }

    // The start-up sequence. False: the program has been ended, either because a step failed
    // (startFailed(); its message has been shown) or because an end was requested while a
    // start-up window waited for the user (a signal, the session's end).
    bool start();
    bool startFailed() const;

    // The month grid.
    MonthView* monthView() const { return m_view; }

    // The status-bar panel of a key ("Info", "AlarmLabel", "Alarm", "Date", "Time").
    QLabel* statusPanel(const QString& key) const;

    // True once the shutdown has run.
    bool hasEnded() const;
    // The menu action or toolbar button of a name ("mnuToday", or a toolbar key "次の月").
    QAction* findAction(const QString& name) const;
    QMenu* findMenu(const QString& name) const;

    // The end of the program, whatever its residency (a signal, the session's end).
    void endProgram();
    // The exit command: a resident program only hides its window.
    void exitProgram();
    // The window back from the tray, the windows the tray menu opened closed.
    void restoreWindow();
    // The message of the help entries: there is no help file.
    void showHelpContents();

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // Runs the command of a menu entry or toolbar button: a command on the selected day, one
    // of the view, or one opening another window. The first two say whether c was theirs.
    void run(Command c);
    bool runDayCommand(Command c);
    bool runViewCommand(Command c);
    void runWindowCommand(Command c);
    void editHolidays();
    // The month grid's requests: menus, the editor, today.
    void connectMonthView();
    void openScheduleEditor();
    // The options dialog, its changes reaching this window and the tray icon.
    void openOptions(bool modal);
    // What a tick found: a failure is reported once per outage, a due alarm notified.
    void showTick(const TickOutcome& tick);

    AppContext& m_app;
    MonthView* m_view = nullptr;
    MainStatusBar* m_status = nullptr;
    MainActions* m_actions = nullptr;
    AlarmState* m_alarm = nullptr;
    TrayIcon* m_tray = nullptr;
    MainLifecycle* m_life = nullptr;
    TickTimer* m_tick = nullptr;
    MainSync* m_sync = nullptr;
    ScheduleClipboard m_clipboard;
    TickReport m_tickReport;
};
