// A calendar server's multistatus answers over any bytes: no crash, a refusal always says why,
// and every href an answer names as an item of the collection survives the way the sync keeps
// it (its encoded path in the state table, turned back into a URL for the next request).

#include "FuzzSupport.h"
#include "sync/DavXml.h"

namespace {

const QUrl kCollection(QStringLiteral("http://127.0.0.1:5232/user/%E6%97%A5%E7%A8%8B/"));

// What the sync engine stores for an item, and the URL it makes of that again.
QString HrefOf(const QUrl& url) {
    return DavNormalUrl(url).path(QUrl::FullyEncoded);
}
QUrl UrlOf(const QString& href) {
    QUrl u = kCollection;
    u.setPath(href, QUrl::TolerantMode);
    return DavNormalUrl(u);
}

void CheckHref(const QString& href) {
    const QUrl url = DavResolve(kCollection, href);
    if (!url.isValid())
        return;
    const QUrl normal = DavNormalUrl(url);
    FUZZ_CHECK_TEXTS(DavNormalUrl(normal) == normal, href, normal.toString());
    FUZZ_CHECK(DavCollectionUrl(url).path().endsWith(QLatin1Char('/')));
    if (!DavIsMember(kCollection, url))
        return;
    const QUrl back = UrlOf(HrefOf(url));
    FUZZ_CHECK_TEXTS(back == normal && DavIsMember(kCollection, back), href, HrefOf(url),
                     normal.toString(), back.toString());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::optional<DavMultistatus> ms = DavParseMultistatus(body, &error);
    DavNamesInvalidSyncToken(body);
    if (!ms) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    // Every response stands for at least its own start tag in the body.
    FUZZ_CHECK(qsizetype(ms->responses.size()) <= body.size() / 10);
    for (const DavResponse& r : ms->responses) {
        CheckHref(r.href);
        CheckHref(r.principalHref);
        CheckHref(r.homeHref);
    }
    return 0;
}
