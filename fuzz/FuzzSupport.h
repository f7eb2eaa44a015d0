// What the fuzz programs share: the check that stops a run, and texts made from fuzz bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <vector>

// A broken property is a crash to libFuzzer, which then keeps the input as an artifact.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// The same, telling the texts involved (as UTF-16 units, so that nothing hides).
#define FUZZ_CHECK_TEXTS(cond, ...)                                                                \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            for (const QString& s : {__VA_ARGS__})                                                 \
                std::fprintf(stderr, "text: %s\n", DumpUnits(s).constData());                      \
            FUZZ_CHECK(cond);                                                                      \
        }                                                                                          \
    } while (0)

inline QByteArray DumpUnits(const QString& s) {
    QByteArray out;
    for (QChar c : s)
        out += (c.unicode() >= 0x20 && c.unicode() < 0x7F)
                   ? QByteArray(1, char(c.unicode()))
                   : "\\u" + QByteArray::number(c.unicode(), 16);
    return out;
}

// Pieces of text that the byte-width rules, the line layouts and the quoting treat differently:
// blanks, ASCII, quotes and LIKE wildcards, control characters, half-width katakana (one byte),
// kanji and full-width forms (two bytes), full-width and other digits, a surrogate pair (one
// character of two units) and lone surrogates.
inline const std::vector<QString>& TextPieces() {
    static const std::vector<QString> pieces = {
        QStringLiteral(" "),    QStringLiteral("a"),      QStringLiteral("Z"),
        QStringLiteral("0"),    QStringLiteral("7"),      QStringLiteral("'"),
        QStringLiteral("\""),   QStringLiteral("%"),      QStringLiteral("_"),
        QStringLiteral("\\"),   QStringLiteral("/"),      QStringLiteral("|"),
        QStringLiteral("\t"),   QStringLiteral("\n"),     QStringLiteral("\r"),
        QString(QChar(0x7F)),   QString(QChar(0)),        QStringLiteral("ｱ"),
        QStringLiteral("ﾟ"),    QStringLiteral("｡"),      QStringLiteral("é"),
        QStringLiteral("日"),   QStringLiteral("月"),     QStringLiteral("漢"),
        QStringLiteral("　"),   QStringLiteral("１"),     QStringLiteral("②"),
        QStringLiteral("ＨＭ"), QStringLiteral("𠮷"),     QString(QChar(0xD842)),
        QString(QChar(0xDFB7)), QStringLiteral("\uFFFD"),
    };
    return pieces;
}

// A text of at most maxUnits UTF-16 units: mostly pieces drawn from `pieces`, sometimes raw
// UTF-16 units or UTF-8 bytes, so that every character can turn up.
inline QString TakeText(FuzzedDataProvider& in, int maxUnits,
                        const std::vector<QString>& pieces = TextPieces()) {
    const int units = in.ConsumeIntegralInRange<int>(0, maxUnits);
    QString s;
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
        while (s.size() < units && in.remaining_bytes() > 0)
            s.append(QChar(in.ConsumeIntegral<char16_t>()));
        break;
    case 1:
        s = QString::fromUtf8(in.ConsumeBytesAsString(size_t(units)));
        break;
    default:
        while (in.remaining_bytes() > 0) {
            const QString& p = pieces[in.ConsumeIntegralInRange<size_t>(0, pieces.size() - 1)];
            if (s.size() + p.size() > units)
                break;
            s.append(p);
        }
        break;
    }
    return s.left(units);
}

// Whether index i of s lies between two characters (not inside a surrogate pair).
inline bool AtCharBoundary(const QString& s, qsizetype i) {
    return i <= 0 || i >= s.size() || !(s.at(i - 1).isHighSurrogate() && s.at(i).isLowSurrogate());
}

// s without the blanks (ASCII spaces) at its end.
inline QString WithoutTrailingBlanks(QString s) {
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}
