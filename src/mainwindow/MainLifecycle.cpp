#include "mainwindow/MainLifecycle.h"

#include "alarm/Alarm.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/MsgBox.h"
#include "core/Program.h"
#include "core/Twips.h"
#include "core/VersionUp.h"
#include "entries/EntryCommands.h"
#include "holidays/HolidayRules.h"
#include "mainwindow/MainActions.h"
#include "mainwindow/MonthView.h"
#include "mainwindow/WindowPlacement.h"
#include "settings/AppContext.h"
#include "shell/Tray.h"
#include "worktime/RunningTime.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QScreen>

namespace {

// The available areas of the screens, the primary one first.
QList<QRect> ScreenAreas() {
    QList<QRect> areas;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        areas << primary->availableGeometry();
    for (const QScreen* s : QGuiApplication::screens()) {
        if (s != primary)
            areas << s->availableGeometry();
    }
    return areas;
}

} // namespace

MainLifecycle::MainLifecycle(const Parts& parts, QObject* parent)
    : QObject(parent), m_parts(parts) {}

// ---------------------------------------------------------------- start-up

bool MainLifecycle::start() {
    m_endRequested = false;
    // A step that failed has shown its message, and the program ends. Every step that may
    // show a window waits for the user in a nested loop, where an end request can arrive and
    // run the shutdown: the start-up then stops where it is, and nothing failed.
    const auto stop = [this] {
        if (!m_ended) {
            m_startFailed = true;
            m_endRequested = true;
            shutdown();
        }
        return false;
    };
    const Program& program = m_parts.app.program();
    if (!VersionUp(program, ReplaceUneditedHolidayRules) || m_ended)
        return stop();
    {
        Db db = OpenDB(program);
        if (!db || !initMain(*db))
            return stop();
        // What the start-up wrote is committed before any window waits for the user: the
        // running time since the start must survive a crash, and no lock may be held meanwhile.
        if (!CloseDB(*db))
            return stop();
    }
    if (m_parts.app.options().showTodayAtStart && hasTodaySchedule())
        OpenTodaySchedule(&m_parts.window, m_parts.app);
    if (m_ended)
        return stop();

    m_parts.view.layOutGrid();
    m_parts.view.showDate(program.clock().today());
    if (m_ended)
        return stop();

    m_started = true;
    if (m_parts.app.options().resident && m_parts.app.options().startInTray)
        hideToTray();
    else
        m_parts.window.show();
    return !m_ended;
}

bool MainLifecycle::initMain(Connection& db) {
    QMainWindow& window = m_parts.window;
    window.setWindowTitle(QString::fromLatin1(kAppTitle));
    m_parts.app.settings().readStartup(m_parts.app.options());
    restoreWindowState();
    m_parts.view.applyBackground();
    if (m_parts.app.options().resident)
        m_parts.tray.add();

    const auto failed = [&window, &db] {
        const QString why = db.errorText();
        db.rollback();
        MsgBox(QStringLiteral("初期処理に失敗しました。\r\n") + why, MsgButtons::OK,
               MsgIcon::Critical, window.windowTitle());
        return false;
    };
    if (!RecordRunningTimeAtStart(db, m_parts.app.program().clock().now()))
        return failed();
    if (!m_parts.alarm.load(db))
        return failed();
    return true;
}

void MainLifecycle::restoreWindowState() {
    const Options& o = m_parts.app.options();
    QMainWindow& window = m_parts.window;
    if (!o.saveWindow)
        return;
    if (o.windowShow == WindowShow::Minimized)
        window.setWindowState(Qt::WindowMinimized);
    else if (o.windowShow == WindowShow::Maximized)
        window.setWindowState(Qt::WindowMaximized);
    if (windowShow() != WindowShow::Normal)
        return;
    // A frame nobody could reach gives way to the design size at a visible place.
    const QRect frame = StartGeometry(o.windowFrame(), ScreenAreas(), window.minimumSizeHint());
    window.move(frame.topLeft());
    window.resize(frame.size());
    // The stored size is the outer frame; the frame is known only once shown.
    m_geometryPending = true;
    m_pendingOuterSize = window.size();
}

void MainLifecycle::windowShown() {
    if (!m_geometryPending)
        return;
    m_geometryPending = false;
    QMainWindow& window = m_parts.window;
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    if (!frame.isEmpty())
        window.resize(m_pendingOuterSize - frame);
}

bool MainLifecycle::hasTodaySchedule() {
    const Program& program = m_parts.app.program();
    Db db = OpenDB(program);
    if (!db)
        return false;
    const QString text = ReadSchedule(*db, program.clock().today());
    CloseDB(*db);
    return !text.isEmpty();
}

// ---------------------------------------------------------------- residency and shutdown

void MainLifecycle::hideToTray() {
    if (TrayUsable()) {
        m_parts.actions.setRestoreVisible(true);
        m_parts.window.hide();
        return;
    }
    // No notification area: the window must stay reachable, so it is only minimised.
    if (!m_trayNoticeShown) {
        m_trayNoticeShown = true;
        MsgBox(QStringLiteral("この環境にはタスクトレイがないため、Vaskelは最小化して常駐します。"
                              "\r\nVaskelを終了するには「ﾌｧｲﾙ」メニューの「終了」を選んで下さい。"),
               MsgButtons::OK, MsgIcon::Information, m_parts.window.windowTitle());
        // Ended while the notice waited.
        if (m_ended)
            return;
    }
    m_parts.window.showMinimized();
}

bool MainLifecycle::closeWindow() {
    if (!m_ended && !m_endRequested && m_parts.app.options().resident) {
        hideToTray();
        return false;
    }
    shutdown();
    return true;
}

void MainLifecycle::exit() {
    // Without a notification area the tray's end command cannot be reached; this one stands in.
    if (m_parts.app.options().resident && TrayUsable()) {
        m_parts.window.close();
        return;
    }
    requestEnd();
}

void MainLifecycle::requestEnd() {
    m_endRequested = true;
    m_parts.window.close();
}

WindowShow MainLifecycle::windowShow() const {
    const Qt::WindowStates s = m_parts.window.windowState();
    if (s & Qt::WindowMinimized)
        return WindowShow::Minimized;
    if (s & Qt::WindowMaximized)
        return WindowShow::Maximized;
    return WindowShow::Normal;
}

void MainLifecycle::shutdown() {
    if (m_ended)
        return;
    m_ended = true;
    emit shuttingDown();
    m_parts.tray.remove();
    QMainWindow& window = m_parts.window;
    const QRect outer = window.frameGeometry();
    m_parts.app.settings().saveWindowSettings(m_parts.app.options(), windowShow(), outer);
    // The store's file exists after every run, so that the user finds where options live.
    const QString ini = m_parts.app.settings().filePath();
    if (m_started && !QFileInfo::exists(ini)) {
        QDir().mkpath(QFileInfo(ini).absolutePath());
        QFile f(ini);
        if (f.open(QIODevice::WriteOnly))
            f.close();
    }
    // Unload every other window, the most recent first.
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        if (*it != &window && (*it)->isVisible())
            (*it)->close();
    }
    window.hide();
    QCoreApplication::quit();
}
