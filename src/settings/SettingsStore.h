// The per-user settings store: every key with its type and default, declared once here.
#pragma once

#include <QRect>
#include <QString>

#include <functional>
#include <vector>

// name, type of the in-memory value, default. The order is the order of reading at start.
#define VASKEL_SETTINGS(X)                                                                         \
    X(WindowSave, qint16, 0)                                                                       \
    X(StartUp, qint16, 1)                                                                          \
    X(WindowState, qint16, 0)                                                                      \
    X(WindowLeft, qint32, 0)                                                                       \
    X(WindowTop, qint32, 0)                                                                        \
    X(WindowWidth, qint32, 7000)                                                                   \
    X(WindowHeight, qint32, 10000)                                                                 \
    X(Stationed, bool, true)                                                                       \
    X(TaskTray, qint16, 0)                                                                         \
    X(TrayHint, qint16, 0)                                                                         \
    X(TrayHintText, QString, QString())                                                            \
    X(TodayColor, quint32, 0x88FFFF)                                                               \
    X(SelectColor, quint32, 0xC0FFC0)                                                              \
    X(DiaryColor, quint32, 0xC0E0FF)                                                               \
    X(BackColor, quint32, 0xFFFFFF)                                                                \
    X(BackPic, bool, false)                                                                        \
    X(BackPicPath, QString, QString())                                                             \
    X(YearFormat, qint16, 0)                                                                       \
    X(MonthFormat, qint16, 0)                                                                      \
    X(WeekFormat, qint16, 0)

enum class SettingKey {
#define VASKEL_ENUM(name, type, def) name,
    VASKEL_SETTINGS(VASKEL_ENUM)
#undef VASKEL_ENUM
        Count
};

// The values read at start; the program works only with these afterwards.
struct Options {
#define VASKEL_FIELD(name, type, def) type name = def;
    VASKEL_SETTINGS(VASKEL_FIELD)
#undef VASKEL_FIELD
};

inline constexpr const char* kSettingsApp = "Vaskel";
inline constexpr const char* kSettingsSection = "Calender";

const char* SettingName(SettingKey k);

// The stored text of a key, or its default as text when the key is missing.
QString ReadSettingText(SettingKey k);
void WriteSettingText(SettingKey k, const QString& text);

// Reads every key in the start-up order into o. The window state and geometry keys are read
// only when "WindowSave" is 1. Values that do not convert to their type keep their default.
void ReadStartupSettings(Options& o);
// The same read over any source of stored texts: storedText gives a key's text, or its
// default as text when the key is missing.
void DecodeStartupSettings(Options& o, const std::function<QString(SettingKey)>& storedText);
// The text WriteOption stores for a key.
QString OptionText(const Options& o, SettingKey k);
// Writes the current in-memory value of one key; of several keys, in one write of the file.
void WriteOption(const Options& o, SettingKey k);
void WriteOptions(const Options& o, const std::vector<SettingKey>& keys);
// At the real end of the program: the window state, and the geometry (twips) only for a
// window that is neither minimised (1) nor maximised (2). Does nothing unless "WindowSave" is 1.
void SaveWindowSettings(Options& o, int state, const QRect& geometryTwips);

QString EncodeBool(bool v);

// Called after every write with the key and the text written, so that the order of the writes
// can be followed (tests); an empty function removes it.
using SettingWriteHook = std::function<void(SettingKey, const QString&)>;
void SetSettingWriteHook(SettingWriteHook hook);

// Points the store at another folder (tests); an empty text restores the per-user default.
void SetSettingsFolder(const QString& dir);
QString SettingsFilePath();

// The file is read only when it has changed since it was last read or written, and only when
// it is a regular file: anything else reads as an empty store and is never written. How often
// it has been parsed and written since the store was pointed at its folder (tests).
struct SettingsFileStats {
    int reads = 0;
    int writes = 0;
};
SettingsFileStats SettingsFileCounts();
