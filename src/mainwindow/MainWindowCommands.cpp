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
        {Command::Backup, &MainWindow::mnuBackUp_Click},
        {Command::Exit, &MainWindow::mnuExit_Click},
        {Command::Cut, &MainWindow::mnuCut_Click},
        {Command::Copy, &MainWindow::mnuCopy_Click},
        {Command::Paste, &MainWindow::mnuPaste_Click},
        {Command::EditSchedule, &MainWindow::mnuEditSchedule_Click},
        {Command::EditDiary, &MainWindow::mnuEditDiary_Click},
        {Command::EditWhatDay, &MainWindow::mnuEditWhatDay_Click},
        {Command::DeleteSchedule, &MainWindow::mnuDelSchedule_Click},
        {Command::DeleteDiary, &MainWindow::mnuDelDiary_Click},
        {Command::Today, &MainWindow::mnuToday_Click},
        {Command::NextMonth, &MainWindow::mnuNextMonth_Click},
        {Command::LastMonth, &MainWindow::mnuLastMonth_Click},
        {Command::NextYear, &MainWindow::mnuNextYear_Click},
        {Command::LastYear, &MainWindow::mnuLastYear_Click},
        {Command::Statistics, &MainWindow::mnuStatistics_Click},
        {Command::WorkTime, &MainWindow::mnuWorkTime_Click},
        {Command::ToolBar, &MainWindow::mnuToolBar_Click},
        {Command::StatusBar, &MainWindow::mnuStatusBar_Click},
        {Command::Find, &MainWindow::mnuFind_Click},
        {Command::Alarm, &MainWindow::mnuAlarm_Click},
        {Command::Holidays, &MainWindow::mnuHoliday_Click},
        {Command::Options, &MainWindow::mnuOptions_Click},
        {Command::HelpContents, &MainWindow::mnuContents_Click},
        {Command::HelpSearch, &MainWindow::mnuSearchHelp_Click},
        {Command::About, &MainWindow::mnuAbout_Click},
        {Command::TrayRestore, &MainWindow::mnuRestore_Click},
        {Command::TrayAlarm, &MainWindow::mnuAlarm2_Click},
        {Command::TrayStatistics, &MainWindow::mnuStatistics2_Click},
        {Command::TrayWorkTime, &MainWindow::mnuWorkTimes_Click},
        {Command::TrayOptions, &MainWindow::mnuOption_Click},
        {Command::TrayAbout, &MainWindow::mnuVersion_Click},
        {Command::TrayEnd, &MainWindow::mnuEnd_Click},
    };
    const auto it = kSlots.find(c);
    if (it != kSlots.end())
        (this->*it->second)();
}

// ---------------------------------------------------------------- keyboard and mouse

void MainWindow::ConnectMonthView() {
    connect(m_view, &MonthView::infoChanged, m_status, &MainStatusBar::setInfo);
    connect(m_view, &MonthView::editRequested, this, &MainWindow::OpenScheduleEditor);
    connect(m_view, &MonthView::todayRequested, this, &MainWindow::mnuToday_Click);
    connect(m_view, &MonthView::headerMenuRequested, this,
            [this](const QPoint& pos) { m_actions->popUp(MenuId::Move, Command::Today, pos); });
    connect(m_view, &MonthView::cellMenuRequested, this,
            [this] { m_actions->popUp(MenuId::Edit, Command::EditSchedule, QCursor::pos()); });
}

// ---------------------------------------------------------------- navigation

void MainWindow::mnuToday_Click() {
    m_view->showToday();
}

void MainWindow::mnuNextMonth_Click() {
    m_view->moveSelection(1);
}
void MainWindow::mnuLastMonth_Click() {
    m_view->moveSelection(-1);
}
void MainWindow::mnuNextYear_Click() {
    m_view->moveSelection(12);
}
void MainWindow::mnuLastYear_Click() {
    m_view->moveSelection(-12);
}

// ---------------------------------------------------------------- view

void MainWindow::mnuToolBar_Click() {
    m_actions->toolBar()->setVisible(m_actions->action(Command::ToolBar)->isChecked());
    PlaceToolbarLines();
}

