// The backup dialog: copies the database file to a file the user names.
#pragma once

#include "core/DatabaseFiles.h"

#include <QDate>
#include <QDialog>

#include <functional>

class Program;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Vaskel" + day as YYYYMMDD + ".dat" in folder, or with "_1", "_2", ... before ".dat": the
// first name that is not taken.
QString DefaultBackupPath(const QString& folder, const QDate& day);

// Copies the program's database to target with the engine's online backup, which sees every
// committed page (also those in another tool's write-ahead log) while a read transaction keeps
// writers out. The copy is written to a new temporary file beside target that takes target's name
// only when complete, and gets the database's own permissions (never wider; the owner can always
// write it). Refuses the database itself and its side files. whileLocked runs when the copy is
// complete, while the file is still held (tests). False on any failure, with target untouched.
bool CopyDatabase(const Program& program, const QString& target,
                  const std::function<void()>& whileLocked = {});

class BackupDialog : public QDialog {
    Q_OBJECT
public:
    explicit BackupDialog(const Program& program, QWidget* owner = nullptr);

public slots:
    void chooseTarget();
    void backUp();

private:
    QLabel* infoLabel = nullptr;
    QGroupBox* targetGroup = nullptr;
    QLineEdit* pathEdit = nullptr;
    QPushButton* browseButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    const Program& m_program;
};

// Opens the dialog owned by the main window (modal from its menu); the one owner has on the
// screen is brought to the front instead.
void OpenBackupDialog(const Program& program, QWidget* owner, bool modal);
