#include "sync/DavXml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

constexpr QLatin1StringView kDav("DAV:");
constexpr QLatin1StringView kCal("urn:ietf:params:xml:ns:caldav");

bool Is(const QXmlStreamReader& xml, QLatin1StringView ns, QLatin1StringView name) {
    return xml.namespaceUri() == ns && xml.name() == name;
}

// "HTTP/1.1 404 Not Found" -> 404.
int StatusCode(const QString& line) {
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

// The first DAV:href inside the current element; leaves the reader at its end.
QString ReadHref(QXmlStreamReader& xml) {
    QString href;
    while (xml.readNextStartElement()) {
        if (Is(xml, kDav, QLatin1StringView("href")) && href.isEmpty())
            href = xml.readElementText().trimmed();
        else
            xml.skipCurrentElement();
    }
    return href;
}

// Whether the element ns:name stands anywhere inside the current element, however deep: servers
// differ in how they wrap the reports of supported-report-set.
bool Contains(QXmlStreamReader& xml, QLatin1StringView ns, QLatin1StringView name) {
    bool found = false;
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            found = found || Is(xml, ns, name);
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return found;
}

void ReadProp(QXmlStreamReader& xml, DavResponse& r) {
    while (xml.readNextStartElement()) {
        if (Is(xml, kDav, QLatin1StringView("getetag"))) {
            r.etag = xml.readElementText().trimmed().toUtf8();
        } else if (Is(xml, kCal, QLatin1StringView("calendar-data"))) {
            r.calendarData = xml.readElementText().toUtf8();
        } else if (Is(xml, kDav, QLatin1StringView("getcontenttype"))) {
            r.contentType = xml.readElementText().trimmed();
        } else if (Is(xml, kDav, QLatin1StringView("displayname"))) {
            r.displayName = xml.readElementText().trimmed();
        } else if (Is(xml, kDav, QLatin1StringView("resourcetype"))) {
            while (xml.readNextStartElement()) {
                r.collection = r.collection || Is(xml, kDav, QLatin1StringView("collection"));
                r.calendar = r.calendar || Is(xml, kCal, QLatin1StringView("calendar"));
                xml.skipCurrentElement();
            }
        } else if (Is(xml, kCal, QLatin1StringView("supported-calendar-component-set"))) {
            r.hasComponentSet = true;
            while (xml.readNextStartElement()) {
                if (Is(xml, kCal, QLatin1StringView("comp")))
                    r.components << xml.attributes().value(QLatin1StringView("name")).toString();
                xml.skipCurrentElement();
            }
        } else if (Is(xml, kDav, QLatin1StringView("supported-report-set"))) {
            r.syncCollection = Contains(xml, kDav, QLatin1StringView("sync-collection"));
        } else if (Is(xml, kDav, QLatin1StringView("current-user-principal"))) {
            r.principalHref = ReadHref(xml);
        } else if (Is(xml, kCal, QLatin1StringView("calendar-home-set"))) {
            r.homeHref = ReadHref(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
}

// A propstat's status may stand before or after its prop: read both, then keep the properties
// only when the status says the server has them.
void ReadPropstat(QXmlStreamReader& xml, DavResponse& r) {
    DavResponse found;
    int status = 0;
    while (xml.readNextStartElement()) {
        if (Is(xml, kDav, QLatin1StringView("prop")))
            ReadProp(xml, found);
        else if (Is(xml, kDav, QLatin1StringView("status")))
            status = StatusCode(xml.readElementText());
        else
            xml.skipCurrentElement();
    }
    if (status / 100 != 2)
        return;
    auto take = [](auto& to, const auto& from) {
        if (!from.isEmpty())
            to = from;
    };
    take(r.etag, found.etag);
    take(r.calendarData, found.calendarData);
    take(r.contentType, found.contentType);
    take(r.displayName, found.displayName);
    take(r.principalHref, found.principalHref);
    take(r.homeHref, found.homeHref);
    r.collection = r.collection || found.collection;
    r.calendar = r.calendar || found.calendar;
    r.hasComponentSet = r.hasComponentSet || found.hasComponentSet;
    r.components += found.components;
    r.syncCollection = r.syncCollection || found.syncCollection;
}

DavResponse ReadResponse(QXmlStreamReader& xml) {
    DavResponse r;
    while (xml.readNextStartElement()) {
        if (Is(xml, kDav, QLatin1StringView("href")))
            r.href = xml.readElementText().trimmed();
        else if (Is(xml, kDav, QLatin1StringView("status")))
            r.status = StatusCode(xml.readElementText());
        else if (Is(xml, kDav, QLatin1StringView("propstat")))
            ReadPropstat(xml, r);
        else
            xml.skipCurrentElement();
    }
    return r;
}

// A request body: an XML document whose root declares the two namespaces every body uses.
template <typename Fill>
QByteArray Document(QLatin1StringView rootNs, const char* root, Fill fill) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeNamespace(kDav, QStringLiteral("d"));
    w.writeNamespace(kCal, QStringLiteral("c"));
    w.writeStartElement(rootNs, QLatin1StringView(root));
    fill(w);
    w.writeEndDocument();
    return out;
}

void WriteEmpty(QXmlStreamWriter& w, QLatin1StringView ns, const char* name) {
    w.writeEmptyElement(ns, QLatin1StringView(name));
}

} // namespace

QByteArray DavPropfindBody(DavProps props) {
    return Document(kDav, "propfind", [props](QXmlStreamWriter& w) {
        w.writeStartElement(kDav, QStringLiteral("prop"));
        if (props == DavProps::Discovery || props == DavProps::Calendars ||
            props == DavProps::Items)
            WriteEmpty(w, kDav, "resourcetype");
        if (props == DavProps::Discovery || props == DavProps::Calendars) {
            WriteEmpty(w, kDav, "displayname");
            WriteEmpty(w, kCal, "supported-calendar-component-set");
            WriteEmpty(w, kDav, "supported-report-set");
        }
        if (props == DavProps::Discovery)
            WriteEmpty(w, kDav, "current-user-principal");
        if (props == DavProps::Discovery || props == DavProps::Principal)
            WriteEmpty(w, kCal, "calendar-home-set");
        if (props == DavProps::Items) {
            WriteEmpty(w, kDav, "getetag");
            WriteEmpty(w, kDav, "getcontenttype");
        }
        w.writeEndElement();
    });
}

QByteArray DavMkcalendarBody(const QString& displayName) {
    return Document(kCal, "mkcalendar", [&](QXmlStreamWriter& w) {
        w.writeStartElement(kDav, QStringLiteral("set"));
        w.writeStartElement(kDav, QStringLiteral("prop"));
        w.writeTextElement(kDav, QStringLiteral("displayname"), displayName);
        w.writeStartElement(kCal, QStringLiteral("supported-calendar-component-set"));
        for (const char* comp : {"VEVENT", "VJOURNAL"}) {
            w.writeEmptyElement(kCal, QStringLiteral("comp"));
            w.writeAttribute(QStringLiteral("name"), QLatin1StringView(comp));
        }
    });
}

QByteArray DavSyncCollectionBody(const QByteArray& token) {
    return Document(kDav, "sync-collection", [&](QXmlStreamWriter& w) {
        w.writeTextElement(kDav, QStringLiteral("sync-token"), QString::fromUtf8(token));
        w.writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
        w.writeStartElement(kDav, QStringLiteral("prop"));
        WriteEmpty(w, kDav, "getetag");
        WriteEmpty(w, kDav, "getcontenttype");
        WriteEmpty(w, kDav, "resourcetype");
    });
}

QByteArray DavMultigetBody(const std::vector<QByteArray>& hrefs) {
    return Document(kCal, "calendar-multiget", [&](QXmlStreamWriter& w) {
        w.writeStartElement(kDav, QStringLiteral("prop"));
        WriteEmpty(w, kDav, "getetag");
        WriteEmpty(w, kCal, "calendar-data");
        w.writeEndElement();
        for (const QByteArray& href : hrefs)
            w.writeTextElement(kDav, QStringLiteral("href"), QString::fromUtf8(href));
    });
}

std::optional<DavMultistatus> DavParseMultistatus(const QByteArray& body, QString* error) {
    QXmlStreamReader xml(body);
    DavMultistatus result;
    if (xml.readNextStartElement() && Is(xml, kDav, QLatin1StringView("multistatus"))) {
        while (xml.readNextStartElement()) {
            if (Is(xml, kDav, QLatin1StringView("response")))
                result.responses.push_back(ReadResponse(xml));
            else if (Is(xml, kDav, QLatin1StringView("sync-token")))
                result.syncToken = xml.readElementText().trimmed().toUtf8();
            else
                xml.skipCurrentElement();
        }
        // Whatever follows must still be well-formed.
        while (!xml.atEnd())
            xml.readNext();
        if (!xml.hasError())
            return result;
    }
    if (error) {
        *error = xml.hasError() ? QStringLiteral("%1 (%2行目)")
                                      .arg(xml.errorString().simplified())
                                      .arg(xml.lineNumber())
                                : QStringLiteral("multistatus ではありません");
    }
    return std::nullopt;
}

bool DavNamesInvalidSyncToken(const QByteArray& body) {
    QXmlStreamReader xml(body);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            Is(xml, kDav, QLatin1StringView("valid-sync-token")))
            return true;
    }
    return false;
}

