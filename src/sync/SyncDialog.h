// The calendar sync's set-up window: the server and account, the calendar on it (found from
// the server's address, or made new), what is synced and when, "今すぐ同期", the last sync's
// time and outcome and the sync log. The sync itself runs elsewhere; the window asks for it
// (syncNowRequested) and shows what it reports (showOutcome, appendLog).
#pragma once

#include "sync/SyncAccount.h"

#include <QDialog>
#include <QUrl>

#include <functional>

class CalDavClient;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class SyncPassword;
struct DavDiscovery;

class SyncDialog : public QDialog {
    Q_OBJECT
public:
    SyncDialog(SyncSettings& settings, SyncPassword& password, QWidget* owner = nullptr);
    ~SyncDialog() override;

    // What the window shows of a sync: its running state, its end, its log lines.
    void setSyncRunning(bool running);
    void showOutcome(const SyncOutcome& outcome);
    void appendLog(const QStringList& lines);

signals:
    // The account was saved (OK or "今すぐ同期"): a sync may start with it.
    void accountSaved(const SyncAccount& account, const QString& password);
    void syncNowRequested();

public slots:
    void findCalendars();
    void createCalendar();
    void saveAndClose();
    void saveAndSync();

private:
    void makeControls();
    void layOutControls();
    SyncAccount accountOfControls() const;
    // The first input that stops saving gets its warning and the focus; false then.
    bool checkInput();
    void showCalendars(const DavDiscovery& found);
    // Writes the account and the password (asynchronously, to the secret store), then then().
    void save(std::function<void()> then);
    void setBusy(bool busy);
    CalDavClient& client();

    QLineEdit* serverEdit = nullptr;
    QLineEdit* userEdit = nullptr;
    QLineEdit* passwordEdit = nullptr;
    QPushButton* findButton = nullptr;
    QComboBox* calendarCombo = nullptr;
    QPushButton* createButton = nullptr;
    QCheckBox* scheduleCheck = nullptr;
    QCheckBox* anniversaryCheck = nullptr;
    QCheckBox* diaryCheck = nullptr;
    QCheckBox* onStartCheck = nullptr;
    QCheckBox* afterSaveCheck = nullptr;
    QCheckBox* everyCheck = nullptr;
    QSpinBox* minutesBox = nullptr;
    QPushButton* syncNowButton = nullptr;
    QLabel* lastSyncLabel = nullptr;
    QListWidget* logList = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    SyncSettings& m_settings;
    SyncPassword& m_password;
    CalDavClient* m_client = nullptr;
    QUrl m_home; // where a new calendar goes, once the server's calendars were found
    bool m_running = false;
};
