#include "sync/SyncAccount.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>

namespace {

const QString kGroup = QStringLiteral("Sync");

} // namespace

SyncSettings::SyncSettings(const QString& folder)
    : m_file(QDir(folder).filePath(QStringLiteral("Sync.ini"))),
      m_log(QDir(folder).filePath(QStringLiteral("Sync.log"))) {}

SyncAccount SyncSettings::account() const {
    QSettings s(m_file, QSettings::IniFormat);
    s.beginGroup(kGroup);
    SyncAccount a;
    a.url = s.value(QStringLiteral("Url"), a.url).toString();
    a.user = s.value(QStringLiteral("User"), a.user).toString();
    a.schedules = s.value(QStringLiteral("Schedules"), a.schedules).toBool();
    a.anniversaries = s.value(QStringLiteral("Anniversaries"), a.anniversaries).toBool();
    a.diaries = s.value(QStringLiteral("Diaries"), a.diaries).toBool();
    a.onStart = s.value(QStringLiteral("OnStart"), a.onStart).toBool();
    a.afterSave = s.value(QStringLiteral("AfterSave"), a.afterSave).toBool();
    bool ok = false;
    const int minutes = s.value(QStringLiteral("EveryMinutes"), a.everyMinutes).toInt(&ok);
    if (ok && minutes >= 0 && minutes <= 24 * 60)
        a.everyMinutes = minutes;
    return a;
}

bool SyncSettings::setAccount(const SyncAccount& a) {
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    QSettings s(m_file, QSettings::IniFormat);
    s.beginGroup(kGroup);
    s.setValue(QStringLiteral("Url"), a.url.trimmed());
    s.setValue(QStringLiteral("User"), a.user);
    s.setValue(QStringLiteral("Schedules"), a.schedules);
    s.setValue(QStringLiteral("Anniversaries"), a.anniversaries);
    s.setValue(QStringLiteral("Diaries"), a.diaries);
    s.setValue(QStringLiteral("OnStart"), a.onStart);
    s.setValue(QStringLiteral("AfterSave"), a.afterSave);
    s.setValue(QStringLiteral("EveryMinutes"), a.everyMinutes);
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}

SyncOutcome SyncSettings::lastOutcome() const {
    QSettings s(m_file, QSettings::IniFormat);
    s.beginGroup(kGroup);
    SyncOutcome o;
    o.finished = QDateTime::fromString(s.value(QStringLiteral("LastSync")).toString(), Qt::ISODate);
    o.ok = s.value(QStringLiteral("LastSyncOk"), false).toBool();
    o.summary = s.value(QStringLiteral("LastSyncResult")).toString();
    return o;
}

bool SyncSettings::setLastOutcome(const SyncOutcome& o) {
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    QSettings s(m_file, QSettings::IniFormat);
    s.beginGroup(kGroup);
    s.setValue(QStringLiteral("LastSync"), o.finished.toString(Qt::ISODate));
    s.setValue(QStringLiteral("LastSyncOk"), o.ok);
    s.setValue(QStringLiteral("LastSyncResult"), o.summary);
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}

QStringList SyncSettings::log() const {
    QFile f(m_log);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // The file is kept short on every append; a longer one was made by hand and is cut here.
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() > kMaxLogLines)
        lines = lines.mid(lines.size() - kMaxLogLines);
    return lines;
}

bool SyncSettings::appendLog(const QStringList& lines) {
    if (lines.isEmpty())
        return true;
    QStringList all = log();
    for (const QString& line : lines) {
        // One entry, one line: a server's text may carry line breaks.
        QString flat = line;
        flat.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        all.append(flat);
    }
    if (all.size() > kMaxLogLines)
        all = all.mid(all.size() - kMaxLogLines);
    QDir().mkpath(QFileInfo(m_log).absolutePath());
    // Written whole under a temporary name: a crash leaves the old log, not half of one.
    QSaveFile f(m_log);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write((all.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return f.commit();
}
