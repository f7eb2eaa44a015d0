#include "exchange/IcsImport.h"

#include "core/Database.h"
#include "exchange/IcsLimits.h"

#include <QSet>

#include <libical/ical.h>

#include <cstdlib>
#include <memory>
#include <set>

namespace {

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;
struct IteratorFree {
    void operator()(icalrecur_iterator* i) const { icalrecur_iterator_free(i); }
};
using Iterator = std::unique_ptr<icalrecur_iterator, IteratorFree>;

QString NotCalendarText() {
    return QStringLiteral("iCalendarファイルではありません。");
}

// ---------------------------------------------------------------- the bytes, before parsing

// The lines of a file as libical reads them: each ended by CRLF, CR or LF.
class PhysicalLines {
public:
    PhysicalLines(const QByteArray& b, qsizetype from, qsizetype to)
        : m_d(b.constData()), m_pos(from), m_to(to) {}
    // The next line's bytes [start, end); false after the last.
    bool next(qsizetype& start, qsizetype& end) {
        if (m_pos >= m_to)
            return false;
        start = m_pos;
        qsizetype i = m_pos;
        while (i < m_to && m_d[i] != '\r' && m_d[i] != '\n')
            ++i;
        end = i;
        if (i < m_to && m_d[i] == '\r' && i + 1 < m_to && m_d[i + 1] == '\n')
            ++i;
        m_pos = i + 1;
        return true;
    }

private:
    const char* m_d;
    qsizetype m_pos;
    qsizetype m_to;
};

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

// A logical line: its first physical line [start, firstEnd), and the end of its last one; a
// line that starts with a blank continues the one before.
struct LogicalLine {
    qsizetype start = -1;
    qsizetype firstEnd = -1;
    qsizetype end = -1;
};

template <class F> void ForEachLogicalLine(const QByteArray& b, qsizetype from, F f) {
    PhysicalLines lines(b, from, b.size());
    LogicalLine cur;
    qsizetype s = 0, e = 0;
    while (lines.next(s, e)) {
        if (cur.start >= 0 && e > s && Blank(b[s])) {
            cur.end = e;
            continue;
        }
        if (cur.start >= 0 && !f(cur))
            return;
        cur = {s, e, e};
    }
    if (cur.start >= 0)
        f(cur);
}

// The start of a logical line unfolded, at most max bytes.
QByteArray Unfolded(const QByteArray& b, const LogicalLine& l, qsizetype max) {
    QByteArray out = b.mid(l.start, qMin(l.firstEnd - l.start, max));
    PhysicalLines lines(b, l.firstEnd, l.end);
    qsizetype s = 0, e = 0;
    while (out.size() < max && lines.next(s, e))
        if (e > s && Blank(b[s]))
            out += b.mid(s + 1, qMin(e - s - 1, max - out.size()));
    return out;
}

// Follows the BEGIN and END lines (unfolded, so a folded one counts too) without building
// anything, so that a file the parser must not see is refused first: the parser and its
// clean-up recurse once per nesting level.
class StructureScan {
public:
    QString error;
    bool first = true;
    bool closed = false;
    int depth = 0;
    bool line(const QByteArray& logical) {
        const QByteArray name = logical.trimmed().toUpper();
        if (name.isEmpty())
            return true;
        if (first) {
            first = false;
            if (name != "BEGIN:VCALENDAR")
                error = NotCalendarText();
        }
        if (name.startsWith("BEGIN:")) {
            closed = false;
            if (++depth > kIcsMaxNesting && error.isEmpty())
                error = QStringLiteral("入れ子が深すぎます（上限 %1 段）。").arg(kIcsMaxNesting);
        } else if (name.startsWith("END:")) {
            depth = qMax(0, depth - 1);
            closed = depth == 0 && name == "END:VCALENDAR";
        }
        return error.isEmpty();
    }
};

} // namespace

QString IcsTooLargeText() {
    return QStringLiteral("ファイルが大きすぎます（上限 %1 MB）。")
        .arg(kIcsMaxFileBytes / (1024 * 1024));
}

