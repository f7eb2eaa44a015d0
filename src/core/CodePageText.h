// Text in bytes of the Japanese code page (Shift_JIS), as the aligned lists count it, and the
// small text helpers.
#pragma once

#include <QString>
#include <QVariant>

// The value, or def when it is missing or null.
QVariant valueOr(const QVariant& value, const QVariant& def);

// Byte width of one character in the Japanese code page: 1 for ASCII and half-width
// katakana, 2 for every other character.
int cp932CharWidth(char32_t c);
qint32 cp932Length(const QVariant& value);
QString cp932Left(const QVariant& value, qint32 n);
QString cp932Right(const QVariant& value, qint32 n);
QString cp932Mid(const QVariant& value, qint32 start, qint32 count);
QString cp932Pad(const QVariant& value, quint8 alignment, qint32 width);
// Removes trailing blanks (ASCII spaces) only.
QString RTrimBlanks(const QString& s);
// Removes blanks (ASCII spaces) at both ends; line breaks and other characters stay.
QString TrimBlanks(const QString& s);
// A whole number written with ASCII digits only, at most maxLength of them.
bool ParseDigits(const QString& s, int maxLength, int& value);
