// The month grid of the main window: the year, month and weekday headers, the 42 day cells,
// their layout and drawing, the selected day and the keys and clicks that move it.
#pragma once

#include "calendar/MonthData.h"

#include <QDate>
#include <QWidget>

#include <array>

class AppContext;
class CellLabel;
class Program;
class QLabel;
struct Options;

class MonthView : public QWidget {
    Q_OBJECT
public:
    // app: the database, today, and the options in force (colours, formats and background;
    // read at every draw).
    explicit MonthView(const AppContext& app, QWidget* parent = nullptr);

    // The selected day, the grid cell showing it, and the month whose data the cells hold
    // (0 while none is loaded).
    QDate selectedDate() const { return m_selected; }
    int selectedCell() const { return m_selectedCell; }
    int loadedYear() const { return m_loadedYear; }
    int loadedMonth() const { return m_loadedMonth; }

    // Selects the day and shows its month.
    void showDate(const QDate& day);
    // Shows year/month, keeping the selected day of month; loads the month when it changed.
    // When the month cannot be read (its message shown), the view keeps showing what it showed
    // and no month counts as loaded, so that the next draw reads again.
    void showMonth(int year, int month);
    // The move menu: the selection moves by months (12: a year), its day clamped.
    void moveSelection(int months);
    // Today's month, the selection carried into it.
    void showToday();
    // Draws the shown month again without reading / after reading it again.
    void redraw();
    void reload();
    // Marks the shown cells by the rules, without reading the month again.
    void showHolidayRules(const HolidayRules& rules);
    // The background colour and picture of the options.
    void applyBackground();
    // Lays the headers and the cells out over the view.
    void layOutGrid();

    // The labels, by their place (tests and the accessibility tree find them by objectName).
    CellLabel* dayCell(int i) const { return m_dayCells[size_t(i)]; }
    CellLabel* scheduleCell(int i) const { return m_scheduleCells[size_t(i)]; }
    QLabel* weekLabel(int i) const { return m_weekLabels[size_t(i)]; }
    QLabel* yearLabel() const { return m_yearLabel; }
    QLabel* monthLabel() const { return m_monthLabel; }

signals:
    // The status text of the selected day: its date, holiday and anniversary.
    void infoChanged(const QString& text);
    // Enter or a double click: the selected day's schedule is to be edited.
    void editRequested();
    // A right press on a cell (already selected) or on a header: the menu for it.
    void cellMenuRequested();
    void headerMenuRequested(const QPoint& globalPos);
    // A double click on a header.
    void todayRequested();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildHeaders();
    void buildCells();
    // Fills the cells from the database; false (message shown) when the month cannot be read.
    bool loadMonth(int year, int month);
    void applyCells();
    // The labels, colours and status text of year/month from the cells as they are.
    void drawMonth(int year, int month);
    void drawCells(int year, int month);
    // Moves the shown month by months, keeping the day of month (Page Up/Down).
    void moveShownMonth(int months);
    void moveSelectionDays(int days);
    void selectCell(int index);
    // True for a mouse event on a header that it handled.
    bool headerMouse(QMouseEvent* e);

    const Program& m_program;
    const Options& m_options;
    QLabel* m_background = nullptr;
    QLabel* m_yearLabel = nullptr;
    QLabel* m_monthLabel = nullptr;
    QLabel* m_oldMonthName = nullptr;
    std::array<QLabel*, 7> m_weekLabels{};
    std::array<CellLabel*, kGridCells> m_dayCells{};
    std::array<CellLabel*, kGridCells> m_scheduleCells{};

    MonthCells m_cells;
    // The selection, its cell, and the month the cells were read for (0: none).
    QDate m_selected;
    int m_selectedCell = 0;
    int m_loadedYear = 0;
    int m_loadedMonth = 0;
    // The month shown and its selection. Navigation and redraws start from these, as the
    // loaded month is 0 while the shown month is not loaded.
    int m_shownYear = 0;
    int m_shownMonth = 0;
    QDate m_shownSelect;
};