namespace {

qsizetype AfterBom(const QByteArray& ics) {
    return ics.startsWith("\xEF\xBB\xBF") ? 3 : 0;
}

QString CheckBytes(const QByteArray& ics) {
    if (ics.size() > kIcsMaxFileBytes)
        return IcsTooLargeText();
    if (!ics.isValidUtf8())
        return QStringLiteral("文字コードがUTF-8ではありません。");
    // The parser reads a C string: a NUL character would end the file early.
    if (ics.contains('\0'))
        return NotCalendarText();
    StructureScan scan;
    ForEachLogicalLine(ics, AfterBom(ics),
                       [&](const LogicalLine& l) { return scan.line(Unfolded(ics, l, 40)); });
    if (!scan.error.isEmpty())
        return scan.error;
    if (scan.first)
        return NotCalendarText();
    if (!scan.closed)
        return QStringLiteral("ファイルが途中で切れています。");
    return QString();
}

// libical drops the blanks at the ends of a property value, but a text's blanks are the
// user's: a mark is put outside them in the bytes, and taken off again after parsing.
const QString kEdgeMark = QString(QChar(0xFDD0)); // a noncharacter, never in a real text

QByteArray ProtectEdgeBlanks(const QByteArray& ics) {
    std::vector<qsizetype> marks;
    ForEachLogicalLine(ics, AfterBom(ics), [&](const LogicalLine& l) {
        const QByteArray head = Unfolded(ics, l, 12).toUpper();
        if (!head.startsWith("SUMMARY") && !head.startsWith("DESCRIPTION"))
            return true;
        bool quoted = false;
        qsizetype colon = l.start;
        while (colon < l.firstEnd && (ics[colon] != ':' || quoted))
            quoted = quoted != (ics[colon++] == '"');
        if (colon + 1 < l.firstEnd && Blank(ics[colon + 1]))
            marks.push_back(colon + 1);
        if (colon < l.firstEnd && l.end - 1 > colon && Blank(ics[l.end - 1]))
            marks.push_back(l.end);
        return true;
    });
    if (marks.empty())
        return ics;
    const QByteArray mark = kEdgeMark.toUtf8();
    QByteArray out;
    out.reserve(ics.size() + qsizetype(marks.size()) * mark.size());
    qsizetype done = 0;
    for (qsizetype at : marks) {
        out.append(ics.constData() + done, at - done).append(mark);
        done = at;
    }
    return out.append(ics.constData() + done, ics.size() - done);
}

QString WithoutEdgeMarks(QString s) {
    if (s.size() >= 2 && s.startsWith(kEdgeMark) && (s[1] == u' ' || s[1] == u'\t'))
        s.remove(0, 1);
    if (s.size() >= 2 && s.endsWith(kEdgeMark) &&
        (s[s.size() - 2] == u' ' || s[s.size() - 2] == u'\t'))
        s.chop(1);
    return s;
}

// ---------------------------------------------------------------- times

// Where the clock of a date-time value runs.
struct Frame {
    enum Kind { Floating, Utc, Ical, Named } kind = Floating;
    icaltimezone* ical = nullptr;
    QTimeZone named;
};

QString Utf8(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

Frame FrameOf(icalproperty* p, const icaltimetype& t) {
    if (icaltime_is_utc(t))
        return {Frame::Utc, nullptr, {}};
    if (t.zone)
        return {Frame::Ical, const_cast<icaltimezone*>(t.zone), {}};
    // A zone the file does not describe and libical does not know: the system's zone names,
    // then Windows names, else the clock of the machine (a floating time).
    icalparameter* tz = p ? icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER) : nullptr;
    const QByteArray id = tz ? QByteArray(icalparameter_get_tzid(tz)) : QByteArray();
    if (!id.isEmpty()) {
        QTimeZone zone(id);
        const QByteArray windows = QTimeZone::windowsIdToDefaultIanaId(id);
        if (!zone.isValid() && !windows.isEmpty()) // an empty name would give UTC
            zone = QTimeZone(windows);
        if (zone.isValid())
            return {Frame::Named, nullptr, zone};
    }
    return {};
}

// Years a stored date can have.
bool Storable(const QDate& d) {
    return d.isValid() && d.year() >= 1 && d.year() <= 9999;
}

QDate DateOf(const icaltimetype& t) {
    return icaltime_is_null_time(t) ? QDate() : QDate(t.year, t.month, t.day);
}

// The moment of a date-time value in the local zone; invalid when it has no such moment.
QDateTime LocalTime(icaltimetype t, const Frame& f, const QTimeZone& local) {
    if (!Storable(DateOf(t)))
        return QDateTime();
    if (f.kind == Frame::Ical) {
        icaltimezone_convert_time(&t, f.ical, icaltimezone_get_utc_timezone());
        if (!Storable(DateOf(t)))
            return QDateTime();
    }
    const QDateTime at(DateOf(t), QTime(t.hour, t.minute, qMin(t.second, 59)),
                       f.kind == Frame::Named      ? f.named
                       : f.kind == Frame::Floating ? local
                                                   : QTimeZone::utc());
    return at.isValid() ? at.toTimeZone(local) : QDateTime();
}

// ---------------------------------------------------------------- components

// What an event or journal entry says, read once.
struct Item {
    QString uid;
    QString summary;
    QString description; // null when missing
    icaltimetype start;
    Frame frame;
    bool allDay = false;
    qint64 days = 1; // an all-day event's length
    qint64 secs = 0; // a timed event's length
};

// Line ends as the entries keep them: a line feed alone.
QString WithLineFeeds(QString s) {
    return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

QString PropertyText(icalcomponent* c, icalproperty_kind kind) {
    icalproperty* p = icalcomponent_get_first_property(c, kind);
    if (!p)
        return QString();
    // Only a text value has text: a property that failed to parse, or was given another
    // type, has none.
    icalvalue* v = icalproperty_get_value(p);
    if (!v || icalvalue_isa(v) != ICAL_TEXT_VALUE)
        return QString();
    const char* text = icalvalue_get_text(v);
    return text ? WithLineFeeds(WithoutEdgeMarks(QString::fromUtf8(text)))
                : QString(QLatin1String(""));
}

// The length of an event: DTEND (exclusive), else DURATION, else none (one day, or a moment).
void ReadLength(icalcomponent* c, const QTimeZone& local, Item& it) {
    icalproperty* end = icalcomponent_get_first_property(c, ICAL_DTEND_PROPERTY);
    icalproperty* dur = icalcomponent_get_first_property(c, ICAL_DURATION_PROPERTY);
    qint64 secs = 0;
    if (end) {
        const icaltimetype e = icalproperty_get_datetime_with_component(end, c);
        if (it.allDay) {
            const QDate from = DateOf(it.start), to = DateOf(e);
            secs = (from.isValid() && to.isValid() ? from.daysTo(to) : 0) * 86400;
        } else {
            const QDateTime from = LocalTime(it.start, it.frame, local);
            const QDateTime to = LocalTime(e, FrameOf(end, e), local);
            secs = from.isValid() && to.isValid() ? from.secsTo(to) : 0;
        }
    } else if (dur) {
        secs = icaldurationtype_as_int(icalproperty_get_duration(dur));
    }
    it.secs = qMax<qint64>(0, secs);
    it.days = qMax<qint64>(1, (it.secs + 86399) / 86400);
}

Item ReadItem(icalcomponent* c, const QTimeZone& local) {
    Item it;
    it.uid = Utf8(icalcomponent_get_uid(c));
    it.summary = PropertyText(c, ICAL_SUMMARY_PROPERTY);
    it.description = PropertyText(c, ICAL_DESCRIPTION_PROPERTY);
    icalproperty* start = icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY);
    it.start = start ? icalproperty_get_datetime_with_component(start, c) : icaltime_null_time();
    it.allDay = it.start.is_date;
    it.frame = FrameOf(start, it.start);
    ReadLength(c, local, it);
    return it;
}

// A summary as one line of a day's text.
QString OneLine(const QString& s) {
    QString t = s;
    t.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return t.trimmed();
}

// Whether a UID is one of ours of that kind ("kind-key@vaskel"), its key of keyDigits ASCII
// digits first (any rest after them).
bool OwnUid(const QString& uid, QLatin1String kind, int keyDigits) {
    const QLatin1String host("@vaskel");
    if (!uid.startsWith(kind) || !uid.endsWith(host) ||
        uid.size() < kind.size() + keyDigits + host.size())
        return false;
    for (int i = 0; i < keyDigits; ++i) {
        const QChar c = uid[kind.size() + i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// Our holidays come from the rule table, never from a file.
bool IsHoliday(icalcomponent* c, const QString& uid) {
    if (OwnUid(uid, QLatin1String("holiday-"), 0))
        return true;
    icalproperty* transp = icalcomponent_get_first_property(c, ICAL_TRANSP_PROPERTY);
    if (!transp || icalproperty_get_transp(transp) != ICAL_TRANSP_TRANSPARENT)
        return false;
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_CATEGORIES_PROPERTY)) {
        for (const QString& cat : Utf8(icalproperty_get_categories(p)).split(QLatin1Char(',')))
            if (cat.trimmed().compare(QLatin1String("HOLIDAY"), Qt::CaseInsensitive) == 0)
                return true;
    }
    return false;
}

bool IsCancelled(icalcomponent* c) {
    icalproperty* p = icalcomponent_get_first_property(c, ICAL_STATUS_PROPERTY);
    return p && icalproperty_get_status(p) == ICAL_STATUS_CANCELLED;
}

bool EmptyArray(const short* a) {
    return a[0] == ICAL_RECURRENCE_ARRAY_MAX;
}
bool OnlyValue(const short* a, int v) {
    return EmptyArray(a) || (a[0] == v && a[1] == ICAL_RECURRENCE_ARRAY_MAX);
}

// A yearly all-day event of one day without an end is an anniversary, kept as month and day.
bool IsAnniversary(icalcomponent* c, const Item& it, const icalrecurrencetype& r) {
    const QDate d = DateOf(it.start);
    return it.allDay && it.days == 1 && r.freq == ICAL_YEARLY_RECURRENCE && r.count == 0 &&
           icaltime_is_null_time(r.until) && r.interval <= 1 && d.isValid() &&
           !icalcomponent_get_first_property(c, ICAL_EXDATE_PROPERTY) &&
           !icalcomponent_get_first_property(c, ICAL_RDATE_PROPERTY) && EmptyArray(r.by_second) &&
           EmptyArray(r.by_minute) && EmptyArray(r.by_hour) && EmptyArray(r.by_day) &&
           EmptyArray(r.by_year_day) && EmptyArray(r.by_week_no) && EmptyArray(r.by_set_pos) &&
           OnlyValue(r.by_month, d.month()) && OnlyValue(r.by_month_day, d.day());
}

// Why a rule is not expanded, or nothing. libical searches unboundedly for the next
// occurrence of a rule whose parts never meet (31 February; a sub-daily rule narrowed to
// days), so those are refused before it sees them.
QString RuleProblem(const icalrecurrencetype& r) {
    const bool narrowed =
        !EmptyArray(r.by_second) || !EmptyArray(r.by_minute) || !EmptyArray(r.by_hour) ||
        !EmptyArray(r.by_day) || !EmptyArray(r.by_month_day) || !EmptyArray(r.by_year_day) ||
        !EmptyArray(r.by_week_no) || !EmptyArray(r.by_month) || !EmptyArray(r.by_set_pos);
    if (narrowed && (r.freq == ICAL_SECONDLY_RECURRENCE || r.freq == ICAL_MINUTELY_RECURRENCE ||
                     r.freq == ICAL_HOURLY_RECURRENCE))
        return QStringLiteral("この繰り返しの規則には対応していません");
    if (EmptyArray(r.by_month_day))
        return QString();
    for (int m = 1; m <= 12; ++m) {
        bool month = EmptyArray(r.by_month);
        for (int i = 0; i < ICAL_BY_MONTH_SIZE && r.by_month[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
            month = month || r.by_month[i] == m;
        const int days = QDate(2024, m, 1).daysInMonth(); // a leap year has every day
        for (int i = 0;
             month && i < ICAL_BY_MONTHDAY_SIZE && r.by_month_day[i] != ICAL_RECURRENCE_ARRAY_MAX;
             ++i)
            if (r.by_month_day[i] != 0 && qAbs(r.by_month_day[i]) <= days)
                return QString();
    }
    return QStringLiteral("繰り返しの日がありません");
}

// ---------------------------------------------------------------- the plan

struct DayState {
    QString text;
    QSet<QString> lines;
    bool changed = false;
};

QString KindName(DayEntry e) {
    return e == DayEntry::Schedule ? QStringLiteral("予定") : QStringLiteral("日記");
}

// What a planner without a database gathers from another client's calendar object: the
// schedule lines its events place, and whether one of them repeats.
struct Collected {
    std::vector<std::pair<QDate, QString>> lines;
    bool repeats = false;
};

class Planner {
public:
    // With a database, events are merged into the days as stored there; with collect, every
    // event is another client's and its lines are only gathered.
    Planner(Connection* db, const ImportOptions& o, Collected* collect = nullptr)
        : m_db(db), m_opt(o), m_collect(collect) {}
    bool calendar(icalcomponent* cal);
    void finish();
    ImportPlan plan;
    QString error;

private:
    bool component(icalcomponent* c);
    bool event(icalcomponent* c, const Item& it);
    bool journal(const Item& it);
    bool anniversary(const Item& it, bool ours);
    bool expand(icalcomponent* c, const Item& it, const icalrecurrencetype& rule);
    bool occurrence(const Item& it, const icaltimetype& start);
    bool place(DayEntry e, const QDate& d, const QString& text);
    DayState* day(DayEntry e, const QDate& d);
    std::set<QString> excluded(icalcomponent* c, const Item& it);
    QString key(const Item& it, const icaltimetype& t, const Frame& f) const;
    void notPlaced(const QDate& d, const QString& kind, const QString& text, const QString& why);
    bool fail(const QString& why) {
        error = why;
        return false;
    }

    Connection* m_db;
    const ImportOptions& m_opt;
    Collected* m_collect;
    std::map<QDate, DayState> m_days[2];
    std::map<QString, std::set<QString>> m_moved; // per UID: occurrences given by another one
    int m_occurrences = 0;
    int m_steps = 0;
    int m_placements = 0;
    qint64 m_chars = 0;
    int m_notPlacedMore = 0;
};

void Planner::notPlaced(const QDate& d, const QString& kind, const QString& text,
                        const QString& why) {
    if (plan.notPlaced.size() >= kIcsMaxNotPlacedLines) {
        ++m_notPlacedMore;
        return;
    }
    QString shown = OneLine(text);
    if (shown.size() > 30)
        shown = shown.left(shown[29].isHighSurrogate() ? 29 : 30) + QStringLiteral("…");
    const QString date =
        d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QStringLiteral("—");
    plan.notPlaced << QStringLiteral("%1 %2「%3」: %4").arg(date, kind, shown, why);
}

void Planner::finish() {
    if (m_notPlacedMore > 0)
        plan.notPlaced << QStringLiteral("ほか %1 件").arg(m_notPlacedMore);
    for (int e = 0; e < 2; ++e) {
        auto& out = e == 0 ? plan.schedules : plan.diaries;
        for (const auto& [d, state] : m_days[e])
            if (state.changed)
                out[d] = state.text;
    }
}

DayState* Planner::day(DayEntry e, const QDate& d) {
    auto& days = m_days[e == DayEntry::Schedule ? 0 : 1];
    auto found = days.find(d);
    if (found != days.end())
        return &found->second;
    const std::optional<DayText> stored = ReadDay(*m_db, e, d);
    if (!stored) {
        fail(QStringLiteral("データベースを読めませんでした。%1").arg(m_db->errorText()));
        return nullptr;
    }
    DayState& s = days[d];
    s.text = stored->text;
    for (const QString& line : s.text.split(QLatin1Char('\n')))
        s.lines.insert(line.endsWith(QLatin1Char('\r')) ? line.chopped(1) : line);
    return &s;
}

// A day with no text takes the incoming text as it is; a day with text takes each incoming
// line that is neither blank nor already one of its lines. Importing twice thus adds nothing.
bool Planner::place(DayEntry e, const QDate& d, const QString& text) {
    const int cap = e == DayEntry::Schedule ? kScheduleMaxChars : kDiaryMaxChars;
    if (!Storable(d)) {
        notPlaced(d, KindName(e), text, QStringLiteral("日付が範囲外です"));
        return true;
    }
    if (++m_placements > kIcsMaxPlacements)
        return fail(QStringLiteral("項目が多すぎます（上限 %L1 件）。").arg(kIcsMaxPlacements));
    if (m_collect) {
        m_chars += text.size();
        if (m_chars > kIcsMaxNewChars)
            return fail(
                QStringLiteral("取り込む文字が多すぎます（上限 %L1 文字）。").arg(kIcsMaxNewChars));
        m_collect->lines.emplace_back(d, text);
        return true;
    }
    DayState* s = day(e, d);
    if (!s)
        return false;
    QString next = s->text;
    int added = 0;
    const QString tooLong = QStringLiteral("その日の文字数が上限（%L1 文字）を超えます").arg(cap);
    if (s->text.isEmpty()) {
        if (text.size() > cap)
            notPlaced(d, KindName(e), text, tooLong);
        else
            next = text;
        for (const QString& line : next.split(QLatin1Char('\n'))) {
            if (line.trimmed().isEmpty())
                continue;
            s->lines.insert(line);
            ++added;
        }
    } else {
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            if (line.trimmed().isEmpty() || s->lines.contains(line))
                continue;
            if (next.size() + 1 + line.size() > cap) {
                notPlaced(d, KindName(e), line, tooLong);
                continue;
            }
            next += QLatin1Char('\n') + line;
            s->lines.insert(line);
            ++added;
        }
    }
    if (next.size() == s->text.size())
        return true;
    m_chars += next.size() - s->text.size();
    if (m_chars > kIcsMaxNewChars)
        return fail(
            QStringLiteral("取り込む文字が多すぎます（上限 %L1 文字）。").arg(kIcsMaxNewChars));
    s->text = next;
    s->changed = true;
    if (e == DayEntry::Schedule)
        plan.scheduleLines += added;
    else
        ++plan.diaryEntries;
    return true;
}

bool Planner::calendar(icalcomponent* cal) {
    // First the occurrences that other components replace (RECURRENCE-ID), whatever the order.
    for (icalcomponent* c = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); c;
         c = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
        icalproperty* id = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY);
        if (!id)
            continue;
        const Item it = ReadItem(c, m_opt.localZone);
        const icaltimetype t = icalproperty_get_datetime_with_component(id, c);
        m_moved[it.uid].insert(key(it, t, FrameOf(id, t)));
    }
    for (icalcomponent* c = icalcomponent_get_first_component(cal, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(cal, ICAL_ANY_COMPONENT)) {
        if (!component(c))
            return false;
    }
    return true;
}

bool Planner::component(icalcomponent* c) {
    const icalcomponent_kind kind = icalcomponent_isa(c);
    if (kind != ICAL_VEVENT_COMPONENT && kind != ICAL_VJOURNAL_COMPONENT)
        return true;
    const Item it = ReadItem(c, m_opt.localZone);
    if (IsCancelled(c) || (kind == ICAL_VEVENT_COMPONENT && IsHoliday(c, it.uid)))
        return true;
    const QString what =
        kind == ICAL_VEVENT_COMPONENT ? KindName(DayEntry::Schedule) : KindName(DayEntry::Diary);
    if (icaltime_is_null_time(it.start)) {
        notPlaced(QDate(), what, it.summary, QStringLiteral("日付がありません"));
        return true;
    }
    if (!Storable(DateOf(it.start))) {
        notPlaced(QDate(), what, it.summary, QStringLiteral("日付が範囲外です"));
        return true;
    }
    // Another client's journal entries have no place in the schedule.
    if (kind == ICAL_VJOURNAL_COMPONENT)
        return m_collect ? true : journal(it);
    if (m_collect)
        return event(c, it);
    if (OwnUid(it.uid, QLatin1String("schedule-"), 8) && !it.description.isNull())
        return place(DayEntry::Schedule, DateOf(it.start), it.description);
    if (OwnUid(it.uid, QLatin1String("anniversary-"), 4))
        return anniversary(it, true);
    return event(c, it);
}

bool Planner::journal(const Item& it) {
    const QString text = it.description.isNull() ? it.summary : it.description;
    const QDate d =
        it.allDay ? DateOf(it.start) : LocalTime(it.start, it.frame, m_opt.localZone).date();
    return place(DayEntry::Diary, d, text);
}

bool Planner::anniversary(const Item& it, bool ours) {
    const QDate d = DateOf(it.start);
    const Anniversary a{d.month(), d.day(), ours ? it.summary : OneLine(it.summary)};
    if (a.text.trimmed().isEmpty()) {
        notPlaced(d, QStringLiteral("記念日"), a.text, QStringLiteral("件名がありません"));
        return true;
    }
    for (const Anniversary& p : plan.anniversaries)
        if (p.month == a.month && p.day == a.day && p.text == a.text)
            return true;
    const std::optional<bool> exists = AnniversaryExists(*m_db, a);
    if (!exists)
        return fail(QStringLiteral("データベースを読めませんでした。%1").arg(m_db->errorText()));
    if (!*exists)
        plan.anniversaries.push_back(a);
    return true;
}

bool Planner::event(icalcomponent* c, const Item& it) {
    if (OneLine(it.summary).isEmpty()) {
        notPlaced(DateOf(it.start), KindName(DayEntry::Schedule), QString(),
                  QStringLiteral("件名がありません"));
        return true;
    }
    if (it.days > kIcsMaxEventDays) {
        notPlaced(DateOf(it.start), KindName(DayEntry::Schedule), it.summary,
                  QStringLiteral("期間が長すぎます（上限 %1 日）").arg(kIcsMaxEventDays));
        return true;
    }
    icalproperty* rrule = icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY);
    if (rrule) {
        const icalrecurrencetype rule = icalproperty_get_rrule(rrule);
        // Another client's yearly event stays its own: its occurrences are shown as lines.
        if (!m_collect && IsAnniversary(c, it, rule))
            return anniversary(it, false);
        if (rule.freq != ICAL_NO_RECURRENCE) {
            if (m_collect)
                m_collect->repeats = true;
            return expand(c, it, rule);
        }
    }
    // A replacement occurrence belongs to its rule's range.
    if (icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY)) {
        if (m_collect)
            m_collect->repeats = true;
        const QDate d =
            it.allDay ? DateOf(it.start) : LocalTime(it.start, it.frame, m_opt.localZone).date();
        if (d < m_opt.expandFrom || d > m_opt.expandTo)
            return true;
    }
    return occurrence(it, it.start);
}

