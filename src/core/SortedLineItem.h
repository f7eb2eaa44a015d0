// A list line that sorts in the order of the program's sorted lists (core/LineOrder).
#pragma once

#include <QByteArray>
#include <QListWidgetItem>
#include <QString>

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
