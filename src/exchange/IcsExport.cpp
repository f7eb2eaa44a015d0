#include "exchange/IcsExport.h"

#include "core/Program.h"
#include "entries/EntryStore.h"
#include "holidays/HolidayRules.h"

#include <QCryptographicHash>

#include <libical/ical.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kAnniversaryFirstYear = 1904;

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

QString DateKey(const QDate& d) {
    return d.toString(QStringLiteral("yyyyMMdd"));
}

QString Uid(const char* kind, const QString& key) {
    return QString::fromLatin1(kind) + QLatin1Char('-') + key + QStringLiteral("@vaskel");
}

icaltimetype IcalDate(const QDate& d) {
    icaltimetype t = icaltime_null_date();
    t.year = d.year();
    t.month = d.month();
    t.day = d.day();
    return t;
}

// iCalendar text has no carriage return: a line ends in a line feed.
QByteArray Utf8Text(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t.toUtf8();
}

// An all-day component of one day: DTSTART and, for an event, DTEND the next day.
icalcomponent* DayComponent(icalcomponent_kind kind, const QString& uid, const QDate& date,
                            const icaltimetype& stamp) {
    icalcomponent* c = icalcomponent_new(kind);
    icalcomponent_add_property(c, icalproperty_new_uid(uid.toUtf8().constData()));
    icalcomponent_add_property(c, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(c, icalproperty_new_dtstart(IcalDate(date)));
    if (kind == ICAL_VEVENT_COMPONENT)
        icalcomponent_add_property(c, icalproperty_new_dtend(IcalDate(date.addDays(1))));
    return c;
}

void AddText(icalcomponent* c, const QString& summary, const QString& description) {
    icalcomponent_add_property(c, icalproperty_new_summary(Utf8Text(summary).constData()));
    if (!description.isNull())
        icalcomponent_add_property(c,
                                   icalproperty_new_description(Utf8Text(description).constData()));
}

// A yearly event from a leap year, so that every day has a first occurrence; a 29 February one
// then shows in leap years only, since a yearly rule skips the years without its day.
icalcomponent* AnniversaryEvent(const AnniversaryItem& a, const icaltimetype& stamp) {
    const QDate first(kAnniversaryFirstYear, a.month, a.day);
    icalcomponent* c =
        DayComponent(ICAL_VEVENT_COMPONENT, AnniversaryUid(a.month, a.day, a.text), first, stamp);
    icalrecurrencetype rule;
    icalrecurrencetype_clear(&rule);
    rule.freq = ICAL_YEARLY_RECURRENCE;
    icalcomponent_add_property(c, icalproperty_new_rrule(rule));
    AddText(c, a.text, QString());
    return c;
}

} // namespace

QString ScheduleUid(const QDate& date) {
    return Uid("schedule", DateKey(date));
}

QString DiaryUid(const QDate& date) {
    return Uid("diary", DateKey(date));
}

QString AnniversaryUid(int month, int day, const QString& text) {
    const QByteArray hash = QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256);
    return Uid("anniversary", QStringLiteral("%1%2-")
                                      .arg(month, 2, 10, QLatin1Char('0'))
                                      .arg(day, 2, 10, QLatin1Char('0')) +
                                  QString::fromLatin1(hash.left(12).toHex()));
}

QString HolidayUid(const QDate& date) {
    return Uid("holiday", DateKey(date));
}

QString FirstTextLine(const QString& text) {
    // A scan, not a split by pattern: the export asks this of every schedule and diary, and a
    // pattern compiled per call was most of the export's time.
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char('\r') &&
               text[end] != QLatin1Char('\n'))
            ++end;
        const QStringView line = QStringView(text).mid(start, end - start).trimmed();
        if (!line.isEmpty())
            return line.toString();
        start = end + 1;
    }
    return QString();
}

