// The WebDAV and CalDAV XML the calendar client sends and reads: request bodies written with
// QXmlStreamWriter, multistatus answers read with QXmlStreamReader into plain values, and the
// rules that turn an answer's href into an item of a collection.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <vector>

// What one <response> of a multistatus says. Properties are taken only from a propstat whose
// status is 2xx; a property the server does not have stays empty.
struct DavResponse {
    QString href;   // as sent, unresolved
    int status = 0; // the response's own status (removed items, truncation), 0 when absent
    QByteArray etag;
    QByteArray calendarData;
    QString contentType;
    QString displayName;
    bool collection = false;
    bool calendar = false;
    bool hasComponentSet = false; // without one, a calendar takes every component
    QStringList components;       // supported-calendar-component-set, e.g. VEVENT
    bool syncCollection = false;  // supported-report-set offers sync-collection
    QString principalHref;        // current-user-principal
    QString homeHref;             // calendar-home-set (the first one)
};

struct DavMultistatus {
    std::vector<DavResponse> responses;
    QByteArray syncToken;
};

// The properties a PROPFIND asks for.
enum class DavProps {
    Discovery, // resourcetype, displayname, principal, home, components, reports
    Principal, // calendar-home-set
    Calendars, // resourcetype, displayname, components, reports
    Items,     // getetag, getcontenttype, resourcetype
};

QByteArray DavPropfindBody(DavProps props);
QByteArray DavMkcalendarBody(const QString& displayName);
QByteArray DavSyncCollectionBody(const QByteArray& token);
// hrefs are absolute paths, already percent-encoded.
QByteArray DavMultigetBody(const std::vector<QByteArray>& hrefs);

// Reads a multistatus. Anything else (no multistatus root, broken XML) is nullopt and error
// says why in one line.
std::optional<DavMultistatus> DavParseMultistatus(const QByteArray& body, QString* error);
// Whether an error body names the DAV:valid-sync-token precondition.
bool DavNamesInvalidSyncToken(const QByteArray& body);

// One spelling per resource: the path decoded and encoded again, so that "a%40b.ics" and
// "a@b.ics" are the same URL; "." and ".." segments resolved.
QUrl DavNormalUrl(const QUrl& url);
// A collection's URL ends with a slash.
QUrl DavCollectionUrl(const QUrl& url);
// An href of an answer resolved against the URL the request went to.
QUrl DavResolve(const QUrl& requestUrl, const QString& href);
// Whether url names a resource directly inside the collection (not the collection itself, nor
// anything deeper or on another server).
bool DavIsMember(const QUrl& collection, const QUrl& url);
// The URL of the item called name (unencoded) in a collection.
QUrl DavItemUrl(const QUrl& collection, const QString& name);