// Places one occurrence on each local day it covers: an all-day event as its summary, a timed
// one as "HH:MM summary", the time being when it is under way from on that day.
bool Planner::occurrence(const Item& it, const icaltimetype& start) {
    const QString summary = OneLine(it.summary);
    if (it.allDay) {
        const QDate first = DateOf(start);
        for (qint64 i = 0; i < it.days; ++i)
            if (!place(DayEntry::Schedule, first.addDays(i), summary))
                return false;
        return true;
    }
    const QDateTime from = LocalTime(start, it.frame, m_opt.localZone);
    if (!from.isValid()) {
        notPlaced(DateOf(start), KindName(DayEntry::Schedule), summary,
                  QStringLiteral("日時が読めません"));
        return true;
    }
    const QDate last = it.secs > 0 ? from.addSecs(it.secs).addMSecs(-1).date() : from.date();
    if (from.date().daysTo(last) >= kIcsMaxEventDays) {
        notPlaced(from.date(), KindName(DayEntry::Schedule), summary,
                  QStringLiteral("期間が長すぎます（上限 %1 日）").arg(kIcsMaxEventDays));
        return true;
    }
    for (QDate d = from.date(); d <= last; d = d.addDays(1)) {
        const QTime t = d == from.date() ? from.time() : QTime(0, 0);
        if (!place(DayEntry::Schedule, d, t.toString(QStringLiteral("HH:mm ")) + summary))
            return false;
    }
    return true;
}

