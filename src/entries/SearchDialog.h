// The search: schedules, diary entries and anniversaries that contain a text.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

class Connection;
class Program;

class SearchDialog : public QDialog {
    Q_OBJECT
public:
    explicit SearchDialog(const Program& program, QWidget* parent = nullptr);

public slots:
    void search();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* searchTextLabel;
    QLineEdit* searchTextEdit;
    QPushButton* searchButton;
    QGroupBox* optionGroup;
    QCheckBox* scheduleCheck;
    QCheckBox* diaryCheck;
    QCheckBox* anniversaryCheck;
    QLabel* searchListLabel;
    QListWidget* searchList;
    QPushButton* okButton;
    QPushButton* cancelButton;

    // Lists the lines in the list's order and empties lines.
    void ShowLines(QStringList& lines);
    void SearchFailed(Connection& db);
    const Program& m_program;
};
