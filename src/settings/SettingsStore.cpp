#include "SettingsStore.h"
#include "SettingsFile.h"

#include <QSettings>
#include <QStandardPaths>

#include <limits>
#include <type_traits>

Options G_opt;

namespace {

SettingWriteHook g_writeHook;
QString g_folder; // empty: the per-user default
QString g_file;   // worked out from it on first use, since every read and write opens the store

QSettings Store() {
    return QSettings(SettingsFilePath(), TextIniFormat());
}

QString Encode(bool v) {
    return EncodeBool(v);
}
QString Encode(const QString& v) {
    return v;
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

bool IsWindowKey(SettingKey k) {
    return k == SettingKey::WindowState || k == SettingKey::WindowLeft ||
           k == SettingKey::WindowTop || k == SettingKey::WindowWidth ||
           k == SettingKey::WindowHeight;
}

QString DefaultText(SettingKey k) {
    switch (k) {
#define VASKEL_DEF(name, type, def)                                                                \
    case SettingKey::name:                                                                         \
        return Encode(type(def));
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
#define VASKEL_NAME(name, type, def)                                                               \
    case SettingKey::name:                                                                         \
        return #name;
        VASKEL_SETTINGS(VASKEL_NAME)
#undef VASKEL_NAME
    default:
        return "";
    }
}

QString ReadSettingText(SettingKey k) {
    QSettings s = Store();
    s.beginGroup(QString::fromLatin1(kSettingsSection));
    const QVariant v = s.value(QString::fromLatin1(SettingName(k)));
    return v.isValid() ? v.toString() : DefaultText(k);
}

void WriteSettingText(SettingKey k, const QString& text) {
    QSettings s = Store();
    s.beginGroup(QString::fromLatin1(kSettingsSection));
    s.setValue(QString::fromLatin1(SettingName(k)), text);
    s.sync();
    if (g_writeHook)
        g_writeHook(k, text);
}

void SetSettingWriteHook(SettingWriteHook hook) {
    g_writeHook = std::move(hook);
}

void ReadStartupSettings(Options& o) {
    DecodeStartupSettings(o, ReadSettingText);
}

void DecodeStartupSettings(Options& o, const std::function<QString(SettingKey)>& storedText) {
    const Options defaults;
    const bool windowSave = Decode(storedText(SettingKey::WindowSave), defaults.WindowSave) == 1;
#define VASKEL_READ(name, type, def)                                                               \
    if (windowSave || !IsWindowKey(SettingKey::name))                                              \
        o.name = Decode(storedText(SettingKey::name), defaults.name);
    VASKEL_SETTINGS(VASKEL_READ)
#undef VASKEL_READ
}

QString OptionText(const Options& o, SettingKey k) {
    switch (k) {
#define VASKEL_TEXT(name, type, def)                                                               \
    case SettingKey::name:                                                                         \
        return Encode(o.name);
        VASKEL_SETTINGS(VASKEL_TEXT)
#undef VASKEL_TEXT
    default:
        return QString();
    }
}

void WriteOption(const Options& o, SettingKey k) {
    if (k != SettingKey::Count)
        WriteSettingText(k, OptionText(o, k));
}

void SaveWindowSettings(Options& o, int state, const QRect& g) {
    if (o.WindowSave != 1)
        return;
    o.WindowState = qint16(state);
    WriteOption(o, SettingKey::WindowState);
    if (state == 1 || state == 2)
        return;
    o.WindowLeft = g.x();
    o.WindowTop = g.y();
    o.WindowWidth = g.width();
    o.WindowHeight = g.height();
    WriteOption(o, SettingKey::WindowLeft);
    WriteOption(o, SettingKey::WindowTop);
    WriteOption(o, SettingKey::WindowWidth);
    WriteOption(o, SettingKey::WindowHeight);
}

void SetSettingsFolder(const QString& dir) {
    g_folder = dir;
    g_file.clear();
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