// The same occurrence gives the same key, however its time was written.
QString Planner::key(const Item& it, const icaltimetype& t, const Frame& f) const {
    if (it.allDay || t.is_date)
        return DateOf(t).toString(Qt::ISODate);
    const QDateTime at = LocalTime(t, f, m_opt.localZone);
    return at.isValid() ? QString::number(at.toSecsSinceEpoch()) : QString();
}

std::set<QString> Planner::excluded(icalcomponent* c, const Item& it) {
    std::set<QString> out = m_moved.count(it.uid) ? m_moved[it.uid] : std::set<QString>();
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_EXDATE_PROPERTY)) {
        const icaltimetype t = icalproperty_get_datetime_with_component(p, c);
        out.insert(key(it, t, t.zone || icaltime_is_utc(t) ? FrameOf(p, t) : it.frame));
    }
    return out;
}

// The occurrences whose local start lies in the range, EXDATE and replaced ones left out.
bool Planner::expand(icalcomponent* c, const Item& it, const icalrecurrencetype& rule) {
    const std::set<QString> skip = excluded(c, it);
    QString problem = RuleProblem(rule);
    // Ending the rule just after the range also ends libical's search for the next one.
    icalrecurrencetype bounded = rule;
    const QDate end = m_opt.expandTo.addDays(2);
    if (icaltime_is_null_time(rule.until) || DateOf(rule.until) > end) {
        bounded.until = it.start;
        bounded.until.year = end.year();
        bounded.until.month = end.month();
        bounded.until.day = end.day();
    }
    Iterator iter(problem.isEmpty() ? icalrecur_iterator_new(bounded, it.start) : nullptr);
    if (!iter) {
        notPlaced(DateOf(it.start), KindName(DayEntry::Schedule), it.summary,
                  problem.isEmpty() ? QStringLiteral("繰り返しの規則が読めません") : problem);
        return true;
    }
    // Begin near the range unless the rule counts its occurrences from the first one.
    const QDate jump = m_opt.expandFrom.addDays(-(it.days + 1));
    if (rule.count == 0 && jump > DateOf(it.start)) {
        icaltimetype from = it.start;
        from.year = jump.year();
        from.month = jump.month();
        from.day = jump.day();
        icalrecur_iterator_set_start(iter.get(), from);
    }
    const QString tooMany = QStringLiteral("繰り返しの予定が多すぎます（上限 %L1 回）。");
    for (icaltimetype t = icalrecur_iterator_next(iter.get()); !icaltime_is_null_time(t);
         t = icalrecur_iterator_next(iter.get())) {
        if (++m_steps > kIcsMaxRecurrenceSteps)
            return fail(tooMany.arg(kIcsMaxOccurrences));
        const QDate raw = DateOf(t);
        if (!Storable(raw) || raw > m_opt.expandTo.addDays(1))
            break;
        const QDate d = it.allDay ? raw : LocalTime(t, it.frame, m_opt.localZone).date();
        if (d < m_opt.expandFrom || d > m_opt.expandTo || skip.count(key(it, t, it.frame)))
            continue;
        if (++m_occurrences > kIcsMaxOccurrences)
            return fail(tooMany.arg(kIcsMaxOccurrences));
        if (!occurrence(it, t))
            return false;
    }
    return true;
}

