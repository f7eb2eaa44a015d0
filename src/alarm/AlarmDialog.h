// The alarm dialog: registers the one pending alarm, replacing any earlier one, or cancels it.
#pragma once

#include <QDateTime>
#include <QDialog>

class AlarmState;
class Program;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWindow;

class AlarmDialog : public QDialog {
    Q_OBJECT
public:
    AlarmDialog(const Program& program, AlarmState& alarm, QWidget* owner = nullptr);

    // Refills the fields from the pending alarm, or with the present minute and no detail.
    void fillFields();
    // Checks the fields in order; on the first problem shows its warning, puts the focus in
    // the offending field and returns false.
    bool CheckAlarmInput();

public slots:
    void setAlarm();
    void cancelAlarm();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QLineEdit* yearEdit = nullptr;
    QLineEdit* monthEdit = nullptr;
    QLineEdit* dayEdit = nullptr;
    QLineEdit* hourEdit = nullptr;
    QLineEdit* minuteEdit = nullptr;
    QPlainTextEdit* detailEdit = nullptr;
    QPushButton* alarmOnButton = nullptr;
    QPushButton* alarmOffButton = nullptr;

    QLineEdit* TimeField(int x, int width, int maxLength, const QString& name);
    void FocusWindowChanged(QWindow* w);

    const Program& m_program;
    AlarmState& m_alarm;
    // Set when another window of the program was active since this one last was; a message
    // box of our own or another application does not count.
    bool m_refill = true;
    QDateTime m_checkedTime;
    QString m_checkedDetail;
};

// Opens the alarm dialog owned by the main window: modal from its menu and status bar,
// modeless from the tray menu. An open dialog is brought forward instead.
void OpenAlarmDialog(const Program& program, AlarmState& alarm, QWidget* owner, bool modal);
