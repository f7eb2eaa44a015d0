// The commands of the main window's menus, toolbar and grid.

#include "alarm/Alarm.h"
#include "alarm/AlarmDialog.h"
#include "alarm/AlarmNotice.h"
#include "core/Clock.h"
#include "core/Colors.h"
#include "core/MsgBox.h"
#include "core/ProgramWindows.h"
#include "entries/EntryCommands.h"
#include "holidays/HolidayEditor.h"
#include "mainwindow/CellLabel.h"
#include "mainwindow/MainStatusBar.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MonthView.h"
#include "mainwindow/TimerTick.h"
#include "settings/SettingsStore.h"
#include "shell/AboutDialog.h"
#include "shell/BackupDialog.h"
#include "shell/OptionsDialog.h"
#include "shell/Tray.h"
#include "statistics/StatisticsWindow.h"
#include "worktime/WorkTimeWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

// ---------------------------------------------------------------- the action table

QAction* MainWindow::Action(const QString& name) const {
    return m_actions->find(name);
}

QMenu* MainWindow::Menu(const QString& name) const {
    return m_actions->findMenu(name);
}

void MainWindow::run(Command c) {
    using Slot = void (MainWindow::*)();
    static const std::map<Command, Slot> kSlots = {
        {Command::Backup, &MainWindow::openBackup},
        {Command::Exit, &MainWindow::exitProgram},
        {Command::Cut, &MainWindow::cutSchedule},
        {Command::Copy, &MainWindow::copySchedule},
        {Command::Paste, &MainWindow::pasteSchedule},
        {Command::EditSchedule, &MainWindow::editSchedule},
        {Command::EditDiary, &MainWindow::editDiary},
        {Command::EditWhatDay, &MainWindow::editAnniversaries},
        {Command::DeleteSchedule, &MainWindow::deleteSchedule},
        {Command::DeleteDiary, &MainWindow::deleteDiary},
        {Command::Today, &MainWindow::showToday},
        {Command::NextMonth, &MainWindow::showNextMonth},
        {Command::LastMonth, &MainWindow::showPreviousMonth},
        {Command::NextYear, &MainWindow::showNextYear},
        {Command::LastYear, &MainWindow::showPreviousYear},
        {Command::Statistics, &MainWindow::openStatistics},
        {Command::WorkTime, &MainWindow::openWorkTime},
        {Command::ToolBar, &MainWindow::toggleToolBar},
        {Command::StatusBar, &MainWindow::toggleStatusBar},
        {Command::Find, &MainWindow::openSearch},
        {Command::Alarm, &MainWindow::openAlarm},
        {Command::Holidays, &MainWindow::editHolidays},
        {Command::Options, &MainWindow::openOptions},
        {Command::HelpContents, &MainWindow::showHelpContents},
        {Command::HelpSearch, &MainWindow::searchHelp},
        {Command::About, &MainWindow::openAbout},
        {Command::TrayRestore, &MainWindow::restoreWindow},
        {Command::TrayAlarm, &MainWindow::openAlarmFromTray},
        {Command::TrayStatistics, &MainWindow::openStatisticsFromTray},
        {Command::TrayWorkTime, &MainWindow::openWorkTimeFromTray},
        {Command::TrayOptions, &MainWindow::openOptionsFromTray},
        {Command::TrayAbout, &MainWindow::openAboutFromTray},
        {Command::TrayEnd, &MainWindow::endProgram},
    };
    const auto it = kSlots.find(c);
    if (it != kSlots.end())
        (this->*it->second)();
}

// ---------------------------------------------------------------- keyboard and mouse

void MainWindow::connectMonthView() {
    connect(m_view, &MonthView::infoChanged, m_status, &MainStatusBar::setInfo);
    connect(m_view, &MonthView::editRequested, this, &MainWindow::openScheduleEditor);
    connect(m_view, &MonthView::todayRequested, this, &MainWindow::showToday);
    connect(m_view, &MonthView::headerMenuRequested, this,
            [this](const QPoint& pos) { m_actions->popUp(MenuId::Move, Command::Today, pos); });
    connect(m_view, &MonthView::cellMenuRequested, this,
            [this] { m_actions->popUp(MenuId::Edit, Command::EditSchedule, QCursor::pos()); });
}

// ---------------------------------------------------------------- navigation

void MainWindow::showToday() {
    m_view->showToday();
}

