// The commands of the main window's menus, toolbar and grid.

#include "alarm/AlarmDialog.h"
#include "alarm/AlarmNotice.h"
#include "core/Colors.h"
#include "core/MsgBox.h"
#include "core/ProgramWindows.h"
#include "entries/EntryCommands.h"
#include "exchange/ExportDialog.h"
#include "exchange/ImportDialog.h"
#include "holidays/HolidayEditor.h"
#include "mainwindow/CellLabel.h"
#include "mainwindow/MainStatusBar.h"
#include "mainwindow/MainSync.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MonthView.h"
#include "mainwindow/TimerTick.h"
#include "settings/AppContext.h"
#include "shell/AboutDialog.h"
#include "shell/BackupDialog.h"
#include "shell/OptionsDialog.h"
#include "shell/Tray.h"
#include "statistics/StatisticsWindow.h"
#include "worktime/WorkTimeWindow.h"

#include <QToolBar>

// ---------------------------------------------------------------- the action table

QAction* MainWindow::findAction(const QString& name) const {
    return m_actions->find(name);
}

QMenu* MainWindow::findMenu(const QString& name) const {
    return m_actions->findMenu(name);
}

void MainWindow::run(Command c) {
    if (!runDayCommand(c) && !runViewCommand(c))
        runWindowCommand(c);
}

bool MainWindow::runDayCommand(Command c) {
    const QDate day = m_view->selectedDate();
    switch (c) {
    case Command::Cut:
        m_clipboard.Cut(day);
        m_sync->entriesChanged();
        return true;
    case Command::Copy:
        m_clipboard.Copy(day);
        return true;
    case Command::Paste:
        if (m_clipboard.Paste(day)) {
            m_view->reload();
            m_sync->entriesChanged();
        }
        return true;
    case Command::EditSchedule:
        openScheduleEditor();
        return true;
    case Command::EditDiary: {
        const CellLabel* cell = m_view->dayCell(m_view->selectedCell());
        const CellLook look = cell->look();
        OpenDiaryEditor(this, m_app.program(), day, cell->text(),
                        look.opaque ? look.color : kWhite);
        m_sync->entriesChanged();
        return true;
    }
    case Command::EditWhatDay:
        OpenWhatDay(this, m_app.program(), day);
        m_sync->entriesChanged();
        return true;
    case Command::DeleteSchedule:
    case Command::DeleteDiary:
        if (c == Command::DeleteSchedule ? DeleteSchedule(m_app.program(), day, windowTitle())
                                         : DeleteDiary(m_app.program(), day, windowTitle())) {
            m_view->reload();
            m_sync->entriesChanged();
        }
        return true;
    default:
        return false;
    }
}

bool MainWindow::runViewCommand(Command c) {
    switch (c) {
    case Command::Today:
        m_view->showToday();
        return true;
    case Command::NextMonth:
    case Command::LastMonth:
        m_view->moveSelection(c == Command::NextMonth ? 1 : -1);
        return true;
    case Command::NextYear:
    case Command::LastYear:
        m_view->moveSelection(c == Command::NextYear ? 12 : -12);
        return true;
    case Command::ToolBar:
        m_actions->toolBar()->setVisible(m_actions->action(Command::ToolBar)->isChecked());
        m_actions->placeToolbarLines(width());
        return true;
    case Command::StatusBar:
        m_status->setVisible(m_actions->action(Command::StatusBar)->isChecked());
        return true;
    case Command::HelpContents:
    case Command::HelpSearch:
        showHelpContents();
        return true;
    default:
        return false;
    }
}

