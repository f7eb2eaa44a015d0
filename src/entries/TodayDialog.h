// Today's schedule, shown once at start after the start-up has committed its work.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>

class AppContext;

class TodayDialog : public QDialog {
    Q_OBJECT
public:
    // app: its start-up option is the check box's, written when the window closes.
    explicit TodayDialog(AppContext& app, QWidget* parent = nullptr);

    // Reads today's schedule in a short read of its own; no connection stays open while the
    // window is shown.
    void load();

public slots:
    void setShowAtStart();

protected:
    // Every way of closing ends here; the start-up setting is written once.
    void done(int result) override;

private:
    QPlainTextEdit* scheduleEdit;
    QCheckBox* startupCheck;
    QPushButton* okButton;

    void saveStartUpOption();
    AppContext& m_app;
};
