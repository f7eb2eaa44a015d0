// The iCalendar import window: the file and the range repeating events are expanded over;
// it shows what the import will do and writes it only after the user agrees.
#pragma once

#include <QDialog>

class Program;
class QDateEdit;
class QLineEdit;
class QPushButton;

class ImportDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportDialog(const Program& program, QWidget* owner = nullptr);

public slots:
    void chooseFile();
    void importFile();

private:
    void makeControls();
    void layOutControls();
    // The first input that stops the import gets its warning and the focus; false then.
    bool checkInput();

    QLineEdit* pathEdit = nullptr;
    QPushButton* browseButton = nullptr;
    QDateEdit* fromDateEdit = nullptr;
    QDateEdit* toDateEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    const Program& m_program;
};

// Opens the window owned by the main window; returns when it has closed if modal.
void OpenImportDialog(const Program& program, QWidget* owner, bool modal);
