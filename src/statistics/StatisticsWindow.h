// The statistics window: how regularly schedules and diary entries are written, and how long
// the program has been running, on three tabs; the days of the running-time ranking open the
// work-time viewer on their week or month.
#pragma once

#include "statistics/Statistics.h"

#include <QDate>
#include <QDialog>

#include <array>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class AppContext;
struct EntryStats;
class Program;
struct WorkTimeStats;

// Each statistic computed on a connection of its own, under the wait cursor. An unopened
// database has shown its message; a failed query is rolled back and closed before this returns,
// and the caller reports it.
EntryStats CalcScheduleStats(const Program& program);
EntryStats CalcDiaryStats(const Program& program);
WorkTimeStats CalcWorkTimeStats(const Program& program);

class StatisticsWindow : public QDialog {
    Q_OBJECT
public:
    // app: the database, today and its colour in the ranking, and the viewer's formats.
    explicit StatisticsWindow(const AppContext& app, QWidget* owner = nullptr);

    // The controls of one tab: its overall rate and period, the weekday table and the ranking.
    // Declared here for the builders beside the window; the window keeps its tabs private.
    struct Tab {
        QLabel* average = nullptr;
        QPlainTextEdit* betweenInfo = nullptr;
        QLabel* between = nullptr;
        QGroupBox* weekdayFrame = nullptr;
        std::array<QLabel*, 7> weekday{};
        std::array<QLabel*, 7> weekdayValue{}; // count or running time
        std::array<QLabel*, 7> weekdayAverage{};
        QGroupBox* bestFrame = nullptr;
        std::array<QLabel*, 10> rank{};
        std::array<QLabel*, 10> best{}; // month or day
        std::array<QLabel*, 10> bestValue{};
        std::array<QLabel*, 10> bestAverage{};
    };

    // The ranking row last double-clicked or right-clicked.
    int pickedRow() const { return m_pickedRow; }

    // The day of ranking row i; invalid for an empty row.
    QDate BestRowDay(int row) const;

public slots:
    void computeShownTab();
    void openRowWeek();
    void openRowMonth();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildEntryTab(QWidget* page, bool diary);
    void BuildWorkTab(QWidget* page);
    void ShowEntryStats(const EntryStats& s, bool diary);
    void ShowWorkTimeStats(const WorkTimeStats& s);
    void Failed(const QString& error);
    void popUpRowMenu(int row, const QPoint& globalPos);
    void openRowOnDoubleClick(int row);
    void openViewerOnRow(bool month);

    QTabWidget* statisticsTabs = nullptr;
    Tab scheduleTab;
    Tab diaryTab;
    Tab workTab;
    QPushButton* okButton = nullptr;
    // The ranking's pop-up menu.
    QMenu* rankingMenu = nullptr;
    QAction* weekViewAction = nullptr;
    QAction* monthViewAction = nullptr;

    const AppContext& m_app;
    int m_pickedRow = 0;
};

// Opens the window from the main window's menu (modal) or the tray menu (modeless); the one
// owner has loaded is brought to the front.
void OpenStatistics(const AppContext& app, QWidget* owner, bool modal);
