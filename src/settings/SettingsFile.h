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

// The format to give QSettings; registered on first use.
QSettings::Format TextIniFormat();

QSettings::SettingsMap ReadIniText(QByteArrayView data);
QByteArray WriteIniText(const QSettings::SettingsMap& map);

// One value. IniUnescapeValue sets *object (when given) for a value that stands for a
// serialized object ("@Type(...)"); its text is then meaningless.
QByteArray IniEscapeValue(const QString& text);
QString IniUnescapeValue(QByteArrayView raw, bool* object = nullptr);

// One key or section name; '/' is written as '\'.
QByteArray IniEscapeKey(QStringView key);
QString IniUnescapeKey(QByteArrayView raw);
