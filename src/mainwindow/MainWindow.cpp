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
#include "mainwindow/InfoPanel.h"
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

namespace {

constexpr int kTimerInterval = 50000;

const char* const kPanelKeys[5] = {"Info", "AlarmLabel", "Alarm", "Date", "Time"};

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
    m_view->installEventFilter(this);
    setCentralWidget(m_view);
    BuildToolbarLines();
    m_actions = new MainActions(this);
    connect(m_actions, &MainActions::triggered, this, &MainWindow::run);
    m_tray = new TrayIcon([this] { return isHidden(); }, windowIcon(), this);
    connect(m_tray, &TrayIcon::restoreRequested, this, &MainWindow::mnuRestore_Click);
    connect(m_tray, &TrayIcon::menuRequested, this, [this](const QPoint& pos) {
        PopUpTrayMenu(m_actions->menu(MenuId::TaskTray), isHidden(), pos);
    });
    BuildStatusBar();
    ConnectMonthView();

    // The timer counts from the moment the window exists; nothing stops it.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerInterval);
    connect(Timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    Timer1->start();

    // Loading, registering, cancelling and acknowledging an alarm all show in the status bar.
    m_alarm = new AlarmState(this);
    connect(m_alarm, &AlarmState::changed, this, &MainWindow::SetAlarmPanel);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildToolbarLines() {
    for (int i = 0; i < 2; ++i) {
        auto* line = new QFrame(this);
        line->setObjectName(QStringLiteral("linUnderToolbar%1").arg(i));
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(i == 0 ? QFrame::Sunken : QFrame::Plain);
        line->setFixedHeight(1);
        QPalette p = line->palette();
        p.setColor(QPalette::WindowText, i == 0 ? QColor(0x80, 0x80, 0x80) : Qt::white);
        line->setPalette(p);
        linUnderToolbar[size_t(i)] = line;
    }
}

void MainWindow::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    PlaceToolbarLines();
}

void MainWindow::PlaceToolbarLines() {
    // The two lines under the toolbar run across the whole window.
    const QToolBar* bar = m_actions ? m_actions->toolBar() : nullptr;
    const bool toolbar = bar && bar->isVisible();
    const int y = toolbar ? bar->geometry().bottom() - 1 : 0;
    for (int i = 0; i < 2; ++i) {
        linUnderToolbar[size_t(i)]->setGeometry(0, y + i, width(), 1);
        linUnderToolbar[size_t(i)]->setVisible(toolbar);
        linUnderToolbar[size_t(i)]->raise();
    }
}

void MainWindow::BuildStatusBar() {
    sbStatusBar = new QStatusBar(this);
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    sbStatusBar->setSizeGripEnabled(true);
    setStatusBar(sbStatusBar);
    m_info = new InfoPanel(sbStatusBar);
    for (int i = 0; i < 5; ++i) {
        QLabel* p = i == 0 ? m_info : new QLabel(sbStatusBar);
        p->setObjectName(QString::fromLatin1(kPanelKeys[i]));
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Sunken);
        p->setContentsMargins(4, 0, 4, 0);
        p->installEventFilter(this);
        m_panels[i] = p;
        if (i == 0)
            sbStatusBar->addWidget(p, 1);
        else
            sbStatusBar->addPermanentWidget(p);
    }
    m_panels[1]->setText(QStringLiteral("ｱﾗｰﾑ"));
    SetAlarmPanel(false);

    // The date and time panels keep themselves up to date.
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &MainWindow::UpdateClockPanels);
    m_clock->start();
    UpdateClockPanels();
}

QLabel* MainWindow::Panel(const QString& key) const {
    for (int i = 0; i < 5; ++i) {
        if (key == QLatin1String(kPanelKeys[i]))
            return m_panels[i];
    }
    return nullptr;
}

void MainWindow::SetAlarmPanel(bool on) {
    QLabel* p = m_panels[2];
    p->setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    p->setFrameShadow(on ? QFrame::Raised : QFrame::Sunken);
}

void MainWindow::UpdateClockPanels() {
    const QDateTime now = Now();
    m_panels[3]->setText(now.toString(QStringLiteral("yyyy/MM/dd")));
    m_panels[4]->setText(now.toString(QStringLiteral("HH:mm")));
}

// ---------------------------------------------------------------- start-up

bool MainWindow::Form_Load() {
    m_endRequested = false;
    // A step that failed has shown its message, and the program ends. Every step that may
    // show a window waits for the user in a nested loop, where an end request can arrive and
    // run the shutdown: the start-up then stops where it is, and nothing failed.
    const auto stop = [this] {
        if (!m_ended) {
            m_startFailed = true;
            m_endRequested = true;
            Shutdown();
        }
        return false;
    };
    if (!VersionUp() || m_ended)
        return stop();
    {
        Db db = OpenDB();
        if (!db || !InitMain(*db))
            return stop();
        // What the start-up wrote is committed before any window waits for the user: the
        // running time since the start must survive a crash, and no lock may be held meanwhile.
        if (!CloseDB(*db))
            return stop();
    }
    if (m_options.StartUp == 1 && HasTodaySchedule())
        ShowTodaySchedule();
    if (m_ended)
        return stop();

    m_view->layOutGrid();
    m_view->showDate(Today());
    if (m_ended)
        return stop();

    m_started = true;
    if (m_options.Stationed && m_options.TaskTray == 1)
        HideToTray();
    else
        show();
    return !m_ended;
}

