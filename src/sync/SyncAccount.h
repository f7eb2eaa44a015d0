// The calendar server a user syncs with and how: kept in a file of its own beside the program's
// settings (Sync.ini), so that the settings file keeps exactly the keys it always had. The
// password is never here: it lives in the desktop's secret store (SyncPassword).
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

struct SyncAccount {
    QString url; // the collection, or a server or account address it is found from
    QString user;
    bool schedules = true;
    bool anniversaries = true;
    bool diaries = false; // private: synced only when asked for
    bool onStart = true;
    bool afterSave = true;
    int everyMinutes = 15; // 0: no periodic sync

    bool configured() const { return !url.trimmed().isEmpty(); }
    bool operator==(const SyncAccount&) const = default;
};

// The end of the last sync, as the set-up window and the status bar show it.
struct SyncOutcome {
    QDateTime finished; // invalid: never synced
    bool ok = false;
    QString summary; // one line
};

// The account, the last outcome and the sync log, in the settings folder given (the folder of
// the program's settings file).
class SyncSettings {
public:
    explicit SyncSettings(const QString& folder);

    SyncAccount account() const;
    // False when the file could not be written.
    bool setAccount(const SyncAccount& account);

    SyncOutcome lastOutcome() const;
    bool setLastOutcome(const SyncOutcome& outcome);

    // The log, oldest line first; appending keeps the last kMaxLogLines lines.
    static constexpr int kMaxLogLines = 1000;
    QStringList log() const;
    bool appendLog(const QStringList& lines);

    QString filePath() const { return m_file; }
    QString logPath() const { return m_log; }

private:
    QString m_file;
    QString m_log;
};
