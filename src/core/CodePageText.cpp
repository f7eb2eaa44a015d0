// Text widths and cuts in bytes of the Japanese code page, and the small text helpers.

#include "core/CodePageText.h"

#include <QStringView>

#include <vector>

namespace {

QString AsText(const QVariant& value) {
    return valueOr(value, QString()).toString();
}

// The characters of a text with their byte widths, so that cuts fall between characters:
// a double-byte character cut in half is left out rather than turned into garbage.
struct WideChar {
    int pos; // index of the first UTF-16 unit
    int len; // UTF-16 units
    int width;
};

std::vector<WideChar> Split(const QString& s) {
    std::vector<WideChar> out;
    out.reserve(size_t(s.size()));
    for (int i = 0; i < s.size();) {
        char32_t c = s.at(i).unicode();
        int len = 1;
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(s.at(i), s.at(i + 1));
            len = 2;
        }
        out.push_back({i, len, cp932CharWidth(c)});
        i += len;
    }
    return out;
}

// The characters lying wholly within the bytes [first, last] (1-based, inclusive).
QString BytesRange(const QString& s, qint64 first, qint64 last) {
    QString out;
    qint64 byte = 1;
    for (const WideChar& w : Split(s)) {
        const qint64 end = byte + w.width - 1;
        if (byte >= first && end <= last)
            out.append(QStringView(s).mid(w.pos, w.len));
        byte = end + 1;
        if (byte > last)
            break;
    }
    return out;
}

} // namespace

QVariant valueOr(const QVariant& value, const QVariant& def) {
    return (!value.isValid() || value.isNull()) ? def : value;
}

int cp932CharWidth(char32_t c) {
    return (c <= 0x7F || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
}

qint32 cp932Length(const QVariant& value) {
    const QString s = AsText(value);
    qint32 n = 0;
    for (const WideChar& w : Split(s))
        n += w.width;
    return n;
}

QString RTrimBlanks(const QString& s) {
    int end = int(s.size());
    while (end > 0 && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.left(end);
}

QString TrimBlanks(const QString& s) {
    qsizetype first = 0;
    qsizetype end = s.size();
    while (first < end && s.at(first) == QLatin1Char(' '))
        ++first;
    while (end > first && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.mid(first, end - first);
}

bool ParseDigits(const QString& s, int maxLength, int& value) {
    if (s.isEmpty() || s.size() > maxLength)
        return false;
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    value = s.toInt();
    return true;
}

QString cp932Left(const QVariant& value, qint32 n) {
    if (n <= 0)
        return QString();
    return RTrimBlanks(BytesRange(AsText(value), 1, n));
}

QString cp932Right(const QVariant& value, qint32 n) {
    if (n <= 0)
        return QString();
    const QString s = AsText(value);
    const qint64 total = cp932Length(s);
    return RTrimBlanks(BytesRange(s, total - n + 1, total));
}

QString cp932Mid(const QVariant& value, qint32 start, qint32 count) {
    if (start < 1)
        start = 1;
    const QString s = AsText(value);
    const qint64 last = count < 0 ? qint64(cp932Length(s)) : qint64(start) + count - 1;
    if (last < start)
        return QString();
    return BytesRange(s, start, last);
}

QString cp932Pad(const QVariant& value, quint8 alignment, qint32 width) {
    const QString s = AsText(value);
    const qint32 len = cp932Length(s);
    if (width < len)
        return cp932Left(s, width);
    const QString blanks(width - len, QLatin1Char(' '));
    return alignment == 1 ? blanks + s : s + blanks;
}
