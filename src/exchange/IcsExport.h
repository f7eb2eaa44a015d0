// Our data as an iCalendar file (RFC 5545), written by libical: a day's schedule as an all-day
// event, a day's diary as a journal entry, an anniversary as a yearly all-day event and a
// holiday as a transparent all-day event. The UIDs depend only on what an item is (its date,
// or its month, day and text), so that two installations' items for one day are one item.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

struct DayItem {
    QDate date;
    QString text;
};

struct AnniversaryItem {
    int month = 0;
    int day = 0;
    QString text;
};

struct HolidayItem {
    QDate date;
    QStringList names;
};

// Everything an export writes, each list in the order it is to be written.
struct ExportItems {
    std::vector<DayItem> schedules;
    std::vector<DayItem> diaries;
    std::vector<AnniversaryItem> anniversaries;
    std::vector<HolidayItem> holidays;
};

class Connection;

// What the user chose to write.
struct ExportChoice {
    bool schedules = true;
    bool diaries = false; // private: off unless asked for
    bool anniversaries = true;
    bool holidays = false;
    int holidaysFrom = 0; // the years of the holidays, both included
    int holidaysTo = 0;
};

// Reads the chosen items in the caller's transaction. False when a read failed (the
// connection's errorText() says why).
bool ReadExportItems(Connection& db, const ExportChoice& choice, ExportItems& out);

// The calendar of the items, with stamp as every component's DTSTAMP.
QByteArray WriteCalendar(const ExportItems& items, const QDateTime& stamp);

// One of our items alone in a calendar, exactly as the export writes it: the calendar object a
// calendar server keeps for it.
QByteArray ScheduleObject(const QDate& date, const QString& text, const QDateTime& stamp);
QByteArray DiaryObject(const QDate& date, const QString& text, const QDateTime& stamp);
QByteArray AnniversaryObject(const AnniversaryItem& a, const QDateTime& stamp);

// The UIDs of our items.
QString ScheduleUid(const QDate& date);
QString DiaryUid(const QDate& date);
QString AnniversaryUid(int month, int day, const QString& text);
QString HolidayUid(const QDate& date);

// The first line of a text that is not blank, trimmed: an event's summary.
QString FirstTextLine(const QString& text);
