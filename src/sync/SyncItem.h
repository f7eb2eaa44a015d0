// One item as the sync sees it on either side: texts as lines (older entries end lines with CR LF,
// servers with LF, and both are one text), a day's schedule split into our own lines and the
// lines other clients' items placed there, and our items' names and bodies on the server.
#pragma once

#include "sync/SyncState.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

struct Anniversary;

// A text's lines, whatever its line ends; empty lines at its end do not count.
QStringList TextLines(const QString& text);
// Lines as the server keeps a text: joined by LF.
QString ServerText(const QStringList& lines);
// Lines as the editors and the import keep a text: joined by a line feed.
QString StoredText(const QStringList& lines);
// The length the editors count: characters, and one per line break.
qsizetype EditorLength(const QStringList& lines);
// The digest of a text's lines as the sync state keeps it.
QByteArray LinesHash(const QStringList& lines);
// Both sides' changes of one text: the local lines, then the remote lines not already among
// them (each local line answering for one equal remote line); blank remote lines add nothing.
QStringList MergeLines(const QStringList& local, const QStringList& remote);

// A day's schedule as lines, each either ours or placed by another client's item (its href).
// The placements remembered for the day claim equal lines, the last ones first (placed lines
// are appended after ours); a placement without its line is missing: the user changed it.
class DayLines {
public:
    struct Line {
        QString text;
        QString owner; // href of the item that placed it; empty for our own lines
    };
    DayLines() = default;
    DayLines(const QString& stored, const std::vector<std::pair<QString, QString>>& placements);

    // Our own lines: what our day item on the server holds.
    QStringList own() const;
    // Replaces our own lines, the placed ones following them; false (and nothing changed) when
    // the day would grow beyond cap.
    bool setOwn(const QStringList& own, qsizetype cap);
    // The item's line from changed to to, where it stands; false when it is not there, or the
    // day would grow beyond cap.
    bool replace(const QString& owner, const QString& from, const QString& to, qsizetype cap);
    bool has(const QString& owner, const QString& line) const;
    // Takes away the item's line; false when it is not there.
    bool remove(const QString& owner, const QString& line);
    // Places a line of the item: an equal line of ours becomes its own (the same event is not
    // shown twice), else it is appended. False when the day would grow beyond cap.
    bool place(const QString& owner, const QString& line, qsizetype cap);
    // Puts the lines in the order every database gives a day: ours as they stand, then the
    // placed ones, all-day before timed, each group by its text (and then by its item).
    void settle();
    // The placements that found no line, (href, line) each.
    const std::vector<std::pair<QString, QString>>& missing() const { return m_missing; }

    QStringList texts() const;
    // Whether the lines differ from what was stored.
    bool changed() const { return texts() != m_stored; }

private:
    qsizetype lengthWith(qsizetype delta, qsizetype extraLines) const;
    std::vector<Line> m_lines;
    QStringList m_stored;
    std::vector<std::pair<QString, QString>> m_missing;
};

// A line as a timed event places it: "HH:MM summary".
bool IsTimed(const QString& line);

// Where a new item of ours goes in the collection: its UID, encoded, with ".ics".
QString NewHref(const QString& collectionPath, const QString& uid);
// The UID and calendar object of our item of a day, exactly as the export writes them.
QString DayUid(SyncKind kind, const QDate& date);
QByteArray DayBody(SyncKind kind, const QDate& date, const QString& text, const QDateTime& stamp);
QByteArray AnniversaryBody(const Anniversary& a, const QDateTime& stamp);
// "2025/01/10", as log lines name a day.
QString LogDate(const QDate& d);
