// The main window: it is the program. Its load runs the start-up, its unload the shutdown.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <array>

class QAction;
class QMenu;
class QStatusBar;
class QToolBar;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The start-up sequence. False: a step failed, its message has been shown and the
    // program has been ended.
    bool Form_Load();
    bool InitMain();

    // Drawing and layout of the month.
    void S_DispCal(int year, int month);
    bool F_ReadDat(int year, int month);
    void S_Resize();

    // The status-bar panel of a key ("Info", "AlarmLabel", "Alarm", and the date and time).
    QLabel* Panel(const QString& key) const;
    // The "Alarm" panel: "ON" raised, or "OFF" inset.
    void SetAlarmPanel(bool on);

    // Ends the program from wherever it is (the tray's end command, a termination signal).
    void mnuEnd_Click();
    void mnuExit_Click();

    // True once the shutdown has run.
    bool HasEnded() const { return m_ended; }

    QWidget* picBack = nullptr;
    QLabel* imgBack = nullptr;
    QLabel* lblYear = nullptr;
    QLabel* lblMonth = nullptr;
    QLabel* lblJpnMonth = nullptr;
    std::array<QLabel*, 7> lblWeek{};
    std::array<QLabel*, 42> lblDay{};
    std::array<QLabel*, 42> lblSchedule{};
    QToolBar* tbToolBar = nullptr;
    QStatusBar* sbStatusBar = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Timer1_Timer();

private:
    void BuildStatusBar();
    void BuildCalendarArea();
    void ApplyBackground();
    void UpdateClockPanels();
    // Hides the window for a resident program. Where the desktop has no notification area the
    // window is minimised instead, so that it can always be reached again.
    void HideToTray();
    bool TrayUsable() const;
    // The real end: tray icon, window settings, other windows, quit.
    void Shutdown();
    int WindowStateCode() const;
    // Steps filled in by the entries and tray subsystems.
    void ShowTodaySchedule();
    void AddTrayIcon();
    void RemoveTrayIcon();

    std::array<QLabel*, 5> m_panels{};
    QTimer* m_clock = nullptr;
    bool m_ended = false;
    bool m_started = false;
    bool m_trayNoticeShown = false;
    bool m_geometryPending = false;
    QSize m_pendingOuterSize;
};