bool ReadExportItems(Connection& db, const ExportChoice& choice, ExportItems& out) {
    out = ExportItems();
    const auto days = [&db](DayEntry entry, std::vector<DayItem>& list) {
        return ReadAllDays(db, entry, [&list](const QDate& d, const QString& text) {
            list.push_back({d, text});
        });
    };
    if (choice.schedules && !days(DayEntry::Schedule, out.schedules))
        return false;
    if (choice.diaries && !days(DayEntry::Diary, out.diaries))
        return false;
    if (choice.anniversaries) {
        std::vector<Anniversary> all;
        if (!ReadAnniversaries(db, all))
            return false;
        for (const Anniversary& a : all) {
            // A row no calendar day can have is not exported.
            if (QDate::isValid(kAnniversaryFirstYear, a.month, a.day))
                out.anniversaries.push_back({a.month, a.day, a.text});
        }
    }
    if (choice.holidays && choice.holidaysFrom <= choice.holidaysTo) {
        HolidayRules rules;
        if (!ReadHolidayRules(db, rules))
            return false;
        const HolidayCalendar calendar(rules, QDate(choice.holidaysFrom, 1, 1),
                                       QDate(choice.holidaysTo, 12, 31));
        for (const QDate& d : calendar.holidays())
            out.holidays.push_back({d, calendar.mark(d).names});
    }
    return true;
}

QByteArray WriteCalendar(const ExportItems& items, const QDateTime& stamp) {
    const QDateTime utc = stamp.toUTC();
    icaltimetype when =
        icaltime_from_timet_with_zone(utc.toSecsSinceEpoch(), 0, icaltimezone_get_utc_timezone());
    const QByteArray prodid = QStringLiteral("-//Vaskel//Vaskel %1.%2//JA")
                                  .arg(kVersionMajor)
                                  .arg(kVersionMinor, 2, 10, QLatin1Char('0'))
                                  .toUtf8();
    Component cal(icalcomponent_vanew(ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
                                      icalproperty_new_prodid(prodid.constData()), nullptr));
    for (const DayItem& s : items.schedules) {
        icalcomponent* c = DayComponent(ICAL_VEVENT_COMPONENT, ScheduleUid(s.date), s.date, when);
        AddText(c, FirstTextLine(s.text), s.text);
        icalcomponent_add_component(cal.get(), c);
    }
    for (const DayItem& d : items.diaries) {
        icalcomponent* c = DayComponent(ICAL_VJOURNAL_COMPONENT, DiaryUid(d.date), d.date, when);
        AddText(c, FirstTextLine(d.text), d.text);
        icalcomponent_add_component(cal.get(), c);
    }
    for (const AnniversaryItem& a : items.anniversaries)
        icalcomponent_add_component(cal.get(), AnniversaryEvent(a, when));
    for (const HolidayItem& h : items.holidays) {
        icalcomponent* c = DayComponent(ICAL_VEVENT_COMPONENT, HolidayUid(h.date), h.date, when);
        AddText(c, h.names.join(QStringLiteral("・")), QString());
        icalcomponent_add_property(c, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
        icalcomponent_add_property(c, icalproperty_new_categories("HOLIDAY"));
        icalcomponent_add_component(cal.get(), c);
    }
    char* text = icalcomponent_as_ical_string_r(cal.get());
    const QByteArray out(text);
    std::free(text);
    return out;
}

QByteArray ScheduleObject(const QDate& date, const QString& text, const QDateTime& stamp) {
    ExportItems items;
    items.schedules.push_back({date, text});
    return WriteCalendar(items, stamp);
}

QByteArray DiaryObject(const QDate& date, const QString& text, const QDateTime& stamp) {
    ExportItems items;
    items.diaries.push_back({date, text});
    return WriteCalendar(items, stamp);
}

QByteArray AnniversaryObject(const AnniversaryItem& a, const QDateTime& stamp) {
    ExportItems items;
    items.anniversaries.push_back(a);
    return WriteCalendar(items, stamp);
}
