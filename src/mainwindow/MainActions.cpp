#include "mainwindow/MainActions.h"

#include <QAction>
#include <QFrame>
#include <QIcon>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

enum Flag { Plain = 0, Hidden = 1, Disabled = 2, Checked = 4, Separator = 8 };

struct MenuRow {
    MenuId menu;
    Command command;
    const char* name; // the objectName; a separator of the tray menu has one too
    const char* caption;
    int key = 0;
    int flags = Plain;
};

constexpr int Ctrl(Qt::Key k) {
    return (Qt::CTRL | k).toCombined();
}

// Every entry, in menu order. Hidden entries keep their place in the menu without a function.
const MenuRow kMenuRows[] = {
    {MenuId::File, Command::Backup, "mnuBackUp", "ﾊﾞｯｸｱｯﾌﾟ(&B)...", Ctrl(Qt::Key_B)},
    {MenuId::File, Command::ExportIcs, "mnuExportIcs", "iCalendar書き出し(&E)..."},
    {MenuId::File, Command::ImportIcs, "mnuImportIcs", "iCalendar読み込み(&I)..."},
    {MenuId::File, Command::None, "mnuSaveAs", "名前を付けて保存(&A)...", Ctrl(Qt::Key_S), Hidden},
    {MenuId::File, Command::None, "mnuPageSetup", "ﾍﾟｰｼﾞ設定(&U)...", 0, Hidden},
    {MenuId::File, Command::None, "mnuPrintPreview", "印刷ﾌﾟﾚﾋﾞｭｰ(&V)", 0, Hidden},
    {MenuId::File, Command::None, "mnuPrint", "印刷(&P)...", Ctrl(Qt::Key_P), Hidden},
    {MenuId::File, Command::None, "mnuSend", "送信(&D)...", 0, Hidden},
    {MenuId::File, Command::None, nullptr, nullptr, 0, Separator},
    {MenuId::File, Command::Exit, "mnuExit", "終了(&X)"},

    {MenuId::Edit, Command::Cut, "mnuCut", "切り取り(&T)", Ctrl(Qt::Key_X)},
    {MenuId::Edit, Command::Copy, "mnuCopy", "ｺﾋﾟｰ(&C)", Ctrl(Qt::Key_C)},
    {MenuId::Edit, Command::Paste, "mnuPaste", "貼り付け(&P)", Ctrl(Qt::Key_V)},
    {MenuId::Edit, Command::None, nullptr, nullptr, 0, Separator},
    {MenuId::Edit, Command::EditSchedule, "mnuEditSchedule", "予定の編集(&S)..."},
    {MenuId::Edit, Command::EditDiary, "mnuEditDiary", "日記の編集(&D)...", Ctrl(Qt::Key_D)},
    {MenuId::Edit, Command::EditWhatDay, "mnuEditWhatDay", "What Dayの編集(&W)...",
     Ctrl(Qt::Key_W)},
    {MenuId::Edit, Command::None, nullptr, nullptr, 0, Separator},
    {MenuId::Edit, Command::DeleteSchedule, "mnuDelSchedule", "予定の削除(&C)", Qt::Key_Delete},
    {MenuId::Edit, Command::DeleteDiary, "mnuDelDiary", "日記の削除(&I)",
     (Qt::SHIFT | Qt::Key_Delete).toCombined()},
    // Anniversaries are deleted in their register.
    {MenuId::Edit, Command::None, "mnuDelWhatDay", "What Dayの削除(&H)", 0, Hidden},

    {MenuId::Move, Command::Today, "mnuToday", "今日(&T)"},
    {MenuId::Move, Command::None, nullptr, nullptr, 0, Separator},
    {MenuId::Move, Command::NextMonth, "mnuNextMonth", "次の月(&N)"},
    {MenuId::Move, Command::LastMonth, "mnuLastMonth", "前の月(&L)"},
    {MenuId::Move, Command::None, nullptr, nullptr, 0, Separator},
    {MenuId::Move, Command::NextYear, "mnuNextYear", "次の年(&E)"},
    {MenuId::Move, Command::LastYear, "mnuLastYear", "前の年(&A)"},

    {MenuId::View, Command::Statistics, "mnuStatistics", "統計情報(&S)..."},
    {MenuId::View, Command::WorkTime, "mnuWorkTime", "稼働時間(&W)..."},
    {MenuId::View, Command::None, nullptr, nullptr, 0, Separator},
    {MenuId::View, Command::ToolBar, "mnuToolBar", "ﾂｰﾙ ﾊﾞｰ(&T)", 0, Checked},
    {MenuId::View, Command::StatusBar, "mnuStatusBar", "ｽﾃｰﾀｽ ﾊﾞｰ(&B)", 0, Checked},

    {MenuId::Search, Command::Find, "mnuFind", "検索(&F)...", Ctrl(Qt::Key_F)},

    {MenuId::Settings, Command::Alarm, "mnuAlarm", "ｱﾗｰﾑ登録(&A)...", Ctrl(Qt::Key_A)},
    {MenuId::Settings, Command::Holidays, "mnuHoliday", "休日設定(&H)...", Ctrl(Qt::Key_H)},
    {MenuId::Settings, Command::Sync, "mnuSync", "カレンダー同期(&Y)..."},
    {MenuId::Settings, Command::None, nullptr, nullptr, 0, Separator},
    {MenuId::Settings, Command::Options, "mnuOptions", "ｵﾌﾟｼｮﾝ(&O)...", Ctrl(Qt::Key_O)},

    // No help file exists: both entries stay disabled.
    {MenuId::Help, Command::HelpContents, "mnuContents", "目次(&C)", Qt::Key_F1, Disabled},
    {MenuId::Help, Command::HelpSearch, "mnuSearchHelp", "ﾄﾋﾟｯｸの検索(&S)...", 0, Disabled},
    {MenuId::Help, Command::None, nullptr, nullptr, 0, Separator},
    {MenuId::Help, Command::About, "mnuAbout", "ﾊﾞｰｼﾞｮﾝ情報(&A)..."},

    // Choosing the cancel entry only closes the menu, as any entry does.
    {MenuId::TaskTray, Command::TrayCancel, "mnuCancel", "ﾒﾆｭｰのｷｬﾝｾﾙ(&E)"},
    {MenuId::TaskTray, Command::None, "mnuTaskTrayBar4", nullptr, 0, Separator},
    {MenuId::TaskTray, Command::TrayRestore, "mnuRestore", "元のｻｲｽﾞに戻す(&R)"},
    {MenuId::TaskTray, Command::None, "mnuTaskTrayBar2", nullptr, 0, Separator},
    {MenuId::TaskTray, Command::TrayAlarm, "mnuAlarm2", "ｱﾗｰﾑ登録(&A)..."},
    {MenuId::TaskTray, Command::None, "mnuTaskTrayBar3", nullptr, 0, Separator},
    {MenuId::TaskTray, Command::TrayStatistics, "mnuStatistics2", "統計情報(&S)..."},
    {MenuId::TaskTray, Command::TrayWorkTime, "mnuWorkTimes", "稼働時間(&W)..."},
    {MenuId::TaskTray, Command::None, "mnuTaskTrayBar1", nullptr, 0, Separator},
    {MenuId::TaskTray, Command::TrayOptions, "mnuOption", "ｵﾌﾟｼｮﾝ(&O)..."},
    {MenuId::TaskTray, Command::TrayAbout, "mnuVersion", "ﾊﾞｰｼﾞｮﾝ情報(&A)..."},
    {MenuId::TaskTray, Command::None, "mnuTaskTrayBar0", nullptr, 0, Separator},
    {MenuId::TaskTray, Command::TrayEnd, "mnuEnd", "常駐の終了(&X)"},
};

