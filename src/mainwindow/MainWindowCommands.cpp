// Menus, toolbar, keyboard and mouse of the main window, and the commands they run.

#include "alarm/Alarm.h"
#include "alarm/AlarmDialog.h"
#include "alarm/AlarmNotice.h"
#include "core/Clock.h"
#include "core/Colors.h"
#include "core/MsgBox.h"
#include "core/ProgramWindows.h"
#include "core/ViewState.h"
#include "entries/EntryCommands.h"
#include "holidays/HolidayEditor.h"
#include "mainwindow/MainWindow.h"
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

namespace {

struct ToolButton {
    const char* key;
    const char* tip;
    const char* image;
    const char* themeIcon; // freedesktop icon name
    const char* entry;     // the menu entry the button stands for; none: no function
};

// Button key, tool tip, image; an empty key is a separator between groups.
const ToolButton kToolButtons[] = {
    {"終了", "Vaskelの終了", "Exit", "application-exit", "mnuExit"},
    {},
    {"印刷", "ｶﾚﾝﾀﾞの印刷", "Print", "document-print", nullptr},
    {},
    {"切り取り", "ｽｹｼﾞｭｰﾙの切り取り", "Cut", "edit-cut", "mnuCut"},
    {"ｺﾋﾟｰ", "ｽｹｼﾞｭｰﾙのｺﾋﾟｰ", "Copy", "edit-copy", "mnuCopy"},
    {"貼り付け", "ｽｹｼﾞｭｰﾙの貼り付け", "Paste", "edit-paste", "mnuPaste"},
    {},
    {"前の年", "前年を表示", "LastYear", "go-first", "mnuLastYear"},
    {"前の月", "前月を表示", "LastMonth", "go-previous", "mnuLastMonth"},
    {"当月", "当月を表示", "ThisMonth", "go-home", "mnuToday"},
    {"次の月", "翌月を表示", "NextMonth", "go-next", "mnuNextMonth"},
    {"次の年", "翌年を表示", "NextYear", "go-last", "mnuNextYear"},
    {},
    {"ｽｹｼﾞｭｰﾙ", "ｽｹｼﾞｭｰﾙの編集", "Schedule", "appointment-new", "mnuEditSchedule"},
    {"日記", "日記の編集", "Diary", "accessories-text-editor", "mnuEditDiary"},
    {"WhatDay", "WhatDayの編集", "WhatDay", "emblem-favorite", "mnuEditWhatDay"},
    {},
    {"ｽｹｼﾞｭｰﾙの削除", "ｽｹｼﾞｭｰﾙの削除", "Del", "edit-delete", "mnuDelSchedule"},
    {},
    {"検索", "検索", "Find", "edit-find", "mnuFind"},
    {},
    {"ｵﾌﾟｼｮﾝ", "ｵﾌﾟｼｮﾝ", "Option", "preferences-system", "mnuOptions"},
    {},
    {"ﾍﾙﾌﾟ", "ﾍﾙﾌﾟ", "Help", "help-browser", nullptr},
};

QString U(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

// ---------------------------------------------------------------- construction

QAction* MainWindow::AddAction(QMenu* menu, const QString& name, const QString& caption,
                               void (MainWindow::*slot)(), const QKeySequence& key) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    if (!key.isEmpty())
        a->setShortcut(key);
    if (slot)
        connect(a, &QAction::triggered, this, slot);
    menu->addAction(a);
    m_actions[name] = a;
    return a;
}

QAction* MainWindow::Action(const QString& name) const {
    const auto it = m_actions.find(name);
    return it == m_actions.end() ? nullptr : it->second;
}

QMenu* MainWindow::Menu(const QString& name) const {
    const auto it = m_menus.find(name);
    return it == m_menus.end() ? nullptr : it->second;
}

void MainWindow::BuildMenus() {
    const auto addMenu = [this](const QString& name, const QString& caption) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(name);
        m_menus[name] = m;
        return m;
    };
    const auto hidden = [this](QMenu* m, const char* name, const char* caption,
                               const QKeySequence& key = {}) {
        // Kept for their place in the menu; they have no function.
        AddAction(m, U(name), U(caption), nullptr, key)->setVisible(false);
    };