void MainWindow::showNextMonth() {
    m_view->moveSelection(1);
}
void MainWindow::showPreviousMonth() {
    m_view->moveSelection(-1);
}
void MainWindow::showNextYear() {
    m_view->moveSelection(12);
}
void MainWindow::showPreviousYear() {
    m_view->moveSelection(-12);
}

// ---------------------------------------------------------------- view

void MainWindow::toggleToolBar() {
    m_actions->toolBar()->setVisible(m_actions->action(Command::ToolBar)->isChecked());
    placeToolbarLines();
}

void MainWindow::toggleStatusBar() {
    m_status->setVisible(m_actions->action(Command::StatusBar)->isChecked());
}

// ---------------------------------------------------------------- help

void MainWindow::showHelpContents() {
    MsgBox(QStringLiteral(
               "ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"),
           MsgButtons::OK, MsgIcon::Information, windowTitle());
}

void MainWindow::searchHelp() {
    showHelpContents();
}

// ---------------------------------------------------------------- commands of other windows

void MainWindow::editSchedule() {
    openScheduleEditor();
}

void MainWindow::openScheduleEditor() {
    ::OpenScheduleEditor(this, m_view->selectedDate());
    m_view->reload();
}

void MainWindow::cutSchedule() {
    m_clipboard.Cut(m_view->selectedDate());
}
void MainWindow::copySchedule() {
    m_clipboard.Copy(m_view->selectedDate());
}

void MainWindow::pasteSchedule() {
    if (m_clipboard.Paste(m_view->selectedDate()))
        m_view->reload();
}

void MainWindow::editDiary() {
    const CellLabel* cell = m_view->dayCell(m_view->selectedCell());
    const CellLook look = cell->look();
    OpenDiaryEditor(this, m_view->selectedDate(), cell->text(), look.opaque ? look.color : kWhite);
}

void MainWindow::editAnniversaries() {
    OpenWhatDay(this, m_view->selectedDate());
}

void MainWindow::deleteSchedule() {
    if (DeleteSchedule(m_view->selectedDate(), windowTitle()))
        m_view->reload();
}

void MainWindow::deleteDiary() {
    if (DeleteDiary(m_view->selectedDate(), windowTitle()))
        m_view->reload();
}

void MainWindow::openSearch() {
    OpenSearch(this);
}

void MainWindow::openStatistics() {
    OpenStatistics(m_options, this, true);
}
void MainWindow::openStatisticsFromTray() {
    OpenStatistics(m_options, this, false);
}
void MainWindow::editHolidays() {
    // The month is redrawn, not read again; only its holiday marks follow the new rules.
    if (const std::optional<HolidayRules> rules = OpenHolidayEditor(this))
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
    Action(QStringLiteral("mnuRestore"))->setVisible(false);
    Action(QStringLiteral("mnuTaskTrayBar2"))->setVisible(false);
}

void MainWindow::openBackup() {
    OpenBackupDialog(this, true);
}

void MainWindow::showOptions(bool modal) {
    OpenOptionsDialog(m_options, this, modal, [this](OptionsDialog& f) {
        connect(&f, &OptionsDialog::displayChanged, this, [this] {
            m_view->applyBackground();
            m_view->redraw();
        });
        connect(&f, &OptionsDialog::trayActionRequested, m_tray, &TrayIcon::Apply);
        connect(&f, &OptionsDialog::restoreRequested, this, &MainWindow::restoreWindow);
    });
}

void MainWindow::openOptions() {
    showOptions(true);
    // Whatever closed it: the month is drawn again in the colours and formats now in force.
    m_view->redraw();
}
void MainWindow::openOptionsFromTray() {
    showOptions(false);
}

void MainWindow::openAbout() {
    OpenAboutDialog(this, true);
}
void MainWindow::openAboutFromTray() {
    OpenAboutDialog(this, false);
}

void MainWindow::openWorkTime() {
    OpenWorkTime(m_options, this, true);
}
void MainWindow::openWorkTimeFromTray() {
    OpenWorkTime(m_options, this, false);
}
void MainWindow::openAlarm() {
    OpenAlarmDialog(*m_alarm, this, true);
}
void MainWindow::openAlarmFromTray() {
    OpenAlarmDialog(*m_alarm, this, false);
}

void MainWindow::showTick(const TickOutcome& tick) {
    m_tickReport.take(this, tick);
    if (tick.alarmDue)
        NotifyAlarm(*m_alarm, this);
}
