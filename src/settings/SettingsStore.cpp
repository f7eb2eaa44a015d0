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

QString KeyPath(SettingKey k) {
    return QString::fromLatin1(kSettingsSection) + QLatin1Char('/') +
           QString::fromLatin1(SettingName(k));
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

// The file as last read or written: its bytes, where our section stands in them, and our
// section's keys as they are now (changed by every write). Only our section is decoded, and
// the file is read again only when it has changed since, so that a start reads it once and an
// exit writes it once, whatever else it holds.
struct SettingsCache {
    bool valid = false;
    FileStamp stamp;
    QByteArray text;
    IniSection layout; // of text; worked out again only when a write needs it
    bool layoutValid = false;
    QSettings::SettingsMap map;
    SettingsFileStats stats;
};

SettingsStore::SettingsStore(const QString& folder) : m_cache(std::make_unique<SettingsCache>()) {
    const QString base =
        folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                         : folder;
    const QString app = QString::fromLatin1(kSettingsApp);
    m_file = base + QLatin1Char('/') + app + QLatin1Char('/') + app + QStringLiteral(".ini");
}

SettingsStore::~SettingsStore() = default;

const QSettings::SettingsMap& SettingsStore::keys() {
    SettingsCache& c = *m_cache;
    const QByteArray path = QFile::encodeName(m_file);
    FileStamp now;
    const FileKind kind = Inspect(path, now);
    if (c.valid && now == c.stamp)
        return c.map;
    c.text.clear();
    c.stamp = now;
    c.valid = true;
    if (kind == FileKind::Regular && ReadRegularFile(path, c.text, c.stamp))
        ++c.stats.reads;
    c.layout = ReadIniSection(c.text, QString::fromLatin1(kSettingsSection));
    c.layoutValid = true;
    c.map = c.layout.keys;
    return c.map;
}

// Writes the changed keys, our section anew and every other byte of the file as it was, in
// one write: to a temporary file that replaces the old one only when complete.
void SettingsStore::writeKeys(const std::vector<std::pair<SettingKey, QString>>& changes) {
    keys();
    SettingsCache& c = *m_cache;
    for (const auto& [k, text] : changes)
        c.map.insert(KeyPath(k), text);
    const QString& file = m_file;
    const QByteArray path = QFile::encodeName(file);
    FileStamp stamp;
    if (Inspect(path, stamp) != FileKind::Other) {
        if (!c.layoutValid) {
            c.layout = ReadIniSection(c.text, QString::fromLatin1(kSettingsSection));
            c.layoutValid = true;
        }
        QByteArray text = ReplaceIniSection(c.text, c.layout, c.map);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QSaveFile out(file);
        if (out.open(QIODevice::WriteOnly)) {
            out.write(text);
            if (out.commit()) {
                ++c.stats.writes;
                c.text = std::move(text);
                c.layoutValid = false;
            }
        }
        Inspect(path, c.stamp);
    }
    if (m_writeHook) {
        for (const auto& [k, text] : changes)
            m_writeHook(k, text);
    }
}

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

QString SettingsStore::readText(SettingKey k) {
    const QSettings::SettingsMap& map = keys();
    const auto it = map.constFind(KeyPath(k));
    return it != map.cend() ? it->toString() : DefaultText(k);
}

void SettingsStore::writeText(SettingKey k, const QString& text) {
    writeKeys({{k, text}});
}

void SettingsStore::setWriteHook(SettingWriteHook hook) {
    m_writeHook = std::move(hook);
}

void SettingsStore::readStartup(Options& o) {
    DecodeStartupSettings(o, [this](SettingKey k) { return readText(k); });
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

void SettingsStore::writeOption(const Options& o, SettingKey k) {
    writeOptions(o, {k});
}

void SettingsStore::writeOptions(const Options& o, const std::vector<SettingKey>& keys) {
    std::vector<std::pair<SettingKey, QString>> changes;
    for (SettingKey k : keys) {
        if (k != SettingKey::Count)
            changes.emplace_back(k, OptionText(o, k));
    }
    if (!changes.empty())
        writeKeys(changes);
}

void SettingsStore::saveWindowSettings(Options& o, WindowShow state, const QRect& g) {
    if (!o.saveWindow)
        return;
    o.windowShow = state;
    if (state != WindowShow::Normal) {
        writeOption(o, SettingKey::WindowState);
        return;
    }
    o.windowLeft = g.x();
    o.windowTop = g.y();
    o.windowWidth = g.width();
    o.windowHeight = g.height();
    writeOptions(o, {SettingKey::WindowState, SettingKey::WindowLeft, SettingKey::WindowTop,
                     SettingKey::WindowWidth, SettingKey::WindowHeight});
}

SettingsFileStats SettingsStore::fileCounts() const {
    return m_cache->stats;
}
