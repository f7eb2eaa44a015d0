// What the whole-sync tests share: one sync run to its end, and the texts of each side as the
// database would show them, to compare the two.
#pragma once

#include "DavServer.h"
#include "TestSupport.h"
#include "sync/SyncAccount.h"
#include "sync/SyncEngine.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>

#include <algorithm>
#include <map>

namespace sync_test {

using Texts = std::map<QString, QString>; // a day (ISO) or an anniversary ("M/D"): its lines

inline SyncOutcome Sync(SyncEngine& engine, const SyncAccount& account, const QString& password) {
    QSignalSpy done(&engine, &SyncEngine::finished);
    engine.start(account, password);
    // A sync that cannot begin ends within start().
    if (done.isEmpty() && !done.wait(120000))
        return SyncOutcome{QDateTime(), false, QStringLiteral("no end of the sync")};
    return done.takeFirst().at(0).value<SyncOutcome>();
}

inline QString Lines(const QString& text) {
    QStringList lines =
        QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(u'\n');
}

// What the database holds: every day's schedule and every anniversary.
inline Texts LocalTexts(const TestEnv& env) {
    Texts out;
    for (const QString& row : env.column(QStringLiteral(
             "SELECT Date || char(9) || Schedule FROM T_Schedule WHERE Schedule <> ''")))
        out[row.section(u'\t', 0, 0)] = Lines(row.section(u'\t', 1));
    for (const QString& row : env.column(QStringLiteral(
             "SELECT Month || '/' || Day || char(9) || WhatDay FROM T_WhatDay ORDER BY WhatDay")))
        out[row.section(u'\t', 0, 0)] +=
            (out.count(row.section(u'\t', 0, 0)) ? "\n" : "") + row.section(u'\t', 1);
    return out;
}

// What the independent client reads on the server, as the database would show it: a day's own
// item's lines, then the lines of other clients' events on that day; the anniversaries.
inline Texts ServerTexts(const DavServer& server, const QUrl& calendar, QString* error) {
    const QJsonDocument doc = DavServer::peer(
        {QStringLiteral("list"), calendar.toString(), server.user(), server.password()}, error);
    Texts out;
    std::map<QString, QStringList> foreign;
    for (const QJsonValue& v : doc.array()) {
        const QJsonObject item = v.toObject();
        const QString start = item[QStringLiteral("dtstart")].toString();
        const QString summary = item[QStringLiteral("summary")].toString();
        if (item[QStringLiteral("uid")].toString().startsWith(QStringLiteral("schedule-"))) {
            out[start] = Lines(item[QStringLiteral("description")].toString());
        } else if (item[QStringLiteral("rrule")].toString() == QStringLiteral("FREQ=YEARLY")) {
            const QDate d = QDate::fromString(start, Qt::ISODate);
            out[QStringLiteral("%1/%2").arg(d.month()).arg(d.day())] = summary;
        } else if (start.contains(u'T')) {
            const QDateTime at = QDateTime::fromString(start, Qt::ISODate).toLocalTime();
            foreign[at.date().toString(Qt::ISODate)]
                << at.toString(QStringLiteral("HH:mm ")) + summary;
        } else {
            foreign[start] << summary;
        }
    }
    // Other clients' lines in the order every database gives them: all-day ones first, each
    // group by its text.
    for (auto& [day, lines] : foreign) {
        std::sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
            const bool at = a.size() > 6 && a[2] == u':' && a[5] == u' ';
            const bool bt = b.size() > 6 && b[2] == u':' && b[5] == u' ';
            return at != bt ? bt : a < b;
        });
        out[day] = (out.count(day) ? out[day] + u'\n' : QString()) + lines.join(u'\n');
    }
    return out;
}

} // namespace sync_test