    QMenu* file = addMenu(QStringLiteral("mnuFile"), U("ﾌｧｲﾙ(&F)"));
    AddAction(file, QStringLiteral("mnuBackUp"), U("ﾊﾞｯｸｱｯﾌﾟ(&B)..."), &MainWindow::mnuBackUp_Click,
              QKeySequence(Qt::CTRL | Qt::Key_B));
    hidden(file, "mnuSaveAs", "名前を付けて保存(&A)...", QKeySequence(Qt::CTRL | Qt::Key_S));
    hidden(file, "mnuPageSetup", "ﾍﾟｰｼﾞ設定(&U)...");
    hidden(file, "mnuPrintPreview", "印刷ﾌﾟﾚﾋﾞｭｰ(&V)");
    hidden(file, "mnuPrint", "印刷(&P)...", QKeySequence(Qt::CTRL | Qt::Key_P));
    hidden(file, "mnuSend", "送信(&D)...");
    file->addSeparator();
    AddAction(file, QStringLiteral("mnuExit"), U("終了(&X)"), &MainWindow::mnuExit_Click);

    QMenu* edit = addMenu(QStringLiteral("mnuEdit"), U("編集(&E)"));
    AddAction(edit, QStringLiteral("mnuCut"), U("切り取り(&T)"), &MainWindow::mnuCut_Click,
              QKeySequence(Qt::CTRL | Qt::Key_X));
    AddAction(edit, QStringLiteral("mnuCopy"), U("ｺﾋﾟｰ(&C)"), &MainWindow::mnuCopy_Click,
              QKeySequence(Qt::CTRL | Qt::Key_C));
    AddAction(edit, QStringLiteral("mnuPaste"), U("貼り付け(&P)"), &MainWindow::mnuPaste_Click,
              QKeySequence(Qt::CTRL | Qt::Key_V));
    edit->addSeparator();
    AddAction(edit, QStringLiteral("mnuEditSchedule"), U("予定の編集(&S)..."),
              &MainWindow::mnuEditSchedule_Click);
    AddAction(edit, QStringLiteral("mnuEditDiary"), U("日記の編集(&D)..."),
              &MainWindow::mnuEditDiary_Click, QKeySequence(Qt::CTRL | Qt::Key_D));
    AddAction(edit, QStringLiteral("mnuEditWhatDay"), U("What Dayの編集(&W)..."),
              &MainWindow::mnuEditWhatDay_Click, QKeySequence(Qt::CTRL | Qt::Key_W));
    edit->addSeparator();
    AddAction(edit, QStringLiteral("mnuDelSchedule"), U("予定の削除(&C)"),
              &MainWindow::mnuDelSchedule_Click, QKeySequence(Qt::Key_Delete));
    AddAction(edit, QStringLiteral("mnuDelDiary"), U("日記の削除(&I)"),
              &MainWindow::mnuDelDiary_Click, QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    // Anniversaries are deleted in their register.
    hidden(edit, "mnuDelWhatDay", "What Dayの削除(&H)");

    QMenu* move = addMenu(QStringLiteral("mnuMove"), U("移動(&M)"));
    AddAction(move, QStringLiteral("mnuToday"), U("今日(&T)"), &MainWindow::mnuToday_Click);
    move->addSeparator();
    AddAction(move, QStringLiteral("mnuNextMonth"), U("次の月(&N)"),
              &MainWindow::mnuNextMonth_Click);
    AddAction(move, QStringLiteral("mnuLastMonth"), U("前の月(&L)"),
              &MainWindow::mnuLastMonth_Click);
    move->addSeparator();
    AddAction(move, QStringLiteral("mnuNextYear"), U("次の年(&E)"), &MainWindow::mnuNextYear_Click);
    AddAction(move, QStringLiteral("mnuLastYear"), U("前の年(&A)"), &MainWindow::mnuLastYear_Click);

    QMenu* view = addMenu(QStringLiteral("mnuView"), U("表示(&V)"));
    AddAction(view, QStringLiteral("mnuStatistics"), U("統計情報(&S)..."),
              &MainWindow::mnuStatistics_Click);
    AddAction(view, QStringLiteral("mnuWorkTime"), U("稼働時間(&W)..."),
              &MainWindow::mnuWorkTime_Click);
    view->addSeparator();
    for (const char* name : {"mnuToolBar", "mnuStatusBar"}) {
        QAction* a = AddAction(
            view, U(name), U(name == QLatin1String("mnuToolBar") ? "ﾂｰﾙ ﾊﾞｰ(&T)" : "ｽﾃｰﾀｽ ﾊﾞｰ(&B)"),
            name == QLatin1String("mnuToolBar") ? &MainWindow::mnuToolBar_Click
                                                : &MainWindow::mnuStatusBar_Click);
        a->setCheckable(true);
        a->setChecked(true);
    }

    QMenu* find = addMenu(QStringLiteral("mnuSearch"), U("検索(&S)"));
    AddAction(find, QStringLiteral("mnuFind"), U("検索(&F)..."), &MainWindow::mnuFind_Click,
              QKeySequence(Qt::CTRL | Qt::Key_F));

    QMenu* settings = addMenu(QStringLiteral("mnuSetting"), U("設定(&O)"));
    AddAction(settings, QStringLiteral("mnuAlarm"), U("ｱﾗｰﾑ登録(&A)..."),
              &MainWindow::mnuAlarm_Click, QKeySequence(Qt::CTRL | Qt::Key_A));
    AddAction(settings, QStringLiteral("mnuHoliday"), U("休日設定(&H)..."),
              &MainWindow::mnuHoliday_Click, QKeySequence(Qt::CTRL | Qt::Key_H));
    settings->addSeparator();
    AddAction(settings, QStringLiteral("mnuOptions"), U("ｵﾌﾟｼｮﾝ(&O)..."),
              &MainWindow::mnuOptions_Click, QKeySequence(Qt::CTRL | Qt::Key_O));

    QMenu* help = addMenu(QStringLiteral("mnuHelp"), U("ﾍﾙﾌﾟ(&H)"));
    // No help file exists: both entries stay disabled.
    AddAction(help, QStringLiteral("mnuContents"), U("目次(&C)"), &MainWindow::mnuContents_Click,
              QKeySequence(Qt::Key_F1))
        ->setEnabled(false);
    AddAction(help, QStringLiteral("mnuSearchHelp"), U("ﾄﾋﾟｯｸの検索(&S)..."),
              &MainWindow::mnuSearchHelp_Click)
        ->setEnabled(false);
    help->addSeparator();
    AddAction(help, QStringLiteral("mnuAbout"), U("ﾊﾞｰｼﾞｮﾝ情報(&A)..."),
              &MainWindow::mnuAbout_Click);

    // The task-tray menu is never part of the menu bar; the tray icon shows it.
    mnuTaskTray = new QMenu(U("ﾀｽｸﾄﾚｲﾒﾆｭｰ"), this);
    mnuTaskTray->setObjectName(QStringLiteral("mnuTaskTray"));
    m_menus[QStringLiteral("mnuTaskTray")] = mnuTaskTray;
    const auto separator = [this](const char* name) {
        QAction* s = mnuTaskTray->addSeparator();
        s->setObjectName(U(name));
        m_actions[U(name)] = s;
    };
    AddAction(mnuTaskTray, QStringLiteral("mnuCancel"), U("ﾒﾆｭｰのｷｬﾝｾﾙ(&E)"),
              &MainWindow::mnuCancel_Click);
    separator("mnuTaskTrayBar4");
    AddAction(mnuTaskTray, QStringLiteral("mnuRestore"), U("元のｻｲｽﾞに戻す(&R)"),
              &MainWindow::mnuRestore_Click);
    separator("mnuTaskTrayBar2");
    AddAction(mnuTaskTray, QStringLiteral("mnuAlarm2"), U("ｱﾗｰﾑ登録(&A)..."),
              &MainWindow::mnuAlarm2_Click);
    separator("mnuTaskTrayBar3");
    AddAction(mnuTaskTray, QStringLiteral("mnuStatistics2"), U("統計情報(&S)..."),
              &MainWindow::mnuStatistics2_Click);
    AddAction(mnuTaskTray, QStringLiteral("mnuWorkTimes"), U("稼働時間(&W)..."),
              &MainWindow::mnuWorkTimes_Click);
    separator("mnuTaskTrayBar1");
    AddAction(mnuTaskTray, QStringLiteral("mnuOption"), U("ｵﾌﾟｼｮﾝ(&O)..."),
              &MainWindow::mnuOption_Click);
    AddAction(mnuTaskTray, QStringLiteral("mnuVersion"), U("ﾊﾞｰｼﾞｮﾝ情報(&A)..."),
              &MainWindow::mnuVersion_Click);
    separator("mnuTaskTrayBar0");
    AddAction(mnuTaskTray, QStringLiteral("mnuEnd"), U("常駐の終了(&X)"),
              &MainWindow::mnuEnd_Click);
}

void MainWindow::BuildToolBar() {
    tbToolBar = new QToolBar(this);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->setIconSize(QSize(16, 16));
    // Seventeen buttons must fit the design width of the window.
    tbToolBar->layout()->setSpacing(0);
    tbToolBar->layout()->setContentsMargins(1, 1, 1, 1);
    // The view menu's check mark is the only switch for the toolbar.
    tbToolBar->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    addToolBar(Qt::TopToolBarArea, tbToolBar);
    for (const ToolButton& b : kToolButtons) {
        if (!b.key) {
            tbToolBar->addSeparator();
            continue;
        }
        const QString key = U(b.key);
        const QIcon fallback(QStringLiteral(":/toolbar/%1.png").arg(QLatin1String(b.image)));
        QAction* a =
            tbToolBar->addAction(QIcon::fromTheme(QLatin1String(b.themeIcon), fallback), key);
        a->setToolTip(U(b.tip));
        a->setObjectName(QStringLiteral("tb") + QLatin1String(b.image));
        a->setProperty("key", key);
        connect(a, &QAction::triggered, this, [this, key] { tbToolBar_ButtonClick(key); });
        // A button is usable exactly when its menu entry is.
        if (b.entry) {
            const QAction* entry = Action(U(b.entry));
            a->setEnabled(entry->isEnabled());
            connect(entry, &QAction::changed, a, [a, entry] { a->setEnabled(entry->isEnabled()); });
        }
        // Buttons never take the focus: the keys belong to the calendar.
        if (QWidget* w = tbToolBar->widgetForAction(a))
            w->setFocusPolicy(Qt::NoFocus);
        m_actions[key] = a;
    }
}

// ---------------------------------------------------------------- keyboard and mouse

void MainWindow::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool none = mods == Qt::NoModifier;
    const bool ctrl = mods == Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_PageDown:
        if (none || ctrl)
            MoveDisplayedMonth(ctrl ? 12 : 1);
        break;
    case Qt::Key_PageUp:
        if (none || ctrl)
            MoveDisplayedMonth(ctrl ? -12 : -1);
        break;
    case Qt::Key_Home:
        if (none)
            S_DispCal(Today().year(), Today().month());
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (none)
            MoveSelectionDays(e->key() == Qt::Key_Left ? -1 : 1);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (none)
            MoveSelectionDays(e->key() == Qt::Key_Up ? -7 : 7);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (none)
            OpenScheduleEditor();
        break;
    default:
        QMainWindow::keyPressEvent(e);
        return;
    }
    e->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == picBack && type == QEvent::Resize) {
        S_Resize();
        return false;
    }
    const bool header = watched == lblYear || watched == lblMonth || watched == picBack;
    if (header && type == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        mnuToday_Click();
        return true;
    }
    if (header && type == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        QMenu* move = Menu(QStringLiteral("mnuMove"));
        move->setDefaultAction(Action(QStringLiteral("mnuToday")));
        move->exec(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        move->setDefaultAction(nullptr);
        return true;
    }
    if (type == QEvent::MouseButtonDblClick && (watched == Panel(QStringLiteral("Alarm")) ||
                                                watched == Panel(QStringLiteral("AlarmLabel")))) {
        mnuAlarm_Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::Cell_Click(int index) {
    // A day of the shown month only redraws; a neighbouring month's day shows its month.
    G_datSelect =
        DateOfClickedCell(index, lblDay[size_t(index)]->text(), m_shownYear, m_shownMonth);
    S_DispCal(G_datSelect.year(), G_datSelect.month());
}

void MainWindow::Cell_DblClick(int) {
    OpenScheduleEditor();
}

void MainWindow::Cell_RightPress(int index) {
    Cell_Click(index);
    QMenu* edit = Menu(QStringLiteral("mnuEdit"));
    edit->setDefaultAction(Action(QStringLiteral("mnuEditSchedule")));
    edit->exec(QCursor::pos());
    edit->setDefaultAction(nullptr);
}

// ---------------------------------------------------------------- navigation

void MainWindow::MoveDisplayedMonth(int months) {
    const QDate first = QDate(m_shownYear, m_shownMonth, 1).addMonths(months);
    S_DispCal(first.year(), first.month());
}

void MainWindow::MoveSelection(int months) {
    G_datSelect = G_datSelect.addMonths(months);
    S_DispCal(G_datSelect.year(), G_datSelect.month());
}

void MainWindow::MoveSelectionDays(int days) {
    G_datSelect = G_datSelect.addDays(days);
    S_DispCal(G_datSelect.year(), G_datSelect.month());
}

void MainWindow::mnuToday_Click() {
    const QDate today = Today();
    G_datSelect = CarrySelection(G_datSelect, today.year(), today.month());
    S_DispCal(today.year(), today.month());
}

void MainWindow::mnuNextMonth_Click() {
    MoveSelection(1);
}
void MainWindow::mnuLastMonth_Click() {
    MoveSelection(-1);
}
void MainWindow::mnuNextYear_Click() {
    MoveSelection(12);
}
void MainWindow::mnuLastYear_Click() {
    MoveSelection(-12);
}

// ---------------------------------------------------------------- view

void MainWindow::mnuToolBar_Click() {
    tbToolBar->setVisible(Action(QStringLiteral("mnuToolBar"))->isChecked());
    PlaceToolbarLines();
}

void MainWindow::mnuStatusBar_Click() {
    sbStatusBar->setVisible(Action(QStringLiteral("mnuStatusBar"))->isChecked());
}

// ---------------------------------------------------------------- help

void MainWindow::mnuContents_Click() {
    MsgBox(U("ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"),
           MsgButtons::OK, MsgIcon::Information, windowTitle());
}

void MainWindow::mnuSearchHelp_Click() {
    mnuContents_Click();
}

// ---------------------------------------------------------------- toolbar

void MainWindow::tbToolBar_ButtonClick(const QString& key) {
    // "印刷" and "ﾍﾙﾌﾟ" stand for no entry and have no function.
    for (const ToolButton& b : kToolButtons) {
        if (b.key && b.entry && key == U(b.key)) {
            Action(U(b.entry))->trigger();
            return;
        }
    }
}

// ---------------------------------------------------------------- commands of other windows

void MainWindow::mnuEditSchedule_Click() {
    OpenScheduleEditor();
}

void MainWindow::OpenScheduleEditor() {
    ::OpenScheduleEditor(this);
    QCoreApplication::processEvents();
    Reload();
}

void MainWindow::mnuCut_Click() {
    m_clipboard.Cut();
}
void MainWindow::mnuCopy_Click() {
    m_clipboard.Copy();
}

void MainWindow::mnuPaste_Click() {
    if (m_clipboard.Paste())
        Reload();
}

void MainWindow::mnuEditDiary_Click() {
    const CellLabel* cell = lblDay[size_t(G_intSelIndex)];
    const CellLook look = cell->look();
    OpenDiaryEditor(this, cell->text(), look.opaque ? look.color : kWhite);
    QCoreApplication::processEvents();
}

void MainWindow::mnuEditWhatDay_Click() {
    OpenWhatDay(this);
    QCoreApplication::processEvents();
}

void MainWindow::mnuDelSchedule_Click() {
    if (DeleteSchedule(windowTitle()))
        F_ReadDat(m_shownYear, m_shownMonth);
}

void MainWindow::mnuDelDiary_Click() {
    if (DeleteDiary(windowTitle()))
        F_ReadDat(m_shownYear, m_shownMonth);
}

void MainWindow::mnuFind_Click() {
    OpenSearch(this);
    QCoreApplication::processEvents();
}

void MainWindow::mnuStatistics_Click() {
    OpenStatistics(G_opt, this, true);
}
void MainWindow::mnuStatistics2_Click() {
    OpenStatistics(G_opt, this, false);
}
void MainWindow::mnuHoliday_Click() {
    // The month is redrawn, not read again; only its holiday marks follow the new rules.
    if (const std::optional<HolidayRules> rules = OpenHolidayEditor(this))
        ShowHolidayRules(*rules);
    Redraw();
}

void MainWindow::mnuCancel_Click() {
    QCoreApplication::processEvents();
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
    OpenOptionsDialog(G_opt, this, modal, [this](OptionsDialog& f) {
        connect(&f, &OptionsDialog::displayChanged, this, [this] {
            ApplyBackground();
            Redraw();
        });
        connect(&f, &OptionsDialog::trayActionRequested, m_tray, &TrayIcon::Apply);
        connect(&f, &OptionsDialog::restoreRequested, this, &MainWindow::mnuRestore_Click);
    });
}

void MainWindow::mnuOptions_Click() {
    OpenOptions(true);
    // Whatever closed it: the month is drawn again in the colours and formats now in force.
    Redraw();
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
    OpenWorkTime(G_opt, this, true);
}
void MainWindow::mnuWorkTimes_Click() {
    OpenWorkTime(G_opt, this, false);
}
void MainWindow::mnuAlarm_Click() {
    OpenAlarmDialog(*m_alarm, this, true);
}
void MainWindow::mnuAlarm2_Click() {
    OpenAlarmDialog(*m_alarm, this, false);
}

void MainWindow::Timer1_Timer() {
    const TickOutcome tick = Timer1Tick(Now(), *m_alarm);
    m_tickReport.take(this, tick);
    if (tick.alarmDue)
        NotifyAlarm(*m_alarm, this);
}
