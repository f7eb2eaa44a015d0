// The diary editor: one day's entry, with the same day of the nine earlier years
// beside it for reading.
#pragma once

#include <QDate>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <array>

class Connection;
class Program;

class DiaryDialog : public QDialog {
    Q_OBJECT
public:
    // The caption and background colour of the main window's selected day cell
    // make the heading.
    DiaryDialog(const Program& program, const QDate& day, const QString& dayCellCaption,
                const QColor& dayCellColor, QWidget* parent = nullptr);

    // Reads the entries; run once before the window is shown.
    void load();

    static constexpr int kEarlierYears = 9;

public slots:
    void save();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QLabel* dateLabel;
    QPlainTextEdit* diaryEdit;
    QTabWidget* oldDiaryTabs;
    std::array<QPlainTextEdit*, kEarlierYears> oldDiaryEdits{};
    QPushButton* okButton;
    QPushButton* cancelButton;

    void ReadFailed(Connection& db);

    const Program& m_program;
    QDate m_day;
    QString m_dayCellCaption;
    QColor m_dayCellColor;
};
