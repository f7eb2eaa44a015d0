#include "mainwindow/MainWindow.h"

#include "alarm/Alarm.h"
#include "core/Twips.h"
#include "mainwindow/MainLifecycle.h"
#include "mainwindow/MainStatusBar.h"
#include "mainwindow/MainSync.h"
#include "mainwindow/MonthView.h"
#include "mainwindow/TimerTick.h"
#include "mainwindow/WindowPlacement.h"
#include "settings/AppContext.h"
#include "shell/Tray.h"
#include "sync/SyncEngine.h"

#include <QCloseEvent>
#include <QIcon>

MainWindow::MainWindow(AppContext& app, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_clipboard(app.program()) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vaskel.png")));
    resize(TwipsToPixels(kDesignWidthTwips), TwipsToPixels(kDesignHeightTwips));

    m_view = new MonthView(m_app, this);
    setCentralWidget(m_view);
    m_actions = new MainActions(this);
    connect(m_actions, &MainActions::triggered, this, &MainWindow::run);
    m_tray = new TrayIcon(
        m_app, [this] { return isHidden(); }, windowIcon(), this);
    connect(m_tray, &TrayIcon::restoreRequested, this, &MainWindow::restoreWindow);
    connect(m_tray, &TrayIcon::menuRequested, this, [this](const QPoint& pos) {
        PopUpTrayMenu(m_actions->menu(MenuId::TaskTray), isHidden(), pos);
    });
    m_status = new MainStatusBar(m_app.program().clock(), this);
    setStatusBar(m_status);
    connect(m_status, &MainStatusBar::alarmRequested, this, [this] { run(Command::Alarm); });
    connectMonthView();

    // Loading, registering, cancelling and acknowledging an alarm all show in the status bar.
    m_alarm = new AlarmState(this);
    connect(m_alarm, &AlarmState::changed, m_status, &MainStatusBar::setAlarm);

    // The tick counts from the moment the window exists; only the shutdown stops it.
    m_tick = new TickTimer(m_app.program(), *m_alarm, this);
    connect(m_tick, &TickTimer::ticked, this, &MainWindow::showTick);

    m_life = new MainLifecycle({*this, m_app, *m_view, *m_actions, *m_tray, *m_alarm}, this);
    connect(m_life, &MainLifecycle::shuttingDown, m_tick, &TickTimer::stop);

    // The calendar sync runs beside everything else; what it changes shows at once.
    m_sync = new MainSync(m_app, this);
    connect(m_sync, &MainSync::statusLine, m_status, &MainStatusBar::setInfo);
    connect(m_sync, &MainSync::localChanged, m_view, &MonthView::reload);
    connect(m_life, &MainLifecycle::shuttingDown, &m_sync->engine(), &SyncEngine::cancel);
}

MainWindow::~MainWindow() = default;

void MainWindow::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (m_actions)
        m_actions->placeToolbarLines(width());
}

QLabel* MainWindow::statusPanel(const QString& key) const {
    return m_status->panel(key);
}

// ---------------------------------------------------------------- start-up, residency, end

bool MainWindow::start() {
    if (!m_life->start())
        return false;
    m_sync->programStarted();
    return true;
}

bool MainWindow::startFailed() const {
    return m_life->startFailed();
}

bool MainWindow::hasEnded() const {
    return m_life->hasEnded();
}

void MainWindow::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    m_life->windowShown();
}

void MainWindow::closeEvent(QCloseEvent* e) {
    if (m_life->closeWindow())
        e->accept();
    else
        e->ignore();
}

void MainWindow::exitProgram() {
    m_life->exit();
}

void MainWindow::endProgram() {
    m_life->requestEnd();
}
