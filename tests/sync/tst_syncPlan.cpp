// The sync's decisions, run as the engine runs them against a collection held as a plain map of
// href -> (ETag, body) that reports its changes since a token: each change rule driven from
// either side, with the texts on both sides afterwards; other clients' events; the editors'
// limit; a crash between the server's answer and its recording; three writers converging. Every
// case ends with a sync that must send and write nothing.

#include "TestSupport.h"
#include "core/Database.h"
#include "entries/EntryStore.h"
#include "exchange/IcsExport.h"
#include "exchange/IcsImport.h"
#include "exchange/IcsLimits.h"
#include "sync/SyncPlan.h"
#include "sync/SyncState.h"

#include <QtTest>

#include <functional>

class tst_syncPlan : public QObject {
    Q_OBJECT
private slots:
    void ourItemRules_data();
    void ourItemRules();
    void mergeBeyondTheLimitLosesNothing();
    void otherClientsEvents_data();
    void otherClientsEvents();
    void equalLinesAreTwoLines();
    void otherClientsLinesInOneOrder();
    void unreadableItemsAreRefused();
    void anniversaries_data();
    void anniversaries();
    void crashBeforeTheAnswerIsRecorded_data();
    void crashBeforeTheAnswerIsRecorded();
    void threeWritersConverge();
};

