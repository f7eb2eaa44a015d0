// The about box: title, version and descriptions, and the desktop's system-information tool.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

// "ver." + major + "." + minor as two digits: ver.1.06.
QString VersionText(int major, int minor);

// The desktop's system-information program found on the PATH, or empty.
QString FindSysInfoTool();
// Starts a program detached, without waiting; false when it cannot be started. Replaceable so
// that tests start nothing; an empty function restores the real start.
using ProgramStarter = std::function<bool(const QString& program)>;
void SetProgramStarter(ProgramStarter starter);

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* owner = nullptr);

public slots:
    // Starts the system-information tool, or says that there is none.
    void startSystemInfo();
    void showIconMessage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* iconPicture = nullptr;
    QLabel* titleLabel = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* commentsLabel = nullptr;
    QLabel* descriptionLabel = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* systemInfoButton = nullptr;
};

// Opens the box owned by the main window: modal from its menu, modeless from the tray menu. The
// box owner has on the screen is brought to the front instead.
void OpenAboutDialog(QWidget* owner, bool modal);
