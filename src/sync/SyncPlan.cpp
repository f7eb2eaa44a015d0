#include "sync/SyncPlan.h"

#include "core/Database.h"
#include "exchange/IcsExport.h"
#include "sync/AgreedText.h"
#include "sync/SyncItem.h"

#include <QSet>

#include <set>

namespace {

// The value of a key, or an empty one.
template <class Map>
typename Map::mapped_type ValueOf(const Map& map, const typename Map::key_type& key) {
    const auto it = map.find(key);
    return it == map.end() ? typename Map::mapped_type() : it->second;
}

// The days that any of the maps has.
template <class... Maps> std::set<QDate> DaysOf(const Maps&... maps) {
    std::set<QDate> out;
    (
        [&] {
            for (const auto& entry : maps)
                out.insert(entry.first);
        }(),
        ...);
    return out;
}

SyncRow NewRow(SyncKind kind, const QString& href, const QString& uid, const QString& tag,
               const QByteArray& agreed) {
    SyncRow r;
    r.kind = kind;
    r.href = href;
    r.uid = uid;
    r.tag = tag;
    r.agreed = agreed;
    return r;
}

std::map<QDate, const SyncRow*> RowsByDay(const std::vector<SyncRow>& rows, SyncKind kind) {
    std::map<QDate, const SyncRow*> out;
    for (const SyncRow& r : rows)
        if (r.kind == kind)
            out[r.date] = &r;
    return out;
}

// The lines placed on each day, (href, line), by the foreign items among rows.
using DayPlacements = std::map<QDate, std::vector<std::pair<QString, QString>>>;

DayPlacements PlacementsByDay(const std::vector<SyncRow>& rows) {
    DayPlacements out;
    for (const SyncRow& r : rows)
        if (r.kind == SyncKind::Foreign)
            for (const Placement& p : r.lines)
                out[p.date].emplace_back(r.href, p.line);
    return out;
}

bool InScope(SyncKind kind, const SyncScope& scope) {
    switch (kind) {
    case SyncKind::Schedule:
    case SyncKind::Foreign:
        return scope.schedules;
    case SyncKind::Diary:
        return scope.diaries;
    case SyncKind::Anniversary:
        return scope.anniversaries;
    case SyncKind::Collection:
        break;
    }
    return false;
}

SyncKind KindOf(const IcsObject& o) {
    switch (o.kind) {
    case IcsObject::Kind::Schedule:
        return SyncKind::Schedule;
    case IcsObject::Kind::Diary:
        return SyncKind::Diary;
    case IcsObject::Kind::Anniversary:
        return SyncKind::Anniversary;
    case IcsObject::Kind::Other:
        break;
    }
    return SyncKind::Foreign;
}

QString KindName(SyncKind kind) {
    return kind == SyncKind::Diary ? QStringLiteral("日記") : QStringLiteral("予定");
}

qsizetype CapOf(SyncKind kind) {
    return kind == SyncKind::Diary ? kDiaryMaxChars : kScheduleMaxChars;
}

bool SameContent(const SyncRow& r, const Anniversary& a) {
    return r.month == a.month && r.day == a.day && r.agreed == AgreedHash(a.text);
}

bool SameAnniversary(const Anniversary& a, const Anniversary& b) {
    return a.month == b.month && a.day == b.day && a.text == b.text;
}

// Anniversaries a calendar can hold: the export's own condition.
bool Syncable(const Anniversary& a) {
    return QDate::isValid(1904, a.month, a.day) && !a.text.trimmed().isEmpty();
}

std::vector<Placement> Placements(const IcsObject& o) {
    std::vector<Placement> out;
    for (const auto& [d, line] : o.lines)
        out.push_back({d, line});
    return out;
}

// Each day's lines of a list, in order.
std::map<QDate, QStringList> ByDay(const std::vector<Placement>& lines) {
    std::map<QDate, QStringList> out;
    for (const Placement& p : lines)
        out[p.date] << p.line;
    return out;
}

// ---------------------------------------------------------------- pull

class Puller {
public:
    Puller(const LocalTexts& local, const std::vector<SyncRow>& rows, const SyncOptions& o)
        : m_local(local), m_opt(o), m_annNow(local.anniversaries) {
        for (const SyncRow& r : rows)
            m_before[r.href] = r;
        m_rows = m_before;
        m_placements = PlacementsByDay(rows);
    }
    PullPlan run(const RemoteChanges& remote);

private:
    DayLines& day(const QDate& d);
    QStringList& diary(const QDate& d);
    QStringList ownLines(SyncKind kind, const QDate& d) {
        return kind == SyncKind::Diary ? diary(d) : day(d).own();
    }
    bool setOwnLines(SyncKind kind, const QDate& d, const QStringList& lines);
    void removed(const SyncRow& row);
    void ourDay(const RemoteItem& item, const IcsObject& o, SyncKind kind, const SyncRow* row);
    void anniversary(const RemoteItem& item, const IcsObject& o, const SyncRow* row);
    void foreign(const RemoteItem& item, const IcsObject& o, const SyncRow* row);
    void finish(const RemoteChanges& remote);

