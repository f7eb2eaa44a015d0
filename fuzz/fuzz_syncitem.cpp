// One calendar object of a server over any bytes, as the sync reads it and rewrites another
// client's event: no crash, a refused object leaves nothing behind, and an event the reading
// calls editable, shown on some days, takes a new summary and reads back on the same days.

#include "FuzzSupport.h"
#include "exchange/IcsImport.h"

#include <QTimeZone>

namespace {

bool Empty(const IcsObject& o) {
    return o.kind == IcsObject::Kind::Other && o.uid.isEmpty() && o.text.isEmpty() &&
           o.lines.empty() && o.notPlaced.isEmpty() && !o.date.isValid() && !o.repeats &&
           !o.editable;
}

std::vector<QDate> Days(const IcsObject& o) {
    std::vector<QDate> days;
    for (const auto& [d, line] : o.lines)
        days.push_back(d);
    return days;
}

QString Lines(const IcsObject& o) {
    QString s;
    for (const auto& [d, line] : o.lines)
        s += d.toString(Qt::ISODate) + QLatin1Char(' ') + line + QLatin1Char('|');
    return s;
}

// Summaries a user may type over an event's line: plain, with the characters iCalendar
// escapes, half-width katakana and a character outside the basic plane.
const QString kSummaries[] = {
    QStringLiteral("会議"),
    QStringLiteral("Lunch; A, B \\ C"),
    QStringLiteral("ﾃｽﾄ 𠮷"),
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray ics(reinterpret_cast<const char*>(data), qsizetype(size));
    const ImportOptions options{QDate(2024, 1, 1), QDate(2026, 12, 31), QTimeZone("Asia/Tokyo")};
    IcsObject o;
    const ImportResult r = ReadIcsObject(ics, options, o);
    FUZZ_CHECK(r.ok != !r.error.isEmpty());
    const QString& summary = kSummaries[size % std::size(kSummaries)];
    const QByteArray rewritten = ReplaceSummary(ics, summary);
    if (!r.ok) {
        FUZZ_CHECK_TEXTS(Empty(o), o.uid, r.error);
        FUZZ_CHECK(rewritten.isEmpty());
        return 0;
    }
    if (o.kind == IcsObject::Kind::Schedule || o.kind == IcsObject::Kind::Diary)
        FUZZ_CHECK(o.date.isValid() && !o.uid.isEmpty());
    for (const auto& [d, line] : o.lines)
        FUZZ_CHECK(d.isValid() && !line.contains(QLatin1Char('\n')));
    FUZZ_CHECK(!(o.repeats && o.editable));
    // Only a line shown here can be edited, and its event rewritten.
    if (o.kind != IcsObject::Kind::Other || !o.editable || o.lines.empty())
        return 0;
    // The rewrite the sync sends for a line edited here.
    FUZZ_CHECK_TEXTS(!rewritten.isEmpty(), o.uid);
    IcsObject again;
    FUZZ_CHECK_TEXTS(ReadIcsObject(rewritten, options, again).ok, o.uid,
                     QString::fromUtf8(rewritten));
    FUZZ_CHECK_TEXTS(again.kind == IcsObject::Kind::Other && again.uid == o.uid && again.editable,
                     o.uid, again.uid);
    FUZZ_CHECK_TEXTS(Days(again) == Days(o), Lines(o), Lines(again), QString::fromUtf8(rewritten));
    return 0;
}
