#include "mainwindow/MainStatusBar.h"

#include "core/Clock.h"
#include "mainwindow/InfoPanel.h"

#include <QEvent>
#include <QLabel>
#include <QTimer>

namespace {

enum Panel { Info, AlarmLabel, Alarm, Date, Time };
const char* const kPanelKeys[5] = {"Info", "AlarmLabel", "Alarm", "Date", "Time"};

} // namespace

MainStatusBar::MainStatusBar(const Clock& clock, QWidget* parent)
    : QStatusBar(parent), m_time(clock) {
    setObjectName(QStringLiteral("sbStatusBar"));
    setSizeGripEnabled(true);
    m_info = new InfoPanel(this);
    for (int i = 0; i < 5; ++i) {
        QLabel* p = i == Info ? m_info : new QLabel(this);
        p->setObjectName(QString::fromLatin1(kPanelKeys[i]));
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Sunken);
        p->setContentsMargins(4, 0, 4, 0);
        p->installEventFilter(this);
        m_panels[size_t(i)] = p;
        if (i == Info)
            addWidget(p, 1);
        else
            addPermanentWidget(p);
    }
    m_panels[AlarmLabel]->setText(QStringLiteral("ｱﾗｰﾑ"));
    setAlarm(false);

    // The date and time panels keep themselves up to date.
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &MainStatusBar::showClock);
    m_clock->start();
    showClock();
}

QLabel* MainStatusBar::panel(const QString& key) const {
    for (int i = 0; i < 5; ++i) {
        if (key == QLatin1String(kPanelKeys[i]))
            return m_panels[size_t(i)];
    }
    return nullptr;
}

void MainStatusBar::setInfo(const QString& text) {
    m_info->setInfo(text);
}

void MainStatusBar::setAlarm(bool on) {
    QLabel* p = m_panels[Alarm];
    p->setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    p->setFrameShadow(on ? QFrame::Raised : QFrame::Sunken);
}

void MainStatusBar::showClock() {
    const QDateTime now = m_time.now();
    m_panels[Date]->setText(now.toString(QStringLiteral("yyyy/MM/dd")));
    m_panels[Time]->setText(now.toString(QStringLiteral("HH:mm")));
}

bool MainStatusBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick &&
        (watched == m_panels[Alarm] || watched == m_panels[AlarmLabel])) {
        emit alarmRequested();
        return true;
    }
    return QStatusBar::eventFilter(watched, event);
}
