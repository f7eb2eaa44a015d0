#include "sync/SyncState.h"

#include "core/Database.h"

namespace {

// The href is the key: the server names an item by it, and every answer is about one.
const char* const kCreate = "CREATE TABLE IF NOT EXISTS T_SyncItem ("
                            "Href TEXT NOT NULL PRIMARY KEY, "
                            "Kind INTEGER NOT NULL, "
                            "Uid TEXT, "
                            "Tag TEXT, "
                            "[Date] TEXT, "
                            "Month INTEGER, "
                            "Day INTEGER, "
                            "Agreed TEXT, "
                            "Lines TEXT, "
                            "Fixed INTEGER NOT NULL DEFAULT 0)";

QVariant OrNull(const QString& s) {
    return s.isEmpty() ? QVariant() : QVariant(s);
}

} // namespace

std::optional<bool> HasSyncTable(Connection& db) {
    Recordset rs;
    if (!rs.open(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND "
                                    "name = 'T_SyncItem'")))
        return std::nullopt;
    return !rs.eof();
}

bool CreateSyncTable(Connection& db) {
    return db.exec(QString::fromLatin1(kCreate));
}

bool ReadSyncRows(Connection& db, std::vector<SyncRow>& out) {
    // The rows read replace what out held: a sync reads them again after its pull.
    out.clear();
    Recordset rs;
    if (!rs.open(db,
                 QStringLiteral("SELECT Href, Kind, Uid, Tag, [Date], Month, Day, Agreed, "
                                "Lines, Fixed FROM T_SyncItem WHERE Kind <> ? ORDER BY Href"),
                 {int(SyncKind::Collection)}))
        return false;
    while (!rs.eof()) {
        SyncRow r;
        r.href = rs.text(0);
        r.kind = SyncKind(rs.integer(1));
        r.uid = rs.text(2);
        r.tag = rs.text(3);
        r.date = rs.isNull(4) ? QDate() : rs.date(4);
        r.month = int(rs.integer(5));
        r.day = int(rs.integer(6));
        r.agreed = rs.text(7).toLatin1();
        r.lines = DecodePlacements(rs.text(8));
        r.fixed = rs.integer(9) != 0;
        out.push_back(std::move(r));
        if (!rs.moveNext())
            return false;
    }
    return true;
}

bool WriteSyncRow(Connection& db, const SyncRow& r) {
    const bool day = r.kind == SyncKind::Schedule || r.kind == SyncKind::Diary;
    const bool anniversary = r.kind == SyncKind::Anniversary;
    return db.exec(
        QStringLiteral("INSERT OR REPLACE INTO T_SyncItem (Href, Kind, Uid, Tag, "
                       "[Date], Month, Day, Agreed, Lines, Fixed) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {r.href, int(r.kind), OrNull(r.uid), OrNull(r.tag), day ? QVariant(r.date) : QVariant(),
         anniversary ? QVariant(r.month) : QVariant(), anniversary ? QVariant(r.day) : QVariant(),
         OrNull(QString::fromLatin1(r.agreed)),
         r.kind == SyncKind::Foreign ? OrNull(EncodePlacements(r.lines)) : QVariant(),
         r.fixed ? 1 : 0});
}

bool DeleteSyncRow(Connection& db, const QString& href) {
    return db.exec(QStringLiteral("DELETE FROM T_SyncItem WHERE Href = ? AND Kind <> ?"),
                   {href, int(SyncKind::Collection)});
}

bool ForgetSyncTag(Connection& db, const QString& href) {
    return db.exec(QStringLiteral("UPDATE T_SyncItem SET Tag = NULL WHERE Href = ? AND Kind <> ?"),
                   {href, int(SyncKind::Collection)});
}

bool ReadCollection(Connection& db, CollectionState& out) {
    out = CollectionState();
    Recordset rs;
    // The collection's row keeps the scope where items keep their UID.
    if (!rs.open(db, QStringLiteral("SELECT Href, Tag, Uid FROM T_SyncItem WHERE Kind = ?"),
                 {int(SyncKind::Collection)}))
        return false;
    if (!rs.eof()) {
        out.url = rs.text(0);
        out.token = rs.text(1);
        out.scope = rs.text(2);
    }
    return true;
}

bool WriteCollection(Connection& db, const CollectionState& state) {
    return db.exec(QStringLiteral("DELETE FROM T_SyncItem WHERE Kind = ?"),
                   {int(SyncKind::Collection)}) &&
           (state.url.isEmpty() ||
            db.exec(
                QStringLiteral("INSERT INTO T_SyncItem (Href, Kind, Tag, Uid) VALUES (?, ?, ?, ?)"),
                {state.url, int(SyncKind::Collection), OrNull(state.token), OrNull(state.scope)}));
}

bool WriteSyncToken(Connection& db, const QString& token) {
    return db.exec(QStringLiteral("UPDATE T_SyncItem SET Tag = ? WHERE Kind = ?"),
                   {OrNull(token), int(SyncKind::Collection)});
}

bool ClearSyncItems(Connection& db) {
    return db.exec(QStringLiteral("DELETE FROM T_SyncItem WHERE Kind <> ?"),
                   {int(SyncKind::Collection)});
}

QString EncodePlacements(const std::vector<Placement>& lines) {
    QString out;
    for (const Placement& p : lines)
        out += p.date.toString(Qt::ISODate) + QLatin1Char('\t') + p.line + QLatin1Char('\n');
    return out;
}

std::vector<Placement> DecodePlacements(const QString& text) {
    std::vector<Placement> out;
    for (const QString& entry : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype tab = entry.indexOf(QLatin1Char('\t'));
        const QDate d = QDate::fromString(entry.left(tab), Qt::ISODate);
        if (tab > 0 && d.isValid())
            out.push_back({d, entry.mid(tab + 1)});
    }
    return out;
}
