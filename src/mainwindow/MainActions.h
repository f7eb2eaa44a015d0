// The main window's commands: one table gives every menu entry and toolbar button its menu,
// name, caption and key, and each is found by its command, never by its caption.
#pragma once

#include <QObject>

#include <array>
#include <map>

class QAction;
class QFrame;
class QMainWindow;
class QMenu;
class QToolBar;

enum class Command {
    Backup,
    ExportIcs,
    ImportIcs,
    Exit,
    Cut,
    Copy,
    Paste,
    EditSchedule,
    EditDiary,
    EditWhatDay,
    DeleteSchedule,
    DeleteDiary,
    Today,
    NextMonth,
    LastMonth,
    NextYear,
    LastYear,
    Statistics,
    WorkTime,
    ToolBar,
    StatusBar,
    Find,
    Alarm,
    Holidays,
    Sync,
    Options,
    HelpContents,
    HelpSearch,
    About,
    // The task-tray menu; its commands come after those of the menu bar.
    TrayCancel,
    TrayRestore,
    TrayAlarm,
    TrayStatistics,
    TrayWorkTime,
    TrayOptions,
    TrayAbout,
    TrayEnd,
    // Entries kept for their place in the menus, without a function.
    None,
};

enum class MenuId { File, Edit, Move, View, Search, Settings, Help, TaskTray, Count };

class MainActions : public QObject {
    Q_OBJECT
public:
    // Builds the menu bar, the toolbar and the task-tray menu on the window.
    explicit MainActions(QMainWindow* window);

    QAction* action(Command c) const { return m_byCommand.at(c); }
    QMenu* menu(MenuId m) const { return m_menus[size_t(m)]; }
    QToolBar* toolBar() const { return m_toolBar; }
    // An entry by its name ("mnuToday", a separator "mnuTaskTrayBar2") or a toolbar button by
    // its key ("次の月"); null when there is none.
    QAction* find(const QString& nameOrKey) const;
    QMenu* findMenu(const QString& name) const;
    // The tray menu's entries that only a hidden window needs.
    void setRestoreVisible(bool visible);
    // The two lines under the toolbar, across a window of this width (hidden with the toolbar).
    void placeToolbarLines(int width);
    // Opens a menu at a place with one entry marked as its default.
    void popUp(MenuId m, Command defaultEntry, const QPoint& globalPos);

signals:
    void triggered(Command c);

private:
    void buildToolbarLines(QMainWindow* window);
    void buildMenus(QMainWindow* window);
    void buildToolBar(QMainWindow* window);

    std::array<QMenu*, size_t(MenuId::Count)> m_menus{};
    std::map<Command, QAction*> m_byCommand;
    std::map<QString, QAction*> m_byName;
    QToolBar* m_toolBar = nullptr;
    std::array<QFrame*, 2> m_toolbarLines{};
};
