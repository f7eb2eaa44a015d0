// The schedule editor: the schedule text of one day.
#pragma once

#include <QDate>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>

class Connection;
class Program;

class ScheduleDialog : public QDialog {
    Q_OBJECT
public:
    ScheduleDialog(const Program& program, const QDate& day, QWidget* parent = nullptr);

    // Reads the day's schedule; run once before the window is shown.
    void load();

    // Whether the day had a row when the window opened.
    bool rowExisted() const { return m_rowExisted; }

public slots:
    void save();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QPlainTextEdit* scheduleEdit;
    QPushButton* okButton;
    QPushButton* cancelButton;

    // Rolls back and says that the schedule could not be read.
    void ReadFailed(Connection& db);
    const Program& m_program;
    QDate m_day;
    bool m_rowExisted = false;
};
