#include "settings/SettingsStore.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <limits>
#include <type_traits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

SettingWriteHook g_writeHook;
QString g_folder; // empty: the per-user default
QString g_file;   // worked out from it on first use

// What identifies one version of the file: another program's write changes at least one.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const FileStamp& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

// The file as last read or written: its bytes, where our section stands in them, and our
// section's keys as they are now (changed by every write). Only our section is decoded, and
// the file is read again only when it has changed since, so that a start reads it once and an
// exit writes it once, whatever else it holds.
struct StoreCache {
    bool valid = false;
    FileStamp stamp;
    QByteArray text;
    IniSection layout; // of text; worked out again only when a write needs it
    bool layoutValid = false;
    QSettings::SettingsMap map;
    SettingsFileStats stats;
};
StoreCache g_cache;

// Only a regular file is ever read or written: anything else (a FIFO would block the start
// for good, a device never ends) reads as an empty store and is left alone.
enum class FileKind { Missing, Regular, Other };

FileKind KindOf(const struct stat& st) {
    return S_ISREG(st.st_mode) ? FileKind::Regular : FileKind::Other;
}

FileKind Inspect(const QByteArray& path, FileStamp& stamp) {
    struct stat st {};
    stamp = FileStamp();
    if (::stat(path.constData(), &st) != 0)
        return FileKind::Missing;
    if (KindOf(st) != FileKind::Regular)
        return FileKind::Other;
    stamp = {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    return FileKind::Regular;
}

// Reads the whole file when it is a regular one; opened without blocking, so that a file
// swapped for a FIFO after the check cannot hang the read either.
bool ReadRegularFile(const QByteArray& path, QByteArray& data, FileStamp& stamp) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || KindOf(st) != FileKind::Regular) {
        ::close(fd);
        return false;
    }
    stamp = {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    data = f.readAll();
    return true;
}

// The store as the file holds it now.
const QSettings::SettingsMap& Store() {
    const QByteArray path = QFile::encodeName(SettingsFilePath());
    FileStamp now;
    const FileKind kind = Inspect(path, now);
    if (g_cache.valid && now == g_cache.stamp)
        return g_cache.map;
    g_cache.text.clear();
    g_cache.stamp = now;
    g_cache.valid = true;
    if (kind == FileKind::Regular && ReadRegularFile(path, g_cache.text, g_cache.stamp))
        ++g_cache.stats.reads;
    g_cache.layout = ReadIniSection(g_cache.text, QString::fromLatin1(kSettingsSection));
    g_cache.layoutValid = true;
    g_cache.map = g_cache.layout.keys;
    return g_cache.map;
}

QString KeyPath(SettingKey k) {
    return QString::fromLatin1(kSettingsSection) + QLatin1Char('/') +
           QString::fromLatin1(SettingName(k));
}

// Writes the changed keys, our section anew and every other byte of the file as it was, in
// one write: to a temporary file that replaces the old one only when complete.
void WriteKeys(const std::vector<std::pair<SettingKey, QString>>& changes) {
    Store();
    for (const auto& [k, text] : changes)
        g_cache.map.insert(KeyPath(k), text);
    const QString file = SettingsFilePath();
    const QByteArray path = QFile::encodeName(file);
    FileStamp stamp;
    if (Inspect(path, stamp) != FileKind::Other) {
        if (!g_cache.layoutValid) {
            g_cache.layout = ReadIniSection(g_cache.text, QString::fromLatin1(kSettingsSection));
            g_cache.layoutValid = true;
        }
        QByteArray text = ReplaceIniSection(g_cache.text, g_cache.layout, g_cache.map);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QSaveFile out(file);
        if (out.open(QIODevice::WriteOnly)) {
            out.write(text);
            if (out.commit()) {
                ++g_cache.stats.writes;
                g_cache.text = std::move(text);
                g_cache.layoutValid = false;
            }
        }
        Inspect(path, g_cache.stamp);
    }
    if (g_writeHook) {
        for (const auto& [k, text] : changes)
            g_writeHook(k, text);
    }
}

QString Encode(bool v) {
    return EncodeBool(v);
}
QString Encode(const QString& v) {
    return v;
}
QString Encode(Twips v) {
    return QString::number(qint32(v));
}
template <class T> QString Encode(T v) {
    return QString::number(v);
}

