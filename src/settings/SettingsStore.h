// The per-user settings store: every key with its type and default, declared once here.
#pragma once

#include "core/Colors.h"
#include "core/Twips.h"

#include <QColor>
#include <QRect>
#include <QSettings>
#include <QString>

#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

// How the window opens: as it was left, minimised or maximised.
enum class WindowShow { Normal, Minimized, Maximized };
// What the tray icon's tooltip says: the program's name, today's date, or the user's text.
enum class TrayTip { Title, Date, Text };

// A window position or size as the file holds it: in twips (15 to a pixel).
enum class Twips : qint32 {};

// The conversions between a stored value and the program's value of a key.
template <class T, class S> T OptionFromStored(S stored) {
    if constexpr (std::is_same_v<T, bool> && !std::is_same_v<S, bool>)
        return stored == 1; // a switch stored as a number is on only at 1
    else if constexpr (std::is_same_v<T, WindowShow>)
        return stored == 1   ? WindowShow::Minimized
               : stored == 2 ? WindowShow::Maximized
                             : WindowShow::Normal;
    else if constexpr (std::is_same_v<T, TrayTip>)
        return stored == 1 ? TrayTip::Date : stored == 9 ? TrayTip::Text : TrayTip::Title;
    else if constexpr (std::is_same_v<T, QColor>)
        return ColorFromBgr(quint32(stored));
    else if constexpr (std::is_same_v<S, Twips>)
        return TwipsToPixels(qint32(stored));
    else
        return T(stored);
}
template <class S, class T> S OptionToStored(const T& value) {
    if constexpr (std::is_same_v<T, bool> && !std::is_same_v<S, bool>)
        return S(value ? 1 : 0);
    else if constexpr (std::is_same_v<T, WindowShow>)
        return S(value == WindowShow::Minimized ? 1 : value == WindowShow::Maximized ? 2 : 0);
    else if constexpr (std::is_same_v<T, TrayTip>)
        return S(value == TrayTip::Date ? 1 : value == TrayTip::Text ? 9 : 0);
    else if constexpr (std::is_same_v<T, QColor>)
        return S(BgrFromColor(value));
    else if constexpr (std::is_same_v<S, Twips>)
        return Twips(PixelsToTwips(value));
    else
        return S(value);
}

// Stored key, in-memory field, its type, the type the file holds, default (in the file's type).
// The order is the order of reading at start.
#define VASKEL_SETTINGS(X)                                                                         \
    X(WindowSave, saveWindow, bool, qint16, 0)                                                     \
    X(StartUp, showTodayAtStart, bool, qint16, 1)                                                  \
    X(WindowState, windowShow, WindowShow, qint16, 0)                                              \
    X(WindowLeft, windowLeft, int, Twips, 0)                                                       \
    X(WindowTop, windowTop, int, Twips, 0)                                                         \
    X(WindowWidth, windowWidth, int, Twips, 7000)                                                  \
    X(WindowHeight, windowHeight, int, Twips, 10000)                                               \
    X(Stationed, resident, bool, bool, true)                                                       \
    X(TaskTray, startInTray, bool, qint16, 0)                                                      \
    X(TrayHint, trayTip, TrayTip, qint16, 0)                                                       \
    X(TrayHintText, trayTipText, QString, QString, QString())                                      \
    X(TodayColor, todayColor, QColor, quint32, 0x88FFFF)                                           \
    X(SelectColor, selectColor, QColor, quint32, 0xC0FFC0)                                         \
    X(DiaryColor, diaryColor, QColor, quint32, 0xC0E0FF)                                           \
    X(BackColor, backColor, QColor, quint32, 0xFFFFFF)                                             \
    X(BackPic, backPicture, bool, bool, false)                                                     \
    X(BackPicPath, backPicturePath, QString, QString, QString())                                   \
    X(YearFormat, yearFormat, int, qint16, 0)                                                      \
    X(MonthFormat, monthFormat, int, qint16, 0)                                                    \
    X(WeekFormat, weekFormat, int, qint16, 0)

enum class SettingKey {
#define VASKEL_ENUM(key, field, type, stored, def) key,
    VASKEL_SETTINGS(VASKEL_ENUM)
#undef VASKEL_ENUM
        Count
};

// The stored texts, converted to what the program works with: switches, choices, colours and
// the window's frame (pixels) are typed here and meet their stored encodings only inside the
// store.
struct Options {
#define VASKEL_FIELD(key, field, type, stored, def)                                                \
    type field = OptionFromStored<type>(stored(def));
    VASKEL_SETTINGS(VASKEL_FIELD)
#undef VASKEL_FIELD
    // The main window's outer frame as it was left.
    QRect windowFrame() const {
        return QRect(windowLeft, windowTop, windowWidth, windowHeight);
    }
};

inline constexpr const char* kSettingsApp = "Vaskel";
inline constexpr const char* kSettingsSection = "Calender";

const char* SettingName(SettingKey k);

// The same read as SettingsStore::readStartup over any source of stored texts: storedText gives
// a key's text, or its default as text when the key is missing.
void DecodeStartupSettings(Options& o, const std::function<QString(SettingKey)>& storedText);
// The text SettingsStore::writeOption stores for a key.
QString OptionText(const Options& o, SettingKey k);

QString EncodeBool(bool v);

// Called after every write with the key and the text written, so that the order of the writes
// can be followed (tests); an empty function removes it.
using SettingWriteHook = std::function<void(SettingKey, const QString&)>;

// How often the file has been parsed and written since the store was made (tests).
struct SettingsFileStats {
    int reads = 0;
    int writes = 0;
};

struct SettingsCache;

// The settings file and what is known of it. The file is read only when it has changed since it
// was last read or written, and only when it is a regular file: anything else reads as an empty
// store and is never written.
class SettingsStore {
public:
    // folder: where the store's folder is (empty: the per-user configuration folder).
    explicit SettingsStore(const QString& folder = QString());
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    QString filePath() const { return m_file; }

    // The stored text of a key, or its default as text when the key is missing.
    QString readText(SettingKey k);
    void writeText(SettingKey k, const QString& text);

    // Reads every key in the start-up order into o. The window state and geometry keys are
    // read only when "WindowSave" is 1. Values that do not convert to their type keep their
    // default.
    void readStartup(Options& o);
    // Writes the current in-memory value of one key; of several keys, in one write of the file.
    void writeOption(const Options& o, SettingKey k);
    void writeOptions(const Options& o, const std::vector<SettingKey>& keys);
    // At the real end of the program: the window state, and the outer frame (pixels) only for
    // a window that is neither minimised nor maximised. Does nothing unless the window is saved.
    void saveWindowSettings(Options& o, WindowShow state, const QRect& frame);

    void setWriteHook(SettingWriteHook hook);
    SettingsFileStats fileCounts() const;

private:
    // The keys as the file holds them now.
    const QSettings::SettingsMap& keys();
    // Writes the changed keys, our section anew and every other byte of the file as it was.
    void writeKeys(const std::vector<std::pair<SettingKey, QString>>& changes);

    QString m_file;
    SettingWriteHook m_writeHook;
    std::unique_ptr<SettingsCache> m_cache;
};