bool MainWindow::InitMain(Connection& db) {
    setWindowTitle(QString::fromLatin1(kAppTitle));
    ReadStartupSettings(m_options);
    if (m_options.WindowSave == 1) {
        if (m_options.WindowState == 1)
            setWindowState(Qt::WindowMinimized);
        else if (m_options.WindowState == 2)
            setWindowState(Qt::WindowMaximized);
        if (WindowStateCode() == 0) {
            // A frame nobody could reach gives way to the design size at a visible place.
            const QRect frame = StartGeometry({m_options.WindowLeft, m_options.WindowTop,
                                               m_options.WindowWidth, m_options.WindowHeight},
                                              ScreenAreas(), minimumSizeHint());
            move(frame.topLeft());
            resize(frame.size());
            // The stored size is the outer frame; the frame is known only once shown.
            m_geometryPending = true;
            m_pendingOuterSize = size();
        }
    }
    m_view->applyBackground();
    if (m_options.Stationed)
        m_tray->Add();

    const auto failed = [this, &db] {
        const QString why = db.errorText();
        db.rollback();
        MsgBox(QStringLiteral("初期処理に失敗しました。\r\n") + why, MsgButtons::OK,
               MsgIcon::Critical, windowTitle());
        return false;
    };
    if (!RecordRunningTimeAtStart(db, Now()))
        return failed();
    if (!m_alarm->load(db))
        return failed();
    return true;
}

void MainWindow::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (m_geometryPending) {
        m_geometryPending = false;
        const QSize frame = frameGeometry().size() - geometry().size();
        if (!frame.isEmpty())
            resize(m_pendingOuterSize - frame);
    }
}

// ---------------------------------------------------------------- residency and shutdown

void MainWindow::HideToTray() {
    if (TrayUsable()) {
        m_actions->setRestoreVisible(true);
        hide();
        return;
    }
    // No notification area: the window must stay reachable, so it is only minimised.
    if (!m_trayNoticeShown) {
        m_trayNoticeShown = true;
        MsgBox(QStringLiteral("この環境にはタスクトレイがないため、Vaskelは最小化して常駐します。"
                              "\r\nVaskelを終了するには「ﾌｧｲﾙ」メニューの「終了」を選んで下さい。"),
               MsgButtons::OK, MsgIcon::Information, windowTitle());
        // Ended while the notice waited.
        if (m_ended)
            return;
    }
    showMinimized();
}

void MainWindow::closeEvent(QCloseEvent* e) {
    if (!m_ended && !m_endRequested && m_options.Stationed) {
        e->ignore();
        HideToTray();
        return;
    }
    Shutdown();
    e->accept();
}

void MainWindow::mnuExit_Click() {
    // Without a notification area the tray's end command cannot be reached; this one stands in.
    if (m_options.Stationed && TrayUsable()) {
        close();
        return;
    }
    mnuEnd_Click();
}

void MainWindow::mnuEnd_Click() {
    m_endRequested = true;
    close();
}

int MainWindow::WindowStateCode() const {
    const Qt::WindowStates s = windowState();
    if (s & Qt::WindowMinimized)
        return 1;
    if (s & Qt::WindowMaximized)
        return 2;
    return 0;
}

void MainWindow::Shutdown() {
    if (m_ended)
        return;
    m_ended = true;
    Timer1->stop();
    m_tray->Remove();
    const QRect outer = frameGeometry();
    SaveWindowSettings(m_options, WindowStateCode(),
                       QRect(PixelsToTwips(outer.x()), PixelsToTwips(outer.y()),
                             PixelsToTwips(outer.width()), PixelsToTwips(outer.height())));
    // The store's file exists after every run, so that the user finds where options live.
    const QString ini = SettingsFilePath();
    if (m_started && !QFileInfo::exists(ini)) {
        QDir().mkpath(QFileInfo(ini).absolutePath());
        QFile f(ini);
        if (f.open(QIODevice::WriteOnly))
            f.close();
    }
    // Unload every other window, the most recent first.
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        if (*it != this && (*it)->isVisible())
            (*it)->close();
    }
    hide();
    QCoreApplication::quit();
}

// ---------------------------------------------------------------- hooks of later subsystems

bool MainWindow::HasTodaySchedule() {
    Db db = OpenDB();
    if (!db)
        return false;
    const QString text = ReadSchedule(*db, Today());
    CloseDB(*db);
    return !text.isEmpty();
}

void MainWindow::ShowTodaySchedule() {
    OpenTodaySchedule(this, m_options);
}