bool Decode(const QString& text, bool def) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const int n = t.toInt(&ok);
    return ok ? n != 0 : def;
}
QString Decode(const QString& text, const QString&) {
    return text;
}
template <class T> T Decode(const QString& text, T def) {
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok || n < qint64(std::numeric_limits<T>::min()) ||
        n > qint64(std::numeric_limits<T>::max()))
        return def;
    return T(n);
}
Twips Decode(const QString& text, Twips def) {
    return Twips(Decode(text, qint32(def)));
}

bool IsWindowKey(SettingKey k) {
    return k == SettingKey::WindowState || k == SettingKey::WindowLeft ||
           k == SettingKey::WindowTop || k == SettingKey::WindowWidth ||
           k == SettingKey::WindowHeight;
}

QString DefaultText(SettingKey k) {
    switch (k) {
#define VASKEL_DEF(key, field, type, stored, def)                                                  \
    case SettingKey::key:                                                                          \
        return Encode(stored(def));
        VASKEL_SETTINGS(VASKEL_DEF)
#undef VASKEL_DEF
    default:
        return QString();
    }
}

} // namespace

QString EncodeBool(bool v) {
    return v ? QStringLiteral("True") : QStringLiteral("False");
}

const char* SettingName(SettingKey k) {
    switch (k) {
#define VASKEL_NAME(key, field, type, stored, def)                                                 \
    case SettingKey::key:                                                                          \
        return #key;
        VASKEL_SETTINGS(VASKEL_NAME)
#undef VASKEL_NAME
    default:
        return "";
    }
}

QString ReadSettingText(SettingKey k) {
    const QSettings::SettingsMap& map = Store();
    const auto it = map.constFind(KeyPath(k));
    return it != map.cend() ? it->toString() : DefaultText(k);
}

void WriteSettingText(SettingKey k, const QString& text) {
    WriteKeys({{k, text}});
}

void SetSettingWriteHook(SettingWriteHook hook) {
    g_writeHook = std::move(hook);
}

void ReadStartupSettings(Options& o) {
    DecodeStartupSettings(o, ReadSettingText);
}

void DecodeStartupSettings(Options& o, const std::function<QString(SettingKey)>& storedText) {
    const bool windowSave = Decode(storedText(SettingKey::WindowSave),
                                   OptionToStored<qint16>(Options().saveWindow)) == 1;
#define VASKEL_READ(key, field, type, stored, def)                                                 \
    if (windowSave || !IsWindowKey(SettingKey::key))                                               \
        o.field = OptionFromStored<type>(Decode(storedText(SettingKey::key), stored(def)));
    VASKEL_SETTINGS(VASKEL_READ)
#undef VASKEL_READ
}

QString OptionText(const Options& o, SettingKey k) {
    switch (k) {
#define VASKEL_TEXT(key, field, type, stored, def)                                                 \
    case SettingKey::key:                                                                          \
        return Encode(OptionToStored<stored>(o.field));
        VASKEL_SETTINGS(VASKEL_TEXT)
#undef VASKEL_TEXT
    default:
        return QString();
    }
}

void WriteOption(const Options& o, SettingKey k) {
    WriteOptions(o, {k});
}

void WriteOptions(const Options& o, const std::vector<SettingKey>& keys) {
    std::vector<std::pair<SettingKey, QString>> changes;
    for (SettingKey k : keys) {
        if (k != SettingKey::Count)
            changes.emplace_back(k, OptionText(o, k));
    }
    if (!changes.empty())
        WriteKeys(changes);
}

void SaveWindowSettings(Options& o, WindowShow state, const QRect& g) {
    if (!o.saveWindow)
        return;
    o.windowShow = state;
    if (state != WindowShow::Normal) {
        WriteOption(o, SettingKey::WindowState);
        return;
    }
    o.windowLeft = g.x();
    o.windowTop = g.y();
    o.windowWidth = g.width();
    o.windowHeight = g.height();
    WriteOptions(o, {SettingKey::WindowState, SettingKey::WindowLeft, SettingKey::WindowTop,
                     SettingKey::WindowWidth, SettingKey::WindowHeight});
}

void SetSettingsFolder(const QString& dir) {
    g_folder = dir;
    g_file.clear();
    g_cache = StoreCache();
}

SettingsFileStats SettingsFileCounts() {
    return g_cache.stats;
}

QString SettingsFilePath() {
    if (g_file.isEmpty()) {
        const QString folder =
            g_folder.isEmpty()
                ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                : g_folder;
        const QString app = QString::fromLatin1(kSettingsApp);
        g_file = folder + QLatin1Char('/') + app + QLatin1Char('/') + app + QStringLiteral(".ini");
    }
    return g_file;
}
