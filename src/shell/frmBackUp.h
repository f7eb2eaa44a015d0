// The backup dialog: copies the database file to a file the user names.
#pragma once

#include <QDate>
#include <QDialog>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Vaskel" + day as YYYYMMDD + ".dat" in folder, or with "_1", "_2", ... before ".dat": the
// first name that is not taken.
QString DefaultBackupPath(const QString& folder, const QDate& day);

// True when both paths name one existing file (through links too).
bool SameFile(const QString& a, const QString& b);

// Copies the database file byte for byte to target. The copy is read while a read
// transaction holds the file, so no writer can change it midway, and it is written to a
// temporary file beside target that takes target's name only when complete. The copy is an
// ordinary writable file. Refuses to copy onto the database itself. whileLocked runs when the
// copy has been read, while the file is still held (tests). False on any failure, with
// target untouched.
bool CopyDatabase(const QString& database, const QString& target,
                  const std::function<void()>& whileLocked = {});

class frmBackUp : public QDialog {
    Q_OBJECT
public:
    explicit frmBackUp(QWidget* owner = nullptr);
    ~frmBackUp() override;

    // The one open backup dialog, or null.
    static frmBackUp* Instance();
    // Opens the dialog owned by the main window (modal from its menu); an open one is brought
    // to the front instead.
    static void Open(QWidget* owner, bool modal);
    static bool CloseOpen();

    QLabel* lblInfo = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* txtPath = nullptr;
    QPushButton* cmdFileSave = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

public slots:
    void cmdFileSave_Click();
    void OKButton_Click();
    void CancelButton_Click();
};