    const LocalTexts& m_local;
    const SyncOptions& m_opt;
    std::map<QString, SyncRow> m_before; // by href
    std::map<QString, SyncRow> m_rows;   // as they will be
    DayPlacements m_placements;
    std::map<QDate, DayLines> m_days;
    std::map<QDate, QStringList> m_diaries;
    std::vector<Anniversary> m_annNow;
    std::vector<SyncRow> m_annGone; // contents of rows that went or changed
    PullPlan m_plan;
};

DayLines& Puller::day(const QDate& d) {
    auto it = m_days.find(d);
    if (it == m_days.end())
        it = m_days.emplace(d, DayLines(ValueOf(m_local.schedules, d), ValueOf(m_placements, d)))
                 .first;
    return it->second;
}

QStringList& Puller::diary(const QDate& d) {
    auto it = m_diaries.find(d);
    if (it == m_diaries.end())
        it = m_diaries.emplace(d, TextLines(ValueOf(m_local.diaries, d))).first;
    return it->second;
}

bool Puller::setOwnLines(SyncKind kind, const QDate& d, const QStringList& lines) {
    if (kind != SyncKind::Diary)
        return day(d).setOwn(lines, kScheduleMaxChars);
    if (EditorLength(lines) > kDiaryMaxChars)
        return false;
    diary(d) = lines;
    return true;
}

PullPlan Puller::run(const RemoteChanges& remote) {
    QStringList gone = remote.removed;
    if (remote.complete) {
        std::set<QString> listed;
        for (const RemoteItem& i : remote.changed)
            listed.insert(i.href);
        for (const auto& [href, row] : m_before)
            if (!listed.count(href))
                gone << href;
    }
    for (const QString& href : gone) {
        const auto it = m_rows.find(href);
        if (it != m_rows.end() && InScope(it->second.kind, m_opt.scope))
            removed(it->second);
    }
    // Our items first, so that their rules see the texts as the user left them.
    std::vector<std::pair<const RemoteItem*, IcsObject>> read[3];
    for (const RemoteItem& item : remote.changed) {
        const auto row = m_rows.find(item.href);
        const bool known = row != m_rows.end();
        if (known && !row->second.tag.isEmpty() && row->second.tag == item.etag)
            continue;
        if (item.body.isEmpty())
            continue;
        IcsObject o;
        const ImportResult r = ReadIcsObject(item.body, m_opt.placing, o);
        if (!r.ok) {
            m_plan.log
                << QStringLiteral("サーバーの項目 %1 を読めません: %2").arg(item.href, r.error);
            // Remembered, so that it is read again only when it changes.
            if (!known) {
                m_rows[item.href] =
                    NewRow(SyncKind::Foreign, item.href, QString(), item.etag, QByteArray());
                m_rows[item.href].fixed = true;
            }
            continue;
        }
        const SyncKind kind = KindOf(o);
        if (!InScope(kind, m_opt.scope))
            continue;
        const int pass = kind == SyncKind::Foreign ? 2 : kind == SyncKind::Anniversary ? 1 : 0;
        read[pass].emplace_back(&item, std::move(o));
    }
    for (const auto& pass : read)
        for (const auto& [item, o] : pass) {
            const SyncKind kind = KindOf(o);
            auto it = m_rows.find(item->href);
            // An href that now holds another item: the old one went, a new one came.
            if (it != m_rows.end() && (it->second.kind != kind ||
                                       ((kind == SyncKind::Schedule || kind == SyncKind::Diary) &&
                                        it->second.date != o.date))) {
                removed(it->second);
                it = m_rows.end();
            }
            const SyncRow* row = it == m_rows.end() ? nullptr : &it->second;
            if (kind == SyncKind::Foreign)
                foreign(*item, o, row);
            else if (kind == SyncKind::Anniversary)
                anniversary(*item, o, row);
            else
                ourDay(*item, o, kind, row);
        }
    finish(remote);
    return std::move(m_plan);
}

void Puller::removed(const SyncRow& row) {
    const SyncRow r = row;
    m_rows.erase(r.href);
    if (r.kind == SyncKind::Schedule || r.kind == SyncKind::Diary) {
        const QStringList own = ownLines(r.kind, r.date);
        if (own.isEmpty())
            return;
        if (LinesHash(own) == r.agreed)
            setOwnLines(r.kind, r.date, QStringList());
        else
            m_plan.log << QStringLiteral("%1の%2: サーバーで削除されましたが、こちらで変更されて"
                                         "いたため残しました。")
                              .arg(LogDate(r.date), KindName(r.kind));
    } else if (r.kind == SyncKind::Anniversary) {
        m_annGone.push_back(r);
    } else {
        for (const Placement& p : r.lines)
            day(p.date).remove(r.href, p.line);
    }
}

void Puller::ourDay(const RemoteItem& item, const IcsObject& o, SyncKind kind, const SyncRow* row) {
    const QStringList remote = TextLines(o.text);
    SyncRow next = NewRow(kind, item.href, o.uid, item.etag, LinesHash(remote));
    next.date = o.date;
    const QString where = QStringLiteral("%1の%2").arg(LogDate(o.date), KindName(kind));
    // Kept as it stands, and fetched again next time: the server's text is not lost.
    const auto hold = [&] {
        SyncRow held = row ? *row : next;
        if (!row)
            held.agreed.clear();
        held.tag.clear();
        m_rows[item.href] = held;
        m_plan.log << QStringLiteral("%1: 両方の内容を合わせると文字数の上限（%L2 文字）を超える"
                                     "ため、サーバーの内容を取り込めませんでした。次回の同期で"
                                     "もう一度試みます。")
                          .arg(where)
                          .arg(CapOf(kind));
    };
    if (row && next.agreed == row->agreed) {
        m_rows[item.href] = next; // only the server's version changed
        return;
    }
    const QStringList own = ownLines(kind, o.date);
    const QByteArray ownHash = LinesHash(own);
    const bool changedHere = !row || ownHash != row->agreed;
    if (own.isEmpty() || !changedHere) {
        if (!setOwnLines(kind, o.date, remote))
            return hold();
        if (own.isEmpty() && row && changedHere)
            m_plan.log << QStringLiteral("%1: こちらで削除されましたが、サーバーで変更されて"
                                         "いたため変更を残しました。")
                              .arg(where);
        m_rows[item.href] = next;
        return;
    }
    if (ownHash != next.agreed) {
        if (!setOwnLines(kind, o.date, MergeLines(own, remote)))
            return hold();
        m_plan.log << QStringLiteral("%1: こちらとサーバーの両方で変更されていたため、両方の行を"
                                     "まとめました。")
                          .arg(where);
    }
    m_rows[item.href] = next;
}

void Puller::anniversary(const RemoteItem& item, const IcsObject& o, const SyncRow* row) {
    const Anniversary& a = o.anniversary;
    if (!Syncable(a))
        return;
    SyncRow next = NewRow(SyncKind::Anniversary, item.href, o.uid, item.etag, AgreedHash(a.text));
    next.month = a.month;
    next.day = a.day;
    if (row && row->month == a.month && row->day == a.day && row->agreed == next.agreed) {
        m_rows[item.href] = next;
        return;
    }
    if (row)
        m_annGone.push_back(*row);
    if (std::none_of(m_annNow.begin(), m_annNow.end(),
                     [&](const Anniversary& b) { return SameAnniversary(a, b); }))
        m_annNow.push_back(a);
    m_rows[item.href] = next;
}

void Puller::foreign(const RemoteItem& item, const IcsObject& o, const SyncRow* row) {
    const std::vector<Placement> lines = Placements(o);
    SyncRow next =
        NewRow(SyncKind::Foreign, item.href, o.uid, item.etag, AgreedHash(EncodePlacements(lines)));
    next.fixed = o.repeats || !o.editable;
    if (row && row->agreed == next.agreed) {
        next.lines = row->lines;
        m_rows[item.href] = next;
        return;
    }
    // Old and new lines of each day paired in order: a line the user left as it was is
    // replaced where it stands; one the user changed stays, and the new one is added.
    std::map<QDate, std::pair<QStringList, QStringList>> days;
    if (row)
        for (const Placement& p : row->lines)
            days[p.date].first << p.line;
    for (const Placement& p : lines)
        days[p.date].second << p.line;
    bool held = false;
    for (const auto& [date, pair] : days) {
        // A plain copy for the lambda below: clang 14 cannot capture a structured binding.
        const QDate d = date;
        const auto& [before, after] = pair;
        DayLines& shown = day(d);
        const auto place = [&](const QString& line) {
            if (shown.place(item.href, line, kScheduleMaxChars)) {
                next.lines.push_back({d, line});
                return;
            }
            held = true;
            m_plan.log << QStringLiteral("%1の予定「%2」: その日の文字数が上限（%L3 文字）を"
                                         "超えるため表示できませんでした。次回の同期でもう一度"
                                         "試みます。")
                              .arg(LogDate(d), line)
                              .arg(kScheduleMaxChars);
        };
        for (qsizetype i = 0; i < qMax(before.size(), after.size()); ++i) {
            if (i >= after.size()) {
                shown.remove(item.href, before[i]);
            } else if (i >= before.size()) {
                place(after[i]);
            } else if (shown.has(item.href, before[i])) {
                if (shown.replace(item.href, before[i], after[i], kScheduleMaxChars)) {
                    next.lines.push_back({d, after[i]});
                } else { // the old line stays until the new one fits
                    next.lines.push_back({d, before[i]});
                    held = true;
                }
            } else {
                place(after[i]);
            }
        }
    }
    if (held) {
        next.tag.clear();
        next.agreed.clear();
    }
    if (!row || held)
        for (const QString& why : o.notPlaced)
            m_plan.log << why;
    m_rows[item.href] = next;
}

void Puller::finish(const RemoteChanges& remote) {
    // Every day showing other clients' lines in the one order all databases give it.
    for (const auto& [d, placed] : m_placements)
        day(d);
    for (auto& [d, lines] : m_days) {
        lines.settle();
        if (lines.changed())
            m_plan.schedules[d] = StoredText(lines.texts());
    }
    for (const auto& [d, lines] : m_diaries)
        if (lines != TextLines(ValueOf(m_local.diaries, d)))
            m_plan.diaries[d] = StoredText(lines);
    // An anniversary goes with the last item that held it.
    for (const SyncRow& g : m_annGone) {
        const bool held = std::any_of(m_rows.begin(), m_rows.end(), [&](const auto& r) {
            return r.second.kind == SyncKind::Anniversary && r.second.month == g.month &&
                   r.second.day == g.day && r.second.agreed == g.agreed;
        });
        if (!held)
            std::erase_if(m_annNow, [&](const Anniversary& a) { return SameContent(g, a); });
    }
    const auto contains = [](const std::vector<Anniversary>& list, const Anniversary& a) {
        return std::any_of(list.begin(), list.end(),
                           [&](const Anniversary& b) { return SameAnniversary(a, b); });
    };
    for (const Anniversary& a : m_annNow)
        if (!contains(m_local.anniversaries, a) && !contains(m_plan.addAnniversaries, a))
            m_plan.addAnniversaries.push_back(a);
    for (const Anniversary& a : m_local.anniversaries)
        if (!contains(m_annNow, a) && !contains(m_plan.removeAnniversaries, a))
            m_plan.removeAnniversaries.push_back(a);
    for (const auto& [href, row] : m_rows) {
        const auto was = m_before.find(href);
        if (was == m_before.end() || !(was->second == row))
            m_plan.writeRows.push_back(row);
    }
    for (const auto& [href, row] : m_before)
        if (!m_rows.count(href))
            m_plan.dropRows << href;
    m_plan.token = remote.token;
}

// ---------------------------------------------------------------- push

// The summary of an event whose line the user changed: after the time of a timed line, since
// the event keeps its time.
QString SummaryOf(const QString& placed, const QString& typed) {
    if (IsTimed(placed) && IsTimed(typed))
        return typed.mid(6).trimmed();
    return typed.trimmed();
}

class Pusher {
public:
    Pusher(const std::vector<SyncRow>& rows, const SyncOptions& o, const QString& path,
           const QDateTime& stamp)
        : m_opt(o), m_path(path), m_stamp(stamp) {
        for (const SyncRow& r : rows)
            m_rows[r.href] = &r;
    }
    std::vector<PushOp> run(const LocalTexts& local, const std::vector<SyncRow>& rows);

private:
    // What became of another client's event whose line is missing here.
    struct Fate {
        bool edited = false;
        LineChange change;           // the user's: its line (from) to what now stands there (to)
        std::vector<Placement> gone; // its lines missing here
    };
    void schedules(const LocalTexts& local, const std::vector<SyncRow>& rows);
    void resolveMissing(const QDate& d, const DayLines& day, const SyncRow* ourRow,
                        QStringList& own);
    void ourDay(SyncKind kind, const QDate& d, const QStringList& own, const SyncRow* row);
    void anniversaries(const LocalTexts& local, const std::vector<SyncRow>& rows);

