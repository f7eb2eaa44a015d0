// The timer tick's failures as the user is told of them.
#pragma once

#include "mainwindow/TimerTick.h"

#include <QPointer>

class QWidget;

// How the ticks' failures reach the user: one message per outage (not again while it is on
// screen, nor before a tick has succeeded), shown without waiting for the user, so that the
// next ticks come on time to record the running time and to show the alarm.
class TickReport {
public:
    void take(QWidget* owner, const TickOutcome& tick);

private:
    QPointer<QWidget> m_message;
    bool m_reported = false;
};
