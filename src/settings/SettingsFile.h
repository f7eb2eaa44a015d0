// The settings file: the INI layout Qt writes (sections, %-escaped keys, quoted and
// backslash-escaped values, UTF-8), holding texts only.
//
// Qt's own INI reader turns a value such as "@Variant(...)" into a deserialized object before
// the program sees any text, and a damaged or hand-edited file can make that abort the program.
// The program stores nothing but texts, so this reader leaves such values out (the key reads as
// missing) and never deserializes anything. Files written by either side read the same on the
// other.
#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>

#include <utility>
#include <vector>

// The format to give QSettings; registered on first use.
QSettings::Format TextIniFormat();

QSettings::SettingsMap ReadIniText(QByteArrayView data);
QByteArray WriteIniText(const QSettings::SettingsMap& map);

// One section of a text, read without decoding the rest: its keys ("name/key"), the byte spans
// of its every occurrence (a header and its lines, up to the next header), and where another
// section could go in.
struct IniSection {
    QSettings::SettingsMap keys;
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    qsizetype firstHeader = -1; // where the text's first section begins, -1 for none
    bool topLevelKeys = false;  // keys stand before any section
    bool openTail = false;      // the last line is unfinished: anything appended would join it
};
IniSection ReadIniSection(QByteArrayView data, const QString& name);
// The text with the section's keys written anew (keys: "name/key" entries only) where it
// first stood, its other occurrences removed and every other byte as it was; a section the
// text lacks is added at its end (or, after an unfinished last line, before its first
// section). section is what ReadIniSection found in data.
QByteArray ReplaceIniSection(QByteArrayView data, const IniSection& section,
                             const QSettings::SettingsMap& keys);

// One value. IniUnescapeValue sets *object (when given) for a value that stands for a
// serialized object ("@Type(...)"); its text is then meaningless.
QByteArray IniEscapeValue(const QString& text);
QString IniUnescapeValue(QByteArrayView raw, bool* object = nullptr);

// One key or section name; '/' is written as '\'.
QByteArray IniEscapeKey(QStringView key);
QString IniUnescapeKey(QByteArrayView raw);
