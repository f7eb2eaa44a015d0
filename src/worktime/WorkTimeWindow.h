// The work-time viewer: the running time of one week (a 24-hour bar column per day) or of one
// month (a calendar with a bar per day).
#pragma once

#include <QDate>
#include <QDialog>

#include <array>

class AppContext;
class PictureBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QWindow;

class WorkTimeWindow : public QDialog {
    Q_OBJECT
public:
    // app: the database, today, and the display formats of the month tab's year and month.
    explicit WorkTimeWindow(const AppContext& app, QWidget* owner = nullptr);

    enum class View { Week, Month };
    // Puts the week containing d or d's month into the view and selects its tab (no drawing).
    void ShowPeriod(View view, const QDate& d);

    // The month the month tab shows.
    int shownYear() const { return m_year; }
    int shownMonth() const { return m_month; }

    // The repaint cycle: wait cursor, the selected tab's drawing, normal cursor.
    void redraw();
    // Draw the tabs from the database; false when they could not be drawn completely.
    bool DrawWeekChart();
    bool DrawMonthChart();

    // Puts the week containing d, or d's month, into the view (without drawing).
    void showWeekOf(const QDate& d);
    void showMonth(int year, int month);
    // The week shown, read back from its labels (invalid when they do not hold a date).
    QDate ShownWeekStart() const;

    // Handles the viewer's keys before its controls; true when the key was consumed.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);

public slots:
    // The period before or after the one shown, on the tab shown, drawn.
    void showPrevious();
    void showNext();
    // Today's week (tab 0) or month (tab 1), drawn.
    void showCurrent(int tab);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    friend WorkTimeWindow* OpenWorkTimeOn(const AppContext& app, QWidget* owner, bool modal,
                                          View view, const QDate& d);

    void BuildWeekTab(QWidget* page);
    void BuildMonthTab(QWidget* page);
    QToolButton* NavButton(QWidget* page, const QString& name, int x, const QString& tip,
                           const QString& text);
    void SetMonthLabels();
    void MoveWeek(int days);
    void MoveMonth(int months);
    void FocusWindowChanged(QWindow* w);

    QTabWidget* workTimeTabs = nullptr;
    // Week tab
    QLabel* startDayLabel = nullptr;
    QLabel* endDayLabel = nullptr;
    std::array<QLabel*, 7> dayLabels{};
    std::array<PictureBox*, 7> weekCharts{};
    std::array<QPlainTextEdit*, 7> dayTotalEdits{};
    // Month tab
    QLabel* yearLabel = nullptr;
    QLabel* monthLabel = nullptr;
    std::array<PictureBox*, 42> dayCharts{};
    std::array<QLabel*, 42> dayNumberLabels{};
    // One of each on each tab; the index is the tab.
    std::array<QToolButton*, 2> previousButtons{};
    std::array<QToolButton*, 2> nextButtons{};
    std::array<QToolButton*, 2> currentButtons{};
    QLabel* averageLabel = nullptr;
    QPushButton* okButton = nullptr;

    const AppContext& m_app;
    int m_year = 0;
    int m_month = 0;
    // Whether the window that was active before this one was one of our message boxes.
    bool m_backFromMessage = false;
    bool m_shownOnce = false;
    bool m_painting = false;
};

// The program has one viewer, whichever window owns it.
//
// Shows the viewer, loading it first when it is not loaded; a loaded viewer is brought forward
// as it is. Modal from the main window's menu, modeless from the tray menu; a modal opening
// returns null once the viewer has closed.
WorkTimeWindow* OpenWorkTime(const AppContext& app, QWidget* owner, bool modal);
// Opens the viewer as OpenWorkTime does, on the week containing d (tab 0) or on d's month
// (tab 1), and draws it. A modal opening takes a loaded modeless viewer over: behind its modal
// owner it could not be used.
WorkTimeWindow* OpenWorkTimeOn(const AppContext& app, QWidget* owner, bool modal,
                               WorkTimeWindow::View view, const QDate& d);
