// The notification of a due alarm: its minute as the caption, its detail, and OK to
// acknowledge it. There is never more than one.
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QRect>
#include <QSize>

class AlarmState;
class Connection;
class Program;
class QLabel;
class QPushButton;

// Deletes the stored alarm. On failure (the work rolled back) failureText, a line break and the
// engine's description are shown under title.
bool DeleteAlarmOrSay(Connection& db, const QString& failureText, const QString& title);

// The notification's geometry for a label of the given size, in pixels, worked out in twips
// (15 to a pixel) as the window was designed: the window 300 twips wider and 1100 twips
// higher than the label, the 1200 x 380 twip button 800 twips above the window's bottom and
// centred by whole twips. The window is at least 1800 twips wide.
struct AlarmDispGeometry {
    QSize window;
    QRect button;
};
AlarmDispGeometry AlarmDispLayout(const QSize& labelPixels);

class AlarmNotice : public QDialog {
    Q_OBJECT
public:
    AlarmNotice(const Program& program, AlarmState& alarm, QWidget* owner = nullptr);

    // Caption, detail and size from the pending alarm: when made, and again when the alarm has
    // been replaced while the notice stayed open.
    void showPendingAlarm();

    // The alarm minute this notification shows.
    QDateTime AlarmTime() const { return m_time; }

public slots:
    void acknowledge();

private:
    QLabel* detailLabel = nullptr;
    QPushButton* okButton = nullptr;
    const Program& m_program;
    AlarmState& m_alarm;
    QDateTime m_time;
};

// Shows the notification of the pending alarm, modeless and owned by the owner, or brings the
// one owner has open forward (showing the pending alarm, should it have been replaced).
AlarmNotice* NotifyAlarm(const Program& program, AlarmState& alarm, QWidget* owner);