// The calendars of a parse: one, or several under a root of their own.
std::vector<icalcomponent*> Calendars(icalcomponent* root) {
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT)
        return {root};
    std::vector<icalcomponent*> out;
    for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); c;
         c = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
        out.push_back(c);
    return out;
}

int ArrayLength(const short* a, int size) {
    int n = 0;
    while (n < size && a[n] != ICAL_RECURRENCE_ARRAY_MAX)
        ++n;
    return n;
}

// A zone's rule as real zones write it: yearly, in one month, on one weekday or a few month
// days. libical expands a zone's rules over every year up to the one asked for, with no bound
// on what one rule makes.
bool UsableZoneRule(const icalrecurrencetype& r) {
    return r.freq == ICAL_YEARLY_RECURRENCE && EmptyArray(r.by_second) && EmptyArray(r.by_minute) &&
           EmptyArray(r.by_hour) && EmptyArray(r.by_year_day) && EmptyArray(r.by_week_no) &&
           EmptyArray(r.by_set_pos) && ArrayLength(r.by_month, ICAL_BY_MONTH_SIZE) <= 1 &&
           ArrayLength(r.by_day, ICAL_BY_DAY_SIZE) <= 1 &&
           ArrayLength(r.by_month_day, ICAL_BY_MONTHDAY_SIZE) <= 7 && RuleProblem(r).isEmpty();
}

