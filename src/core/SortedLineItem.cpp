#include "core/SortedLineItem.h"

#include "core/LineOrder.h"

SortedLineItem::SortedLineItem(const QString& line) : QListWidgetItem(line, nullptr, UserType) {}

const QByteArray& SortedLineItem::key() const {
    const QString t = text();
    if (m_key.isNull() || t != m_keyText) {
        m_keyText = t;
        m_key = LineSortKey(t);
    }
    return m_key;
}

bool SortedLineItem::operator<(const QListWidgetItem& other) const {
    if (const auto* o = dynamic_cast<const SortedLineItem*>(&other))
        return KeyedLineLess(key(), text(), o->key(), o->text());
    return LineLess(text(), other.text());
}
