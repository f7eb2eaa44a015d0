// FormatDate with any pattern and any date, the invalid date of an unreadable stored value
// included: no crash, a token never reaches across a character that is none, the letter case
// of a token does not matter, and a stored date renders back to itself.

#include "FuzzSupport.h"
#include "core/DateFormat.h"

namespace {

const std::vector<QString>& PatternPieces() {
    static const std::vector<QString> pieces = [] {
        std::vector<QString> p;
        for (const char* s : {"y",   "m", "d", "a", "g", "e", "h",    "n",   "Y",   "M",
                              "D",   "A", "G", "E", "H", "N", "yyyy", "'yy", "mmm", "aaaa",
                              "ggg", "x", "s", "0", "'", "/", " ",    ":",   ".",   "\\"})
            p.push_back(QString::fromLatin1(s));
        for (const QString& s : {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日"),
                                 QStringLiteral("（"), QStringLiteral("）"), QStringLiteral("𠮷"),
                                 QString(QChar(0xD842)), QStringLiteral("İ"), QStringLiteral("K")})
            p.push_back(s);
        return p;
    }();
    return pieces;
}

QDate TakeDate(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return QDate(); // what an unreadable stored date becomes
    case 1:
        return QDate::fromJulianDay(in.ConsumeIntegral<qint64>()); // anywhere, or invalid
    default:
        // The dates a database can hold: years 1 to 9999.
        return QDate(1, 1, 1).addDays(in.ConsumeIntegralInRange<qint64>(0, 3652058));
    }
}

bool IsTokenLetter(QChar c) {
    return QStringView(u"ymdagehnYMDAGEHN").contains(c);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const QDate d = TakeDate(in);
    const QTime time(in.ConsumeIntegralInRange(0, 23), in.ConsumeIntegralInRange(0, 59),
                     in.ConsumeIntegralInRange(0, 59));
    const QDateTime t(d, time);
    const QString pattern = TakeText(in, 64, in.ConsumeBool() ? PatternPieces() : TextPieces());

    const QString out = FormatDate(t, pattern);

    // '/' is no token: the pieces between slashes render on their own.
    QStringList pieces;
    for (const QString& p : pattern.split(QLatin1Char('/')))
        pieces << FormatDate(t, p);
    FUZZ_CHECK(out == pieces.join(QLatin1Char('/')));

    // Tokens mean the same in either case; a letter that makes no token is copied as typed.
    QString flipped = pattern;
    for (QChar& c : flipped) {
        if (IsTokenLetter(c))
            c = c.isUpper() ? c.toLower() : c.toUpper();
    }
    const QString flippedOut = FormatDate(t, flipped);
    FUZZ_CHECK(flippedOut.size() == out.size() &&
               flippedOut.compare(out, Qt::CaseInsensitive) == 0);

    if (d.isValid() && d.year() >= 1 && d.year() <= 9999) {
        FUZZ_CHECK(QDate::fromString(FormatDate(d, QStringLiteral("yyyy/mm/dd")),
                                     QStringLiteral("yyyy/MM/dd")) == d);
        const Era* era = EraOf(d);
        FUZZ_CHECK(era ? era->start <= d && EraYear(d) >= 1 : d < QDate(1868, 9, 8));
    }
    if (t.isValid())
        FUZZ_CHECK(FormatDate(t, QStringLiteral("hh:nn")) ==
                   time.toString(QStringLiteral("hh:mm")));
    return 0;
}
