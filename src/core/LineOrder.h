// The one order of every list that is sorted by its line text (search results, anniversaries,
// holiday rules): the byte order of the lines in the Japanese code page (Shift_JIS, code page
// 932), which puts kana in syllabary order and kanji in their reading order (日記 before 予定),
// ASCII letter case aside; lines equal in that order follow in code-point order.
#pragma once

#include <QByteArray>
#include <QListWidgetItem>
#include <QString>
#include <QStringList>

// The line's sort key: its bytes in the code page with ASCII letters in lower case. A
// character the code page lacks sorts after all others, by its code point.
QByteArray LineSortKey(const QString& line);
bool LineLess(const QString& a, const QString& b);
// Sorts a batch of lines, each line's key worked out once.
void SortLines(QStringList& lines);

// A list line that sorts in that order whatever the desktop's collation. Its key is worked out
// once per text.
class SortedLineItem : public QListWidgetItem {
public:
    explicit SortedLineItem(const QString& line);
    bool operator<(const QListWidgetItem& other) const override;

private:
    const QByteArray& key() const;
    mutable QString m_keyText;
    mutable QByteArray m_key;
};
