// The iCalendar export window: what to write (schedules, diary, anniversaries, holidays of a
// range of years) and where; the file is written whole or not at all.
#pragma once

#include <QDialog>

class Program;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    explicit ExportDialog(const Program& program, QWidget* owner = nullptr);

public slots:
    void chooseFile();
    void exportFile();

private:
    void makeControls();
    void layOutControls();
    // The first input that stops the export gets its warning and the focus; false then.
    bool checkInput();

    QCheckBox* scheduleCheck = nullptr;
    QCheckBox* diaryCheck = nullptr;
    QCheckBox* anniversaryCheck = nullptr;
    QCheckBox* holidayCheck = nullptr;
    QSpinBox* fromYearBox = nullptr;
    QSpinBox* toYearBox = nullptr;
    QLineEdit* pathEdit = nullptr;
    QPushButton* browseButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    const Program& m_program;
};

// Opens the window owned by the main window (modal from its menu); the one owner has on the
// screen is brought to the front instead.
void OpenExportDialog(const Program& program, QWidget* owner, bool modal);
