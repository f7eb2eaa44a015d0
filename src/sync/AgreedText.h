// What one side last agreed with the other about an item, kept as a digest: the sync state
// stores no second copy of anyone's text, only enough to tell whether a side changed it since.
#pragma once

#include <QByteArray>
#include <QString>

// The digest of a text as the sync state keeps it: SHA-256 of its UTF-8, in hex. Texts that
// differ only in their line ends are one text, since older entries have CR LF where the editors and
// servers have LF.
QByteArray AgreedHash(const QString& text);