void MainWindow::mnuStatusBar_Click() {
    m_status->setVisible(m_actions->action(Command::StatusBar)->isChecked());
}

// ---------------------------------------------------------------- help

void MainWindow::mnuContents_Click() {
    MsgBox(QStringLiteral(
               "ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"),
           MsgButtons::OK, MsgIcon::Information, windowTitle());
}

void MainWindow::mnuSearchHelp_Click() {
    mnuContents_Click();
}

// ---------------------------------------------------------------- commands of other windows

void MainWindow::mnuEditSchedule_Click() {
    OpenScheduleEditor();
}

void MainWindow::OpenScheduleEditor() {
    ::OpenScheduleEditor(this, m_view->selectedDate());
    m_view->reload();
}

void MainWindow::mnuCut_Click() {
    m_clipboard.Cut(m_view->selectedDate());
}
void MainWindow::mnuCopy_Click() {
    m_clipboard.Copy(m_view->selectedDate());
}

void MainWindow::mnuPaste_Click() {
    if (m_clipboard.Paste(m_view->selectedDate()))
        m_view->reload();
}

void MainWindow::mnuEditDiary_Click() {
    const CellLabel* cell = m_view->dayCell(m_view->selectedCell());
    const CellLook look = cell->look();
    OpenDiaryEditor(this, m_view->selectedDate(), cell->text(), look.opaque ? look.color : kWhite);
}

void MainWindow::mnuEditWhatDay_Click() {
    OpenWhatDay(this, m_view->selectedDate());
}

void MainWindow::mnuDelSchedule_Click() {
    if (DeleteSchedule(m_view->selectedDate(), windowTitle()))
        m_view->reload();
}

void MainWindow::mnuDelDiary_Click() {
    if (DeleteDiary(m_view->selectedDate(), windowTitle()))
        m_view->reload();
}

void MainWindow::mnuFind_Click() {
    OpenSearch(this);
}

void MainWindow::mnuStatistics_Click() {
    OpenStatistics(m_options, this, true);
}
void MainWindow::mnuStatistics2_Click() {
    OpenStatistics(m_options, this, false);
}
void MainWindow::mnuHoliday_Click() {
    // The month is redrawn, not read again; only its holiday marks follow the new rules.
    if (const std::optional<HolidayRules> rules = OpenHolidayEditor(this))
        m_view->showHolidayRules(*rules);
    m_view->redraw();
}

void MainWindow::mnuRestore_Click() {
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

void MainWindow::mnuBackUp_Click() {
    OpenBackupDialog(this, true);
}

void MainWindow::OpenOptions(bool modal) {
    OpenOptionsDialog(m_options, this, modal, [this](OptionsDialog& f) {
        connect(&f, &OptionsDialog::displayChanged, this, [this] {
            m_view->applyBackground();
            m_view->redraw();
        });
        connect(&f, &OptionsDialog::trayActionRequested, m_tray, &TrayIcon::Apply);
        connect(&f, &OptionsDialog::restoreRequested, this, &MainWindow::mnuRestore_Click);
    });
}

void MainWindow::mnuOptions_Click() {
    OpenOptions(true);
    // Whatever closed it: the month is drawn again in the colours and formats now in force.
    m_view->redraw();
}
void MainWindow::mnuOption_Click() {
    OpenOptions(false);
}

void MainWindow::mnuAbout_Click() {
    OpenAboutDialog(this, true);
}
void MainWindow::mnuVersion_Click() {
    OpenAboutDialog(this, false);
}

void MainWindow::mnuWorkTime_Click() {
    OpenWorkTime(m_options, this, true);
}
void MainWindow::mnuWorkTimes_Click() {
    OpenWorkTime(m_options, this, false);
}
void MainWindow::mnuAlarm_Click() {
    OpenAlarmDialog(*m_alarm, this, true);
}
void MainWindow::mnuAlarm2_Click() {
    OpenAlarmDialog(*m_alarm, this, false);
}

void MainWindow::showTick(const TickOutcome& tick) {
    m_tickReport.take(this, tick);
    if (tick.alarmDue)
        NotifyAlarm(*m_alarm, this);
}