struct MenuTitle {
    const char* name;
    const char* caption;
};

const MenuTitle kMenuTitles[size_t(MenuId::Count)] = {
    {"mnuFile", "ﾌｧｲﾙ(&F)"}, {"mnuEdit", "編集(&E)"},       {"mnuMove", "移動(&M)"},
    {"mnuView", "表示(&V)"}, {"mnuSearch", "検索(&S)"},     {"mnuSetting", "設定(&O)"},
    {"mnuHelp", "ﾍﾙﾌﾟ(&H)"}, {"mnuTaskTray", "ﾀｽｸﾄﾚｲﾒﾆｭｰ"},
};

struct ToolButton {
    const char* key;
    const char* tip;
    const char* image;
    const char* themeIcon; // freedesktop icon name
    Command entry;         // the menu entry the button stands for; None: no function
};

// Button key, tool tip, image; an empty key is a separator between groups.
const ToolButton kToolButtons[] = {
    {"終了", "Vaskelの終了", "Exit", "application-exit", Command::Exit},
    {},
    {"印刷", "ｶﾚﾝﾀﾞの印刷", "Print", "document-print", Command::None},
    {},
    {"切り取り", "ｽｹｼﾞｭｰﾙの切り取り", "Cut", "edit-cut", Command::Cut},
    {"ｺﾋﾟｰ", "ｽｹｼﾞｭｰﾙのｺﾋﾟｰ", "Copy", "edit-copy", Command::Copy},
    {"貼り付け", "ｽｹｼﾞｭｰﾙの貼り付け", "Paste", "edit-paste", Command::Paste},
    {},
    {"前の年", "前年を表示", "LastYear", "go-first", Command::LastYear},
    {"前の月", "前月を表示", "LastMonth", "go-previous", Command::LastMonth},
    {"当月", "当月を表示", "ThisMonth", "go-home", Command::Today},
    {"次の月", "翌月を表示", "NextMonth", "go-next", Command::NextMonth},
    {"次の年", "翌年を表示", "NextYear", "go-last", Command::NextYear},
    {},
    {"ｽｹｼﾞｭｰﾙ", "ｽｹｼﾞｭｰﾙの編集", "Schedule", "appointment-new", Command::EditSchedule},
    {"日記", "日記の編集", "Diary", "accessories-text-editor", Command::EditDiary},
    {"WhatDay", "WhatDayの編集", "WhatDay", "emblem-favorite", Command::EditWhatDay},
    {},
    {"ｽｹｼﾞｭｰﾙの削除", "ｽｹｼﾞｭｰﾙの削除", "Del", "edit-delete", Command::DeleteSchedule},
    {},
    {"検索", "検索", "Find", "edit-find", Command::Find},
    {},
    {"ｵﾌﾟｼｮﾝ", "ｵﾌﾟｼｮﾝ", "Option", "preferences-system", Command::Options},
    {},
    {"ﾍﾙﾌﾟ", "ﾍﾙﾌﾟ", "Help", "help-browser", Command::None},
};

