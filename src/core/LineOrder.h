// The one order of every list that is sorted by its line text (search results, anniversaries,
// holiday rules): the byte order of the lines in the Japanese code page (Shift_JIS, code page
// 932), which puts kana in syllabary order and kanji in their reading order (日記 before 予定),
// ASCII letter case aside; lines equal in that order follow in code-point order.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The line's sort key: its bytes in the code page with ASCII letters in lower case. A
// character the code page lacks sorts after all others, by its code point.
QByteArray LineSortKey(const QString& line);
bool LineLess(const QString& a, const QString& b);
// The same order for lines whose keys are already worked out.
bool KeyedLineLess(const QByteArray& keyA, const QString& a, const QByteArray& keyB,
                   const QString& b);
// Sorts a batch of lines, each line's key worked out once.
void SortLines(QStringList& lines);
