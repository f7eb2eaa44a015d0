#include "alarm/AlarmNotice.h"

#include "alarm/Alarm.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/DateFormat.h"
#include "core/MsgBox.h"
#include "core/Program.h"
#include "core/ProgramWindows.h"
#include "core/Twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kLabelLeft = TwipsToPixels(150);
constexpr int kLabelTop = TwipsToPixels(150);
constexpr int kMinimumWidth = 1800;

} // namespace

bool DeleteAlarmOrSay(Connection& db, const QString& failureText, const QString& title) {
    if (DeleteAlarm(db))
        return true;
    // The failed statement has rolled back and closed the connection: nothing stays open while
    // the message waits for the user.
    MsgBox(failureText + QStringLiteral("\r\n") + db.errorText(), MsgButtons::OK, MsgIcon::Critical,
           title);
    return false;
}

AlarmDispGeometry AlarmDispLayout(const QSize& labelPixels) {
    // Never narrower than a desktop lets a captioned window become, so that the centred button
    // stays inside also for a short detail.
    const int width = std::max(PixelsToTwips(labelPixels.width()) + 300, kMinimumWidth);
    const int height = PixelsToTwips(labelPixels.height()) + 1100;
    const int top = height - 800;
    const int left = width / 2 - 640;
    AlarmDispGeometry g;
    g.window = QSize(TwipsToPixels(width), TwipsToPixels(height));
    g.button =
        QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(1200), TwipsToPixels(380));
    return g;
}

AlarmNotice::AlarmNotice(const Program& program, AlarmState& alarm, QWidget* owner)
    : QDialog(owner), m_program(program), m_alarm(alarm) {
    // The caption is the alarm's minute, set with the detail.
    PrepareDialog(this, "frmAlarmDisp", QString());
    setModal(false);

    detailLabel = new QLabel(this);
    detailLabel->setObjectName(QStringLiteral("lblAlarmDetail"));
    detailLabel->setTextFormat(Qt::PlainText);
    detailLabel->move(kLabelLeft, kLabelTop);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("cmdOK"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &AlarmNotice::acknowledge);

    showPendingAlarm();
}

AlarmNotice* NotifyAlarm(const Program& program, AlarmState& alarm, QWidget* owner) {
    AlarmNotice* d = OpenWindowOf<AlarmNotice>(owner);
    if (!d) {
        d = new AlarmNotice(program, alarm, owner);
        d->setAttribute(Qt::WA_DeleteOnClose);
    } else if (alarm.pending() && d->AlarmTime() != alarm.pending()->time) {
        // The alarm was replaced while its predecessor's notice stayed open.
        d->showPendingAlarm();
    }
    BringToFront(d);
    return d;
}

void AlarmNotice::showPendingAlarm() {
    const PendingAlarm alarm = m_alarm.pending().value_or(PendingAlarm{});
    m_time = alarm.time;
    setWindowTitle(FormatDate(m_time, QStringLiteral("yyyy年mm月dd日 hh時nn分です。")));
    detailLabel->setWordWrap(false);
    detailLabel->setText(alarm.detail);
    detailLabel->adjustSize();
    // A line wider than the screen is wrapped, so that the button stays within reach.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const int widest = screen->availableGeometry().width() * 4 / 5;
        if (detailLabel->width() > widest) {
            detailLabel->setWordWrap(true);
            detailLabel->resize(widest, detailLabel->heightForWidth(widest));
        }
    }
    const AlarmDispGeometry g = AlarmDispLayout(detailLabel->size());
    setFixedSize(g.window);
    okButton->setGeometry(g.button);
}

void AlarmNotice::acknowledge() {
    // An alarm cancelled or replaced while this notice stayed open is not this notice's to
    // delete: the new one must not go with it.
    if (!m_alarm.pending() || m_alarm.pending()->time != m_time) {
        close();
        return;
    }
    Db db = OpenDB(m_program);
    if (!db) {
        close();
        return;
    }
    if (!DeleteAlarmOrSay(*db, QStringLiteral("アラームの削除に失敗しました。"), windowTitle())) {
        close();
        return;
    }
    if (CloseDB(*db))
        m_alarm.set(std::nullopt);
    close();
}
