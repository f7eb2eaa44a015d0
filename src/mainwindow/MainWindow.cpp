#include "mainwindow/MainWindow.h"

#include "alarm/Alarm.h"
#include "core/Clock.h"
#include "core/Colors.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/MsgBox.h"
#include "core/Program.h"
#include "core/Twips.h"
#include "core/VersionUp.h"
#include "entries/EntryCommands.h"
#include "mainwindow/MainLifecycle.h"
#include "mainwindow/MainStatusBar.h"
#include "mainwindow/MonthView.h"
#include "mainwindow/TimerTick.h"
#include "mainwindow/WindowPlacement.h"
#include "settings/SettingsStore.h"
#include "shell/Tray.h"
#include "worktime/RunningTime.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

void SetUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Vaskel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vaskel"));
    QApplication::setQuitOnLastWindowClosed(false);
}

void SetUpAppearance() {
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), font.family()});
    QApplication::setFont(font);
    // Toolbar images come from the desktop's icon theme, else from Adwaita, else our own.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
}

MainWindow::MainWindow(Options& options, QWidget* parent)
    : QMainWindow(parent), m_options(options) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vaskel.png")));
    resize(TwipsToPixels(kDesignWidthTwips), TwipsToPixels(kDesignHeightTwips));

    m_view = new MonthView(m_options, this);
    setCentralWidget(m_view);
    buildToolbarLines();
    m_actions = new MainActions(this);
    connect(m_actions, &MainActions::triggered, this, &MainWindow::run);
    m_tray = new TrayIcon(
        m_options, [this] { return isHidden(); }, windowIcon(), this);
    connect(m_tray, &TrayIcon::restoreRequested, this, &MainWindow::restoreWindow);
    connect(m_tray, &TrayIcon::menuRequested, this, [this](const QPoint& pos) {
        PopUpTrayMenu(m_actions->menu(MenuId::TaskTray), isHidden(), pos);
    });
    m_status = new MainStatusBar(this);
    setStatusBar(m_status);
    connect(m_status, &MainStatusBar::alarmRequested, this, &MainWindow::openAlarm);
    connectMonthView();

    // Loading, registering, cancelling and acknowledging an alarm all show in the status bar.
    m_alarm = new AlarmState(this);
    connect(m_alarm, &AlarmState::changed, m_status, &MainStatusBar::setAlarm);

    // The tick counts from the moment the window exists; only the shutdown stops it.
    m_tick = new TickTimer(*m_alarm, this);
    connect(m_tick, &TickTimer::ticked, this, &MainWindow::showTick);

    m_life = new MainLifecycle({*this, m_options, *m_view, *m_actions, *m_tray, *m_alarm}, this);
    connect(m_life, &MainLifecycle::shuttingDown, m_tick, &TickTimer::stop);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildToolbarLines() {
    for (int i = 0; i < 2; ++i) {
        auto* line = new QFrame(this);
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

void MainWindow::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    placeToolbarLines();
}

void MainWindow::placeToolbarLines() {
    // The two lines under the toolbar run across the whole window.
    const QToolBar* bar = m_actions ? m_actions->toolBar() : nullptr;
    const bool toolbar = bar && bar->isVisible();
    const int y = toolbar ? bar->geometry().bottom() - 1 : 0;
    for (int i = 0; i < 2; ++i) {
        m_toolbarLines[size_t(i)]->setGeometry(0, y + i, width(), 1);
        m_toolbarLines[size_t(i)]->setVisible(toolbar);
        m_toolbarLines[size_t(i)]->raise();
    }
}

QLabel* MainWindow::statusPanel(const QString& key) const {
    return m_status->panel(key);
}

// ---------------------------------------------------------------- start-up, residency, end

bool MainWindow::start() {
    return m_life->start();
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
