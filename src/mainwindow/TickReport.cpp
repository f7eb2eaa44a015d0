#include "mainwindow/TickReport.h"

#include "core/MsgBox.h"
#include "core/Program.h"

#include <QWidget>

void TickReport::take(QWidget* owner, const TickOutcome& tick) {
    if (tick.recorded) {
        m_reported = false;
        return;
    }
    if (!tick.failure || m_reported || m_message)
        return;
    m_reported = true;
    m_message = OpenMsgBox(owner, DbFailureText(*tick.failure), MsgIcon::Critical,
                           QString::fromLatin1(kAppTitle));
}
