// The main window's status bar: the selected day's information, the alarm switch, the date and
// the time.
#pragma once

#include <QStatusBar>

#include <array>

class Clock;
class InfoPanel;
class QLabel;
class QTimer;

class MainStatusBar : public QStatusBar {
    Q_OBJECT
public:
    // clock: the date and time shown.
    explicit MainStatusBar(const Clock& clock, QWidget* parent = nullptr);

    // The panel of a key ("Info", "AlarmLabel", "Alarm", "Date", "Time"), or null.
    QLabel* panel(const QString& key) const;
    void setInfo(const QString& text);
    // The "Alarm" panel: "ON" raised, or "OFF" inset.
    void setAlarm(bool on);

signals:
    // A double click on the alarm's panels: the alarm is to be registered.
    void alarmRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showClock();

    const Clock& m_time;
    InfoPanel* m_info = nullptr;
    std::array<QLabel*, 5> m_panels{};
    QTimer* m_clock = nullptr;
};