void MainWindow::runWindowCommand(Command c) {
    // The menu bar's windows are modal; the tray menu's are not, as the window may be hidden.
    const bool modal = c < Command::TrayCancel;
    switch (c) {
    case Command::Backup:
        return OpenBackupDialog(m_app.program(), this, true);
    case Command::ExportIcs:
        return OpenExportDialog(m_app.program(), this, true);
    case Command::ImportIcs:
        // What was read shows at once.
        OpenImportDialog(m_app.program(), this, true);
        m_view->reload();
        return m_sync->entriesChanged();
    case Command::Exit:
        return exitProgram();
    case Command::Find:
        return OpenSearch(this, m_app.program());
    case Command::Statistics:
    case Command::TrayStatistics:
        return OpenStatistics(m_app, this, modal);
    case Command::WorkTime:
    case Command::TrayWorkTime:
        OpenWorkTime(m_app, this, modal);
        return;
    case Command::Alarm:
    case Command::TrayAlarm:
        return OpenAlarmDialog(m_app.program(), *m_alarm, this, modal);
    case Command::Holidays:
        return editHolidays();
    case Command::Sync:
        return m_sync->openSetup();
    case Command::Options:
    case Command::TrayOptions:
        return openOptions(modal);
    case Command::About:
    case Command::TrayAbout:
        return OpenAboutDialog(this, modal);
    case Command::TrayRestore:
        return restoreWindow();
    case Command::TrayEnd:
        return endProgram();
    default:
        return;
    }
}

// ---------------------------------------------------------------- the grid's requests

void MainWindow::connectMonthView() {
    connect(m_view, &MonthView::infoChanged, m_status, &MainStatusBar::setInfo);
    connect(m_view, &MonthView::editRequested, this, &MainWindow::openScheduleEditor);
    connect(m_view, &MonthView::todayRequested, m_view, &MonthView::showToday);
    connect(m_view, &MonthView::headerMenuRequested, this,
            [this](const QPoint& pos) { m_actions->popUp(MenuId::Move, Command::Today, pos); });
    connect(m_view, &MonthView::cellMenuRequested, this,
            [this] { m_actions->popUp(MenuId::Edit, Command::EditSchedule, QCursor::pos()); });
}

// ---------------------------------------------------------------- commands of other windows

void MainWindow::showHelpContents() {
    MsgBox(QStringLiteral(
               "ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"),
           MsgButtons::OK, MsgIcon::Information, windowTitle());
}

void MainWindow::openScheduleEditor() {
    ::OpenScheduleEditor(this, m_app.program(), m_view->selectedDate());
    m_view->reload();
    m_sync->entriesChanged();
}

void MainWindow::editHolidays() {
    // The month is redrawn, not read again; only its holiday marks follow the new rules.
    if (const std::optional<HolidayRules> rules = OpenHolidayEditor(this, m_app.program()))
        m_view->showHolidayRules(*rules);
    m_view->redraw();
}

void MainWindow::restoreWindow() {
    // The windows the tray menu opened go first, in this order.
    CloseOpenWindow<AboutDialog>(this);
    CloseOpenWindow<OptionsDialog>(this);
    if (WorkTimeWindow* w = ProgramWindowOf<WorkTimeWindow>())
        w->close();
    if (StatisticsWindow* s = OpenWindowOf<StatisticsWindow>(this))
        s->close();
    if (AlarmDialog* a = OpenWindowOf<AlarmDialog>(this))
        a->close();
    // Back in the state it had before it was hidden (or minimised for want of a tray).
    setWindowState(windowState() & ~Qt::WindowMinimized);
    BringToFront(this);
    m_actions->setRestoreVisible(false);
}

void MainWindow::openOptions(bool modal) {
    OpenOptionsDialog(m_app, this, modal, [this](OptionsDialog& f) {
        connect(&f, &OptionsDialog::displayChanged, this, [this] {
            m_view->applyBackground();
            m_view->redraw();
        });
        connect(&f, &OptionsDialog::trayActionRequested, m_tray, &TrayIcon::apply);
        connect(&f, &OptionsDialog::restoreRequested, this, &MainWindow::restoreWindow);
    });
    // Whatever closed a modal one: the month is drawn again in the colours and formats now in
    // force.
    if (modal)
        m_view->redraw();
}

void MainWindow::showTick(const TickOutcome& tick) {
    m_tickReport.take(this, tick);
    if (tick.alarmDue)
        NotifyAlarm(m_app.program(), *m_alarm, this);
}
