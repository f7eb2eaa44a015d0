#include "LineOrder.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include <iconv.h>

namespace {

// The conversion has no state between calls; one descriptor serves every key of the thread.
class Cp932Encoder {
public:
    Cp932Encoder() : m_cd(iconv_open("CP932", "UTF-8")) {}
    ~Cp932Encoder() {
        if (m_cd != iconv_t(-1))
            iconv_close(m_cd);
    }
    Cp932Encoder(const Cp932Encoder&) = delete;
    Cp932Encoder& operator=(const Cp932Encoder&) = delete;

    QByteArray encode(const QByteArray& utf8) const {
        QByteArray out(utf8.size() * 2 + 8, Qt::Uninitialized);
        char* in = const_cast<char*>(utf8.constData());
        size_t inLeft = size_t(utf8.size());
        char* dst = out.data();
        size_t outLeft = size_t(out.size());
        while (inLeft > 0) {
            if (m_cd != iconv_t(-1) && iconv(m_cd, &in, &inLeft, &dst, &outLeft) != size_t(-1))
                break;
            if (m_cd != iconv_t(-1) && errno == E2BIG) {
                const qsizetype at = dst - out.data();
                out.resize(out.size() * 2);
                dst = out.data() + at;
                outLeft = size_t(out.size() - at);
                continue;
            }
            // A character the code page lacks (or no converter at all): after every character
            // of the code page (whose lead bytes end at 0xFC), by code point.
            const int len = SequenceLength(uchar(*in));
            const char32_t c =
                QString::fromUtf8(in, qsizetype(std::min<size_t>(size_t(len), inLeft)))
                    .toUcs4()
                    .value(0);
            const uchar fallback[4] = {0xFD, uchar(c >> 16), uchar(c >> 8), uchar(c)};
            const qsizetype at = dst - out.data();
            out.resize(out.size() + 4);
            dst = out.data() + at;
            std::copy(fallback, fallback + 4, dst);
            dst += 4;
            outLeft = size_t(out.size() - (dst - out.data()));
            const size_t skip = std::min<size_t>(size_t(len), inLeft);
            in += skip;
            inLeft -= skip;
        }
        out.truncate(dst - out.data());
        return out;
    }

private:
    static int SequenceLength(uchar lead) {
        return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    }
    iconv_t m_cd;
};

const Cp932Encoder& Encoder() {
    thread_local const Cp932Encoder encoder;
    return encoder;
}

bool KeyLess(const QByteArray& ka, const QString& a, const QByteArray& kb, const QString& b) {
    const int c = ka.compare(kb);
    return c != 0 ? c < 0 : a < b;
}

} // namespace

QByteArray LineSortKey(const QString& line) {
    QString folded = line;
    for (QChar& ch : folded) {
        if (ch >= u'A' && ch <= u'Z')
            ch = QChar(ch.unicode() + (u'a' - u'A'));
    }
    return Encoder().encode(folded.toUtf8());
}

bool LineLess(const QString& a, const QString& b) {
    return KeyLess(LineSortKey(a), a, LineSortKey(b), b);
}

void SortLines(QStringList& lines) {
    std::vector<std::pair<QByteArray, QString>> keyed;
    keyed.reserve(size_t(lines.size()));
    for (QString& l : lines)
        keyed.emplace_back(LineSortKey(l), std::move(l));
    std::sort(keyed.begin(), keyed.end(), [](const auto& x, const auto& y) {
        return KeyLess(x.first, x.second, y.first, y.second);
    });
    for (qsizetype i = 0; i < lines.size(); ++i)
        lines[i] = std::move(keyed[size_t(i)].second);
}

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
        return KeyLess(key(), text(), o->key(), o->text());
    return LineLess(text(), other.text());
}
