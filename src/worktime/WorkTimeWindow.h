// The work-time viewer: the running time of one week (a 24-hour bar column per day) or of one
// month (a calendar with a bar per day).
#pragma once

#include <QDate>
#include <QDialog>

#include <array>

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
    explicit WorkTimeWindow(QWidget* owner = nullptr);

    enum class View { Week, Month };
    // Puts the week containing d or d's month into the view and selects its tab (no drawing).
    void ShowPeriod(View view, const QDate& d);

    // The shown month (the statistics window sets it from outside).
    qint16 G_intYear = 0;
    qint16 G_intMonth = 0;

    // The repaint cycle: wait cursor, the selected tab's drawing, normal cursor.
    void Form_Paint();
    // Draw the tabs from the database; false when they could not be drawn completely.
    bool DrawWeekChart();
    bool DrawMonthChart();

    // Puts the week containing d, or d's month, into the view (without drawing).
    void SetWeek(const QDate& d);
    void SetMonth(int year, int month);
    // The week shown, read back from its labels (invalid when they do not hold a date).
    QDate ShownWeekStart() const;

    // Handles the viewer's keys before its controls; true when the key was consumed.
    bool Form_KeyDown(int key, Qt::KeyboardModifiers modifiers);

    QTabWidget* tabWorkTime = nullptr;
    // Week tab
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblStartDay = nullptr;
    QLabel* lblEndDay = nullptr;
    std::array<QLabel*, 7> lblDay{};
    std::array<PictureBox*, 7> picWeekly{};
    std::array<QPlainTextEdit*, 7> txtWorkTime{};
    // Month tab
    QLabel* lblYear = nullptr;
    QLabel* lblMonth = nullptr;
    std::array<PictureBox*, 42> picDay{};
    std::array<QLabel*, 42> lblDispDay{};
    // One of each on each tab; the index is the tab.
    std::array<QToolButton*, 2> cmdBeforeWeek{};
    std::array<QToolButton*, 2> cmdAfterWeek{};
    std::array<QToolButton*, 2> cmdThisWeek{};
    QLabel* lblAverage = nullptr;
    QPushButton* cmdOK = nullptr;

public slots:
    void cmdBeforeWeek_Click(int index);
    void cmdAfterWeek_Click(int index);
    void cmdThisWeek_Click(int index);
    void tabWorkTime_Click();
    void cmdOK_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    friend WorkTimeWindow* OpenWorkTimeOn(QWidget* owner, bool modal, View view, const QDate& d);

    void BuildWeekTab(QWidget* page);
    void BuildMonthTab(QWidget* page);
    QToolButton* NavButton(QWidget* page, int x, const QString& tip, const QString& text);
    void Form_Load();
    void SetMonthLabels();
    void MoveWeek(int days);
    void MoveMonth(int months);
    void FocusWindowChanged(QWindow* w);

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
WorkTimeWindow* OpenWorkTime(QWidget* owner, bool modal);
// Opens the viewer as OpenWorkTime does, on the week containing d (tab 0) or on d's month
// (tab 1), and draws it. A modal opening takes a loaded modeless viewer over: behind its modal
// owner it could not be used.
WorkTimeWindow* OpenWorkTimeOn(QWidget* owner, bool modal, WorkTimeWindow::View view,
                               const QDate& d);