bool UsableZone(icalcomponent* zone) {
    for (icalcomponent* part = icalcomponent_get_first_component(zone, ICAL_ANY_COMPONENT); part;
         part = icalcomponent_get_next_component(zone, ICAL_ANY_COMPONENT)) {
        for (icalproperty* p = icalcomponent_get_first_property(part, ICAL_RRULE_PROPERTY); p;
             p = icalcomponent_get_next_property(part, ICAL_RRULE_PROPERTY))
            if (!UsableZoneRule(icalproperty_get_rrule(p)))
                return false;
    }
    return true;
}

// The zones anywhere in the tree: a broken END line can leave one inside another component,
// where libical still finds it for the times below it. The depth is bounded by the nesting cap.
void CollectZones(icalcomponent* c, std::vector<icalcomponent*>& zones) {
    for (icalcomponent* child = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); child;
         child = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
        if (icalcomponent_isa(child) == ICAL_VTIMEZONE_COMPONENT)
            zones.push_back(child);
        CollectZones(child, zones);
    }
}

// Takes out the zones that libical could not expand in bounded time (their times then read as
// a zone of that name, or as local ones); false when the calendar has too many zones.
bool CheckZones(icalcomponent* cal) {
    std::vector<icalcomponent*> zones;
    CollectZones(cal, zones);
    if (zones.size() > size_t(kIcsMaxTimeZones))
        return false;
    for (icalcomponent* z : zones) {
        if (UsableZone(z))
            continue;
        icalcomponent_remove_component(icalcomponent_get_parent(z), z);
        icalcomponent_free(z);
    }
    return true;
}

} // namespace

