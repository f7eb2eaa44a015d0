#include "sync/SyncItem.h"

#include "entries/EntryStore.h"
#include "exchange/IcsExport.h"
#include "sync/AgreedText.h"

#include <QHash>
#include <QUrl>

#include <algorithm>

QStringList TextLines(const QString& text) {
    QString lf = text;
    lf.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), u'\n');
    QStringList lines = lf.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString ServerText(const QStringList& lines) {
    return lines.join(QLatin1Char('\n'));
}

QString StoredText(const QStringList& lines) {
    return lines.join(QLatin1Char('\n'));
}

qsizetype EditorLength(const QStringList& lines) {
    qsizetype n = lines.isEmpty() ? 0 : lines.size() - 1;
    for (const QString& l : lines)
        n += l.size();
    return n;
}

QByteArray LinesHash(const QStringList& lines) {
    return AgreedHash(ServerText(lines));
}

QStringList MergeLines(const QStringList& local, const QStringList& remote) {
    QHash<QString, int> unmatched;
    for (const QString& l : local)
        ++unmatched[l];
    QStringList out = local;
    for (const QString& r : remote) {
        int& n = unmatched[r];
        if (n > 0)
            --n;
        else if (!r.trimmed().isEmpty())
            out << r;
    }
    return out;
}

DayLines::DayLines(const QString& stored,
                   const std::vector<std::pair<QString, QString>>& placements)
    : m_stored(TextLines(stored)) {
    for (const QString& t : m_stored)
        m_lines.push_back({t, QString()});
    for (const auto& [owner, line] : placements) {
        // An explicit capture: clang 14 cannot capture a structured binding.
        auto it = std::find_if(m_lines.rbegin(), m_lines.rend(), [&text = line](const Line& l) {
            return l.owner.isEmpty() && l.text == text;
        });
        if (it == m_lines.rend())
            m_missing.emplace_back(owner, line);
        else
            it->owner = owner;
    }
}

QStringList DayLines::own() const {
    QStringList out;
    for (const Line& l : m_lines)
        if (l.owner.isEmpty())
            out << l.text;
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

QStringList DayLines::texts() const {
    QStringList out;
    for (const Line& l : m_lines)
        out << l.text;
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

qsizetype DayLines::lengthWith(qsizetype delta, qsizetype extraLines) const {
    return EditorLength(texts()) + delta + extraLines;
}

bool DayLines::setOwn(const QStringList& own, qsizetype cap) {
    std::vector<Line> next;
    for (const QString& t : own)
        next.push_back({t, QString()});
    for (const Line& l : m_lines)
        if (!l.owner.isEmpty())
            next.push_back(l);
    std::swap(next, m_lines);
    if (EditorLength(texts()) <= cap)
        return true;
    std::swap(next, m_lines);
    return false;
}

bool DayLines::replace(const QString& owner, const QString& from, const QString& to,
                       qsizetype cap) {
    for (Line& l : m_lines) {
        if (l.owner != owner || l.text != from)
            continue;
        if (lengthWith(to.size() - from.size(), 0) > cap)
            return false;
        l.text = to;
        return true;
    }
    return false;
}

bool DayLines::has(const QString& owner, const QString& line) const {
    return std::any_of(m_lines.begin(), m_lines.end(),
                       [&](const Line& l) { return l.owner == owner && l.text == line; });
}

bool DayLines::remove(const QString& owner, const QString& line) {
    for (auto it = m_lines.begin(); it != m_lines.end(); ++it)
        if (it->owner == owner && it->text == line) {
            m_lines.erase(it);
            return true;
        }
    return false;
}

bool DayLines::place(const QString& owner, const QString& line, qsizetype cap) {
    auto it = std::find_if(m_lines.rbegin(), m_lines.rend(),
                           [&](const Line& l) { return l.owner.isEmpty() && l.text == line; });
    if (it != m_lines.rend()) {
        it->owner = owner;
        return true;
    }
    const QStringList now = texts();
    if (EditorLength(now) + (now.isEmpty() ? 0 : 1) + line.size() > cap)
        return false;
    // Appended after the last line that counts, so that empty lines at the end stay out of it.
    m_lines.resize(now.size());
    m_lines.push_back({line, owner});
    return true;
}

void DayLines::settle() {
    std::vector<Line> next;
    std::vector<Line> placed;
    for (const Line& l : m_lines)
        (l.owner.isEmpty() ? next : placed).push_back(l);
    // Blank lines at the end of ours are no line of the text once others follow them.
    while (!next.empty() && next.back().text.isEmpty())
        next.pop_back();
    std::sort(placed.begin(), placed.end(), [](const Line& a, const Line& b) {
        const bool at = IsTimed(a.text);
        const bool bt = IsTimed(b.text);
        if (at != bt)
            return bt;
        return a.text != b.text ? a.text < b.text : a.owner < b.owner;
    });
    next.insert(next.end(), placed.begin(), placed.end());
    m_lines = std::move(next);
}

bool IsTimed(const QString& line) {
    return line.size() > 6 && line[0].isDigit() && line[1].isDigit() && line[2] == u':' &&
           line[3].isDigit() && line[4].isDigit() && line[5] == u' ';
}

QString NewHref(const QString& collectionPath, const QString& uid) {
    QString path = collectionPath;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + QString::fromLatin1(QUrl::toPercentEncoding(uid, "@")) + QStringLiteral(".ics");
}

QString DayUid(SyncKind kind, const QDate& date) {
    return kind == SyncKind::Diary ? DiaryUid(date) : ScheduleUid(date);
}

QByteArray DayBody(SyncKind kind, const QDate& date, const QString& text, const QDateTime& stamp) {
    return kind == SyncKind::Diary ? DiaryObject(date, text, stamp)
                                   : ScheduleObject(date, text, stamp);
}

QByteArray AnniversaryBody(const Anniversary& a, const QDateTime& stamp) {
    return AnniversaryObject({a.month, a.day, a.text}, stamp);
}

QString LogDate(const QDate& d) {
    return d.toString(QStringLiteral("yyyy/MM/dd"));
}
