#include "shell/ShellHelpers.h"

#include <QStringList>

QString QtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts.at(i);
        const QString& raw = parts.at(i + 1);
        QStringList patterns = raw.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        const QString list = patterns.join(QLatin1Char(' '));
        const QString shown = QLatin1Char('(') + raw + QLatin1Char(')');
        if (desc.endsWith(shown))
            desc =
                desc.left(desc.size() - shown.size()) + QLatin1Char('(') + list + QLatin1Char(')');
        else
            desc += QStringLiteral(" (") + list + QLatin1Char(')');
        entries << desc;
    }
    return entries.join(QStringLiteral(";;"));
}