    const SyncOptions& m_opt;
    const QString& m_path;
    const QDateTime& m_stamp;
    std::map<QString, const SyncRow*> m_rows;
    std::map<QString, Fate> m_fates;
    std::vector<PushOp> m_ops;
};

std::vector<PushOp> Pusher::run(const LocalTexts& local, const std::vector<SyncRow>& rows) {
    if (m_opt.scope.schedules)
        schedules(local, rows);
    if (m_opt.scope.diaries) {
        const auto byDay = RowsByDay(rows, SyncKind::Diary);
        for (const QDate& d : DaysOf(local.diaries, byDay))
            ourDay(SyncKind::Diary, d, TextLines(ValueOf(local.diaries, d)), ValueOf(byDay, d));
    }
    if (m_opt.scope.anniversaries)
        anniversaries(local, rows);
    return std::move(m_ops);
}

void Pusher::schedules(const LocalTexts& local, const std::vector<SyncRow>& rows) {
    const DayPlacements placements = PlacementsByDay(rows);
    const auto byDay = RowsByDay(rows, SyncKind::Schedule);
    for (const QDate& d : DaysOf(local.schedules, byDay, placements)) {
        const DayLines day(ValueOf(local.schedules, d), ValueOf(placements, d));
        QStringList own = day.own();
        resolveMissing(d, day, ValueOf(byDay, d), own);
        ourDay(SyncKind::Schedule, d, own, ValueOf(byDay, d));
    }
    for (const auto& [href, fate] : m_fates) {
        const SyncRow& row = *m_rows[href];
        PushOp op;
        op.href = href;
        op.ifMatch = row.tag;
        op.row = row;
        const QString summary =
            fate.edited ? SummaryOf(fate.change.from, fate.change.to) : QString();
        if (!summary.isEmpty()) {
            op.action = PushOp::Action::Rewrite;
            op.summary = summary;
            op.lineChanges = {fate.change};
        } else {
            // Its lines still shown go with it.
            op.action = PushOp::Action::Delete;
            std::vector<Placement> gone = fate.gone;
            for (const Placement& p : row.lines) {
                const auto missing = std::find(gone.begin(), gone.end(), p);
                if (missing == gone.end())
                    op.lineChanges.push_back({p.date, p.line, QString()});
                else
                    gone.erase(missing);
            }
            op.log = QStringLiteral("%1の予定「%2」をサーバーからも削除しました。")
                         .arg(LogDate(fate.change.date), fate.change.from);
        }
        m_ops.push_back(std::move(op));
    }
}

// Tells apart a line of another client's event that the user changed from one the user deleted:
// with our own lines as last agreed, the new line is the one too many there.
void Pusher::resolveMissing(const QDate& d, const DayLines& day, const SyncRow* ourRow,
                            QStringList& own) {
    std::vector<std::pair<QString, QString>> missing;
    for (const auto& m : day.missing()) {
        const SyncRow* r = m_rows[m.first];
        // Repeating events are left alone; a row still to be integrated waits for the pull.
        if (!r->fixed && !r->tag.isEmpty())
            missing.push_back(m);
    }
    if (missing.empty())
        return;
    const QByteArray agreed = ourRow ? ourRow->agreed : LinesHash(QStringList());
    qsizetype typed = -1;
    // A day of thousands of lines is not searched: its missing lines count as deleted.
    constexpr qsizetype kMaxSearched = 500;
    if (LinesHash(own) != agreed && own.size() <= kMaxSearched)
        for (qsizetype i = 0; i < own.size() && typed < 0; ++i) {
            QStringList rest = own;
            rest.removeAt(i);
            if (!own[i].trimmed().isEmpty() && LinesHash(rest) == agreed)
                typed = i;
        }
    qsizetype edited = -1;
    if (typed >= 0) {
        edited = 0;
        // Of several, the one of the same time.
        for (qsizetype i = 0; i < qsizetype(missing.size()); ++i)
            if (IsTimed(own[typed]) && missing[i].second.left(6) == own[typed].left(6))
                edited = i;
    }
    for (qsizetype i = 0; i < qsizetype(missing.size()); ++i) {
        Fate& f = m_fates[missing[i].first];
        f.gone.push_back({d, missing[i].second});
        if (i == edited) {
            f.edited = true;
            f.change = {d, missing[i].second, own[typed]};
        } else if (!f.edited)
            f.change = {d, missing[i].second, QString()};
    }
    if (typed >= 0)
        own.removeAt(typed);
}

void Pusher::ourDay(SyncKind kind, const QDate& d, const QStringList& own, const SyncRow* row) {
    if (row && row->tag.isEmpty())
        return; // the server's version is to be integrated first
    const QByteArray hash = LinesHash(own);
    if (row && hash == row->agreed)
        return;
    PushOp op;
    if (row) {
        op.row = *row;
    } else {
        op.row = NewRow(kind, NewHref(m_path, DayUid(kind, d)), DayUid(kind, d), QString(), {});
        op.row.date = d;
    }
    op.href = op.row.href;
    op.ifMatch = op.row.tag;
    if (own.isEmpty()) {
        if (!row)
            return;
        op.action = PushOp::Action::Delete;
    } else {
        op.action = PushOp::Action::Put;
        op.body = DayBody(kind, d, ServerText(own), m_stamp);
        op.row.agreed = hash;
        op.row.tag.clear();
    }
    m_ops.push_back(std::move(op));
}

void Pusher::anniversaries(const LocalTexts& local, const std::vector<SyncRow>& rows) {
    std::set<QString> matched;
    std::vector<Anniversary> done;
    for (const Anniversary& a : local.anniversaries) {
        if (!Syncable(a) || std::any_of(done.begin(), done.end(), [&](const Anniversary& b) {
                return SameAnniversary(a, b);
            }))
            continue;
        done.push_back(a);
        bool known = false;
        for (const SyncRow& r : rows)
            if (r.kind == SyncKind::Anniversary && SameContent(r, a)) {
                matched.insert(r.href);
                known = true;
            }
        if (known)
            continue;
        const QString uid = AnniversaryUid(a.month, a.day, a.text);
        PushOp op;
        op.href = NewHref(m_path, uid);
        op.body = AnniversaryBody(a, m_stamp);
        op.row = NewRow(SyncKind::Anniversary, op.href, uid, QString(), AgreedHash(a.text));
        op.row.month = a.month;
        op.row.day = a.day;
        m_ops.push_back(std::move(op));
    }
    for (const SyncRow& r : rows)
        if (r.kind == SyncKind::Anniversary && !matched.count(r.href) && !r.tag.isEmpty()) {
            PushOp op;
            op.action = PushOp::Action::Delete;
            op.href = r.href;
            op.ifMatch = r.tag;
            op.row = r;
            m_ops.push_back(std::move(op));
        }
}

// Changes the lines of a day as a done request says.
bool ApplyLineChanges(Connection& db, const std::vector<LineChange>& changes) {
    if (changes.empty())
        return true;
    std::map<QDate, std::vector<const LineChange*>> byDay;
    for (const LineChange& c : changes)
        byDay[c.date].push_back(&c);
    // The lines other clients' items place now, this item's as just recorded: the day is put in
    // the order a pull would give it, so that the next sync finds it settled.
    std::vector<SyncRow> rows;
    if (!ReadSyncRows(db, rows))
        return false;
    const DayPlacements placements = PlacementsByDay(rows);
    for (const auto& [d, list] : byDay) {
        const std::optional<DayText> stored = ReadDay(db, DayEntry::Schedule, d);
        if (!stored)
            return false;
        QStringList lines = TextLines(stored->text);
        for (const LineChange* c : list) {
            const qsizetype at = c->from.isEmpty() ? -1 : lines.lastIndexOf(c->from);
            if (at >= 0 && c->to.isEmpty())
                lines.removeAt(at);
            else if (at >= 0)
                lines[at] = c->to;
            else if (!c->to.isEmpty() && !lines.contains(c->to))
                lines << c->to;
        }
        DayLines day(StoredText(lines), ValueOf(placements, d));
        day.settle();
        lines = day.texts();
        if (lines == TextLines(stored->text))
            continue;
        const bool ok = lines.isEmpty() ? DeleteDay(db, DayEntry::Schedule, d)
                                        : WriteDay(db, DayEntry::Schedule, d, StoredText(lines),
                                                   stored->exists);
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

bool ReadLocalTexts(Connection& db, const SyncScope& scope, LocalTexts& out) {
    out = LocalTexts();
    const auto into = [](std::map<QDate, QString>& m) {
        return [&m](const QDate& d, const QString& text) { m[d] = text; };
    };
    return (!scope.schedules || ReadAllDays(db, DayEntry::Schedule, into(out.schedules))) &&
           (!scope.diaries || ReadAllDays(db, DayEntry::Diary, into(out.diaries))) &&
           (!scope.anniversaries || ReadAnniversaries(db, out.anniversaries));
}

QStringList HrefsToFetch(const std::vector<SyncRow>& rows,
                         const std::vector<std::pair<QString, QString>>& listed) {
    std::map<QString, QString> tags;
    for (const SyncRow& r : rows)
        tags[r.href] = r.tag;
    QStringList out;
    QSet<QString> named;
    for (const auto& [href, etag] : listed) {
        const auto it = tags.find(href);
        if (it == tags.end() || it->second.isEmpty() || it->second != etag) {
            out << href;
            named.insert(href);
        }
    }
    for (const SyncRow& r : rows)
        if (r.tag.isEmpty() && !named.contains(r.href))
            out << r.href;
    return out;
}

PullPlan PlanPull(const LocalTexts& local, const std::vector<SyncRow>& rows,
                  const RemoteChanges& remote, const SyncOptions& options) {
    return Puller(local, rows, options).run(remote);
}

bool ApplyPull(Connection& db, const PullPlan& plan) {
    for (int e = 0; e < 2; ++e) {
        const DayEntry entry = e == 0 ? DayEntry::Schedule : DayEntry::Diary;
        for (const auto& [d, text] : e == 0 ? plan.schedules : plan.diaries) {
            const std::optional<DayText> stored = ReadDay(db, entry, d);
            if (!stored)
                return false;
            const bool ok = text.isEmpty() ? !stored->exists || DeleteDay(db, entry, d)
                                           : WriteDay(db, entry, d, text, stored->exists);
            if (!ok)
                return false;
        }
    }
    for (const Anniversary& a : plan.removeAnniversaries)
        if (!DeleteAnniversary(db, a))
            return false;
    for (const Anniversary& a : plan.addAnniversaries)
        if (!AddAnniversary(db, a))
            return false;
    for (const QString& href : plan.dropRows)
        if (!DeleteSyncRow(db, href))
            return false;
    for (const SyncRow& r : plan.writeRows)
        if (!WriteSyncRow(db, r))
            return false;
    return !plan.token || WriteSyncToken(db, *plan.token);
}

std::vector<PushOp> PlanPush(const LocalTexts& local, const std::vector<SyncRow>& rows,
                             const SyncOptions& options, const QString& collectionPath,
                             const QDateTime& stamp) {
    return Pusher(rows, options, collectionPath, stamp).run(local, rows);
}

std::optional<PushOp> RewriteForeign(const PushOp& rewrite, const QByteArray& body,
                                     const QString& etag, const SyncOptions& options) {
    if (rewrite.action != PushOp::Action::Rewrite || etag != rewrite.ifMatch ||
        rewrite.lineChanges.empty())
        return std::nullopt;
    const QByteArray rewritten = ReplaceSummary(body, rewrite.summary);
    IcsObject o;
    if (rewritten.isEmpty() || !ReadIcsObject(rewritten, options.placing, o).ok)
        return std::nullopt;
    PushOp put;
    put.action = PushOp::Action::Put;
    put.href = rewrite.href;
    put.ifMatch = etag;
    put.body = rewritten;
    const std::vector<Placement> lines = Placements(o);
    put.row = NewRow(SyncKind::Foreign, rewrite.href, o.uid, QString(),
                     AgreedHash(EncodePlacements(lines)));
    put.row.lines = lines;
    // The days as they stand now: the user's line in place of the event's old one.
    std::map<QDate, QStringList> before = ByDay(rewrite.row.lines);
    const LineChange& typed = rewrite.lineChanges.front();
    QStringList& edited = before[typed.date];
    const qsizetype at = edited.indexOf(typed.from);
    if (at >= 0)
        edited[at] = typed.to;
    const std::map<QDate, QStringList> after = ByDay(lines);
    QString shown;
    for (const QDate& d : DaysOf(before, after)) {
        const QStringList from = ValueOf(before, d);
        const QStringList to = ValueOf(after, d);
        for (qsizetype i = 0; i < qMax(from.size(), to.size()); ++i) {
            const QString f = i < from.size() ? from[i] : QString();
            const QString t = i < to.size() ? to[i] : QString();
            if (d == typed.date && f == typed.to)
                shown = t;
            if (f != t)
                put.lineChanges.push_back({d, f, t});
        }
    }
    put.log = QStringLiteral("%1の予定「%2」をサーバーでも「%3」に変更しました。")
                  .arg(LogDate(typed.date), typed.from, shown.isEmpty() ? typed.to : shown);
    if (!shown.isEmpty() && shown != typed.to)
        put.log += QStringLiteral("予定の時刻は変わりません。");
    return put;
}

bool ApplyPushDone(Connection& db, const PushOp& op, const QString& etag) {
    if (op.action == PushOp::Action::Put) {
        SyncRow row = op.row;
        row.tag = etag;
        if (!WriteSyncRow(db, row))
            return false;
    } else if (op.action == PushOp::Action::Delete) {
        if (!DeleteSyncRow(db, op.href))
            return false;
    } else {
        return false; // a Rewrite is done by its Put
    }
    return ApplyLineChanges(db, op.lineChanges);
}

bool ApplyPushConflict(Connection& db, const PushOp& op) {
    if (!op.ifMatch.isEmpty())
        return ForgetSyncTag(db, op.href);
    // A new item whose UID the server already has: nothing agreed yet, so both texts count.
    SyncRow row = op.row;
    row.tag.clear();
    row.agreed.clear();
    return WriteSyncRow(db, row);
}