QUrl DavNormalUrl(const QUrl& url) {
    QUrl u = url.adjusted(QUrl::NormalizePathSegments | QUrl::RemoveFragment);
    u.setPath(u.path(QUrl::FullyDecoded), QUrl::DecodedMode);
    return u;
}

QUrl DavCollectionUrl(const QUrl& url) {
    QUrl u = DavNormalUrl(url);
    const QString path = u.path(QUrl::FullyDecoded);
    if (!path.endsWith(QLatin1Char('/')))
        u.setPath(path + QLatin1Char('/'), QUrl::DecodedMode);
    return u;
}

QUrl DavResolve(const QUrl& requestUrl, const QString& href) {
    const QUrl relative(href, QUrl::TolerantMode);
    if (href.isEmpty() || !relative.isValid())
        return {};
    return DavNormalUrl(requestUrl.resolved(relative));
}

bool DavIsMember(const QUrl& collection, const QUrl& url) {
    const QUrl c = DavCollectionUrl(collection);
    const QUrl u = DavNormalUrl(url);
    if (u.scheme().compare(c.scheme(), Qt::CaseInsensitive) != 0 ||
        u.host().compare(c.host(), Qt::CaseInsensitive) != 0 ||
        u.port(u.scheme() == QLatin1String("https") ? 443 : 80) !=
            c.port(c.scheme() == QLatin1String("https") ? 443 : 80))
        return false;
    const QString base = c.path(QUrl::FullyDecoded);
    const QString path = u.path(QUrl::FullyDecoded);
    return path.size() > base.size() && path.startsWith(base) &&
           !QStringView(path).mid(base.size()).contains(QLatin1Char('/'));
}

QUrl DavItemUrl(const QUrl& collection, const QString& name) {
    QUrl u = DavCollectionUrl(collection);
    u.setPath(u.path(QUrl::FullyDecoded) + name, QUrl::DecodedMode);
    return u;
}
