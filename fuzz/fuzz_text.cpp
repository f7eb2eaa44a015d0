// The byte-width helpers against their definitions: a character counts one byte
// (ASCII, half-width katakana) or two (everything else, a surrogate pair being one character),
// a cut keeps only the characters wholly inside the bytes asked for and padding is exact.

#include "FuzzSupport.h"
#include "core/CodePageText.h"

namespace {

// The byte count before each character boundary of a text, with the boundary's index.
struct Boundary {
    qsizetype index;
    qint64 bytes;
};

std::vector<Boundary> Boundaries(const QString& s) {
    std::vector<Boundary> out{{0, 0}};
    qint64 bytes = 0;
    for (qsizetype i = 0; i < s.size();) {
        const bool pair =
            s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(s.at(i), s.at(i + 1)) : s.at(i).unicode();
        i += pair ? 2 : 1;
        bytes += (c <= 0x7F || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
        out.push_back({i, bytes});
    }
    return out;
}

// The characters lying wholly within the bytes first..last (1-based, inclusive).
QString Within(const QString& s, const std::vector<Boundary>& b, qint64 first, qint64 last) {
    qsizetype from = -1;
    qsizetype to = -1;
    for (size_t k = 0; k + 1 < b.size(); ++k) {
        if (b[k].bytes + 1 >= first && b[k + 1].bytes <= last) {
            if (from < 0)
                from = b[k].index;
            to = b[k + 1].index;
        }
    }
    return from < 0 ? QString() : s.mid(from, to - from);
}

qint32 TakeCount(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? in.ConsumeIntegral<qint32>() : in.ConsumeIntegralInRange(-3, 120);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const qint32 n = TakeCount(in);
    const qint32 start = TakeCount(in);
    const qint32 count = TakeCount(in);
    // cp932Pad builds the padding it is asked for; its callers pass small fixed widths.
    const qint32 width = in.ConsumeIntegralInRange(-3, 400);
    const quint8 alignment = in.ConsumeIntegral<quint8>();
    const int kind = in.ConsumeIntegralInRange(0, 3);
    const qint64 number = in.ConsumeIntegral<qint64>();
    const size_t cutAt = in.ConsumeIntegral<size_t>();

    // The helpers take any value: Null reads as the empty text, a number as its digits.
    QString text = TakeText(in, 300);
    QVariant value;
    switch (kind) {
    case 0:
        text.clear();
        break;
    case 1:
        text = QString::number(number);
        value = number;
        break;
    default:
        value = text;
        break;
    }
    FUZZ_CHECK(valueOr(QVariant(), value) == value);
    FUZZ_CHECK(valueOr(value, QStringLiteral("x")).toString() ==
               (kind == 0 ? QStringLiteral("x") : text));

    const std::vector<Boundary> b = Boundaries(text);
    const qint64 total = b.back().bytes;
    FUZZ_CHECK(cp932Length(value) == total);

    // cp932Left and cp932Right: at most n bytes, whole characters, trailing blanks dropped.
    const QString left = cp932Left(value, n);
    FUZZ_CHECK(left == (n <= 0 ? QString() : WithoutTrailingBlanks(Within(text, b, 1, n))));
    FUZZ_CHECK(cp932Length(left) <= qMax(n, 0));
    FUZZ_CHECK(text.startsWith(left) && AtCharBoundary(text, left.size()));
    const QString right = cp932Right(value, n);
    FUZZ_CHECK(right ==
               (n <= 0 ? QString() : WithoutTrailingBlanks(Within(text, b, total - n + 1, total))));
    FUZZ_CHECK(cp932Length(right) <= qMax(n, 0));

    // cp932Mid: blanks stay; a start before the first byte counts from the first; a negative
    // count runs to the end.
    const QString mid = cp932Mid(value, start, count);
    const qint64 first = qMax(start, 1);
    FUZZ_CHECK(mid == Within(text, b, first, count < 0 ? total : first + count - 1));
    FUZZ_CHECK(count < 0 || cp932Length(mid) <= count);
    // Cut at a character boundary, the two halves make the whole text.
    const qint64 cut = b[cutAt % b.size()].bytes;
    FUZZ_CHECK(cp932Mid(value, 1, qint32(cut)) + cp932Mid(value, qint32(cut + 1), -1) == text);

    // cp932Pad: exactly width bytes when the text fits, else cp932Left.
    const QString padded = cp932Pad(value, alignment, width);
    if (total <= width) {
        const QString blanks(width - total, QLatin1Char(' '));
        FUZZ_CHECK(cp932Length(padded) == width);
        FUZZ_CHECK(padded == (alignment == 1 ? blanks + text : text + blanks));
    } else {
        FUZZ_CHECK(padded == cp932Left(text, width));
    }

    return 0;
}