ImportOptions DefaultImportOptions(const QDate& today) {
    return {today.addYears(-1), today.addYears(2), QTimeZone::systemTimeZone()};
}

namespace {

// Parses a file after the checks that keep the parser bounded, and takes out the zones it could
// not expand in bounded time. The refusal's text, or a null string. With protectEdges, the
// blanks at the ends of summaries and descriptions survive (for reading their texts only).
QString ParseChecked(const QByteArray& ics, bool protectEdges, Component& root,
                     std::vector<icalcomponent*>& calendars) {
    const QString bad = CheckBytes(ics);
    if (!bad.isEmpty())
        return bad;
    root.reset(icalparser_parse_string(protectEdges ? ProtectEdgeBlanks(ics).constData()
                                                    : ics.constData()));
    calendars = root ? Calendars(root.get()) : std::vector<icalcomponent*>();
    if (calendars.empty())
        return NotCalendarText();
    for (icalcomponent* cal : calendars)
        if (!CheckZones(cal))
            return QStringLiteral("時間帯の定義が多すぎます（上限 %1 個）。").arg(kIcsMaxTimeZones);
    return QString();
}

ImportOptions WithZone(const ImportOptions& options) {
    ImportOptions o = options;
    if (!o.localZone.isValid())
        o.localZone = QTimeZone::systemTimeZone();
    return o;
}

// The one event of an object that is a single event: one calendar holding one event and
// nothing else but zones, without a rule, extra dates or replaced occurrences. Null otherwise.
// Whether libical marked a part of the tree it could not read (X-LIC-ERROR): written back, the
// marks would go to the server and the event might read differently.
bool HasParseErrors(icalcomponent* c) {
    if (icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY))
        return true;
    for (icalcomponent* child = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); child;
         child = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
        if (HasParseErrors(child))
            return true;
    return false;
}

icalcomponent* SingleEvent(const std::vector<icalcomponent*>& calendars) {
    if (calendars.size() != 1 || HasParseErrors(calendars[0]))
        return nullptr;
    icalcomponent* event = nullptr;
    for (icalcomponent* c = icalcomponent_get_first_component(calendars[0], ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(calendars[0], ICAL_ANY_COMPONENT)) {
        const icalcomponent_kind kind = icalcomponent_isa(c);
        if (kind == ICAL_VTIMEZONE_COMPONENT)
            continue;
        if (kind != ICAL_VEVENT_COMPONENT || event)
            return nullptr;
        event = c;
    }
    if (!event)
        return nullptr;
    for (icalproperty_kind k : {ICAL_RRULE_PROPERTY, ICAL_RDATE_PROPERTY,
                                ICAL_RECURRENCEID_PROPERTY, ICAL_EXRULE_PROPERTY})
        if (icalcomponent_get_first_property(event, k))
            return nullptr;
    // libical's writer leaves out control characters: with one in its UID, the event written
    // back would be another event.
    if (const char* uid = icalcomponent_get_uid(event))
        for (const char* c = uid; *c; ++c)
            if ((unsigned char)*c < 0x20 || *c == 0x7f)
                return nullptr;
    return event;
}

// The first event or journal entry: the one that names a calendar object.
icalcomponent* FirstItem(const std::vector<icalcomponent*>& calendars) {
    for (icalcomponent* cal : calendars)
        for (icalcomponent* c = icalcomponent_get_first_component(cal, ICAL_ANY_COMPONENT); c;
             c = icalcomponent_get_next_component(cal, ICAL_ANY_COMPONENT)) {
            const icalcomponent_kind kind = icalcomponent_isa(c);
            if (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VJOURNAL_COMPONENT)
                return c;
        }
    return nullptr;
}

// The day a UID of ours names ("schedule-20250110@vaskel"), or an invalid date.
QDate UidDate(const QString& uid, QLatin1String kind) {
    if (!OwnUid(uid, kind, 8))
        return QDate();
    return QDate::fromString(uid.mid(kind.size(), 8), QStringLiteral("yyyyMMdd"));
}

} // namespace