namespace {

const QDate kDay(2025, 3, 10);
const QDateTime kStamp(QDate(2025, 3, 1), QTime(12, 0), QTimeZone::utc());

SyncOptions Options() {
    SyncOptions o;
    o.scope.diaries = true;
    o.placing = {QDate(2025, 1, 1), QDate(2025, 12, 31), QTimeZone("Asia/Tokyo")};
    return o;
}

QString Href(const QString& uid) {
    return QStringLiteral("/cal/") + uid + QStringLiteral(".ics");
}

QString OurHref(DayEntry e, const QDate& d) {
    return Href(e == DayEntry::Diary ? DiaryUid(d) : ScheduleUid(d));
}

QByteArray OurBody(DayEntry e, const QDate& d, const QString& text) {
    return e == DayEntry::Diary ? DiaryObject(d, text, kStamp) : ScheduleObject(d, text, kStamp);
}

// Another client's event, in Tokyo time with its zone described.
QByteArray Event(const QString& uid, const QByteArray& props) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\n"
           "BEGIN:VTIMEZONE\r\nTZID:Asia/Tokyo\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
           "TZOFFSETFROM:+0900\r\nTZOFFSETTO:+0900\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
           "BEGIN:VEVENT\r\nUID:" +
           uid.toUtf8() + "\r\nDTSTAMP:20250101T000000Z\r\nLOCATION:駅前\r\n" + props +
           "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

const QByteArray kDentist = "DTSTART;TZID=Asia/Tokyo:20250310T100000\r\n"
                            "DTEND;TZID=Asia/Tokyo:20250310T110000\r\nSUMMARY:歯医者\r\n";
const QByteArray kDentistRenamed = QByteArray(kDentist).replace("歯医者", "歯科");

// The collection: each item's ETag, body and the moment it last changed, and the moments
// items went; a token is a moment.
struct Server {
    struct Item {
        QString etag;
        QByteArray body;
        int version = 0;
    };
    std::map<QString, Item> items;
    std::map<QString, int> gone;
    int clock = 0;
    void put(const QString& href, const QByteArray& body) {
        ++clock;
        items[href] = {QStringLiteral("\"%1\"").arg(clock), body, clock};
        gone.erase(href);
    }
    void remove(const QString& href) {
        items.erase(href);
        gone[href] = ++clock;
    }
    IcsObject object(const QString& href) const {
        IcsObject o;
        const auto it = items.find(href);
        if (it != items.end() && !ReadIcsObject(it->second.body, Options().placing, o).ok)
            qFatal("the server holds an unreadable item");
        return o;
    }
    // Our day item's text; a null string without one.
    QString text(DayEntry e, const QDate& d) const {
        return items.count(OurHref(e, d)) ? object(OurHref(e, d)).text : QString();
    }
    // Another client's event as the lines it places; empty when it is gone.
    QString lines(const QString& href) const {
        QStringList out;
        for (const auto& [d, line] : object(href).lines)
            out << line;
        return out.join(u'\n');
    }
};

void Ok(bool done) {
    if (!done)
        qFatal("a database step of the test failed");
}

// One program's database and its sync, run the way the engine runs it.
class Device {
public:
    Device() {
        Db db = open();
        Ok(CreateSyncTable(*db) && WriteCollection(*db, {"http://127.0.0.1/cal/", "", ""}) &&
           db->commit());
    }
    Db open() {
        Db db = env.program().openDatabase();
        Ok(db != nullptr);
        return db;
    }
    // The stored text, its line ends as a server's.
    QString day(const QDate& d, DayEntry e = DayEntry::Schedule) {
        Db db = open();
        const std::optional<DayText> t = ReadDay(*db, e, d);
        Ok(t.has_value());
        return QString(t->text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    void setDay(const QDate& d, const QString& text, DayEntry e = DayEntry::Schedule) {
        Db db = open();
        const std::optional<DayText> t = ReadDay(*db, e, d);
        Ok(t && (text.isEmpty() ? DeleteDay(*db, e, d) : WriteDay(*db, e, d, text, t->exists)) &&
           db->commit());
    }

    struct Result {
        int fetched = 0; // bodies read
        int sent = 0;    // PUT, DELETE, and the GET of an event to rewrite
        bool wrote = false;
        QStringList log;
    };
    // recordAnswers false: the program dies after each request is answered, before recording.
    Result sync(Server& s, const std::function<void()>& beforePush = {},
                bool recordAnswers = true) {
        Result res;
        std::vector<PushOp> ops;
        const SyncOptions opt = Options();
        {
            Db db = open();
            CollectionState c;
            std::vector<SyncRow> rows;
            Ok(ReadCollection(*db, c) && ReadSyncRows(*db, rows));
            const int since = c.token.toInt();
            RemoteChanges changes;
            std::vector<std::pair<QString, QString>> listed;
            for (const auto& [href, item] : s.items)
                if (item.version > since)
                    listed.emplace_back(href, item.etag);
            for (const auto& [href, when] : s.gone)
                if (when > since)
                    changes.removed << href;
            for (const QString& href : HrefsToFetch(rows, listed)) {
                const auto it = s.items.find(href);
                if (it != s.items.end())
                    changes.changed.push_back({href, it->second.etag, it->second.body});
                else if (!changes.removed.contains(href))
                    changes.removed << href;
                ++res.fetched;
            }
            changes.token = QString::number(s.clock);
            LocalTexts local;
            Ok(ReadLocalTexts(*db, opt.scope, local));
            const PullPlan plan = PlanPull(local, rows, changes, opt);
            res.wrote = !plan.writesNothing();
            res.log = plan.log;
            rows.clear();
            Ok(ApplyPull(*db, plan) && ReadSyncRows(*db, rows) &&
               ReadLocalTexts(*db, opt.scope, local));
            ops = PlanPush(local, rows, opt, QStringLiteral("/cal/"), kStamp);
            Ok(db->commit());
        }
        if (beforePush)
            beforePush();
        for (PushOp op : ops) {
            ++res.sent;
            if (op.action == PushOp::Action::Rewrite) {
                const auto it = s.items.find(op.href);
                const std::optional<PushOp> put =
                    it == s.items.end() ? std::nullopt
                                        : RewriteForeign(op, it->second.body, it->second.etag, opt);
                if (!put)
                    continue;
                op = *put;
                ++res.sent;
            }
            const auto it = s.items.find(op.href);
            const bool matches = op.ifMatch.isEmpty()
                                     ? it == s.items.end()
                                     : it != s.items.end() && it->second.etag == op.ifMatch;
            if (matches && op.action == PushOp::Action::Put)
                s.put(op.href, op.body);
            else if (matches)
                s.remove(op.href);
            if (matches && !recordAnswers)
                continue;
            Db db = open();
            const QString etag =
                op.action == PushOp::Action::Put ? s.items[op.href].etag : QString();
            Ok((matches ? ApplyPushDone(*db, op, etag) : ApplyPushConflict(*db, op)) &&
               db->commit());
            if (matches && !op.log.isEmpty())
                res.log << op.log;
        }
        return res;
    }

    TestEnv env;
};

// A sync right after another must neither send nor write anything.
#define VERIFY_SETTLED(device, server)                                                             \
    do {                                                                                           \
        const Device::Result settled = (device).sync(server);                                      \
        QCOMPARE(settled.fetched + settled.sent, 0);                                               \
        QVERIFY(!settled.wrote);                                                                   \
    } while (false)

} // namespace

void tst_syncPlan::ourItemRules_data() {
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("base");   // agreed by a first sync
    QTest::addColumn<QString>("local");  // "=" as it was, "-" deleted, or the new text
    QTest::addColumn<QString>("remote"); // the same, written by another program
    QTest::addColumn<bool>("meanwhile"); // written there between the pull and the push
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("logged");
    for (const DayEntry e : {DayEntry::Schedule, DayEntry::Diary}) {
        const QByteArray k = e == DayEntry::Schedule ? "schedule: " : "diary: ";
        const auto row = [&](const char* name, const char* base = "会議\n昼食") -> QTestData& {
            return QTest::newRow((k + name).constData()) << int(e) << QString::fromUtf8(base);
        };
        row("changed here") << "会議\n夕食"
                            << "=" << false << "会議\n夕食" << false;
        row("changed there") << "="
                             << "会議\n散歩" << false << "会議\n散歩" << false;
        row("changed on both") << "会議\n夕食"
                               << "散歩\n会議" << false << "会議\n夕食\n散歩" << true;
        row("deleted here") << "-"
                            << "=" << false << "" << false;
        row("deleted there") << "="
                             << "-" << false << "" << false;
        row("deleted here, changed there") << "-"
                                           << "会議\n散歩" << false << "会議\n散歩" << true;
        row("changed here, deleted there") << "会議\n夕食"
                                           << "-" << false << "会議\n夕食" << true;
        row("new on both, seen by the pull", "") << "ここ"
                                                 << "よそ" << false << "ここ\nよそ" << true;
        row("new on both, a 412 to the new one", "") << "ここ"
                                                     << "よそ" << true << "ここ\nよそ" << true;
    }
}

void tst_syncPlan::ourItemRules() {
    QFETCH(int, entry);
    QFETCH(QString, base);
    QFETCH(QString, local);
    QFETCH(QString, remote);
    QFETCH(bool, meanwhile);
    QFETCH(QString, expected);
    QFETCH(bool, logged);
    const DayEntry e = DayEntry(entry);
    Server s;
    Device a;
    a.setDay(kDay, QString(base).replace(u'\n', QStringLiteral("\r\n")), e);
    a.sync(s);
    QCOMPARE(s.text(e, kDay), base.isEmpty() ? QString() : base);
    VERIFY_SETTLED(a, s);

    if (local != QLatin1String("="))
        a.setDay(kDay, local == QLatin1String("-") ? QString() : local, e);
    const auto other = [&] {
        if (remote == QLatin1String("-"))
            s.remove(OurHref(e, kDay));
        else if (remote != QLatin1String("="))
            s.put(OurHref(e, kDay), OurBody(e, kDay, remote));
    };
    if (!meanwhile)
        other();
    Device::Result r = a.sync(s, meanwhile ? std::function<void()>(other) : nullptr);
    if (meanwhile) // refused, and integrated by the next sync
        r = a.sync(s);
    QCOMPARE(a.day(kDay, e), expected);
    QCOMPARE(s.text(e, kDay), expected.isEmpty() ? QString() : expected);
    QCOMPARE(!r.log.isEmpty(), logged);
    VERIFY_SETTLED(a, s);
    if (expected.contains(u'\n') && expected != local) { // written as the editors write
        Db db = a.open();
        const QString stored = ReadDay(*db, e, kDay)->text;
        QVERIFY(stored.contains(u'\n') && !stored.contains(u'\r'));
    }
}

void tst_syncPlan::mergeBeyondTheLimitLosesNothing() {
    Server s;
    Device a;
    const DayEntry diary = DayEntry::Diary;
    a.setDay(kDay, QStringLiteral("x"), diary);
    a.sync(s);
    const QString mine(kDiaryMaxChars * 3 / 4, u'a');
    const QString theirs(kDiaryMaxChars * 3 / 4, u'b');
    a.setDay(kDay, mine, diary);
    s.put(OurHref(diary, kDay), OurBody(diary, kDay, theirs));
    for (int i = 0; i < 2; ++i) { // tried again, and again nothing overwritten
        const Device::Result r = a.sync(s);
        QVERIFY(r.log.join(u'\n').contains(QStringLiteral("上限")));
        QCOMPARE(a.day(kDay, diary), mine);
        QCOMPARE(s.text(diary, kDay), theirs);
    }
    a.setDay(kDay, QStringLiteral("短く"), diary);
    a.sync(s);
    QCOMPARE(a.day(kDay, diary), QStringLiteral("短く\n") + theirs);
    QCOMPARE(s.text(diary, kDay), QStringLiteral("短く\n") + theirs);
    VERIFY_SETTLED(a, s);
}

void tst_syncPlan::otherClientsEvents_data() {
    QTest::addColumn<QByteArray>("event"); // its properties beside the UID and LOCATION
    QTest::addColumn<QString>("local");    // the day's text typed here, or null
    QTest::addColumn<QByteArray>(
        "remote"); // its new properties there; "-" it goes; "!" our item goes
    QTest::addColumn<QString>("expectedDay");
    QTest::addColumn<QString>("expectedNextDay");
    QTest::addColumn<QString>("expectedEvent"); // the lines the event places; empty: gone
    QTest::addColumn<QString>("expectedOurs");  // our day item's text on the server
    const QByteArray night = "DTSTART;TZID=Asia/Tokyo:20250310T230000\r\n"
                             "DTEND;TZID=Asia/Tokyo:20250311T010000\r\nSUMMARY:夜行バス\r\n";
    const QByteArray weekly = kDentist + "RRULE:FREQ=WEEKLY;COUNT=2\r\n";
    const QString no;
    QTest::newRow("changed there: replaced, below our lines")
        << kDentist << "10:00 歯医者\n会議" << kDentistRenamed << "会議\n10:00 歯科"
        << ""
        << "10:00 歯科"
        << "会議";
    QTest::newRow("changed there and here: both kept")
        << kDentist << "会議\n10:00 歯医者（駅前）" << kDentistRenamed
        << "会議\n10:00 歯医者（駅前）\n10:00 歯科"
        << ""
        << "10:00 歯科"
        << "会議\n10:00 歯医者（駅前）";
    QTest::newRow("deleted there") << kDentist << no << QByteArray("-") << "会議"
                                   << ""
                                   << ""
                                   << "会議";
    QTest::newRow("our item deleted there: its line stays")
        << kDentist << no << QByteArray("!") << "10:00 歯医者"
        << ""
        << "10:00 歯医者"
        << "";
    QTest::newRow("edited here with another time: the event keeps its time")
        << kDentist << "10:30 歯科\n会議" << QByteArray() << "会議\n10:00 歯科"
        << ""
        << "10:00 歯科"
        << "会議";
    QTest::newRow("edited here, over two days")
        << night << "会議\n23:00 夜行列車" << QByteArray() << "会議\n23:00 夜行列車"
        << "00:00 夜行列車"
        << "23:00 夜行列車\n00:00 夜行列車"
        << "会議";
    QTest::newRow("deleted here") << kDentist << "会議" << QByteArray() << "会議"
                                  << ""
                                  << ""
                                  << "会議";
    QTest::newRow("whole day deleted here, over two days") << night << "" << QByteArray() << ""
                                                           << ""
                                                           << ""
                                                           << "";
    QTest::newRow("repeating, edited here: left alone there")
        << weekly << "会議\n10:00 歯科" << QByteArray() << "会議\n10:00 歯科"
        << ""
        << "10:00 歯医者\n10:00 歯医者"
        << "会議\n10:00 歯科";
}

void tst_syncPlan::otherClientsEvents() {
    QFETCH(QByteArray, event);
    QFETCH(QString, local);
    QFETCH(QByteArray, remote);
    QFETCH(QString, expectedDay);
    QFETCH(QString, expectedNextDay);
    QFETCH(QString, expectedEvent);
    QFETCH(QString, expectedOurs);
    Server s;
    Device a;
    const QString href = Href(QStringLiteral("phone-1"));
    a.setDay(kDay, QStringLiteral("会議"));
    s.put(href, Event(QStringLiteral("phone-1"), event));
    a.sync(s);
    QVERIFY(a.day(kDay).startsWith(QStringLiteral("会議\n")));
    VERIFY_SETTLED(a, s);

    if (!local.isNull())
        a.setDay(kDay, local);
    if (remote == "-")
        s.remove(href);
    else if (remote == "!")
        s.remove(OurHref(DayEntry::Schedule, kDay));
    else if (!remote.isEmpty())
        s.put(href, Event(QStringLiteral("phone-1"), remote));
    a.sync(s);
    QCOMPARE(a.day(kDay), expectedDay);
    QCOMPARE(a.day(kDay.addDays(1)), expectedNextDay);
    QCOMPARE(s.lines(href), expectedEvent);
    QCOMPARE(s.text(DayEntry::Schedule, kDay), expectedOurs.isEmpty() ? QString() : expectedOurs);
    if (!expectedEvent.isEmpty()) { // its time, zone and other properties as they were
        const QByteArray body = s.items[href].body;
        QVERIFY(body.contains("BEGIN:VTIMEZONE"));
        QVERIFY(body.contains("LOCATION:駅前"));
        QVERIFY(body.contains(event.left(event.indexOf("\r\n"))));
    }
    VERIFY_SETTLED(a, s);
}

void tst_syncPlan::equalLinesAreTwoLines() {
    Server s;
    Device a;
    for (const char* uid : {"phone-1", "phone-2"})
        s.put(Href(QLatin1String(uid)), Event(QLatin1String(uid), kDentist));
    a.sync(s);
    QCOMPARE(a.day(kDay), QStringLiteral("10:00 歯医者\n10:00 歯医者"));
    a.setDay(kDay, QStringLiteral("10:00 歯医者"));
    a.sync(s);
    QCOMPARE(s.items.size(), size_t(1));
    QCOMPARE(a.day(kDay), QStringLiteral("10:00 歯医者"));
    VERIFY_SETTLED(a, s);
}

// Whatever order the events come in and wherever the user typed around them, every database
// shows a day alike: our lines, then other clients' all-day lines, then their timed ones by time.
void tst_syncPlan::otherClientsLinesInOneOrder() {
    Server s;
    Device a, b;
    const auto event = [&s](const char* uid, const QByteArray& props) {
        s.put(Href(QLatin1String(uid)), Event(QLatin1String(uid), props));
    };
    a.setDay(kDay, QStringLiteral("会議"));
    a.sync(s);
    event("dinner", "DTSTART;TZID=Asia/Tokyo:20250310T180000\r\nSUMMARY:夕食\r\n");
    a.sync(s);
    event("standup", "DTSTART;TZID=Asia/Tokyo:20250310T090000\r\nSUMMARY:朝会\r\n");
    event("party", "DTSTART;VALUE=DATE:20250310\r\nSUMMARY:祝賀会\r\n");
    a.sync(s);
    b.sync(s);
    const QString settled = QStringLiteral("会議\n祝賀会\n09:00 朝会\n18:00 夕食");
    QCOMPARE(a.day(kDay), settled);
    QCOMPARE(b.day(kDay), settled);
    // A line typed below them goes up to ours, on both.
    a.setDay(kDay, settled + QStringLiteral("\n\n買い物"));
    a.sync(s);
    b.sync(s);
    const QString typed = QStringLiteral("会議\n\n買い物\n祝賀会\n09:00 朝会\n18:00 夕食");
    QCOMPARE(a.day(kDay), typed);
    QCOMPARE(b.day(kDay), typed);
    VERIFY_SETTLED(a, s);
    VERIFY_SETTLED(b, s);
}

void tst_syncPlan::unreadableItemsAreRefused() {
    Server s;
    Device a;
    s.put(QStringLiteral("/cal/garbage.ics"), "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:x");
    s.put(QStringLiteral("/cal/huge.ics"),
          Event(QStringLiteral("huge"), kDentist) + QByteArray(kIcsMaxFileBytes, ' '));
    const Device::Result r = a.sync(s);
    QCOMPARE(r.log.size(), 2);
    QVERIFY(r.log[1].contains(IcsTooLargeText()));
    QCOMPARE(a.day(kDay), QString());
    VERIFY_SETTLED(a, s); // read again only when they change
}

void tst_syncPlan::anniversaries_data() {
    QTest::addColumn<QString>("change"); // after the first sync: what, and where
    QTest::addColumn<QStringList>("expected");
    const QStringList both{"12/24 イブ", "3/5 母の誕生日"};
    QTest::newRow("added here") << "add here" << both;
    QTest::newRow("added there") << "add there" << both;
    QTest::newRow("deleted here") << "delete here" << QStringList();
    QTest::newRow("deleted there") << "delete there" << QStringList();
    QTest::newRow("renamed there, its UID kept")
        << "rename there" << QStringList{"3/5 母の誕生日（80歳）"};
}

void tst_syncPlan::anniversaries() {
    QFETCH(QString, change);
    QFETCH(QStringList, expected);
    Server s;
    Device a;
    const Anniversary mother{3, 5, QStringLiteral("母の誕生日")},
        eve{12, 24, QStringLiteral("イブ")};
    const QString href = Href(AnniversaryUid(3, 5, mother.text));
    const auto local = [&](bool (*write)(Connection&, const Anniversary&), const Anniversary& x) {
        Db db = a.open();
        Ok(write(*db, x) && db->commit());
    };
    local(AddAnniversary, mother);
    a.sync(s);
    if (change == QLatin1String("add here"))
        local(AddAnniversary, eve);
    else if (change == QLatin1String("delete here"))
        local(DeleteAnniversary, mother);
    else if (change == QLatin1String("add there"))
        s.put(Href(QStringLiteral("phone-eve")), AnniversaryObject({12, 24, eve.text}, kStamp));
    else if (change == QLatin1String("delete there"))
        s.remove(href);
    else
        s.put(href, QByteArray(s.items[href].body).replace("母の誕生日", "母の誕生日（80歳）"));
    a.sync(s);
    QStringList here, there;
    Db db = a.open();
    std::vector<Anniversary> all;
    Ok(ReadAnniversaries(*db, all));
    db.reset();
    for (const Anniversary& x : all)
        here << QStringLiteral("%1/%2 %3").arg(x.month).arg(x.day).arg(x.text);
    for (const auto& [h, item] : s.items) {
        const Anniversary x = s.object(h).anniversary;
        there << QStringLiteral("%1/%2 %3").arg(x.month).arg(x.day).arg(x.text);
    }
    here.sort();
    there.sort();
    QCOMPARE(here, expected);
    QCOMPARE(there, expected);
    VERIFY_SETTLED(a, s);
}

void tst_syncPlan::crashBeforeTheAnswerIsRecorded_data() {
    QTest::addColumn<QString>("before"); // the day's text at the first sync
    QTest::addColumn<QString>("after");  // typed before the sync that dies
    QTest::addColumn<bool>("event");     // with another client's event on the day
    const QString old = QStringLiteral("古い");
    QTest::newRow("new item") << QString() << QStringLiteral("新しい") << false;
    QTest::newRow("changed item") << old << QStringLiteral("新しい") << false;
    QTest::newRow("deleted item") << old << QString() << false;
    QTest::newRow("event's line edited") << old << QStringLiteral("古い\n10:00 歯科") << true;
    QTest::newRow("event's line deleted") << old << old << true;
}

void tst_syncPlan::crashBeforeTheAnswerIsRecorded() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(bool, event);
    Server s;
    Device a;
    const QString href = Href(QStringLiteral("phone-1"));
    if (event)
        s.put(href, Event(QStringLiteral("phone-1"), kDentist));
    a.setDay(kDay, before);
    a.sync(s);
    a.setDay(kDay, after);
    a.sync(s, nullptr, false);
    // The next pull finds the server as the dead sync left it, and only records it.
    QCOMPARE(a.sync(s).sent, 0);
    QCOMPARE(a.day(kDay), after);
    QCOMPARE(s.text(DayEntry::Schedule, kDay), event ? before : after);
    QCOMPARE(s.lines(href),
             event && after.contains(u'\n') ? QStringLiteral("10:00 歯科") : QString());
    VERIFY_SETTLED(a, s);
}

void tst_syncPlan::threeWritersConverge() {
    Server s;
    Device a, b;
    a.setDay(kDay, QStringLiteral("A1"));
    a.sync(s);
    b.sync(s);
    QCOMPARE(b.day(kDay), QStringLiteral("A1"));
    // Between syncs, all three write to the same day; b also to the next one.
    a.setDay(kDay, QStringLiteral("A1\r\nA2"));
    b.setDay(kDay, QStringLiteral("A1\nB2"));
    b.setDay(kDay.addDays(1), QStringLiteral("B3"));
    s.put(OurHref(DayEntry::Schedule, kDay),
          OurBody(DayEntry::Schedule, kDay, QStringLiteral("P2\nA1")));
    s.put(Href(QStringLiteral("phone-1")), Event(QStringLiteral("phone-1"), kDentist));
    for (int round = 0; round < 2; ++round) {
        a.sync(s);
        b.sync(s);
    }
    QCOMPARE(a.day(kDay), b.day(kDay));
    QStringList lines = a.day(kDay).split(u'\n');
    lines.sort();
    QCOMPARE(lines, QStringList({"10:00 歯医者", "A1", "A2", "B2", "P2"}));
    QStringList ours = s.text(DayEntry::Schedule, kDay).split(u'\n');
    ours.sort();
    QCOMPARE(ours, QStringList({"A1", "A2", "B2", "P2"}));
    QCOMPARE(a.day(kDay.addDays(1)), QStringLiteral("B3"));
    QCOMPARE(s.text(DayEntry::Schedule, kDay.addDays(1)), QStringLiteral("B3"));
    VERIFY_SETTLED(a, s);
    VERIFY_SETTLED(b, s);
}

QTEST_GUILESS_MAIN(tst_syncPlan)
#include "tst_syncPlan.moc"
