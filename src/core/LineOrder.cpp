#include "core/LineOrder.h"

#include <QSysInfo>

#include <algorithm>
#include <vector>

#include <iconv.h>

namespace {

// The conversion has no state between calls; one descriptor serves every key of the thread.
class Cp932Encoder {
public:
    // The text's own UTF-16, in the byte order of this machine.
    Cp932Encoder()
        : m_cd(iconv_open("CP932", QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE"
                                                                                 : "UTF-16BE")) {}
    ~Cp932Encoder() {
        if (m_cd != iconv_t(-1))
            iconv_close(m_cd);
    }
    Cp932Encoder(const Cp932Encoder&) = delete;
    Cp932Encoder& operator=(const Cp932Encoder&) = delete;

    // The key of a line: ASCII as it stands (letters in lower case), everything else through
    // the converter, a run at a time.
    QByteArray key(QStringView line) const {
        QByteArray out;
        out.reserve(line.size() * 2);
        qsizetype i = 0;
        while (i < line.size()) {
            const char16_t c = line[i].unicode();
            if (c < 0x80) {
                out += char(c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c);
                ++i;
                continue;
            }
            qsizetype j = i + 1;
            while (j < line.size() && line[j].unicode() >= 0x80)
                ++j;
            convert(line.sliced(i, j - i), out);
            i = j;
        }
        return out;
    }

private:
    void convert(QStringView run, QByteArray& out) const {
        // Converted bytes never outnumber the UTF-16 bytes of the run.
        const qsizetype at = out.size();
        out.resize(at + run.size() * 2 + 8);
        char* in = reinterpret_cast<char*>(const_cast<QChar*>(run.data()));
        size_t inLeft = size_t(run.size()) * 2;
        char* dst = out.data() + at;
        size_t outLeft = size_t(out.size() - at);
        while (inLeft > 0) {
            if (m_cd != iconv_t(-1) && iconv(m_cd, &in, &inLeft, &dst, &outLeft) != size_t(-1))
                break;
            // A character the code page lacks (or no converter at all): after every character
            // of the code page (whose lead bytes end at 0xFC), by code point.
            const QStringView rest(reinterpret_cast<const QChar*>(in), qsizetype(inLeft / 2));
            const bool pair =
                rest.size() > 1 && rest[0].isHighSurrogate() && rest[1].isLowSurrogate();
            const char32_t c =
                pair ? QChar::surrogateToUcs4(rest[0], rest[1]) : char32_t(rest[0].unicode());
            const qsizetype written = dst - out.data();
            out.resize(out.size() + 4);
            dst = out.data() + written;
            *dst++ = char(0xFD);
            *dst++ = char(c >> 16);
            *dst++ = char(c >> 8);
            *dst++ = char(c);
            outLeft = size_t(out.size() - (dst - out.data()));
            const size_t skip = pair ? 4 : 2;
            in += skip;
            inLeft -= skip;
        }
        out.truncate(dst - out.data());
    }

    iconv_t m_cd;
};

const Cp932Encoder& Encoder() {
    thread_local const Cp932Encoder encoder;
    return encoder;
}

} // namespace

QByteArray LineSortKey(const QString& line) {
    return Encoder().key(line);
}

bool KeyedLineLess(const QByteArray& keyA, const QString& a, const QByteArray& keyB,
                   const QString& b) {
    const int c = keyA.compare(keyB);
    return c != 0 ? c < 0 : a < b;
}

bool LineLess(const QString& a, const QString& b) {
    return KeyedLineLess(LineSortKey(a), a, LineSortKey(b), b);
}

void SortLines(QStringList& lines) {
    std::vector<std::pair<QByteArray, QString>> keyed;
    keyed.reserve(size_t(lines.size()));
    for (QString& l : lines)
        keyed.emplace_back(LineSortKey(l), std::move(l));
    std::sort(keyed.begin(), keyed.end(), [](const auto& x, const auto& y) {
        return KeyedLineLess(x.first, x.second, y.first, y.second);
    });
    for (qsizetype i = 0; i < lines.size(); ++i)
        lines[i] = std::move(keyed[size_t(i)].second);
}
