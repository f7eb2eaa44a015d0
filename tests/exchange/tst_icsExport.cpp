// The export as a second, independent parser (python3-icalendar) reads it: components, UIDs,
// dates and texts exactly as stored.

#include "TestSupport.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "exchange/IcsExport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

class tst_icsExport : public QObject {
    Q_OBJECT
private slots:
    void anotherParserReadsWhatWasStored();
    void uidsDependOnlyOnTheItem();
};

namespace {

// The file as python3-icalendar reads it: the calendar's fields, then one object per
// component.
QList<QJsonObject> ReadWithPython(const QByteArray& ics) {
    QTemporaryFile file;
    if (!file.open() || file.write(ics) != ics.size() || !file.flush())
        return {};
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QFINDTESTDATA("read_ics.py"), file.fileName()});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning("%s", p.readAllStandardError().constData());
        return {};
    }
    QList<QJsonObject> out;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            out << QJsonDocument::fromJson(line).object();
    }
    return out;
}

} // namespace

void tst_icsExport::anotherParserReadsWhatWasStored() {
    TestEnv env(TestEnv::Schema::V107);
    MsgRecorder msgs;
    // Multi-line Japanese text with a no-break space and an emoji; a long line for folding.
    const QString schedule = QStringLiteral("\n  会議 10:00\n資料\u00A0準備 😀\n") +
                             QString(120, QChar(u'長')) + QStringLiteral("\n");
    const QString diary = QStringLiteral("晴れ; 散歩, \\ 終わり");
    QVERIFY(
        env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2024-02-29', ?)"), {schedule}));
    QVERIFY(env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2024-03-01', '')")));
    QVERIFY(env.exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2024-02-29', ?)"), {diary}));
    QVERIFY(env.exec(
        QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (2, 29, '閏日'), "
                       "(12, 24, 'イブ')")));
    ExportChoice choice;
    choice.diaries = true;
    choice.holidays = true;
    choice.holidaysFrom = choice.holidaysTo = 2027;
    ExportItems items;
    {
        Db db = OpenDB(env.program());
        QVERIFY(db && ReadExportItems(*db, choice, items));
        db->rollback();
    }
    const QByteArray ics = WriteCalendar(items, QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    const QList<QJsonObject> read = ReadWithPython(ics);
    QVERIFY(!read.isEmpty());
    QCOMPARE(read[0]["VERSION"].toString(), QStringLiteral("2.0"));
    QVERIFY(read[0]["PRODID"].toString().contains(QStringLiteral("Vaskel")));
    // Folded at 75 octets (the parser would have failed on a split character).
    QVERIFY(read[0]["longest_line"].toInt() <= 75);

    QStringList got;
    for (const QJsonObject& c : read.mid(1)) {
        QVERIFY(c["stamp"].toBool());
        got << QStringList{c["kind"].toString(),   c["uid"].toString(),       c["start"].toString(),
                           c["end"].toString(),    c["summary"].toString(),   c["rrule"].toString(),
                           c["transp"].toString(), c["categories"].toString()}
                   .join(QLatin1Char('|'));
        if (c["kind"] == QLatin1String("VEVENT") && c["uid"].toString().startsWith("schedule"))
            QCOMPARE(c["description"].toString(), schedule);
        if (c["kind"] == QLatin1String("VJOURNAL"))
            QCOMPARE(c["description"].toString(), diary);
    }
    const QString anniversary = AnniversaryUid(2, 29, QStringLiteral("閏日"));
    QCOMPARE(got.mid(0, 4),
             (QStringList{"VEVENT|schedule-20240229@vaskel|2024-02-29|2024-03-01|会議 10:00|||",
                          "VJOURNAL|diary-20240229@vaskel|2024-02-29||晴れ; 散歩, \\ 終わり|||",
                          "VEVENT|" + anniversary + "|1904-02-29|1904-03-01|閏日|FREQ=YEARLY||",
                          "VEVENT|" + AnniversaryUid(12, 24, QStringLiteral("イブ")) +
                              "|1904-12-24|1904-12-25|イブ|FREQ=YEARLY||"}));
    // The holidays of 2027 as the rules give them, substitute days included.
    const QStringList holidays = got.mid(4);
    QCOMPARE(holidays.size(), 17);
    QVERIFY(holidays.contains(
        "VEVENT|holiday-20270322@vaskel|2027-03-22|2027-03-23|振替休日||TRANSPARENT|HOLIDAY"));
    QVERIFY(msgs.messages.empty());
}

void tst_icsExport::uidsDependOnlyOnTheItem() {
    const QDate d(2026, 5, 6);
    QCOMPARE(ScheduleUid(d), QStringLiteral("schedule-20260506@vaskel"));
    QCOMPARE(DiaryUid(d), QStringLiteral("diary-20260506@vaskel"));
    QCOMPARE(HolidayUid(d), QStringLiteral("holiday-20260506@vaskel"));
    const QString a = AnniversaryUid(5, 6, QStringLiteral("記念"));
    QCOMPARE(AnniversaryUid(5, 6, QStringLiteral("記念")), a);
    QVERIFY(a.startsWith(QStringLiteral("anniversary-0506-")));
    QVERIFY(AnniversaryUid(5, 6, QStringLiteral("記念日")) != a);
    QVERIFY(AnniversaryUid(6, 5, QStringLiteral("記念")) != a);
    QCOMPARE(FirstTextLine(QStringLiteral(" \n\t\n  a b \nc")), QStringLiteral("a b"));
    QCOMPARE(FirstTextLine(QStringLiteral("\r\n \r\n予定\r\n次")), QStringLiteral("予定"));
    QCOMPARE(FirstTextLine(QStringLiteral("\r\r一\r二")), QStringLiteral("一"));
    QCOMPARE(FirstTextLine(QStringLiteral("最後")), QStringLiteral("最後"));
    QCOMPARE(FirstTextLine(QStringLiteral(" \r\n\n")), QString());
}

QTEST_MAIN(tst_icsExport)
#include "tst_icsExport.moc"