ImportResult PlanImport(Connection& db, const QByteArray& ics, const ImportOptions& options,
                        ImportPlan& out) {
    out = ImportPlan();
    Component root;
    std::vector<icalcomponent*> calendars;
    const QString bad = ParseChecked(ics, true, root, calendars);
    if (!bad.isEmpty())
        return {false, bad};
    const ImportOptions o = WithZone(options);
    Planner planner(&db, o);
    for (icalcomponent* cal : calendars)
        if (!planner.calendar(cal))
            return {false, planner.error};
    planner.finish();
    out = std::move(planner.plan);
    return {true, QString()};
}

bool ApplyImport(Connection& db, const ImportPlan& plan) {
    for (int e = 0; e < 2; ++e) {
        const DayEntry entry = e == 0 ? DayEntry::Schedule : DayEntry::Diary;
        for (const auto& [d, text] : e == 0 ? plan.schedules : plan.diaries) {
            const std::optional<DayText> stored = ReadDay(db, entry, d);
            if (!stored || !WriteDay(db, entry, d, text, stored->exists))
                return false;
        }
    }
    for (const Anniversary& a : plan.anniversaries)
        if (!AddAnniversary(db, a))
            return false;
    return true;
}

ImportResult ReadIcsObject(const QByteArray& ics, const ImportOptions& options, IcsObject& out) {
    out = IcsObject();
    Component root;
    std::vector<icalcomponent*> calendars;
    const QString bad = ParseChecked(ics, true, root, calendars);
    if (!bad.isEmpty())
        return {false, bad};
    const ImportOptions o = WithZone(options);
    icalcomponent* first = FirstItem(calendars);
    if (first) {
        const Item it = ReadItem(first, o.localZone);
        out.uid = it.uid;
        const bool event = icalcomponent_isa(first) == ICAL_VEVENT_COMPONENT;
        const QDate named =
            UidDate(it.uid, event ? QLatin1String("schedule-") : QLatin1String("diary-"));
        if (named.isValid()) {
            out.kind = event ? IcsObject::Kind::Schedule : IcsObject::Kind::Diary;
            out.date = named;
            out.text = it.description.isNull() ? it.summary : it.description;
            return {true, QString()};
        }
        const QDate start = DateOf(it.start);
        if (event && OwnUid(it.uid, QLatin1String("anniversary-"), 4) && start.isValid()) {
            out.kind = IcsObject::Kind::Anniversary;
            out.anniversary = {start.month(), start.day(), it.summary};
            return {true, QString()};
        }
    }
    Collected collected;
    Planner planner(nullptr, o, &collected);
    for (icalcomponent* cal : calendars)
        if (!planner.calendar(cal))
            return {false, planner.error};
    planner.finish();
    out.lines = std::move(collected.lines);
    out.repeats = collected.repeats;
    // Editable only where a rewrite reads back as the same event: libical's reading may have
    // made of odd bytes (a backslash before a multi-byte character, a malformed stamp) something
    // its writer cannot give back, and the line must then stay as the server has it.
    out.editable =
        SingleEvent(calendars) != nullptr && !ReplaceSummary(ics, QStringLiteral("x")).isEmpty();
    out.notPlaced = planner.plan.notPlaced;
    return {true, QString()};
}

QByteArray ReplaceSummary(const QByteArray& ics, const QString& summary) {
    // Parsed as it is, so that the edge marks of a reading never reach the server.
    Component root;
    std::vector<icalcomponent*> calendars;
    if (!ParseChecked(ics, false, root, calendars).isEmpty())
        return QByteArray();
    icalcomponent* event = SingleEvent(calendars);
    if (!event)
        return QByteArray();
    const char* uid = icalcomponent_get_uid(event);
    const QByteArray before = uid ? QByteArray(uid) : QByteArray();
    icalcomponent_set_summary(event, summary.toUtf8().constData());
    char* text = icalcomponent_as_ical_string_r(calendars[0]);
    const QByteArray out(text);
    std::free(text);
    // Read back: whatever the writer made of it must still be the same event.
    Component again;
    std::vector<icalcomponent*> written;
    if (!ParseChecked(out, false, again, written).isEmpty())
        return QByteArray();
    icalcomponent* rewritten = SingleEvent(written);
    if (!rewritten)
        return QByteArray();
    const char* after = icalcomponent_get_uid(rewritten);
    if ((after ? QByteArray(after) : QByteArray()) != before)
        return QByteArray();
    return out;
}
