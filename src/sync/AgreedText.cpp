#include "sync/AgreedText.h"

#include <QCryptographicHash>

QByteArray AgreedHash(const QString& text) {
    QString lf = text;
    lf.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return QCryptographicHash::hash(lf.toUtf8(), QCryptographicHash::Sha256).toHex();
}
