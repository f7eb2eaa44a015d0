// Drawing and layout of the month grid.

#include "calendar/GridLayout.h"
#include "core/Clock.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/DateFormat.h"
#include "core/Dates.h"
#include "core/MsgBox.h"
#include "mainwindow/InfoPanel.h"
#include "mainwindow/MainWindow.h"
#include "settings/SettingsStore.h"

#include <QResizeEvent>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

namespace {

void SetFormatted(QLabel* label, const QDate& d, const QString& pattern) {
    // An unknown format option leaves the label as it was.
    if (!pattern.isEmpty())
        label->setText(FormatDate(d, pattern));
}

QRect NonNegative(const QRect& r) {
    return QRect(r.x(), r.y(), std::max(0, r.width()), std::max(0, r.height()));
}

} // namespace

void MainWindow::S_DispCal(int year, int month) {
    if (year != m_loadedYear || month != m_loadedMonth) {
        // The month is read before anything of it is drawn, so that a failed read (its message
        // already shown) leaves the window showing one month throughout.
        if (!F_ReadDat(year, month)) {
            if (m_shownYear != 0) {
                m_selected = m_shownSelect;
                return;
            }
            // Nothing was shown yet: the month's days without anything read.
            m_cells = BareMonthCells(year, month);
            ApplyCells();
            DrawMonth(year, month);
            return;
        }
        m_loadedYear = year;
        m_loadedMonth = month;
    }
    DrawMonth(year, month);
}

void MainWindow::DrawMonth(int year, int month) {
    m_selected = CarrySelection(m_selected, year, month);

    SetFormatted(lblYear, m_selected, YearFormatPattern(m_options.YearFormat));
    lblYear->adjustSize();
    SetFormatted(lblMonth, m_selected, MonthFormatPattern(m_options.MonthFormat));
    lblJpnMonth->setText(JapaneseMonthName(month));

    const QDate start = GridStart(year, month);
    const QDate today = Today();
    const GridColors colors{m_options.TodayColor, m_options.SelectColor, m_options.DiaryColor};
    const QString weekPattern = WeekFormatPattern(m_options.WeekFormat);

    for (int i = 0; i < kGridCells; ++i) {
        const QDate d = start.addDays(i);
        GridCell& c = m_cells[size_t(i)];
        if (i < 7)
            SetFormatted(lblWeek[size_t(i)], d, weekPattern);
        if (d == m_selected)
            m_selectedCell = i;
        c.scheduleLook = ScheduleLook(d, m_selected, today, month, c.tag, colors);
        lblSchedule[size_t(i)]->setLook(c.scheduleLook);
    }

    // The holiday and anniversary texts of the selected day follow the colon.
    QString info = FormatDate(m_selected, QStringLiteral("yyyy/mm/dd:"));
    const QString caption = lblDay[size_t(m_selectedCell)]->text();
    if (caption.size() > 2)
        info += caption.mid(2);
    m_info->setInfo(info);

    m_shownYear = year;
    m_shownMonth = month;
    m_shownSelect = m_selected;
    picBack->update();
}

bool MainWindow::F_ReadDat(int year, int month) {
    Db db = OpenDB();
    if (!db) {
        m_loadedYear = 0;
        m_loadedMonth = 0;
        return false;
    }
    if (!LoadMonthCells(*db, m_cells, year, month, m_options.DiaryColor)) {
        const QString why = db->errorText();
        db->rollback();
        m_loadedYear = 0;
        m_loadedMonth = 0;
        MsgBox(why, MsgButtons::OK, MsgIcon::Critical, windowTitle());
        return false;
    }
    CloseDB(*db);
    ApplyCells();
    return true;
}

void MainWindow::ApplyCells() {
    for (int i = 0; i < kGridCells; ++i) {
        const GridCell& c = m_cells[size_t(i)];
        CellLabel* day = lblDay[size_t(i)];
        day->setCaption(c.dayCaption);
        day->setLook(c.dayLook);
        CellLabel* sched = lblSchedule[size_t(i)];
        sched->setCaption(c.schedule);
        sched->setTag(c.tag);
        sched->setLook(c.scheduleLook);
    }
}

void MainWindow::ShowHolidayRules(const HolidayRules& rules) {
    if (ApplyHolidayMarks(m_cells, rules, m_loadedYear, m_loadedMonth))
        ApplyCells();
}

void MainWindow::Redraw() {
    if (m_shownYear != 0)
        S_DispCal(m_shownYear, m_shownMonth);
}

void MainWindow::Reload() {
    m_loadedYear = 0;
    m_loadedMonth = 0;
    Redraw();
}

// ---------------------------------------------------------------- layout

void MainWindow::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    PlaceToolbarLines();
}

void MainWindow::PlaceToolbarLines() {
    // The two lines under the toolbar run across the whole window.
    const bool toolbar = tbToolBar && tbToolBar->isVisible();
    const int y = toolbar ? tbToolBar->geometry().bottom() - 1 : 0;
    for (int i = 0; i < 2; ++i) {
        linUnderToolbar[size_t(i)]->setGeometry(0, y + i, width(), 1);
        linUnderToolbar[size_t(i)]->setVisible(toolbar);
        linUnderToolbar[size_t(i)]->raise();
    }
}

void MainWindow::S_Resize() {
    const int w = picBack->width();
    const int h = picBack->height();
    imgBack->setGeometry(0, 0, w, h);
    // As high as the font's line, so that no descender is cut off; a line taller than the room
    // above the weekday header moves up so that the tails stay clear of it.
    const int monthHeight = lblMonth->fontMetrics().height();
    const int weekTop = kHeaderHeight - kWeekLabelHeight;
    lblMonth->setGeometry(0, std::min(10, weekTop - monthHeight), w, monthHeight);
    lblJpnMonth->setGeometry(0, 26, w, 20);

    picBack->setUpdatesEnabled(false);
    const GridLayout g = ComputeGridLayout(w, h);
    for (int c = 0; c < 7; ++c)
        lblWeek[size_t(c)]->setGeometry(NonNegative(g.week[size_t(c)]));
    for (int i = 0; i < kGridCells; ++i) {
        lblDay[size_t(i)]->setGeometry(NonNegative(g.day[size_t(i)]));
        lblSchedule[size_t(i)]->setGeometry(NonNegative(g.schedule[size_t(i)]));
    }
    picBack->setUpdatesEnabled(true);
}
