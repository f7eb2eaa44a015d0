#include "shell/Tray.h"

#include "core/CodePageText.h"
#include "settings/AppContext.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>

namespace {

std::optional<bool> g_trayUsable;

QAction* FindAction(QMenu* menu, const char* name) {
    for (QAction* a : menu->actions()) {
        if (a->objectName() == QLatin1String(name))
            return a;
    }
    return nullptr;
}

} // namespace

bool TrayUsable() {
    if (g_trayUsable)
        return *g_trayUsable;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SetTrayUsableOverride(std::optional<bool> usable) {
    g_trayUsable = usable;
}

QString CutToBytesA(const QString& text, int maxBytes) {
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype len = 1;
        char32_t c = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            len = 2;
        }
        bytes += cp932CharWidth(c);
        if (bytes > maxBytes)
            break;
        i += len;
    }
    return text.left(i);
}

QString TrayTipText(TrayTip mode, const QString& freeText, const QDate& day) {
    QString tip;
    if (mode == TrayTip::Date)
        tip = QStringLiteral("%1年%2月%3日").arg(day.year()).arg(day.month()).arg(day.day());
    else if (mode == TrayTip::Text)
        tip = freeText;
    else
        tip = QString::fromLatin1(kAppTitle);
    return CutToBytesA(tip, kTrayTipBytes);
}

TrayAction TrayActionFor(bool oldStationed, bool newStationed) {
    if (newStationed)
        return oldStationed ? TrayAction::Modify : TrayAction::Add;
    return oldStationed ? TrayAction::Delete : TrayAction::None;
}

void UpdateTrayMenu(QMenu* menu, bool windowHidden) {
    QAction* restore = FindAction(menu, "mnuRestore");
    if (QAction* bar = FindAction(menu, "mnuTaskTrayBar2"))
        bar->setVisible(windowHidden);
    if (restore)
        restore->setVisible(windowHidden);
    menu->setDefaultAction(windowHidden ? restore : nullptr);
}

void PopUpTrayMenu(QMenu* menu, bool windowHidden, const QPoint& pos) {
    UpdateTrayMenu(menu, windowHidden);
    // Not exec(): the chosen command runs from the main loop, never inside an event handler
    // of the icon, which the end command destroys.
    menu->popup(pos);
}

// ---------------------------------------------------------------- the icon

TrayIcon::TrayIcon(const AppContext& app, std::function<bool()> windowHidden, const QIcon& icon,
                   QObject* parent)
    : QObject(parent), m_app(app), m_windowHidden(std::move(windowHidden)) {
    m_icon = new QSystemTrayIcon(icon.isNull() ? QGuiApplication::windowIcon() : icon, this);
    // Queued: the icon's window may be gone when the command asked for has run (the end
    // command removes the icon), so nothing may run inside the icon's own event handler.
    connect(m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated,
            Qt::QueuedConnection);
}

TrayIcon::~TrayIcon() {
    remove();
}

void TrayIcon::setTip() {
    const Options& options = m_app.options();
    m_icon->setToolTip(
        TrayTipText(options.trayTip, options.trayTipText, m_app.program().clock().today()));
}

void TrayIcon::add() {
    setTip();
    m_added = true;
    if (TrayUsable())
        m_icon->show();
}

void TrayIcon::modify() {
    setTip();
    if (m_added && TrayUsable())
        m_icon->show();
}

void TrayIcon::remove() {
    m_added = false;
    m_icon->hide();
}

void TrayIcon::apply(TrayAction action) {
    switch (action) {
    case TrayAction::Add:
        add();
        break;
    case TrayAction::Modify:
        modify();
        break;
    case TrayAction::Delete:
        remove();
        break;
    case TrayAction::None:
        break;
    }
}

QString TrayIcon::toolTip() const {
    return m_icon->toolTip();
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        emit restoreRequested();
        break;
    case QSystemTrayIcon::Trigger:
        if (m_windowHidden && m_windowHidden())
            emit restoreRequested();
        break;
    case QSystemTrayIcon::Context:
        emit menuRequested(QCursor::pos());
        break;
    default:
        break;
    }
}