QString U(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

MainActions::MainActions(QMainWindow* window) : QObject(window) {
    buildToolbarLines(window);
    buildMenus(window);
    buildToolBar(window);
}

void MainActions::buildMenus(QMainWindow* window) {
    for (size_t i = 0; i < m_menus.size(); ++i) {
        const MenuTitle& t = kMenuTitles[i];
        // The task-tray menu is never part of the menu bar; the tray icon shows it.
        QMenu* m = MenuId(i) == MenuId::TaskTray ? new QMenu(U(t.caption), window)
                                                 : window->menuBar()->addMenu(U(t.caption));
        m->setObjectName(QLatin1String(t.name));
        if (MenuId(i) != MenuId::TaskTray)
            connect(m, &QMenu::aboutToHide, m, [m] { m->setDefaultAction(nullptr); });
        m_menus[i] = m;
    }
    for (const MenuRow& row : kMenuRows) {
        QMenu* m = menu(row.menu);
        QAction* a =
            row.flags & Separator ? m->addSeparator() : new QAction(U(row.caption), window);
        if (row.name) {
            a->setObjectName(QLatin1String(row.name));
            m_byName[a->objectName()] = a;
        }
        if (row.flags & Separator)
            continue;
        if (row.key)
            a->setShortcut(QKeySequence(row.key));
        a->setVisible(!(row.flags & Hidden));
        a->setEnabled(!(row.flags & Disabled));
        a->setCheckable(row.flags & Checked);
        a->setChecked(row.flags & Checked);
        m->addAction(a);
        if (row.command == Command::None)
            continue;
        m_byCommand[row.command] = a;
        connect(a, &QAction::triggered, this, [this, c = row.command] { emit triggered(c); });
    }
}

void MainActions::buildToolBar(QMainWindow* window) {
    m_toolBar = new QToolBar(window);
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    // Seventeen buttons must fit the design width of the window.
    m_toolBar->layout()->setSpacing(0);
    m_toolBar->layout()->setContentsMargins(1, 1, 1, 1);
    // The view menu's check mark is the only switch for the toolbar.
    m_toolBar->toggleViewAction()->setEnabled(false);
    window->setContextMenuPolicy(Qt::NoContextMenu);
    window->addToolBar(Qt::TopToolBarArea, m_toolBar);
    for (const ToolButton& b : kToolButtons) {
        if (!b.key) {
            m_toolBar->addSeparator();
            continue;
        }
        const QString key = U(b.key);
        const QIcon fallback(QStringLiteral(":/toolbar/%1.png").arg(QLatin1String(b.image)));
        QAction* a =
            m_toolBar->addAction(QIcon::fromTheme(QLatin1String(b.themeIcon), fallback), key);
        a->setToolTip(U(b.tip));
        a->setObjectName(QStringLiteral("tb") + QLatin1String(b.image));
        a->setProperty("key", key);
        // A button triggers its menu entry, and is usable exactly when the entry is.
        if (b.entry != Command::None) {
            QAction* entry = action(b.entry);
            connect(a, &QAction::triggered, entry, &QAction::trigger);
            a->setEnabled(entry->isEnabled());
            connect(entry, &QAction::changed, a, [a, entry] { a->setEnabled(entry->isEnabled()); });
        }
        // Buttons never take the focus: the keys belong to the calendar.
        if (QWidget* w = m_toolBar->widgetForAction(a))
            w->setFocusPolicy(Qt::NoFocus);
        m_byName[key] = a;
    }
}

void MainActions::buildToolbarLines(QMainWindow* window) {
    for (int i = 0; i < 2; ++i) {
        auto* line = new QFrame(window);
        line->setObjectName(QStringLiteral("linUnderToolbar%1").arg(i));
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(i == 0 ? QFrame::Sunken : QFrame::Plain);
        line->setFixedHeight(1);
        QPalette p = line->palette();
        p.setColor(QPalette::WindowText, i == 0 ? QColor(0x80, 0x80, 0x80) : Qt::white);
        line->setPalette(p);
        m_toolbarLines[size_t(i)] = line;
    }
}

void MainActions::placeToolbarLines(int width) {
    // The two lines under the toolbar run across the whole window.
    const bool toolbar = m_toolBar->isVisible();
    const int y = toolbar ? m_toolBar->geometry().bottom() - 1 : 0;
    for (int i = 0; i < 2; ++i) {
        m_toolbarLines[size_t(i)]->setGeometry(0, y + i, width, 1);
        m_toolbarLines[size_t(i)]->setVisible(toolbar);
        m_toolbarLines[size_t(i)]->raise();
    }
}

QAction* MainActions::find(const QString& nameOrKey) const {
    const auto it = m_byName.find(nameOrKey);
    return it == m_byName.end() ? nullptr : it->second;
}

QMenu* MainActions::findMenu(const QString& name) const {
    for (QMenu* m : m_menus) {
        if (m->objectName() == name)
            return m;
    }
    return nullptr;
}

void MainActions::setRestoreVisible(bool visible) {
    find(QStringLiteral("mnuRestore"))->setVisible(visible);
    find(QStringLiteral("mnuTaskTrayBar2"))->setVisible(visible);
}

void MainActions::popUp(MenuId m, Command defaultEntry, const QPoint& globalPos) {
    // Not exec(): the chosen entry runs from the main loop; the mark goes when the menu closes.
    QMenu* shown = menu(m);
    shown->setDefaultAction(action(defaultEntry));
    shown->popup(globalPos);
}
