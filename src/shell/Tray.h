// Residency in the desktop's notification area: whether there is one, the icon with its
// tooltip, and the state of the tray menu.
#pragma once

#include <QDate>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>
#include <optional>

class QMenu;
class AppContext;
enum class TrayTip;

// The one place that decides between hiding the main window behind its tray icon (true) and
// only minimising it (false, the desktop has no notification area).
bool TrayUsable();
// Replaces the desktop's answer (tests); nullopt restores it.
void SetTrayUsableOverride(std::optional<bool> usable);

// The tooltip's text: the date "YYYY年M月D日" of day, the free text, or else the
// program's title. Cut to what fits the 63 bytes of the tooltip field.
QString TrayTipText(TrayTip mode, const QString& freeText, const QDate& day);
// The longest head of text that takes at most maxBytes in the Japanese code page; a
// double-byte character is never cut in half, and trailing blanks are kept.
QString CutToBytesA(const QString& text, int maxBytes);
inline constexpr int kTrayTipBytes = 63;

// What the options dialog's OK does to the icon, from the residency before and after.
enum class TrayAction { None, Add, Modify, Delete };
TrayAction TrayActionFor(bool oldStationed, bool newStationed);

// The tray menu's restore item "mnuRestore" and its separator "mnuTaskTrayBar2" (found by
// object name) are shown only while the main window is hidden, and the restore item is then
// the menu's bold default; while the window is shown the menu has no default item.
void UpdateTrayMenu(QMenu* menu, bool windowHidden);
// Shows the tray menu at pos as a pop-up and returns at once; the chosen command runs from the
// main loop.
void PopUpTrayMenu(QMenu* menu, bool windowHidden, const QPoint& pos);

// The program's icon in the notification area. It is shown only where the desktop has a
// notification area, but keeps its added or removed state either way.
//
// The main window owns one, made with a function that tells whether the main window is
// hidden, and:
//  - calls add() at start when "Stationed" is True, remove() at every end, and apply() with
//    the action that the options dialog requests (trayActionRequested);
//  - connects restoreRequested to its restore;
//  - connects menuRequested to PopUpTrayMenu(mnuTaskTray, window hidden, pos).
class TrayIcon : public QObject {
    Q_OBJECT
public:
    // app: the tooltip's settings in force and today; icon: the main window's icon (default:
    // the application's window icon).
    TrayIcon(const AppContext& app, std::function<bool()> windowHidden, const QIcon& icon = {},
             QObject* parent = nullptr);
    ~TrayIcon() override;

    // Adds the icon with the tooltip of the settings in memory; the date tooltip is today's,
    // as of this call.
    void add();
    // Builds the tooltip again from the settings in memory (the date as of this call).
    void modify();
    // Removes the icon; harmless when none was added.
    void remove();
    void apply(TrayAction action);

    bool isAdded() const { return m_added; }
    QString toolTip() const;
    QSystemTrayIcon* icon() const { return m_icon; }

public slots:
    // A double click restores the main window; so does a single click while the window is
    // hidden (desktops that report a double click as two single ones). The context request
    // asks for the tray menu.
    void onActivated(QSystemTrayIcon::ActivationReason reason);

signals:
    void restoreRequested();
    void menuRequested(const QPoint& globalPos);

private:
    void setTip();

    QSystemTrayIcon* m_icon = nullptr;
    const AppContext& m_app;
    std::function<bool()> m_windowHidden;
    bool m_added = false;
};
